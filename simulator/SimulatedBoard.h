// SimulatedBoard: the board's side of the serial protocol, played on the
// master end of a pseudo-terminal. For each key character it receives it
// holds the key, releases it and answers REPLY, as the board's firmware
// does, and feeds the key into a MenuModel. Any other byte is ignored without
// an answer.
//
// For tests of the tool's error handling it can also misbehave: stay
// silent, answer a line too long for the tool, or hang up the line. The
// dump faults (no dump, a dump cut short, a byte changed, a long message
// that a key cuts off, a pause, other MIDI between the messages) are the
// MIDI side's (SimulatedMidi); the board answers as usual with them.
#ifndef PMCKEYS_SIMULATOR_SIMULATEDBOARD_H
#define PMCKEYS_SIMULATOR_SIMULATEDBOARD_H

#include <string>

#include "commandmodel/MenuModel.h"

class PseudoTerminal;

class SimulatedBoard {
public:
  static const int HOLD_MS = 15;     // how long a key is held down
  static const int RELEASE_MS = 15;  // pause after releasing it, before the reply

  // Holds no key character, so a line that echoes it back presses nothing.
  static constexpr const char* REPLY = "ok\n";

  enum class Fault { None, Silent, Overlong, HangUp, NoDump, CutDump, FlipDump, SlowDump, PauseDump, ChatterDump };

  // One character received.
  struct Reception {
    unsigned char character = 0;
    int keyCode = 0;       // 0 for a character that names no key
    std::string keyName;   // "MENU/NEXT", or "" when keyCode is 0
    MenuModel::Move move;  // what the key did to the device
  };

  // faultAfter: how many keys are answered properly before the fault.
  explicit SimulatedBoard(PseudoTerminal& line, Fault fault = Fault::None, int faultAfter = 0);

  // Waits up to timeoutMs for a character and answers it. False when none came
  // (or the line is hung up).
  bool serveOne(int timeoutMs, Reception& reception);
  const MenuModel& model() const { return fModel; }
  // The key code of a board character, or 0.
  static int keyCodeOf(unsigned char character);

private:
  void reply();

  PseudoTerminal& fLine;
  Fault fFault;
  int fFaultAfter;
  int fServed = 0;
  MenuModel fModel;
};

#endif
