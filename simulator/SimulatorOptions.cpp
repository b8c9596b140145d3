#include "simulator/SimulatorOptions.h"

#include <cerrno>
#include <cstring>
#include <iostream>

namespace {

const int MAX_FAULT_AFTER = 1000000;

const char* const kUsage =
    "usage: pmckeys-sim [--trace FILE] [--fault FAULT] [--fault-after N] [-- COMMAND [ARG...]]\n"
    "  with a command: run it with PMCKEYS_DEVICE set to a simulated board and trace every key;\n"
    "  without one: serve the simulated board until interrupted (Ctrl-C).\n";

const std::vector<SimulatorOption> kOptions = {
    {"--trace", nullptr, "FILE", "write the trace to FILE instead of standard output"},
    {"--fault", nullptr, "FAULT", "make the board misbehave after --fault-after keys:"},
    {"--fault-after", nullptr, "N", "keys answered properly before the fault (0 to 1000000; default 0)"},
    {"--help", "-h", nullptr, "show this help"},
};

const std::vector<FaultName> kFaults = {
    {"silent", SimulatedBoard::Fault::Silent, "answer nothing"},
    {"overlong", SimulatedBoard::Fault::Overlong, "answer a line too long for pmckeys"},
    {"hangup", SimulatedBoard::Fault::HangUp, "hang up the line"},
};

// A whole decimal number from 0 to MAX_FAULT_AFTER, and nothing else; -1 when not.
int parseCount(const std::string& text) {
  int value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9' || value > MAX_FAULT_AFTER) return -1;
    value = value * 10 + (c - '0');
  }
  return text.empty() || value > MAX_FAULT_AFTER ? -1 : value;
}

std::optional<int> showHelp() {
  errno = 0;
  writeSimulatorHelp(std::cout);
  std::cout << std::flush;
  if (std::cout) return 0;
  std::cerr << "pmckeys-sim: cannot write to standard output: " << strerror(errno != 0 ? errno : EIO) << std::endl;
  return 1;
}

std::optional<int> apply(const std::string& name, const std::string& value, SimulatorOptions& options) {
  if (name == "--trace") {
    options.traceFile = value;
  } else if (name == "--fault-after") {
    options.faultAfter = parseCount(value);
    if (options.faultAfter < 0) {
      return usageError("--fault-after takes a whole number from 0 to " + std::to_string(MAX_FAULT_AFTER) +
                        ", not <" + value + ">");
    }
  } else {
    const FaultName* named = nullptr;
    for (const FaultName& fault : kFaults) {
      if (value == fault.name) named = &fault;
    }
    if (named == nullptr) return usageError("unknown fault <" + value + ">");
    options.fault = named->fault;
  }
  return std::nullopt;
}

const SimulatorOption* find(const std::string& arg) {
  for (const SimulatorOption& option : kOptions) {
    if (arg == option.name || (option.alias != nullptr && arg == option.alias)) return &option;
  }
  return nullptr;
}

}  // namespace

int usageError(const std::string& message) {
  std::cerr << "pmckeys-sim: " << message << std::endl << kUsage;
  return 2;
}

const std::vector<SimulatorOption>& simulatorOptions() { return kOptions; }
const std::vector<FaultName>& faultNames() { return kFaults; }

std::optional<int> parseSimulatorOptions(int argc, char** argv, SimulatorOptions& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--") {
      options.command.assign(argv + i + 1, argv + argc);
      if (options.command.empty()) return usageError("no command after --");
      return std::nullopt;
    }
    const SimulatorOption* option = find(arg);
    if (option == nullptr || (option->value != nullptr && i + 1 == argc)) return usageError("unknown option <" + arg + ">");
    if (option->value == nullptr) return showHelp();
    if (const std::optional<int> status = apply(option->name, argv[++i], options)) return status;
  }
  return std::nullopt;
}

void writeSimulatorHelp(std::ostream& out) {
  out << "pmckeys-sim " PMCKEYS_VERSION ": a simulated board and PMC 10 for pmckeys. Try any command safely\n"
         "and see, key by key, where the device goes and what a real one would have done.\n\n"
      << kUsage << "\nOptions:\n";
  const auto column = [&out](const std::string& left, const char* summary, std::size_t width) {
    out << left << std::string(left.size() < width ? width - left.size() : 1, ' ') << summary << "\n";
  };
  for (const SimulatorOption& option : kOptions) {
    std::string left = std::string("  ") + (option.alias != nullptr ? std::string(option.alias) + ", " : "") + option.name;
    if (option.value != nullptr) left += std::string(" ") + option.value;
    column(left, option.summary, 22);
    if (std::string(option.name) != "--fault") continue;
    for (const FaultName& fault : kFaults) column(std::string("      ") + fault.name, fault.summary, 22);
  }
  out << "\nExit status: the command's own (128 + N when signal N ended it); serving alone, 128 + N of the\n"
         "signal that stopped it (130 for Ctrl-C); 1 when the trace cannot be written or the command\n"
         "cannot be started; 2 for a usage error.\n"
         "\nExample: pmckeys-sim -- pmckeys rd editbank enter\n"
         "See also: pmckeys --help, man pmckeys-sim.\n";
}
