#include "simulator/SimulatorOptions.h"

#include <iostream>

#include "process/OutputWatch.h"

namespace {

const int MAX_FAULT_AFTER = 1000000;

const char* const kUsage =
    "usage: pmckeys-sim [--trace FILE] [--fault FAULT] [--fault-after N] [--dump-size BYTES]\n"
    "                   [-- COMMAND [ARG...]]\n"
    "  with a command: run it with PMCKEYS_DEVICE set to a simulated board (and PMCKEYS_MIDI_IN,\n"
    "  PMCKEYS_MIDI_OUT to the device's MIDI ports) and trace every key;\n"
    "  without one: serve the simulated board until interrupted (Ctrl-C).\n";

const std::vector<SimulatorOption> kOptions = {
    {"--trace", nullptr, "FILE", "write the trace to FILE instead of standard output"},
    {"--fault", nullptr, "FAULT", "make the simulated device misbehave:"},
    {"--fault-after", nullptr, "N", "keys answered properly before a board fault (0 to 1000000; default 0)"},
    {"--dump-size", nullptr, "BYTES", "size of the device's MIDI data dump (11 to 1048576; default 4096)"},
    {"--help", "-h", nullptr, "show this help"},
};

const std::vector<FaultName> kFaults = {
    {"silent", SimulatedBoard::Fault::Silent, "answer no key"},
    {"overlong", SimulatedBoard::Fault::Overlong, "answer a line too long for pmckeys (300 bytes, no line end)"},
    {"hangup", SimulatedBoard::Fault::HangUp, "hang up the line"},
    {"noready", SimulatedBoard::Fault::NoReady, "ignore the probe, as a firmware without it: pmckeys waits 2 s"},
    {"nodump", SimulatedBoard::Fault::NoDump, "send no MIDI data dump"},
    {"cutdump", SimulatedBoard::Fault::CutDump, "stop the first dump inside a message"},
    {"flipdump", SimulatedBoard::Fault::FlipDump, "change one byte of the first dump"},
    {"slowdump", SimulatedBoard::Fault::SlowDump,
     "start each dump with messages of 21 and 6,000 bytes; stop sending at a key"},
    {"pausedump", SimulatedBoard::Fault::PauseDump, "pause 1.6 s before the last message of each dump"},
    {"chatterdump", SimulatedBoard::Fault::ChatterDump,
     "mix program changes and notes into each dump, and send one on the way back"},
    {"droprestore", SimulatedBoard::Fault::DropRestore, "lose the second message that comes in (a restore is cut)"},
};

// A whole decimal number from least to most, and nothing else; -1 when not.
long parseCount(const std::string& text, long least, long most) {
  long value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9' || value > most) return -1;
    value = value * 10 + (c - '0');
  }
  return text.empty() || value < least || value > most ? -1 : value;
}

std::optional<int> badCount(const std::string& name, long least, long most, const std::string& value) {
  return usageError(name + " takes a whole number from " + std::to_string(least) + " to " + std::to_string(most) +
                    ", not <" + value + ">");
}

std::optional<int> showHelp() {
  OutputWatch out(std::cout, "standard output");
  writeSimulatorHelp(std::cout);
  return out.finish("pmckeys-sim") ? 0 : 1;
}

std::optional<int> apply(const std::string& name, const std::string& value, SimulatorOptions& options) {
  if (name == "--trace") {
    options.traceFile = value;
  } else if (name == "--fault-after") {
    options.faultAfter = static_cast<int>(parseCount(value, 0, MAX_FAULT_AFTER));
    if (options.faultAfter < 0) return badCount(name, 0, MAX_FAULT_AFTER, value);
  } else if (name == "--dump-size") {
    const long least = DeviceMemory::SMALLEST_DUMP, most = DeviceMemory::LARGEST_DUMP;
    const long size = parseCount(value, least, most);
    if (size < 0) return badCount(name, least, most, value);
    options.dumpSize = static_cast<std::size_t>(size);
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

// "a FILE", "a FAULT"; a count or a plural goes without: "N", "BYTES".
std::string withArticle(const std::string& value) {
  return value.size() > 1 && value.back() != 'S' ? "a " + value : value;
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
    if (option == nullptr) return usageError("unknown option <" + arg + ">");
    if (option->value != nullptr && i + 1 == argc) return usageError(arg + " needs " + withArticle(option->value));
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
  out << "\nThe device's MIDI OUT and IN are the ports \"pmckeys-sim PID out\" and \"pmckeys-sim PID in\" on the\n"
         "MIDI system PMCKEYS_MIDI_API names; without one, the trace says that MIDI is off.\n"
         "\nThe first open finds the board just reset: for "
      << SimulatedBoard::RESET_MS / 1000.0
      << " s from the moment the client sets the line\n"
         "(or sends its first byte) its bootloader takes every byte and answers none; then the board\n"
         "answers pmckeys' probe ? with the line ready.\n"
         "\nExit status: the command's own (128 + N when signal N ended it); serving alone, 128 + N of the\n"
         "signal that stopped it (130 for Ctrl-C); 1 when the trace cannot be written or the command\n"
         "cannot be started; 2 for a usage error.\n"
         "\nExamples: pmckeys-sim -- pmckeys rd editbank enter\n"
         "          PMCKEYS_MIDI_API=jack pmckeys-sim -- pmckeys backup patches.syx\n"
         "See also: pmckeys --help, man pmckeys-sim.\n";
}
