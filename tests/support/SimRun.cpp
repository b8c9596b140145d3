#include "tests/support/SimRun.h"

#include <cstdio>
#include <sstream>

SimRun runUnderSim(const std::vector<std::string>& pmckeysArgs, const std::vector<std::string>& simOptions,
                   const char* input, const char* shell) {
  const std::string traceFile = scratchFile();
  std::vector<std::string> args(simOptions);
  args.insert(args.end(), {"--trace", traceFile, "--"});
  if (shell != nullptr) args.insert(args.end(), {"/bin/sh", "-c", shell, "sh"});
  args.push_back(PMCKEYS_BINARY);
  args.insert(args.end(), pmckeysArgs.begin(), pmckeysArgs.end());
  ProcessOptions options;
  options.input = input;
  SimRun run;
  run.process = runProcess(PMCKEYS_SIM_BINARY, args, options);
  run.trace = takeFile(traceFile);
  std::istringstream in(run.trace);
  const std::string received = "received:";
  for (std::string line; std::getline(in, line);) {
    double seconds = 0;
    char quote = 0;
    if (std::sscanf(line.c_str(), " %lf s  %c", &seconds, &quote) == 2) run.times.push_back(seconds);
    if (line.find("!!") != std::string::npos || line.find("WARNING") != std::string::npos) {
      run.warnings.push_back(line.substr(line.find_first_not_of(' ')));
    }
    const std::size_t at = line.find(received);
    if (line.compare(0, 9, "summary: ") == 0 && at != std::string::npos) {
      run.bytes = line.substr(std::min(line.size(), at + received.size() + 1));
    }
  }
  return run;
}
