// RtMidiOutput: a MidiOutput on an RtMidiOut. Owns the RtMidiOut, which
// RtMidiSystem creates and opens a port on.
#ifndef PMCKEYS_MIDI_RTMIDIOUTPUT_H
#define PMCKEYS_MIDI_RTMIDIOUTPUT_H

#include <memory>
#include <string>

#include "midi/MidiSystem.h"

class RtMidiOut;

class RtMidiOutput : public MidiOutput {
public:
  // Errors of RtMidi go to lastError() instead of standard error.
  explicit RtMidiOutput(std::unique_ptr<RtMidiOut> midi);
  ~RtMidiOutput() override;

  bool send(const MidiBytes& message, std::string& error) override;

  RtMidiOut& midi() { return *fMidi; }
  std::string& lastError() { return fError; }

private:
  std::string fError;
  std::unique_ptr<RtMidiOut> fMidi;
};

#endif
