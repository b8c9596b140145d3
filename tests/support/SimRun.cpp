#include "tests/support/SimRun.h"

#include <cstdio>
#include <sstream>

void parseTrace(SimRun& run) {
  std::istringstream in(run.trace);
  for (std::string line; std::getline(in, line);) {
    double seconds = 0;
    char quote = 0;
    if (std::sscanf(line.c_str(), " %lf s  %c", &seconds, &quote) == 2) run.times.push_back(seconds);
    if (line.find("!!") != std::string::npos || line.find("WARNING") != std::string::npos) {
      run.warnings.push_back(line.substr(line.find_first_not_of(' ')));
    }
    const std::string received = "summary: ", memory = "summary: the memory holds ";
    if (line.compare(0, received.size(), received) != 0) continue;
    const std::size_t colon = line.find("received:");
    if (line.compare(0, memory.size(), memory) == 0) {
      run.memory = line.substr(memory.size());
    } else if (colon != std::string::npos) {
      run.bytes = line.size() > colon + 10 ? line.substr(colon + 10) : "";
    } else if (line.find("the device") != std::string::npos) {
      run.ending = line;
    }
  }
}

SimRun readTrace(const std::string& file) {
  SimRun run;
  run.trace = readFile(file);
  parseTrace(run);
  return run;
}

SimRun runUnderSim(const std::vector<std::string>& pmckeysArgs, const std::vector<std::string>& simOptions,
                   const char* input, const char* shell, const std::map<std::string, std::string>& env) {
  const std::string traceFile = scratchFile();
  std::vector<std::string> args(simOptions);
  args.insert(args.end(), {"--trace", traceFile, "--"});
  if (shell != nullptr) args.insert(args.end(), {"/bin/sh", "-c", shell, "sh"});
  args.push_back(PMCKEYS_BINARY);
  args.insert(args.end(), pmckeysArgs.begin(), pmckeysArgs.end());
  ProcessOptions options;
  options.input = input;
  options.env = env;
  options.timeoutSeconds = 110;  // below ctest's 120 s: a script of dumps takes a minute
  SimRun run;
  run.process = runProcess(PMCKEYS_SIM_BINARY, args, options);
  run.trace = takeFile(traceFile);
  parseTrace(run);
  return run;
}
