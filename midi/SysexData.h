// SysexData: the rules of System Exclusive data as a .syx file and a data
// dump hold it: whole messages one after the other, each 0xF0, data bytes
// (below 0x80) and 0xF7, and at least one of them. Plain functions on byte
// strings; nothing is kept.
#ifndef PMCKEYS_MIDI_SYSEXDATA_H
#define PMCKEYS_MIDI_SYSEXDATA_H

#include <cstddef>
#include <string>
#include <vector>

#include "midi/MidiSystem.h"

class SysexData {
public:
  static constexpr unsigned char START = 0xF0;
  static constexpr unsigned char END = 0xF7;

  // Splits `bytes` into its messages. A failure when they are not whole
  // SysEx messages says what is wrong and names the offset (from 0) of the
  // first bad byte.
  static Result<std::vector<MidiBytes>> split(const MidiBytes& bytes);
  // Clock, start, stop, active sensing, reset...: bytes that may stand
  // anywhere in a MIDI stream, even inside a SysEx message.
  static bool isRealTime(unsigned char byte) { return byte >= 0xF8; }
  // The first byte of a channel message (note, controller, program
  // change...) or of a system common one (song position, tune request...):
  // MIDI that may come between the messages of a dump but is no part of it.
  static bool isOtherMessage(unsigned char first) {
    return (first >= 0x80 && first < 0xF0) || (first > START && first < END);
  }
  // The offset of the first byte in which a and b differ (the length of the
  // shorter when it begins the longer), or npos when they are equal.
  static std::size_t firstDifference(const MidiBytes& a, const MidiBytes& b);
};

#endif
