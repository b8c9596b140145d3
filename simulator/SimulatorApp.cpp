#include "simulator/SimulatorApp.h"

#include <signal.h>
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
#include "process/OutputWatch.h"
#include "process/ChildCommand.h"
#include "process/StopRequest.h"
#include "simulator/DeviceMemory.h"
#include "simulator/PseudoTerminal.h"
#include "simulator/SimulatedBoard.h"
#include "simulator/SimulatedMidi.h"
#include "simulator/SimulatorOptions.h"
#include "simulator/TraceWriter.h"

namespace {

// The last SIGINT, SIGTERM or SIGHUP not yet acted on, or 0, and who sent it. The
// terminal sends Ctrl-C to the whole foreground process group, and a
// command may pass a SIGINT on to its group itself (libedit does): then the
// command has it already and must not get it twice (a console would take
// the second as another Ctrl-C).
volatile sig_atomic_t gSignal = 0;
volatile sig_atomic_t gFromTerminal = 0;
volatile sig_atomic_t gSender = 0;

void onSignal(int signal, siginfo_t* info, void*) {
  gSignal = signal;
  gSender = info != nullptr ? info->si_pid : 0;
#ifdef SI_KERNEL
  gFromTerminal = info != nullptr && info->si_code == SI_KERNEL;
#endif
}

// The command, with what it finds the device by in its environment.
pid_t startCommand(const std::vector<std::string>& command, const std::string& path, const SimulatedMidi& midi) {
  ChildCommand child;
  child.argv = command;
  child.env = {{"PMCKEYS_DEVICE", path}};
  if (midi.on()) {
    child.env.insert(child.env.end(), {{"PMCKEYS_MIDI_IN", midi.outName()}, {"PMCKEYS_MIDI_OUT", midi.inName()}});
  }
  const pid_t pid = child.start("pmckeys-sim");
  if (pid == -1) throw std::runtime_error("cannot start <" + command[0] + ">: " + strerror(errno));
  return pid;
}

bool expectsReturn(const std::vector<std::string>& command) {
  if (command.size() < 2) return false;
  std::string first = command[1];
  Conversions::toUpper(first);
  return first == "R" || first == "RD" || first == "PMCCHANNEL";
}

int exitStatusOf(int wstatus) { return WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus); }

// The simulated device: the board with its menu model, the memory, and the
// MIDI ports the memory goes out and comes in by.
struct Device {
  Device(PseudoTerminal& line, const SimulatorOptions& options)
      : board(line, options.fault, options.faultAfter), memory(options.dumpSize), midi(options.fault) {
    board.playReset();  // as the first open after power-up finds it
  }
  SimulatedBoard board;
  DeviceMemory memory;
  SimulatedMidi midi;
};

// What the device does with its memory when an operation is carried out.
void carryOut(const MenuModel::Move& move, Device& device, TraceWriter& trace) {
  if (move.performed.empty()) return;
  if (move.place == "MIDIDATADUMPCOMPLETE") trace.note(device.midi.startDump(device.memory.dump()));
  if (move.place == "RESETCOMPLETE") device.memory.factoryReset();
}

// Serves a key, if one comes within mostMs, and the MIDI that is due;
// false when no key came.
bool serveOne(Device& device, int mostMs, TraceWriter& trace, std::chrono::steady_clock::time_point start) {
  SimulatedBoard::Reception reception;
  const bool key = device.board.serveOne(device.midi.waitMs(mostMs), reception);
  if (key && reception.lost) {
    trace.note(SimulatedBoard::lostNote(reception));
  } else if (key) {
    trace.received(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), reception,
                   device.board.model());
    const std::string stopped = device.midi.keyArrived(device.board.model());
    if (!stopped.empty()) trace.note(stopped);
    carryOut(reception.move, device, trace);
  }
  for (const std::string& text : device.midi.pump(device.memory)) trace.note(text);
  return key;
}

void announce(const std::string& path, const SimulatedMidi& midi, const std::string& midiOff, TraceWriter& trace) {
  trace.line("pmckeys-sim: simulated board on " + path);
  trace.line("  in another terminal: PMCKEYS_DEVICE=" + path + " pmckeys rd editbank enter");
  if (midi.on()) {
    trace.line("  the device's MIDI: PMCKEYS_MIDI_IN='" + midi.outName() + "' PMCKEYS_MIDI_OUT='" + midi.inName() +
               "' pmckeys backup FILE");
  } else {
    trace.line(midiOff);
  }
  trace.line("  stop with Ctrl-C");
}

// where: what out writes to, for the message when a write fails. A failed
// write stops nothing: the command runs on and the failure is told at the end.
int serve(const SimulatorOptions& options, std::ostream& out, const std::string& where) {
  OutputWatch watch(out, where);
  PseudoTerminal line;
  Device device(line, options);
  const bool withCommand = !options.command.empty();
  TraceWriter trace(out, withCommand && expectsReturn(options.command),
                    withCommand && &out == &std::cout && isatty(STDOUT_FILENO) == 1);
  const Result<> midi = device.midi.open();
  const std::string midiOff = midi ? "" : "pmckeys-sim: MIDI is off (no dump goes out or comes in): " + midi.error();
  const auto start = std::chrono::steady_clock::now();
  pid_t child = -1;
  if (options.command.empty()) {
    announce(line.slavePath(), device.midi, midiOff, trace);
  } else {
    if (!device.midi.on()) trace.line(midiOff);
    child = startCommand(options.command, line.slavePath(), device.midi);
  }
  int status = -1;
  while (status < 0) {
    serveOne(device, 20, trace, start);
    const int caught = gSignal;
    gSignal = 0;
    if (caught != 0 && child == -1) status = 128 + caught;
    // Passed on, the command ends (or not) as it would without us in between.
    const bool hasIt = gFromTerminal != 0 || (caught == SIGINT && gSender == child);
    if (caught != 0 && child != -1 && !hasIt) kill(child, caught);
    int wstatus = 0;
    if (child != -1 && waitpid(child, &wstatus, WNOHANG) == child) {
      status = exitStatusOf(wstatus);
      trace.commandEnded();
      while (serveOne(device, 0, trace, start)) {
      }
    }
  }
  trace.summary(device.board.model(), device.memory.describe(), child == -1 ? -1 : status);
  return watch.finish("pmckeys-sim") ? status : 1;
}

}  // namespace

int runSimulator(int argc, char** argv) {
  StopRequest::noteIgnoredAtStart();
  signal(SIGPIPE, SIG_IGN);  // a write to a closed pipe is a failed write like any other
  SimulatorOptions options;
  if (const std::optional<int> status = parseSimulatorOptions(argc, argv, options)) return *status;
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_sigaction = onSignal;
  action.sa_flags = SA_SIGINFO;
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
    if (!StopRequest::ignoredAtStart(signal)) sigaction(signal, &action, nullptr);  // nohup stays nohup
  }
  try {
    if (options.traceFile.empty()) return serve(options, std::cout, "standard output");
    std::ofstream file(options.traceFile);
    if (!file) {
      std::cerr << "pmckeys-sim: cannot write to the trace file <" << options.traceFile << ">: " << strerror(errno)
                << std::endl;
      return 1;
    }
    return serve(options, file, "the trace file <" + options.traceFile + ">");
  } catch (const std::exception& e) {
    std::cerr << "pmckeys-sim: " << e.what() << std::endl;
    return 1;
  }
}
