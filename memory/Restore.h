// Restore: `pmckeys restore FILE [--no-verify]`, a saved dump sent back to
// the device's MIDI input, then proved. The whole file is checked before
// anything is sent; the messages then go out in order at the cable's pace
// (CablePace: in pieces where the MIDI system takes pieces), each followed
// by a pause (PMCKEYS_SYSEX_PAUSE_MS, 50 ms by default), so that a device
// from the early 1990s keeps up. No key is pressed while sending: in
// performance mode the device listens to its MIDI input.
//
// MIDI has no acknowledgement, so a restore ends with a verify: one dump
// taken exactly as verify takes it (DeviceDump) and compared with FILE.
// What the check needs is looked for before anything is sent; only a MIDI
// system without an input to choose, or no board on the line, lets the
// messages go unchecked, and the result line says so. --no-verify only
// sends.
//
// A message counts as sent when the cable has carried its last byte (and,
// on JACK, a process cycle has run since it was handed over). A send to a
// port that has gone still succeeds, so the port is looked for while
// sending; a stalled JACK server or a signal ends the restore after the
// message on its way, and the failure says how many were sent.
#ifndef PMCKEYS_MEMORY_RESTORE_H
#define PMCKEYS_MEMORY_RESTORE_H

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "memory/DeviceDump.h"
#include "midi/MidiConnection.h"
#include "midi/SysexFile.h"

class Restore {
public:
  static constexpr int DEFAULT_PAUSE_MS = 50;
  static constexpr int LONGEST_PAUSE_MS = 1000;
  static constexpr const char* NO_VERIFY = "--no-verify";

  // verifies: false for --no-verify.
  Restore(const std::string& file, bool verifies) : fFile(file), fVerifies(verifies) {}
  // The exit status; the reason for a failure is on standard error. Throws
  // StopRequest::Stopped when a signal stopped it.
  int run();
  // What run() refuses before it sends anything, and the keys of its check
  // on the device model Dad10::getInstance() gives: a script is checked
  // so. A file that an earlier line of it writes (in written) is read when
  // the line runs.
  int check(const std::set<std::string>& written) const;

  // The pause PMCKEYS_SYSEX_PAUSE_MS asks for.
  static Result<int> pauseMs();

private:
  struct Plan {
    SysexFile file;
    int pause = 0;
  };
  // Where the messages go and how they are proved.
  struct Route {
    std::string output;
    std::string input;    // "" when there is none to choose
    std::string skipped;  // why the check is not made, or ""
  };
  // How far the sending came.
  struct Sent {
    std::size_t messages = 0;
    std::size_t bytes = 0;
    int signal = 0;
    std::string failure;
    bool missedCycle = false;
    std::size_t missedAfter = 0;
  };

  std::string shownFile() const;  // FILE as the messages show it
  Result<Plan> prepare(bool readFile) const;
  Result<> fits(const std::vector<MidiBytes>& messages, std::size_t longest) const;
  Result<Route> route(MidiConnection& midi) const;
  // pauseAfterLast: a check follows, which waits for the device as the
  // next message would.
  Sent send(MidiConnection& midi, MidiOutput& output, const std::string& port, const Plan& plan,
            bool pauseAfterLast) const;
  // The outcome of the sending when no check follows, or when it ended early.
  int reportSent(const Sent& sent, const Plan& plan, const std::string& skipped) const;
  int verify(DeviceDump& device, const SysexFile& saved) const;
  std::string sentLine(const Sent& sent) const;
  std::string after(const Sent& sent, const Plan& plan) const;

  std::string fFile;
  bool fVerifies;
};

#endif
