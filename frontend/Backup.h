// Backup: `pmckeys backup FILE`, the device's whole memory saved as a .syx
// file. The device sends its memory as System Exclusive when the keys of
// MIDIDATADUMPCOMPLETE are pressed; MIDI has no checksum and a cheap
// interface may drop bytes unseen, so the dump is taken twice and kept only
// when both agree byte for byte. ENDMIDIDATADUMPCOMPLETE follows every
// dump, taken or not, so that the device is back in performance mode.
//
// The MIDI input is opened before the serial line, so that a missing input
// costs no trip through the menus; FILE is never overwritten.
#ifndef PMCKEYS_FRONTEND_BACKUP_H
#define PMCKEYS_FRONTEND_BACKUP_H

#include <set>
#include <string>

#include "midi/MidiSystem.h"

class Dad10;

class Backup {
public:
  explicit Backup(const std::string& file) : fFile(file) {}
  // The exit status; the reason for a failure is on standard error.
  int run();
  // What run() refuses before it opens anything (FILE exists, its folder is
  // not writable), and the keys it presses when both dumps come, pressed on
  // the device model Dad10::getInstance() gives: a script is checked so, on
  // a model that presses nothing. written: the files that earlier lines of
  // the script write, FILE among them when it may be written.
  int check(std::set<std::string>& written) const;

private:
  // Presses the dump's keys, takes it and presses the way back; false with
  // `error` set when no whole dump came or its port went away.
  bool takeDump(Dad10& dad10, MidiInput& input, const std::string& label, MidiBytes& dump, std::string& error);
  int fail(const std::string& error) const;
  int refusal() const;  // EXIT_DONE when run() may start

  std::string fFile;
  std::string fPort;
};

#endif
