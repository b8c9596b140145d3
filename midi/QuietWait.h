// QuietWait: when a data dump is over. MIDI carries 31,250 bits a second,
// ten bits a byte; RtMidi hands over a message only when it is whole, so
// the gap before the next one can be as long as that message's wire time.
// A dump ends when nothing new has come for twice the wire time of the
// longest message so far, and never less than a second; the first message
// may take up to 30 s (the device is still being walked to its dump, or a
// long first message is still on the wire).
#ifndef PMCKEYS_MIDI_QUIETWAIT_H
#define PMCKEYS_MIDI_QUIETWAIT_H

#include <cstddef>

class QuietWait {
public:
  static constexpr int FIRST_MESSAGE_MS = 30000;
  static constexpr int LEAST_QUIET_MS = 1000;
  static constexpr int MIDI_BITS_PER_SECOND = 31250;
  static constexpr int BITS_PER_BYTE = 10;

  // How long `bytes` take on a MIDI cable, in milliseconds, rounded up.
  static int wireMs(std::size_t bytes);

  void arrived(std::size_t messageBytes);
  // How long to wait for the next message after the last one (or the start).
  int waitMs() const;

private:
  bool fAny = false;
  std::size_t fLongest = 0;
};

#endif
