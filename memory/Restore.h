// Restore: `pmckeys restore FILE`, a saved dump sent back to the device's
// MIDI input. The whole file is checked before anything is sent; the
// messages then go out in order, each followed by its time on the MIDI wire
// and a pause (PMCKEYS_SYSEX_PAUSE_MS, 50 ms by default), so that a device
// from the early 1990s keeps up. No key is pressed: in performance mode
// the device listens to its MIDI input. A send to a port that has gone
// still succeeds, so the port is looked for after each message: a restore
// cut short is a failure, never "sent".
#ifndef PMCKEYS_MEMORY_RESTORE_H
#define PMCKEYS_MEMORY_RESTORE_H

#include <set>
#include <string>
#include <vector>

#include "midi/MidiSystem.h"

class Restore {
public:
  static constexpr int DEFAULT_PAUSE_MS = 50;
  static constexpr int LONGEST_PAUSE_MS = 1000;
  // The device's memory is a few kilobytes; this keeps /dev/zero out.
  static constexpr std::size_t LARGEST_FILE = 1 << 20;

  explicit Restore(const std::string& file) : fFile(file) {}
  // The exit status; the reason for a failure is on standard error.
  int run();
  // What run() refuses before it opens MIDI: a file that is no dump, a bad
  // PMCKEYS_SYSEX_PAUSE_MS. A script is checked so; a file that an earlier
  // line of it writes (in written) is checked when it is read.
  int check(const std::set<std::string>& written) const;

  // The pause PMCKEYS_SYSEX_PAUSE_MS asks for, or -1 with `error` set.
  static int pauseMs(std::string& error);

private:
  bool read(MidiBytes& bytes, std::string& error) const;
  // The file read and split into its messages, and the pause between them.
  bool prepare(MidiBytes& bytes, std::vector<MidiBytes>& messages, int& pause, std::string& error) const;
  // Refuses a message longer than the system's ports carry.
  bool fits(const std::vector<MidiBytes>& messages, std::size_t longest, std::string& error) const;
  bool send(MidiOutput& output, const std::string& port, const std::vector<MidiBytes>& messages, int pause,
            std::string& error) const;

  std::string fFile;
};

#endif
