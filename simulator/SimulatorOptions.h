// SimulatorOptions: the pmckeys-sim command line, read from one table of
// options and one table of board faults. The same tables make the --help
// screen, the shell completions and the manual, so none of them can offer
// an option or a fault the simulator does not have.
#ifndef PMCKEYS_SIMULATOR_SIMULATOROPTIONS_H
#define PMCKEYS_SIMULATOR_SIMULATOROPTIONS_H

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "simulator/DeviceMemory.h"
#include "simulator/SimulatedBoard.h"

struct SimulatorOptions {
  std::string traceFile;
  SimulatedBoard::Fault fault = SimulatedBoard::Fault::None;
  int faultAfter = 0;
  std::size_t dumpSize = DeviceMemory::DEFAULT_DUMP;
  std::vector<std::string> command;  // empty: serve until interrupted
};

struct SimulatorOption {
  const char* name;
  const char* alias;    // another spelling, or null
  const char* value;    // what the option takes ("FILE"), or null
  const char* summary;
};

struct FaultName {
  const char* name;
  SimulatedBoard::Fault fault;
  const char* summary;
};

const std::vector<SimulatorOption>& simulatorOptions();
const std::vector<FaultName>& faultNames();

// Reads argv into options. Nothing when the simulator should go on; else
// the exit status, after the help screen (0) or a usage error (2) has been
// written.
std::optional<int> parseSimulatorOptions(int argc, char** argv, SimulatorOptions& options);

void writeSimulatorHelp(std::ostream& out);

// Writes the message and the short usage on standard error; returns 2.
int usageError(const std::string& message);

#endif
