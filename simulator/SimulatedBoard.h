// SimulatedBoard: the board's side of the serial protocol, played on the
// master end of a pseudo-terminal. For each key character it receives it
// holds the key, releases it and answers REPLY, as the board's firmware
// does, and feeds the key into a MenuModel. The probe is answered READY_REPLY
// at once; any other byte is ignored without an answer.
//
// playReset() makes it the board the first open after power-up finds: the
// open resets it, and for RESET_MS it is in its bootloader, which takes
// every byte and answers none. A pseudo-terminal does not tell its master
// when the other end is opened, so the open is taken to be when the client
// changes the line settings (as pmckeys does right after opening the line),
// or, for a client that sets none, its first byte.
//
// For tests of the tool's error handling it can also misbehave: stay
// silent, answer a line too long for the tool, hang up the line, or, as a
// firmware without the probe, ignore the probe. The dump faults (no dump, a
// dump cut short, a byte changed, a long message that a key cuts off, a
// pause, other MIDI between the messages) are the MIDI side's
// (SimulatedMidi); the board answers as usual with them.
#ifndef PMCKEYS_SIMULATOR_SIMULATEDBOARD_H
#define PMCKEYS_SIMULATOR_SIMULATEDBOARD_H

#include <chrono>
#include <string>

#include "commandmodel/MenuModel.h"

class PseudoTerminal;

class SimulatedBoard {
public:
  static constexpr int HOLD_MS = 15;     // how long a key is held down
  static constexpr int RELEASE_MS = 15;  // pause after releasing it, before the reply

  // Holds no key character, so a line that echoes it back presses nothing.
  static constexpr const char* REPLY = "ok\n";
  static constexpr const char* READY_REPLY = "ready\n";
  static constexpr int RESET_MS = 1600;  // from the reset until the firmware answers

  enum class Fault {
    None, Silent, Overlong, HangUp, NoDump, CutDump, FlipDump, SlowDump, PauseDump, ChatterDump, DropRestore, NoReady
  };

  // One character received.
  struct Reception {
    unsigned char character = 0;
    int keyCode = 0;       // 0 for a character that names no key
    std::string keyName;   // "MENU/NEXT", or "" when keyCode is 0
    MenuModel::Move move;  // what the key did to the device
    bool lost = false;     // taken by the bootloader: nothing pressed, no answer
  };

  // faultAfter: how many keys are answered properly before the fault.
  explicit SimulatedBoard(PseudoTerminal& line, Fault fault = Fault::None, int faultAfter = 0);

  void playReset() { fResetPending = true; }
  // Waits up to timeoutMs for a character other than a probe and answers it;
  // probes that come meanwhile are answered on the way. False when none came
  // (or the line is hung up).
  bool serveOne(int timeoutMs, Reception& reception);
  // The trace's note on a character the bootloader took.
  static std::string lostNote(const Reception& reception);
  const MenuModel& model() const { return fModel; }
  // The key code of a board character, or 0.
  static int keyCodeOf(unsigned char character);

private:
  bool waitForByte(std::chrono::steady_clock::time_point until, unsigned char& c);
  void noticeOpen(bool byteCame);
  void serveKey(unsigned char c, Reception& reception);
  void reply();

  PseudoTerminal& fLine;
  Fault fFault;
  int fFaultAfter;
  int fServed = 0;
  MenuModel fModel;
  bool fResetPending = false;
  std::chrono::steady_clock::time_point fUpAt;  // the end of the bootloader's time
};

#endif
