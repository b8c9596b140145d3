// RtMidiInput: a MidiInput on an RtMidiIn. RtMidi's own thread hands each
// whole message to a callback, which queues it; receive() takes them off
// the queue in order, waiting on a condition variable (no polling).
//
// Owns its RtMidiIn, which RtMidiSystem creates and opens a port on after
// this object has set up the callback, so that no message is lost.
#ifndef PMCKEYS_MIDI_RTMIDIINPUT_H
#define PMCKEYS_MIDI_RTMIDIINPUT_H

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>

#include "midi/MidiSystem.h"

class RtMidiIn;

class RtMidiInput : public MidiInput {
public:
  // Keeps System Exclusive, drops MIDI clock and active sensing; errors of
  // RtMidi go to lastError() instead of standard error.
  explicit RtMidiInput(std::unique_ptr<RtMidiIn> midi);
  ~RtMidiInput() override;

  bool receive(MidiBytes& message, int timeoutMs) override;

  RtMidiIn& midi() { return *fMidi; }
  std::string& lastError() { return fError; }

private:
  static void arrived(double seconds, std::vector<unsigned char>* message, void* self);

  std::mutex fMutex;
  std::condition_variable fArrived;
  std::deque<MidiBytes> fQueue;
  std::string fError;
  std::unique_ptr<RtMidiIn> fMidi;  // last: destroyed first, which stops its thread
};

#endif
