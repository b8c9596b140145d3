#include "simulator/SimulatorApp.h"

#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "frontend/Conversions.h"
#include "simulator/PseudoTerminal.h"
#include "simulator/SimulatedBoard.h"
#include "simulator/TraceWriter.h"

namespace {

const char* const kUsage =
    "usage: pmckeys-sim [--trace FILE] [--fault silent|overlong|hangup] [--fault-after N] [-- COMMAND [ARG...]]\n"
    "  with a command: run it with PMCKEYS_DEVICE set to a simulated board and trace every key;\n"
    "  without one: serve the simulated board until interrupted (Ctrl-C).\n";

const int MAX_FAULT_AFTER = 1000000;

struct Options {
  std::string traceFile;
  SimulatedBoard::Fault fault = SimulatedBoard::Fault::None;
  int faultAfter = 0;
  std::vector<std::string> command;
};

// The last SIGINT or SIGTERM not yet acted on, or 0.
volatile sig_atomic_t gSignal = 0;

void onSignal(int signal) { gSignal = signal; }

int usageError(const std::string& message) {
  std::cerr << "pmckeys-sim: " << message << std::endl << kUsage;
  return 2;
}

// where: "standard output" or the trace file; error: errno of the failed write.
int writeFailure(const std::string& where, int error) {
  std::cerr << "pmckeys-sim: cannot write to " << where << ": " << strerror(error != 0 ? error : EIO) << std::endl;
  return 1;
}

// A whole decimal number from 0 to MAX_FAULT_AFTER, and nothing else; -1 when not.
int parseCount(const std::string& text) {
  int value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9' || value > MAX_FAULT_AFTER) return -1;
    value = value * 10 + (c - '0');
  }
  return text.empty() || value > MAX_FAULT_AFTER ? -1 : value;
}

// Fills options; returns -1 when they are good, else the exit status.
int parse(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--") {
      options.command.assign(argv + i + 1, argv + argc);
      return options.command.empty() ? usageError("no command after --") : -1;
    } else if (arg == "-h" || arg == "--help") {
      errno = 0;
      std::cout << kUsage << std::flush;
      return std::cout ? 0 : writeFailure("standard output", errno);
    } else if (arg == "--trace" && hasValue) {
      options.traceFile = argv[++i];
    } else if (arg == "--fault-after" && hasValue) {
      options.faultAfter = parseCount(argv[++i]);
      if (options.faultAfter < 0) {
        return usageError("--fault-after takes a whole number from 0 to " + std::to_string(MAX_FAULT_AFTER) +
                          ", not <" + argv[i] + ">");
      }
    } else if (arg == "--fault" && hasValue) {
      const std::string fault = argv[++i];
      if (fault == "silent") options.fault = SimulatedBoard::Fault::Silent;
      else if (fault == "overlong") options.fault = SimulatedBoard::Fault::Overlong;
      else if (fault == "hangup") options.fault = SimulatedBoard::Fault::HangUp;
      else return usageError("unknown fault <" + fault + ">");
    } else {
      return usageError("unknown option <" + arg + ">");
    }
  }
  return -1;
}

pid_t startCommand(const std::vector<std::string>& command, const std::string& device) {
  const pid_t pid = fork();
  if (pid == -1) throw std::runtime_error("cannot start <" + command[0] + ">: " + strerror(errno));
  if (pid != 0) return pid;
  signal(SIGPIPE, SIG_DFL);  // ignored here only
  setenv("PMCKEYS_DEVICE", device.c_str(), 1);
  std::vector<char*> argv;
  argv.reserve(command.size() + 1);
  std::vector<std::string> copies(command);
  for (std::string& arg : copies) argv.push_back(&arg[0]);
  argv.push_back(nullptr);
  execvp(argv[0], argv.data());
  std::cerr << "pmckeys-sim: cannot run <" << command[0] << ">: " << strerror(errno) << std::endl;
  _exit(127);
}

bool expectsReturn(const std::vector<std::string>& command) {
  if (command.size() < 2) return false;
  std::string first = command[1];
  Conversions::toUpper(first);
  return first == "R" || first == "RD" || first == "PMCCHANNEL";
}

int exitStatusOf(int wstatus) { return WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus); }

// where: what out writes to, for the message when a write fails.
int serve(const Options& options, std::ostream& out, const std::string& where) {
  PseudoTerminal line;
  SimulatedBoard board(line, options.fault, options.faultAfter);
  TraceWriter trace(out, !options.command.empty() && expectsReturn(options.command));
  const auto start = std::chrono::steady_clock::now();
  const auto elapsed = [&] { return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(); };
  pid_t child = -1;
  if (options.command.empty()) {
    trace.line("pmckeys-sim: simulated board on " + line.slavePath());
    trace.line("  in another terminal: PMCKEYS_DEVICE=" + line.slavePath() + " pmckeys rd editbank enter");
    trace.line("  stop with Ctrl-C");
  } else {
    child = startCommand(options.command, line.slavePath());
  }
  int status = -1;
  SimulatedBoard::Reception reception;
  while (status < 0) {
    if (board.serveOne(20, reception)) trace.received(elapsed(), reception, board.model());
    const int caught = gSignal;
    gSignal = 0;
    if (caught != 0 && child == -1) status = 128 + caught;
    // Passed on, the command ends (or not) as it would without us in between.
    if (caught != 0 && child != -1) kill(child, caught);
    int wstatus = 0;
    if (child != -1 && waitpid(child, &wstatus, WNOHANG) == child) {
      status = exitStatusOf(wstatus);
      while (board.serveOne(0, reception)) trace.received(elapsed(), reception, board.model());
    }
  }
  trace.summary(board.model(), child == -1 ? -1 : status);
  return trace.error() != 0 ? writeFailure(where, trace.error()) : status;
}

}  // namespace

int runSimulator(int argc, char** argv) {
  signal(SIGPIPE, SIG_IGN);  // a write to a closed pipe is a failed write like any other
  Options options;
  const int bad = parse(argc, argv, options);
  if (bad >= 0) return bad;
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_handler = onSignal;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  try {
    if (options.traceFile.empty()) return serve(options, std::cout, "standard output");
    std::ofstream file(options.traceFile);
    if (!file) return usageError("cannot write the trace file <" + options.traceFile + ">");
    return serve(options, file, "the trace file <" + options.traceFile + ">");
  } catch (const std::exception& e) {
    std::cerr << "pmckeys-sim: " << e.what() << std::endl;
    return 1;
  }
}
