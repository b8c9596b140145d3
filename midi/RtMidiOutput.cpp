#include "midi/RtMidiOutput.h"

#include <RtMidi.h>

#include "midi/RtMidiSystem.h"

RtMidiOutput::RtMidiOutput(std::unique_ptr<RtMidiOut> midi, RtMidiSystem& system, const std::string& port)
    : fSystem(system), fPort(port), fMidi(std::move(midi)) {
  RtMidiSystem::keepErrors(*fMidi, fError);
}

RtMidiOutput::~RtMidiOutput() {
  if (!fSystem.retire(*fMidi)) fMidi.release();  // NOLINT(bugprone-unused-return-value): kept to the end on purpose
}

MidiPortState RtMidiOutput::portState() { return fSystem.portState(*fMidi, fPort); }

Result<> RtMidiOutput::send(const MidiBytes& message) {
  fError.clear();
  fMidi->sendMessage(message.data(), message.size());
  return failureIf(fError);
}
