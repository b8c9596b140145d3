// DumpCapture: takes one data dump off a MIDI input: every message that
// comes until the input has been quiet for as long as QuietWait says, joined
// into one byte string as a .syx file holds it. Only System Exclusive belongs
// to a dump: real-time bytes (clock, start, stop, active sensing...) are left
// out wherever they stand, and channel and system common messages (a pedal's
// program change, a merged keyboard's notes) are left out and counted; only
// what is kept restarts the wait. Progress shows on a terminal.
//
// Every wait ends within STOP_CHECK_MS once `stopped` says so (a signal asked
// pmckeys to stop). Borrows the input; checks nothing of what is kept
// (SysexData does).
#ifndef PMCKEYS_MIDI_DUMPCAPTURE_H
#define PMCKEYS_MIDI_DUMPCAPTURE_H

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>

#include "midi/MidiSystem.h"

class DumpCapture {
public:
  static constexpr int STOP_CHECK_MS = 100;

  // quietMs: the quiet time after the last message (QuietWait).
  DumpCapture(MidiInput& input, const std::string& progressLabel, int quietMs,
              std::function<bool()> stopped = [] { return false; });

  // Drops whatever came before: the tail of an earlier dump, stray
  // messages. True when a System Exclusive message was among them.
  bool discardPending();
  // Waits for the dump and returns its bytes; empty when none came.
  MidiBytes take();
  // How many channel and system common messages take() left out.
  std::size_t otherMessages() const { return fOthers; }
  // After take(): true when a message that belongs to a dump comes within
  // ms (or came since take() ended): the dump was not over.
  bool moreWithin(int ms);

private:
  using Clock = std::chrono::steady_clock;
  // The next message that belongs to a dump, if one comes before `until`
  // and no stop is asked for; the others are counted and dropped.
  bool next(MidiBytes& message, Clock::time_point until);

  MidiInput& fInput;
  std::string fLabel;
  int fQuietMs;
  std::function<bool()> fStopped;
  std::size_t fOthers = 0;
};

#endif
