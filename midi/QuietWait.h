// QuietWait: when a data dump is over. MIDI carries 31,250 bits a second,
// ten bits a byte; RtMidi hands over a message only when its last byte has
// come, so while a long message is still on the cable the input looks quiet.
// pmckeys promises to wait for any message of up to 16,384 bytes (5.24 s on
// the cable) and for pauses inside a dump of up to 3 s: after the last
// message a dump ends only when nothing has come for 8.5 s (those two, and
// room for a JACK period and the scheduler), or for twice the wire time of
// the longest message so far when that is longer. PMCKEYS_DUMP_WAIT_MS sets
// another quiet time for a device that needs it. The first message may take
// up to 30 s (the device is still being walked to its dump, or a long first
// message is still on the wire).
#ifndef PMCKEYS_MIDI_QUIETWAIT_H
#define PMCKEYS_MIDI_QUIETWAIT_H

#include <cstddef>
#include <string>

#include "midi/Result.h"

class QuietWait {
public:
  static constexpr int MIDI_BITS_PER_SECOND = 31250;
  static constexpr int BITS_PER_BYTE = 10;
  static constexpr int FIRST_MESSAGE_MS = 30000;
  static constexpr std::size_t LARGEST_MESSAGE = 16384;
  static constexpr int LONGEST_PAUSE_MS = 3000;
  static constexpr int DEFAULT_QUIET_MS = 8500;
  static constexpr int LEAST_SETTING_MS = 1000;
  static constexpr int MOST_SETTING_MS = 60000;
  // How long the input is still watched after a dump's way back: a message
  // then means the dump was taken for complete too early.
  static constexpr int LATE_WATCH_MS = 2000;

  // How long `bytes` take on a MIDI cable, in milliseconds, rounded up.
  static int wireMs(std::size_t bytes);
  // The quiet time PMCKEYS_DUMP_WAIT_MS asks for (DEFAULT_QUIET_MS when it
  // is unset or empty).
  static Result<int> settingMs();
  // The whole number of milliseconds, from least to most, that the
  // environment's `variable` sets (`unset` when it is unset or empty): the
  // one way pmckeys reads a time it may be given (PMCKEYS_DUMP_WAIT_MS,
  // PMCKEYS_SYSEX_PAUSE_MS).
  static Result<int> msSetting(const char* variable, int unset, int least, int most);

  explicit QuietWait(int quietMs) : fQuietMs(quietMs) {}
  void arrived(std::size_t messageBytes);
  // How long to wait for the next message after the last one (or the start).
  int waitMs() const;

private:
  int fQuietMs;
  bool fAny = false;
  std::size_t fLongest = 0;
};

#endif
