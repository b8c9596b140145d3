// AtomicFile: writes a new file so that it appears whole or not at all, and
// never in place of one that exists. The bytes go to a hidden temporary
// file in the same folder, are flushed to disk, and the temporary file is
// then linked under the final name (which fails if that name has appeared
// meanwhile) and removed; the folder is synced last. On a file system
// without hard links a rename takes the link's place, after one more look
// that the name is still free. A failure leaves nothing behind. The
// temporary file is named .pmckeys-PID-N.
#ifndef PMCKEYS_MIDI_ATOMICFILE_H
#define PMCKEYS_MIDI_ATOMICFILE_H

#include <functional>
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

  // Why a file cannot be created as `path`, as the system words it ("File
  // name too long", "Is a directory", "Permission denied"...), or "" when it
  // may be tried: an empty name, a name that ends in / or names a folder, a
  // name longer than its folder takes, and a folder where no file can be
  // created (a temporary file is created and removed to learn that). A name
  // that exists is not refused here (existsMessage()).
  static std::string refusal(const std::string& path);

  // A failure says "cannot write X: reason". stillWanted, when given, is
  // asked once the bytes are on disk, before the file takes its name: false
  // leaves nothing behind, a failure with no text.
  static Result<> create(const std::string& path, const MidiBytes& bytes,
                         const std::function<bool()>& stillWanted = nullptr);
};

#endif
