// Runs a pmckeys command under pmckeys-sim, the simulated board, and reads back the trace: the characters
// the board received with their times, and the summary lines.
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
  std::string memory;              // what "summary: the memory holds"
  std::vector<std::string> warnings;  // trace lines with "!!" or "WARNING"
};

// Fills the other fields from run.trace.
void parseTrace(SimRun& run);
// The run a trace file shows so far.
SimRun readTrace(const std::string& file);

// What the simulated device's memory holds, as the summary says it.
const char* const kUserMemory = "the user's patches, banks and sets (dump CRC-32 6d3e3e28)";
const char* const kFactoryMemory = "the factory presets: every patch the user made is gone (dump CRC-32 0145f66c)";
const char* const kRestoredMemory = "the user's patches, banks and sets, restored from a dump (dump CRC-32 6d3e3e28)";

// simOptions: of pmckeys-sim, before "--". shell: a sh command line that runs "$@" (pmckeys and its
// arguments) in its place. env: variables set for both.
SimRun runUnderSim(const std::vector<std::string>& pmckeysArgs, const std::vector<std::string>& simOptions = {},
                   const char* input = nullptr, const char* shell = nullptr,
                   const std::map<std::string, std::string>& env = {});

#endif
