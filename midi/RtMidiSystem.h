// RtMidiSystem: the MidiSystem on RtMidi, for the system that
// PMCKEYS_MIDI_API names (alsa, jack or coremidi; unset: RtMidi's default,
// its first compiled system, which is ALSA on Linux and CoreMIDI on macOS).
//
// open() checks the system before RtMidi touches it and keeps the libraries
// quiet on standard error, so every failure is one line of text. Each port
// opened gets an RtMidi object of its own; the system object holds only the
// choice of system and the client name it shows to the MIDI system.
#ifndef PMCKEYS_MIDI_RTMIDISYSTEM_H
#define PMCKEYS_MIDI_RTMIDISYSTEM_H

#include <memory>
#include <string>

#include "midi/MidiSystem.h"

class RtMidiSystem : public MidiSystem {
public:
  // JACK's ports carry messages up to this length; longer ones vanish.
  static constexpr std::size_t JACK_LONGEST_MESSAGE = 16000;

  // clientName: how this program shows on the MIDI system. Null with
  // `error` set ("no MIDI system: no JACK server is running")
  // when the system cannot be used.
  static std::unique_ptr<MidiSystem> open(const std::string& clientName, std::string& error);

  std::string name() const override;
  std::size_t longestMessage() const override;
  std::vector<std::string> ports(Direction direction) override;
  std::unique_ptr<MidiInput> openInput(const std::string& port, std::string& error) override;
  std::unique_ptr<MidiOutput> openOutput(const std::string& port, std::string& error) override;
  std::unique_ptr<MidiInput> openVirtualInput(const std::string& port, std::string& error) override;
  std::unique_ptr<MidiOutput> openVirtualOutput(const std::string& port, std::string& error) override;

private:
  RtMidiSystem(int api, const std::string& clientName);

  int fApi;
  std::string fClientName;
};

#endif
