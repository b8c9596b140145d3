#include "midi/QuietWait.h"

#include <algorithm>
#include <cstdlib>

#include "frontend/Conversions.h"

static_assert(QuietWait::DEFAULT_QUIET_MS >
                  (QuietWait::LARGEST_MESSAGE * QuietWait::BITS_PER_BYTE * 1000 + QuietWait::MIDI_BITS_PER_SECOND - 1) /
                          QuietWait::MIDI_BITS_PER_SECOND +
                      QuietWait::LONGEST_PAUSE_MS,
              "the quiet time covers the largest message and the longest pause");

int QuietWait::wireMs(std::size_t bytes) {
  const unsigned long long bitMs = static_cast<unsigned long long>(bytes) * BITS_PER_BYTE * 1000;
  return static_cast<int>((bitMs + MIDI_BITS_PER_SECOND - 1) / MIDI_BITS_PER_SECOND);
}

Result<int> QuietWait::settingMs() {
  return msSetting("PMCKEYS_DUMP_WAIT_MS", DEFAULT_QUIET_MS, LEAST_SETTING_MS, MOST_SETTING_MS);
}

Result<int> QuietWait::msSetting(const char* variable, int unset, int least, int most) {
  const char* setting = std::getenv(variable);
  if (setting == nullptr || *setting == '\0') return unset;
  const std::string text = setting;
  if (text.size() <= std::to_string(most).size() && text.find_first_not_of("0123456789") == std::string::npos) {
    const int ms = std::atoi(setting);
    if (ms >= least && ms <= most) return ms;
  }
  return Failed(std::string(variable) + " must be a whole number of milliseconds from " + std::to_string(least) +
                " to " + std::to_string(most) + ", not <" + Conversions::shown(text) + ">");
}

void QuietWait::arrived(std::size_t messageBytes) {
  fAny = true;
  fLongest = std::max(fLongest, messageBytes);
}

int QuietWait::waitMs() const {
  if (!fAny) return FIRST_MESSAGE_MS;
  return std::max(fQuietMs, 2 * wireMs(fLongest));
}
