#include "simulator/SimulatorApp.h"

#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <iostream>
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

struct Options {
  std::string traceFile;
  SimulatedBoard::Fault fault = SimulatedBoard::Fault::None;
  int faultAfter = 0;
  std::vector<std::string> command;
};

volatile sig_atomic_t gStop = 0;

void onSignal(int) { gStop = 1; }

int usageError(const std::string& message) {
  std::cerr << "pmckeys-sim: " << message << std::endl << kUsage;
  return 2;
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
      std::cout << kUsage;
      return 0;
    } else if (arg == "--trace" && hasValue) {
      options.traceFile = argv[++i];
    } else if (arg == "--fault-after" && hasValue) {
      options.faultAfter = Conversions::str2int(argv[++i]);
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
  if (pid != 0) return pid;
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

int serve(const Options& options, std::ostream& out) {
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
  while (!gStop) {
    if (board.serveOne(20, reception)) {
      trace.received(elapsed(), reception, board.model());
      continue;
    }
    int wstatus = 0;
    if (child > 0 && waitpid(child, &wstatus, WNOHANG) == child) {
      status = exitStatusOf(wstatus);
      while (board.serveOne(0, reception)) trace.received(elapsed(), reception, board.model());
      break;
    }
  }
  trace.summary(board.model(), status);
  return status < 0 ? 0 : status;
}

}  // namespace

int runSimulator(int argc, char** argv) {
  Options options;
  const int bad = parse(argc, argv, options);
  if (bad >= 0) return bad;
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_handler = onSignal;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  try {
    if (options.traceFile.empty()) return serve(options, std::cout);
    std::ofstream file(options.traceFile);
    if (!file) return usageError("cannot write the trace file <" + options.traceFile + ">");
    return serve(options, file);
  } catch (const std::exception& e) {
    std::cerr << "pmckeys-sim: " << e.what() << std::endl;
    return 1;
  }
}
