// DeviceDump: the device's memory as its MIDI data dump, taken the one way
// that backup, verify and restore's check share. The MIDI input is opened
// before the serial line, so that a missing input costs no trip through
// the menus. For each dump the keys of MIDIDATADUMPCOMPLETE are pressed, the
// dump is captured (DumpCapture) until the input has been quiet long
// enough, and ENDMIDIDATADUMPCOMPLETE is pressed, dump or not, so that the
// device is back in performance mode. A System Exclusive message after that
// way back means the capture ended too early: for 2 s the input is still
// watched, and one that comes later still, before the ENTER that starts the
// next dump, is caught there. During the wait the input's port is looked
// for every second. A dump taken while the MIDI system missed a cycle (a
// JACK xrun) may have lost data unseen: it is taken again, at most twice.
//
// While it lives, SIGINT, SIGTERM and SIGHUP ask it to stop: a walk to the
// dump screen is never cut short (the device would be left where the next
// ENTER confirms a dump), a wait ends at once, the way back is pressed to
// its end whatever comes, and then take() (or stopIfAsked()) throws
// StopRequest::Stopped with the form's message. Borrows the MIDI
// connection, which outlives it; owns the input.
#ifndef PMCKEYS_MEMORY_DEVICEDUMP_H
#define PMCKEYS_MEMORY_DEVICEDUMP_H

#include <chrono>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>

#include "midi/MidiConnection.h"
#include "midi/MidiSystem.h"
#include "process/StopRequest.h"

class DeviceDump {
public:
  static constexpr int TRIES = 3;
  static constexpr int PORT_LOOK_MS = 1000;

  struct Taken {
    MidiBytes bytes;
    std::size_t others = 0;  // channel and system common messages left out
    int retakes = 0;         // taken again after a missed cycle
  };

  // How the form's messages end. form: "backup"; failureEnd: after a
  // failure ("; nothing saved"); stopped: after "stopped by SIGNAL" (" after
  // 4 of 4 messages, before its check"); stopEnd: after "the device is
  // back in performance mode".
  struct Words {
    std::string form;
    std::string failureEnd;
    std::string stopped;
    std::string stopEnd;
  };

  // refusal() has let it start.
  DeviceDump(MidiConnection& midi, Words words);
  // A signal that came after the last stopIfAsked() changes nothing: the
  // form's result stands.
  ~DeviceDump();
  DeviceDump(const DeviceDump&) = delete;
  DeviceDump& operator=(const DeviceDump&) = delete;

  // What a dump refuses before anything is opened (a bad
  // PMCKEYS_DUMP_WAIT_MS).
  static Result<> refusal();
  // A script's check: refusal(), and a MIDI input to choose.
  static Result<> scriptRefusal();
  // The keys of one dump, pressed on the device model getInstance() gives:
  // a script's check.
  static void pressKeys();
  // "1 message", "2 messages".
  static std::string count(std::size_t n, const std::string& thing);
  // "5 other MIDI messages ignored", or "" when there were none.
  static std::string othersNote(const Taken& dump);
  // "dump 2 taken again after the JACK server missed a cycle", or "".
  std::string retakeNote(const Taken& dump, const std::string& name);

  // Opens the MIDI input the user's setting picks, then the line.
  Result<> open();
  // Opens the input on that port; boardReady() then opens the line.
  Result<> openInput(const std::string& port);
  bool boardReady() const;
  // Takes one dump (name: "dump 2", "dump"); a failure when no whole dump
  // came, the input's port or the MIDI system went away or stalled, or every
  // try saw a missed cycle.
  Result<Taken> take(const std::string& name);
  // Throws StopRequest::Stopped with the form's message when a signal asked
  // for a stop: call before anything that cannot be taken back.
  void stopIfAsked() const;
  MidiSystem& system() { return fMidi.system(); }

private:
  // One try; `missed` tells whether the system missed a cycle meanwhile.
  Result<Taken> once(const std::string& name, bool& missed);
  // Whether the capture must end now: a stop, the port gone, a stall.
  bool halted();
  // Why the dump that came is no whole one, or "".
  std::string fault(const Taken& dump, bool late) const;
  std::string lateText() const;

  MidiConnection& fMidi;
  Words fWords;
  int fQuietMs;
  bool fAfterDump = false;  // a dump was taken before: what comes first is late
  std::unique_ptr<MidiInput> fInput;
  std::string fPort;
  std::string fGone;     // the input's port went away: why
  std::string fStalled;  // the MIDI system stalled: why
  std::chrono::steady_clock::time_point fLooked;
  // Last: the handlers go first, so that a signal ends the process again
  // while the input is closed.
  StopRequest::Signals fSignals;
};

#endif
