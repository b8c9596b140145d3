// MidiModule: the MIDI side of pmckeys (RtMidi with ALSA and JACK) lives in
// a module of its own that is loaded only when a MIDI form runs, so that the
// other forms start as fast as before. It is looked for beside the running
// program (the build tree) and then in the folder it is installed to
// (${libdir}/pmckeys), both found from where the program itself is.
//
// The loaded module stays for the rest of the process; the caller owns the
// MidiSystem it returns.
#ifndef PMCKEYS_MIDI_MIDIMODULE_H
#define PMCKEYS_MIDI_MIDIMODULE_H

#include <memory>
#include <string>
#include <vector>

#include "midi/MidiSystem.h"

class MidiModule {
public:
  // The MIDI system PMCKEYS_MIDI_API names; a failure when the module or
  // the system is missing.
  static Result<std::unique_ptr<MidiSystem>> open(const std::string& clientName);
  // The paths tried, in order.
  static std::vector<std::string> candidates();
};

#endif
