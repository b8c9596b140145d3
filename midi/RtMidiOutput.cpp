#include "midi/RtMidiOutput.h"

#include <RtMidi.h>

#include "midi/RtMidiSystem.h"

namespace {

void keepError(RtMidiError::Type, const std::string& text, void* error) {
  std::string& kept = *static_cast<std::string*>(error);
  if (kept.empty()) kept = text;
}

}  // namespace

RtMidiOutput::RtMidiOutput(std::unique_ptr<RtMidiOut> midi, RtMidiSystem& system, const std::string& port)
    : fSystem(system), fPort(port), fMidi(std::move(midi)) {
  fMidi->setErrorCallback(keepError, &fError);
}

RtMidiOutput::~RtMidiOutput() = default;

MidiPortState RtMidiOutput::portState() { return fSystem.portState(*fMidi, fPort); }

bool RtMidiOutput::send(const MidiBytes& message, std::string& error) {
  fError.clear();
  fMidi->sendMessage(message.data(), message.size());
  error = fError;
  return fError.empty();
}
