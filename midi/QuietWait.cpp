#include "midi/QuietWait.h"

#include <algorithm>

int QuietWait::wireMs(std::size_t bytes) {
  const unsigned long long bitMs = static_cast<unsigned long long>(bytes) * BITS_PER_BYTE * 1000;
  return static_cast<int>((bitMs + MIDI_BITS_PER_SECOND - 1) / MIDI_BITS_PER_SECOND);
}

void QuietWait::arrived(std::size_t messageBytes) {
  fAny = true;
  fLongest = std::max(fLongest, messageBytes);
}

int QuietWait::waitMs() const {
  if (!fAny) return FIRST_MESSAGE_MS;
  return std::max(LEAST_QUIET_MS, 2 * wireMs(fLongest));
}
