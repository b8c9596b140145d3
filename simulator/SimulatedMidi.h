// SimulatedMidi: the simulated device's MIDI OUT and MIDI IN, as two
// virtual ports on the computer's MIDI system (the one PMCKEYS_MIDI_API
// names), "pmckeys-sim PID out" and "pmckeys-sim PID in": the process id
// keeps two simulators on one MIDI system apart.
//
// A data dump goes out paced as on a MIDI cable: each message leaves when
// its last byte would have, at 31,250 bits a second and ten bits a byte.
// The dump faults for tests change the dump on its way out. Whatever comes
// in is handed to the device's memory. Nothing here blocks: the
// simulator's loop asks how long it may wait (waitMs) and calls pump().
//
// Owns the MIDI system and the ports; the memory is the caller's.
#ifndef PMCKEYS_SIMULATOR_SIMULATEDMIDI_H
#define PMCKEYS_SIMULATOR_SIMULATEDMIDI_H

#include <chrono>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "midi/MidiSystem.h"
#include "simulator/DeviceMemory.h"
#include "simulator/SimulatedBoard.h"

class SimulatedMidi {
public:
  explicit SimulatedMidi(SimulatedBoard::Fault fault) : fFault(fault) {}

  // A failure ("no MIDI system: ...") when MIDI is off.
  Result<> open();
  bool on() const { return fOut != nullptr; }
  // The port a program receives the dumps from (for its PMCKEYS_MIDI_IN),
  // and the one it sends dumps to (PMCKEYS_MIDI_OUT).
  const std::string& outName() const { return fOutName; }
  const std::string& inName() const { return fInName; }

  // Starts sending a dump, after one still on its way; returns the trace's line.
  std::string startDump(const std::vector<MidiBytes>& messages);
  // What a key does to the MIDI OUT, the model moved by it: the trace's line
  // about it, or "".
  std::string keyArrived(const MenuModel& model);
  // How long the caller may wait before the next message is due: at most `most` ms.
  int waitMs(int most) const;
  // Sends the messages that are due, gives the memory what came in, and
  // returns the trace's lines about it.
  std::vector<std::string> pump(DeviceMemory& memory);

private:
  using Clock = std::chrono::steady_clock;
  struct Due {
    Clock::time_point at;
    MidiBytes message;
  };

  std::string damage(std::vector<MidiBytes>& messages);
  std::string chatter(std::vector<MidiBytes>& messages);

  SimulatedBoard::Fault fFault;
  int fDumps = 0;
  int fReceived = 0;  // messages that came in
  bool fInPerformanceMode = true;
  std::string fOutName, fInName;
  std::deque<Due> fQueue;
  std::unique_ptr<MidiSystem> fSystem;  // first: it outlives its ports
  std::unique_ptr<MidiOutput> fOut;
  std::unique_ptr<MidiInput> fIn;
};

#endif
