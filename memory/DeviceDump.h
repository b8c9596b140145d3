// DeviceDump: the device's memory as its MIDI data dump, taken the one way
// that backup and verify share. The MIDI input is opened before the serial
// line, so that a missing input costs no trip through the menus. For each
// dump the keys of MIDIDATADUMPCOMPLETE are pressed, the dump is captured
// (DumpCapture) until the input has been quiet long enough, and
// ENDMIDIDATADUMPCOMPLETE is pressed, dump or not, so that the device is back
// in performance mode. For 2 s after that way back the input is still
// watched: a System Exclusive message then means the capture ended too early.
//
// While it lives, SIGINT, SIGTERM and SIGHUP ask it to stop: a walk to the
// dump screen is never cut short (the device would be left where the next
// ENTER confirms a dump), a wait ends at once, the way back is pressed to
// its end whatever comes, and then take() (or stopIfAsked()) throws
// StopRequest::Stopped with the form's message. Owns the MIDI connection
// and its input.
#ifndef PMCKEYS_MEMORY_DEVICEDUMP_H
#define PMCKEYS_MEMORY_DEVICEDUMP_H

#include <cstddef>
#include <memory>
#include <string>

#include "midi/MidiConnection.h"
#include "midi/MidiSystem.h"
#include "process/StopRequest.h"

class DeviceDump {
public:
  struct Taken {
    MidiBytes bytes;
    std::size_t others = 0;  // channel and system common messages left out
  };

  // form: the command as messages name it ("backup"); saves: whether it
  // would have saved something, so that a failure says "; nothing saved".
  DeviceDump(const std::string& form, bool saves);
  // A signal that came after the last stopIfAsked() changes nothing: the
  // form's result stands.
  ~DeviceDump();
  DeviceDump(const DeviceDump&) = delete;
  DeviceDump& operator=(const DeviceDump&) = delete;

  // What a dump refuses before anything is opened (a bad
  // PMCKEYS_DUMP_WAIT_MS): the reason, or "" when it may start.
  static std::string refusal();
  // The keys of one dump, pressed on the device model getInstance() gives:
  // a script's check.
  static void pressKeys();
  // "1 message", "2 messages".
  static std::string count(std::size_t n, const std::string& thing);
  // "5 other MIDI messages ignored", or "" when there were none.
  static std::string othersNote(const Taken& dump);

  // Opens the MIDI input, then the line; false with `error` set.
  bool open(std::string& error);
  // Takes one dump; false with `error` set when no whole dump came or the
  // input's port (or the MIDI system) went away meanwhile. label:
  // the progress line's ("dump 1: ").
  bool take(const std::string& label, Taken& dump, std::string& error);
  // Throws StopRequest::Stopped with the form's message when a signal asked
  // for a stop: call before anything that cannot be taken back.
  void stopIfAsked() const;
  MidiSystem& system() { return fMidi.system(); }

private:
  std::string fForm;
  std::string fNothingSaved;
  int fQuietMs;
  StopRequest::Signals fSignals;
  MidiConnection fMidi;
  std::unique_ptr<MidiInput> fInput;  // after fMidi: dropped before the system
  std::string fPort;
};

#endif
