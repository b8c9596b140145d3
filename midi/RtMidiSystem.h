// RtMidiSystem: the MidiSystem on RtMidi, for the system that
// PMCKEYS_MIDI_API names (alsa, jack or coremidi; unset: RtMidi's default,
// its first compiled system, which is ALSA on Linux and CoreMIDI on macOS).
//
// open() checks the system before RtMidi touches it and keeps the libraries
// quiet on standard error, so every failure is one line of text. Each port
// opened gets an RtMidi object of its own, except an output on ALSA, which
// goes straight to the sequencer (AlsaOutput) to send in pieces. The system
// object holds the choice of system, the client name it shows to the MIDI
// system and, on JACK, the run's one client without ports (JackWatch),
// which lists the ports, counts the cycles, tells when a connection is
// live and answers the ports' portState() when the server has gone.
#ifndef PMCKEYS_MIDI_RTMIDISYSTEM_H
#define PMCKEYS_MIDI_RTMIDISYSTEM_H

#include <memory>
#include <string>

#include "midi/MidiSystem.h"

class JackWatch;
class RtMidi;

class RtMidiSystem : public MidiSystem {
public:
  // The longest message an RtMidi output carries on JACK, as measured
  // (bench/jack_limit.cpp, docs/performance.md): RtMidi drops a longer one
  // without a word.
  static constexpr std::size_t JACK_LONGEST_MESSAGE = 16379;

  // clientName: how this program shows on the MIDI system. A failure
  // ("no MIDI system: no JACK server is running") when the system cannot
  // be used.
  static Result<std::unique_ptr<MidiSystem>> open(const std::string& clientName);
  ~RtMidiSystem() override;

  std::string name() const override;
  std::size_t longestMessage() const override;
  std::string longerCarrier() const override;
  Result<std::vector<std::string>> ports(Direction direction) override;
  MidiCycles cycles() override;
  Result<std::unique_ptr<MidiInput>> openInput(const std::string& port) override;
  Result<std::unique_ptr<MidiOutput>> openOutput(const std::string& port) override;
  Result<std::unique_ptr<MidiInput>> openVirtualInput(const std::string& port) override;
  Result<std::unique_ptr<MidiOutput>> openVirtualOutput(const std::string& port) override;

  // What became of `port`, as `midi`, the RtMidi object opened on it, sees
  // the ports now; an empty `port` is a virtual port of this program's own.
  MidiPortState portState(RtMidi& midi, const std::string& port);
  // Makes `midi` keep its first error in `error` instead of writing it to
  // standard error; the caller clears `error` before each call it checks.
  static void keepErrors(RtMidi& midi, std::string& error);
  // Takes an RtMidi object out of use before it is destroyed. On JACK its
  // port is closed and a cycle let pass, so that no process callback of its
  // own still runs on what its destructor frees. False on a server that
  // runs no cycles any more: the object must then be left as it is, for
  // its destructor would wait for the server forever.
  bool retire(RtMidi& midi);

private:
  RtMidiSystem(int api, const std::string& clientName, std::unique_ptr<JackWatch> watch);
  // On JACK: fails unless the connection from one port to the other comes
  // up (JackWatch::awaitLive).
  Result<> live(const std::string& from, const std::string& to);
  bool stalled();

  int fApi;
  std::string fClientName;
  std::unique_ptr<JackWatch> fWatch;
};

#endif
