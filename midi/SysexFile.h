// SysexFile: a saved dump read back from its .syx file whole, and checked
// as SysexData says: only whole System Exclusive messages, at least one. A
// file larger than any device's memory is refused unread (this keeps
// /dev/zero out). A plain value: its bytes and its messages.
#ifndef PMCKEYS_MIDI_SYSEXFILE_H
#define PMCKEYS_MIDI_SYSEXFILE_H

#include <cstddef>
#include <string>
#include <vector>

#include "midi/MidiSystem.h"

struct SysexFile {
  static constexpr std::size_t LARGEST = std::size_t{1} << 20;

  // The file read and split; a failure says "cannot read FILE: reason",
  // "FILE is larger than any dump (more than 1 MiB)" or "FILE is not a SysEx
  // dump: " and what SysexData found. refusalNote ends the last two, the
  // refusals of what the file holds (restore's "; nothing sent").
  static Result<SysexFile> read(const std::string& path, const std::string& refusalNote = "");

  MidiBytes bytes;
  std::vector<MidiBytes> messages;
};

#endif
