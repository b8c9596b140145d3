// AlsaOutput: a MidiOutput straight on the ALSA sequencer, which restore
// uses on Linux. RtMidi's ALSA output encodes each call as one complete
// message, so it cannot hand a System Exclusive message over in pieces;
// this one sends each piece as a System Exclusive event of its own, which
// the port's driver passes on as bytes, so that a long message never meets
// a full driver buffer at once. It carries System Exclusive only (all that
// restore sends).
//
// The output is a sequencer client of its own with one port, connected to
// the port it is opened on; it owns both and closes them when it goes.
#ifndef PMCKEYS_MIDI_ALSAOUTPUT_H
#define PMCKEYS_MIDI_ALSAOUTPUT_H

#include <cstddef>
#include <memory>
#include <string>

#include "midi/MidiSystem.h"

class AlsaOutput {
public:
  // The longest piece handed over at a time: 82 ms on the cable, so that
  // the driver's buffer never holds more than a few of them.
  static constexpr std::size_t PIECE = 256;

  // port: the full name as the port list gives it, which ends in the
  // port's address ("UM-ONE:UM-ONE MIDI 1 24:0").
  static Result<std::unique_ptr<MidiOutput>> open(const std::string& clientName, const std::string& port);
};

#endif
