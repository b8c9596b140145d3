// Runs a pmckeys command under pmckeys-sim, the simulated board, and reads
// back the trace: the characters the board received with their times, and
// the summary lines.
#ifndef PMCKEYS_TESTS_SUPPORT_SIMRUN_H
#define PMCKEYS_TESTS_SUPPORT_SIMRUN_H

#include <string>
#include <vector>

#include "tests/support/Process.h"

struct SimRun {
  ProcessResult process;           // pmckeys-sim's, which passes the command's on
  std::string trace;               // the whole trace
  std::vector<double> times;       // when each character arrived, in seconds
  std::string bytes;               // the characters received, as hex pairs
  std::string ending;              // "summary: the device ..." line
  std::vector<std::string> warnings;  // trace lines with "!!" or "WARNING"
};

// Fills the other fields from run.trace.
void parseTrace(SimRun& run);

// simOptions: options of pmckeys-sim before "--" (such as a fault). shell:
// a sh command line that runs "$@" (pmckeys and its arguments) in its place.
SimRun runUnderSim(const std::vector<std::string>& pmckeysArgs, const std::vector<std::string>& simOptions = {},
                   const char* input = nullptr, const char* shell = nullptr);

#endif
