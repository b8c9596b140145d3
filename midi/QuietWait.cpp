#include "midi/QuietWait.h"

#include <algorithm>
#include <cstdlib>

static_assert(QuietWait::DEFAULT_QUIET_MS >
                  (QuietWait::LARGEST_MESSAGE * QuietWait::BITS_PER_BYTE * 1000 + QuietWait::MIDI_BITS_PER_SECOND - 1) /
                          QuietWait::MIDI_BITS_PER_SECOND +
                      QuietWait::LONGEST_PAUSE_MS,
              "the quiet time covers the largest message and the longest pause");

int QuietWait::wireMs(std::size_t bytes) {
  const unsigned long long bitMs = static_cast<unsigned long long>(bytes) * BITS_PER_BYTE * 1000;
  return static_cast<int>((bitMs + MIDI_BITS_PER_SECOND - 1) / MIDI_BITS_PER_SECOND);
}

int QuietWait::settingMs(std::string& error) {
  const char* setting = std::getenv("PMCKEYS_DUMP_WAIT_MS");
  if (setting == nullptr || *setting == '\0') return DEFAULT_QUIET_MS;
  const std::string text = setting;
  if (text.size() <= 5 && text.find_first_not_of("0123456789") == std::string::npos) {
    const int ms = std::atoi(setting);
    if (ms >= LEAST_SETTING_MS && ms <= MOST_SETTING_MS) return ms;
  }
  error = "PMCKEYS_DUMP_WAIT_MS must be a whole number of milliseconds from " + std::to_string(LEAST_SETTING_MS) +
          " to " + std::to_string(MOST_SETTING_MS) + ", not <" + text + ">";
  return -1;
}

void QuietWait::arrived(std::size_t messageBytes) {
  fAny = true;
  fLongest = std::max(fLongest, messageBytes);
}

int QuietWait::waitMs() const {
  if (!fAny) return FIRST_MESSAGE_MS;
  return std::max(fQuietMs, 2 * wireMs(fLongest));
}
