// CablePace: one System Exclusive message handed to a MIDI output no faster
// than a MIDI cable carries it (31,250 bits a second, ten bits a byte: 0.32
// ms a byte). An output that takes pieces (ALSA) gets the message in pieces
// of its size, each when the cable has carried the one before; one that
// takes whole messages only (JACK) gets it at once. Either way send()
// returns when the cable has carried the last byte: the earliest moment
// the whole message can have arrived.
//
// A message on its way is never cut in the middle, so a stop that a signal
// asks for waits for its end. Only `halted` ends the wait early: it is
// asked at least every CHECK_MS and says why the MIDI system takes no more
// data ("" while it does). Borrows the output; keeps nothing.
#ifndef PMCKEYS_MIDI_CABLEPACE_H
#define PMCKEYS_MIDI_CABLEPACE_H

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>

#include "midi/MidiSystem.h"

class CablePace {
public:
  using Clock = std::chrono::steady_clock;
  using Halted = std::function<std::string()>;
  static constexpr int CHECK_MS = 50;

  // How long `bytes` take on a MIDI cable.
  static std::chrono::microseconds wireTime(std::size_t bytes);
  static Result<> send(MidiOutput& output, const MidiBytes& message, const Halted& halted);
  // Waits until `until`, asking `halted` on the way; its answer, or Done.
  static Result<> waitUntil(Clock::time_point until, const Halted& halted);
  // Waits until `done` says so, asking `halted` on the way.
  static Result<> waitFor(const std::function<bool()>& done, const Halted& halted);
};

#endif
