// SysexFile: a saved dump read back from its .syx file whole, and checked
// as SysexData says: only whole System Exclusive messages, at least one. A
// file larger than any device's memory is refused unread (this keeps
// /dev/zero out). Plain functions; nothing is kept.
#ifndef PMCKEYS_MIDI_SYSEXFILE_H
#define PMCKEYS_MIDI_SYSEXFILE_H

#include <cstddef>
#include <string>
#include <vector>

#include "midi/MidiSystem.h"

class SysexFile {
public:
  static constexpr std::size_t LARGEST = std::size_t{1} << 20;

  // The file's bytes and its messages; false with `error` set ("cannot read
  // FILE: reason", "FILE is larger than any dump (more than 1 MiB)", "FILE
  // is not a SysEx dump: " and what SysexData found).
  static bool read(const std::string& path, MidiBytes& bytes, std::vector<MidiBytes>& messages, std::string& error);
};

#endif
