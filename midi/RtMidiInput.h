// RtMidiInput: a MidiInput on an RtMidiIn. RtMidi's own thread hands each
// whole message to a callback, which queues it; receive() takes them off
// the queue in order, waiting on a condition variable (no polling).
//
// Owns its RtMidiIn, which RtMidiSystem creates and opens a port on after
// this object has set up the callback, so that no message is lost; borrows
// the system, which outlives it.
#ifndef PMCKEYS_MIDI_RTMIDIINPUT_H
#define PMCKEYS_MIDI_RTMIDIINPUT_H

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>

#include "midi/MidiSystem.h"

class RtMidiIn;
class RtMidiSystem;

class RtMidiInput : public MidiInput {
public:
  // Keeps System Exclusive, drops MIDI clock and active sensing; errors of
  // RtMidi go to lastError() instead of standard error.
  // port: the full name of the port it is opened on, empty for a virtual
  // port of its own; `system` answers portState().
  RtMidiInput(std::unique_ptr<RtMidiIn> midi, RtMidiSystem& system, const std::string& port);
  ~RtMidiInput() override;

  bool receive(MidiBytes& message, int timeoutMs) override;
  MidiPortState portState() override;

  RtMidiIn& midi() { return *fMidi; }
  std::string& lastError() { return fError; }

private:
  static void arrived(double seconds, std::vector<unsigned char>* message, void* self);

  std::mutex fMutex;
  std::condition_variable fArrived;
  std::deque<MidiBytes> fQueue;
  std::string fError;
  RtMidiSystem& fSystem;
  std::string fPort;
  std::unique_ptr<RtMidiIn> fMidi;  // last: destroyed first, which stops its thread
};

#endif
