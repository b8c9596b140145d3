// MidiConnection: the MIDI side of one pmckeys run: the MIDI system from the
// module, and the ports that PMCKEYS_MIDI_IN and PMCKEYS_MIDI_OUT choose
// (PortChoice). Owns the system; the caller owns the ports it opens and
// drops them before the connection.
#ifndef PMCKEYS_MIDI_MIDICONNECTION_H
#define PMCKEYS_MIDI_MIDICONNECTION_H

#include <memory>
#include <string>
#include <vector>

#include "midi/MidiSystem.h"

class MidiConnection {
public:
  // Loads the module and opens the system.
  Result<> open();
  MidiSystem& system() { return *fSystem; }

  // The chosen port's full name goes to `port`.
  Result<std::unique_ptr<MidiInput>> openInput(std::string& port);
  Result<std::unique_ptr<MidiOutput>> openOutput(std::string& port);

  // Every port, "in  NAME" or "out NAME", inputs first.
  std::vector<std::string> listing();

  // What became of `port`, the name `end` was opened on, as an error says
  // it: "the MIDI port <NAME> went away", "the JACK server stopped"; "" while
  // it is there.
  static std::string lost(MidiEnd& end, const std::string& port);

private:
  // The full name of the port the user's setting picks.
  Result<std::string> choose(MidiSystem::Direction direction);

  std::unique_ptr<MidiSystem> fSystem;
};

#endif
