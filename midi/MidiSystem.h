// MidiSystem: the computer's MIDI system (ALSA sequencer, JACK or CoreMIDI)
// as pmckeys and pmckeys-sim use it: list the ports, open one by its full
// name or open a virtual port of one's own, and move whole MIDI messages.
//
// These are interfaces only: the implementation on RtMidi lives in the MIDI
// module (RtMidiSystem), which pmckeys loads at run time and pmckeys-sim
// links. Nothing here throws, so the objects may cross the module boundary:
// a failure is a Result with one line of text.
// The caller owns what the open functions return and destroys it before
// the system.
#ifndef PMCKEYS_MIDI_MIDISYSTEM_H
#define PMCKEYS_MIDI_MIDISYSTEM_H

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "midi/Result.h"

using MidiBytes = std::vector<unsigned char>;

// What became of the port an input or output was opened on, as far as the
// MIDI system tells. SystemGone: the JACK server stopped (the only MIDI
// system that can go away under a running program).
enum class MidiPortState { Present, PortGone, SystemGone };

// Both ends: a port of another program may go away while it is in use,
// without a word from the MIDI system to the data flow (a send to it still
// succeeds, an input just stays quiet). portState() asks, cheaply enough to
// be asked after every message. An end that cannot tell says Present.
class MidiEnd {
public:
  virtual ~MidiEnd() = default;
  virtual MidiPortState portState() { return MidiPortState::Present; }
};

// An open input. System Exclusive messages are kept, MIDI clock and active
// sensing dropped; a message is handed over only when it is whole.
class MidiInput : public MidiEnd {
public:
  // Waits up to timeoutMs (0: not at all) for the next message; true when
  // one was taken into `message`.
  virtual bool receive(MidiBytes& message, int timeoutMs) = 0;
};

// An open output. send() hands one message to the MIDI system, which
// delivers it on its own time; the destructor lets what was sent leave first.
class MidiOutput : public MidiEnd {
public:
  virtual Result<> send(const MidiBytes& message) = 0;
};

class MidiSystem {
public:
  enum class Direction { In, Out };

  virtual ~MidiSystem() = default;
  // "ALSA", "JACK" or "CoreMIDI".
  virtual std::string name() const = 0;
  // The longest message an output carries whole (RtMidi's JACK output
  // drops longer ones without a word), or 0 for no limit.
  virtual std::size_t longestMessage() const = 0;
  // Full names of the ports that exist: Direction::In lists the ports one
  // can receive from, Direction::Out those one can send to.
  virtual std::vector<std::string> ports(Direction direction) = 0;
  virtual Result<std::unique_ptr<MidiInput>> openInput(const std::string& port) = 0;
  virtual Result<std::unique_ptr<MidiOutput>> openOutput(const std::string& port) = 0;
  // A port of this program's own that other programs see: they send to a
  // virtual input and receive from a virtual output. Its full name is the
  // client name, a blank and `port`, a colon, and `port` again (on JACK
  // "pmckeys-sim 1234 out:out"; ALSA adds "128:0").
  virtual Result<std::unique_ptr<MidiInput>> openVirtualInput(const std::string& port) = 0;
  virtual Result<std::unique_ptr<MidiOutput>> openVirtualOutput(const std::string& port) = 0;
};

#endif
