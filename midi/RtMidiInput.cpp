#include "midi/RtMidiInput.h"

#include <RtMidi.h>

#include <chrono>

#include "midi/RtMidiSystem.h"

RtMidiInput::RtMidiInput(std::unique_ptr<RtMidiIn> midi, RtMidiSystem& system, const std::string& port)
    : fSystem(system), fPort(port), fMidi(std::move(midi)) {
  RtMidiSystem::keepErrors(*fMidi, fError);
  fMidi->ignoreTypes(false, true, true);
  fMidi->setCallback(arrived, this);
}

RtMidiInput::~RtMidiInput() {
  if (!fSystem.retire(*fMidi)) fMidi.release();  // NOLINT(bugprone-unused-return-value): kept to the end on purpose
}

MidiPortState RtMidiInput::portState() { return fSystem.portState(*fMidi, fPort); }

void RtMidiInput::arrived(double, std::vector<unsigned char>* message, void* self) {
  RtMidiInput& input = *static_cast<RtMidiInput*>(self);
  {
    std::lock_guard<std::mutex> lock(input.fMutex);
    input.fQueue.push_back(*message);
  }
  input.fArrived.notify_one();
}

bool RtMidiInput::receive(MidiBytes& message, int timeoutMs) {
  std::unique_lock<std::mutex> lock(fMutex);
  if (!fArrived.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return !fQueue.empty(); })) {
    return false;
  }
  message = std::move(fQueue.front());
  fQueue.pop_front();
  return true;
}
