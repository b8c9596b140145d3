// RtMidiOutput: a MidiOutput on an RtMidiOut. Owns the RtMidiOut, which
// RtMidiSystem creates and opens a port on; borrows the system, which
// outlives it.
#ifndef PMCKEYS_MIDI_RTMIDIOUTPUT_H
#define PMCKEYS_MIDI_RTMIDIOUTPUT_H

#include <memory>
#include <string>

#include "midi/MidiSystem.h"

class RtMidiOut;
class RtMidiSystem;

class RtMidiOutput : public MidiOutput {
public:
  // Errors of RtMidi go to lastError() instead of standard error.
  // port: the full name of the port it is opened on, empty for a virtual
  // port of its own; `system` answers portState().
  RtMidiOutput(std::unique_ptr<RtMidiOut> midi, RtMidiSystem& system, const std::string& port);
  ~RtMidiOutput() override;

  Result<> send(const MidiBytes& message) override;
  MidiPortState portState() override;

  RtMidiOut& midi() { return *fMidi; }
  std::string& lastError() { return fError; }

private:
  std::string fError;
  RtMidiSystem& fSystem;
  std::string fPort;
  std::unique_ptr<RtMidiOut> fMidi;
};

#endif
