// The machine's ALSA sequencer, for the tests that need one (tests/alsa_vm.sh
// boots a kernel that has it): the fixture Alsa runs them on it, with
// PMCKEYS_MIDI_API=alsa for the test and the programs it starts, or skips
// them where there is none. snd-virmidi's ports stand for a USB MIDI
// interface: a sequencer port on one side, a raw MIDI device
// (/dev/snd/midiCxDy) on the other with the driver's buffer of 4 KiB, which
// the test fills or drains at the cable's pace as the interface would.
#ifndef PMCKEYS_TESTS_SUPPORT_ALSA_H
#define PMCKEYS_TESTS_SUPPORT_ALSA_H

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "midi/MidiSystem.h"

struct VirmidiPort {
  std::string name;    // the sequencer port's full name
  std::string device;  // its raw MIDI device
};

class Alsa : public ::testing::Test {
protected:
  void SetUp() override;
  // The first `count` virmidi ports, after a failure when there are fewer.
  std::vector<VirmidiPort> virmidi(std::size_t count);

  std::unique_ptr<MidiSystem> fMidi;
};

// A MIDI OUT on a raw MIDI device: what is sent is written to it at once.
class RawMidiOut : public MidiOutput {
public:
  explicit RawMidiOut(const std::string& device);
  ~RawMidiOut() override;
  Result<> send(const MidiBytes& message) override;

private:
  std::string fDevice;
  int fFd;
};

// The far end of a MIDI cable on a raw MIDI device: from construction on,
// a thread of its own reads it no faster than the cable carries
// (3,125 bytes a second), a few bytes at a time.
class CableEnd {
public:
  explicit CableEnd(const std::string& device);
  ~CableEnd();
  // What arrived, once `count` bytes have or nothing more came for a second.
  MidiBytes take(std::size_t count);
  // From the first byte's start on the cable to the last one's end.
  double seconds() const;

private:
  using Clock = std::chrono::steady_clock;
  void run();

  int fFd;
  MidiBytes fBytes;
  Clock::time_point fFirst, fLast;
  std::atomic<std::size_t> fWanted{0};
  std::atomic<bool> fTaking{false};
  std::thread fThread;
};

#endif
