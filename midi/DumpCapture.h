// DumpCapture: takes one data dump off a MIDI input: every message that
// comes until the input has been quiet for as long as QuietWait says, real-
// time bytes (clock, start, stop, active sensing...) left out, joined into
// one byte string as a .syx file holds it. Progress shows on a terminal.
// Borrows the input; checks nothing of what arrives (SysexData does).
#ifndef PMCKEYS_MIDI_DUMPCAPTURE_H
#define PMCKEYS_MIDI_DUMPCAPTURE_H

#include <string>

#include "midi/MidiSystem.h"

class DumpCapture {
public:
  DumpCapture(MidiInput& input, const std::string& progressLabel);

  // Drops whatever came before: the tail of an earlier dump, stray messages.
  void discardPending();
  // Waits for the dump and returns its bytes; empty when none came.
  MidiBytes take();

private:
  MidiInput& fInput;
  std::string fLabel;
};

#endif
