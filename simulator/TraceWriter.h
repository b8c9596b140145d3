// TraceWriter: the simulator's account of a run, one line per character the
// board received (time, character, key, where the device went), warnings
// where a real device would have changed or lost data, notes of what went
// over MIDI, and a summary. Writes to a stream it does not own; whoever owns
// that stream looks after failed writes.
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
  TraceWriter(std::ostream& out, bool expectReturn);

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
  bool fReturning = false;
  bool fReturnWarned = false;
  double fLast = -1;
  int fKeys = 0;
  std::string fBytes;
  std::string fLastPlace = MenuModel::PERFORMANCE_MODE;
  std::vector<std::string> fCarriedOut;  // the operations, in order
};

#endif
