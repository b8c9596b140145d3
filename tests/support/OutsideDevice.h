// A device played from outside pmckeys, where the simulated device cannot
// behave so: a board the test serves on a pseudo-terminal (the simulated
// board's side of the line, in this process) and a MIDI OUT that the test
// hands in (a port of its own on JACK, the raw MIDI device of a virmidi port
// on ALSA). The device sends its dump when the dump's keys are pressed,
// each System Exclusive message in pieces as slowly as a MIDI cable carries
// them, other MIDI among them, with pauses; a key that arrives while the
// dump is on its way stops it after the message in progress, unless the
// device is one that goes on. The device owns its MIDI OUT and the system
// that opened it.
#ifndef PMCKEYS_TESTS_SUPPORT_OUTSIDEDEVICE_H
#define PMCKEYS_TESTS_SUPPORT_OUTSIDEDEVICE_H

#include <atomic>
#include <chrono>
#include <deque>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "midi/MidiSystem.h"
#include "simulator/PseudoTerminal.h"

// A System Exclusive message of `size` bytes, its data counting up from
// `seed` (modulo 127), so that a piece lost, doubled or out of place shows.
MidiBytes sysex(std::size_t size, unsigned char seed = 0);

struct Sent {
  int pauseMs;  // before the message
  MidiBytes message;
};
// The System Exclusive messages of a dump, joined.
std::string sysexOf(const std::vector<Sent>& dump);

class OutsideDevice {
public:
  OutsideDevice(std::unique_ptr<MidiOutput> out, std::vector<Sent> dump, bool goesOn = false,
                std::unique_ptr<MidiSystem> system = nullptr);
  ~OutsideDevice();
  // A device whose MIDI OUT is a virtual port of its own, "NAME out".
  static std::unique_ptr<OutsideDevice> onVirtualPort(const std::string& name, std::vector<Sent> dump, bool goesOn);

  const std::string& line() const { return fLine.slavePath(); }
  int keys() const { return fKeys; }
  std::string sysexBytes() const { return sysexOf(fDump); }

private:
  using Clock = std::chrono::steady_clock;
  struct Piece {
    Clock::time_point at;  // when its last byte has left the cable
    MidiBytes bytes;
    bool begins;  // a message
  };

  void startDump();
  void serve();

  std::unique_ptr<MidiSystem> fSystem;
  std::unique_ptr<MidiOutput> fOut;
  std::vector<Sent> fDump;
  bool fGoesOn;
  PseudoTerminal fLine;
  std::deque<Piece> fDue;
  std::atomic<int> fKeys{0};
  std::atomic<bool> fDone{false};
  std::thread fThread;
};

#endif
