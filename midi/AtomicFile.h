// AtomicFile: writes a new file so that it appears whole or not at all, and
// never in place of one that exists. The bytes go to a hidden temporary
// file in the same folder, are flushed to disk, and the temporary file is
// then linked under the final name (which fails if that name has appeared
// meanwhile) and removed; the folder is synced last. On a file system
// without hard links a rename takes the link's place, after one more look
// that the name is still free. A failure leaves nothing behind.
#ifndef PMCKEYS_MIDI_ATOMICFILE_H
#define PMCKEYS_MIDI_ATOMICFILE_H

#include <string>

#include "midi/MidiSystem.h"

class AtomicFile {
public:
  // True when something (a file, folder, or link, even a dangling one)
  // already has that name.
  static bool exists(const std::string& path);
  // The refusal to overwrite, as pmckeys words it.
  static std::string existsMessage(const std::string& path);
  // The folder the file goes to, "." for a bare name.
  static std::string folderOf(const std::string& path);

  // False with `error` set ("cannot write X: reason") when it failed.
  static bool create(const std::string& path, const MidiBytes& bytes, std::string& error);
};

#endif
