// Backup: `pmckeys backup FILE`, the device's whole memory saved as a .syx
// file. MIDI has no checksum and a cheap interface may drop bytes unseen, so
// the dump is taken twice (DeviceDump) and kept only when both agree byte
// for byte; a backup is never saved with part of the dump missing.
//
// Whatever would fail late is refused before the MIDI input or the line is
// opened: a FILE that exists or cannot be created, a bad
// PMCKEYS_DUMP_WAIT_MS. FILE is never overwritten.
#ifndef PMCKEYS_MEMORY_BACKUP_H
#define PMCKEYS_MEMORY_BACKUP_H

#include <set>
#include <string>
#include <vector>

#include "memory/DeviceDump.h"

class Backup {
public:
  explicit Backup(const std::string& file) : fFile(file) {}
  // The exit status; the reason for a failure is on standard error. Throws
  // StopRequest::Stopped when a signal stopped it, the device back in
  // performance mode and nothing saved.
  int run();
  // What run() refuses before it opens anything, and the keys it presses
  // when both dumps come, pressed on the device model Dad10::getInstance()
  // gives: a script is checked so, on a model that presses nothing.
  // written: the files that earlier lines of the script write, FILE among
  // them when it may be written.
  int check(std::set<std::string>& written) const;

private:
  struct Twice {
    DeviceDump::Taken first, second;
  };
  Result<> refusal() const;  // what run() refuses before it opens anything
  std::string shownFile() const;  // FILE as the messages show it
  // Opens the device and takes its dump twice; both when they agree.
  static Result<Twice> takeTwice(DeviceDump& device);
  // What the result line says in brackets: that the dumps agreed, which
  // were taken again after a missed cycle, how many other MIDI messages
  // were left out, and the first message too long for the MIDI system's
  // ports to carry back (JACK's).
  static std::string notes(DeviceDump& device, const Twice& dumps, const std::vector<MidiBytes>& messages);

  std::string fFile;
};

#endif
