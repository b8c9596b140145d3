// MidiConnection: the MIDI side of one pmckeys run: the MIDI system from the
// module, shown to it as "pmckeys-PID" (a name of its own for each run, so
// that runs side by side never take each other's ports for their own), and
// the ports that PMCKEYS_MIDI_IN and PMCKEYS_MIDI_OUT choose (PortChoice).
// Owns the system; the caller owns the ports it opens and drops them before
// the connection.
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

  // The full name of the port the user's setting picks.
  Result<std::string> choose(MidiSystem::Direction direction);
  // As choose(), but "" when the setting is unset or empty and there is no
  // port to take.
  Result<std::string> chooseIfAny(MidiSystem::Direction direction);
  Result<std::unique_ptr<MidiInput>> openInput(const std::string& port);
  Result<std::unique_ptr<MidiOutput>> openOutput(const std::string& port);

  // Every port, "in  NAME" or "out NAME", inputs first.
  Result<std::vector<std::string>> listing();

  // What became of `port`, the name `end` was opened on, as an error says
  // it: "the MIDI port <NAME> went away", "the JACK server stopped"; "" while
  // it is there.
  static std::string lost(MidiEnd& end, const std::string& port);
  // Why the system takes no more data ("the JACK server ran no cycle for
  // 5 s"), or "".
  std::string stalled();

private:
  struct Ports {
    std::vector<std::string> names;
    std::string wanted;
  };
  Result<Ports> ports(MidiSystem::Direction direction);
  Result<std::string> pick(MidiSystem::Direction direction, const Ports& ports) const;

  std::unique_ptr<MidiSystem> fSystem;
};

#endif
