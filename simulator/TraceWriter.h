// TraceWriter: the simulator's account of a run, one line per character the
// board received (time, character, key, where the device went), warnings
// where a real device would have changed or lost data, notes of what went
// over MIDI, and a summary. Writes to a stream it does not own; whoever owns
// that stream looks after failed writes.
//
// On a terminal the command shares with it, the command may have left a
// line without its end (restore's progress line, redrawn in place on
// standard error): while the command runs, each trace line first returns
// to the start of the line and clears it, so that the two never run into
// one line. The command's next redraw starts after the trace line.
#ifndef PMCKEYS_SIMULATOR_TRACEWRITER_H
#define PMCKEYS_SIMULATOR_TRACEWRITER_H

#include <ostream>
#include <string>
#include <vector>

#include "simulator/SimulatedBoard.h"

class TraceWriter {
public:
  // A pause at least this long between two keys is taken for the pause
  // before a return along the trail (the tool waits 500 ms there).
  static constexpr double RETURN_PAUSE_S = 0.4;

  // expectReturn: the command returns along the trail after its keys.
  // sharedTerminal: out is a terminal the command writes to as well.
  TraceWriter(std::ostream& out, bool expectReturn, bool sharedTerminal = false);
  // From now on nothing else writes to the terminal.
  void commandEnded() { fClearsLine = false; }

  void received(double seconds, const SimulatedBoard::Reception& reception, const MenuModel& model);
  void line(const std::string& text);
  // A line about something other than a key, indented under the keys.
  void note(const std::string& text);
  // The closing lines; memory: what the device's memory holds; status < 0
  // when there was no command.
  void summary(const MenuModel& model, const std::string& memory, int status);

private:
  void noteReturn(double seconds);
  void warnAbout(const SimulatedBoard::Reception& reception, const MenuModel& model);

  std::ostream& fOut;
  bool fExpectReturn;
  bool fClearsLine;
  bool fReturning = false;
  bool fReturnWarned = false;
  double fLast = -1;
  int fKeys = 0;
  std::string fBytes;
  std::string fLastPlace = MenuModel::PERFORMANCE_MODE;
  std::vector<std::string> fCarriedOut;  // the operations, in order
};

#endif
