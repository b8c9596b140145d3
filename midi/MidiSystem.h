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
#include <cstdint>
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

// An open output. send() hands one message, or one piece of a System
// Exclusive message, to the MIDI system, which delivers it on its own time;
// the destructor lets what was sent leave first.
class MidiOutput : public MidiEnd {
public:
  virtual Result<> send(const MidiBytes& bytes) = 0;
  // The longest piece of a System Exclusive message the output takes at a
  // time, or 0 when it takes whole messages only. The ALSA sequencer hands
  // an event to the port's driver whole, and a driver takes no more than
  // its buffer holds (4 KiB for a hardware port): a long message given at
  // once loses its tail. On JACK an event is by convention a whole message.
  virtual std::size_t pieceSize() const { return 0; }
};

// What a MIDI system that runs in process cycles (JACK) says of them: how
// many it ran, how many it missed (xruns: data may have been lost on any
// connection), and how long ago it ran the last. A system without cycles
// counts nothing.
struct MidiCycles {
  // A server that ran no cycle for so long has stopped taking data (it is
  // frozen, or hangs).
  static constexpr int STALLED_MS = 5000;
  bool counted = false;
  std::uint64_t run = 0;
  std::uint64_t missed = 0;
  int quietMs = 0;
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
  // A system on this computer whose output carries longer messages whole
  // ("ALSA", which takes them in pieces), or "" when there is none.
  virtual std::string longerCarrier() const = 0;
  // Full names of the ports that exist, this program's own left out:
  // Direction::In lists the ports one can receive from, Direction::Out
  // those one can send to. A failure when the system cannot be asked.
  virtual Result<std::vector<std::string>> ports(Direction direction) = 0;
  // The cycles so far; counting begins at the first call.
  virtual MidiCycles cycles() { return {}; }
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
