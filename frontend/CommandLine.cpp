#include "frontend/CommandLine.h"

#include <unistd.h>

#include <exception>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "arduinoSerialPort/SerialPortBusyException.h"
#include "arduinoSerialPort/SerialPortList.h"
#include "commandmodel/Dad10.h"
#include "commandmodel/MenuMap.h"
#include "commandmodel/ReturnCheck.h"
#include "frontend/App.h"
#include "frontend/Conversions.h"
#include "frontend/HelpScreens.h"
#include "frontend/MapForm.h"
#include "memory/Backup.h"
#include "memory/Restore.h"
#include "memory/Verify.h"
#include "midi/MidiConnection.h"
#include "process/ExitStatus.h"
#include "process/OutputWatch.h"
#include "process/StopRequest.h"
#include "session/BoardFailure.h"
#include "session/Console.h"
#include "session/ScriptRunner.h"
#include "session/TerminalAnswers.h"

namespace {

int missingNumber(const char* what) {
  std::cerr << std::endl << what << " required on command line!" << std::endl << std::endl;
  return EXIT_NOT_DONE;
}

// A procedure is done only when its keys reached the device, not merely the
// recording port that stands in when the board is missing.
int procedureStatus(bool carriedOut) {
  return carriedOut && Dad10::getInstance()->initSucceeded() ? EXIT_DONE : EXIT_NOT_DONE;
}

int runChannel(const Words& args) {
  if (args.size() < 2) return missingNumber("channel number (1 to 16)");
  const int channel = Conversions::str2int(args[1]);
  std::cout << "PMCCHANNEL " << channel << std::endl;
  return procedureStatus(Dad10::getInstance()->setDad10Channel(channel));
}

int runCalibration(const Words& args) {
  if (args.size() < 2) return missingNumber("pedal number (1 or 2)");
  if (!calibratePedal(Conversions::str2int(args[1]))) return EXIT_NOT_DONE;
  return procedureStatus(true);
}

int runStartCalibration(const Words& args) {
  if (args.size() < 2) return missingNumber("pedal number (1 or 2)");
  const int pedal = Conversions::str2int(args[1]);
  return procedureStatus(Dad10::getInstance()->startCalibratePedal(pedal));
}

std::string foldedFirst(const Words& args) {
  std::string word = args.front();
  Conversions::toUpper(word);
  return word;
}

// R returns along the trail, RD also shows it; anything else is a key.
int runKeySequence(const Words& args) {
  const std::string first = foldedFirst(args);
  const bool returnAlong = first == "R" || first == "RD";
  const bool display = first == "RD";
  const std::vector<std::string> tokens(returnAlong ? args.begin() + 1 : args.begin(), args.end());
  if (returnAlong) {  // before the line is opened: a refused sequence presses nothing
    const ReturnCheck::Result checked = ReturnCheck::check(MenuModel(), tokens);
    if (checked.refusal) {
      std::cerr << "pmckeys: " << *checked.refusal << std::endl;
      return EXIT_NOT_DONE;
    }
  }
  Dad10* dad10 = Dad10::getInstance();
  if (!dad10->initSucceeded()) {
    std::cerr << "Error during initialization of WinIo." << std::endl;
    return EXIT_NOT_DONE;
  }
  return dad10->pressSequence(tokens.begin(), tokens.end(), display, returnAlong) ? EXIT_DONE : EXIT_NOT_DONE;
}

int runCable(const Words&) {
  displayCable();
  return EXIT_DONE;
}

// The listing is the result, so a line held by another run does not stop
// it: the tables then come from a model without a port.
int runCommands(const Words&) {
  displayCommandsHeading();  // before the line is opened: it costs 2 s
  try {
    displayCommands(*Dad10::getInstance());
  } catch (const SerialPortBusyException&) {
    reportFailure();
    Dad10 portless(nullptr);
    displayCommands(portless);
  }
  return EXIT_DONE;
}

// The file forms take exactly one argument: a backup must not guess which
// of several names was meant.
bool oneFile(const Words& args) {
  if (args.size() == 2) return true;
  std::cerr << "pmckeys: usage: pmckeys " << Conversions::shown(args.front()) << " FILE" << std::endl;
  return false;
}

int runBackup(const Words& args) { return oneFile(args) ? Backup(args[1]).run() : EXIT_USAGE; }

int checkBackup(const Words& args, std::set<std::string>& written) {
  return oneFile(args) ? Backup(args[1]).check(written) : EXIT_USAGE;
}

// restore FILE [--no-verify]: the option after the file, so that a file
// of that name is still a file.
std::optional<Restore> restoreOf(const Words& args) {
  if (args.size() == 2) return Restore(args[1], true);
  if (args.size() == 3 && args[2] == Restore::NO_VERIFY) return Restore(args[1], false);
  std::cerr << "pmckeys: usage: pmckeys " << args.front() << " FILE [" << Restore::NO_VERIFY << "]" << std::endl;
  return std::nullopt;
}

int runRestore(const Words& args) {
  std::optional<Restore> restore = restoreOf(args);
  return restore ? restore->run() : EXIT_USAGE;
}

int checkRestore(const Words& args, std::set<std::string>& written) {
  const std::optional<Restore> restore = restoreOf(args);
  return restore ? restore->check(written) : EXIT_USAGE;
}

int runVerify(const Words& args) { return oneFile(args) ? Verify(args[1]).run() : EXIT_USAGE; }

int checkVerify(const Words& args, std::set<std::string>& written) {
  return oneFile(args) ? Verify(args[1]).check(written) : EXIT_USAGE;
}

int runHelp(const Words&) {
  displayHelp();
  return EXIT_DONE;
}

int runVersion(const Words&) {
  std::cout << "pmckeys " << PMCKEYS_VERSION << std::endl;
  return EXIT_DONE;
}

int runListPorts(const Words& args) {
  const std::vector<std::string> ports = SerialPortList::find(args.size() > 1 ? args[1] : "/dev");
  if (ports.empty()) {
    std::cerr << "no serial devices found" << std::endl;
    return EXIT_NOT_DONE;
  }
  for (const std::string& port : ports) {
    std::cout << Conversions::shown(port, Conversions::Shown::FileName) << std::endl;
  }
  return EXIT_DONE;
}

int runListMidi(const Words&) {
  MidiConnection midi;
  const Result<> opened = midi.open();
  if (!opened) {
    std::cerr << "pmckeys: " << opened.error() << std::endl;
    return EXIT_NOT_DONE;
  }
  const Result<std::vector<std::string>> listing = midi.listing();
  if (!listing) {
    std::cerr << "pmckeys: " << listing.error() << std::endl;
    return EXIT_NOT_DONE;
  }
  const std::vector<std::string>& lines = listing.value();
  if (lines.empty()) {
    std::cerr << "pmckeys: no MIDI inputs or outputs on " << midi.system().name() << std::endl;
    return EXIT_NOT_DONE;
  }
  for (const std::string& line : lines) std::cout << line << std::endl;
  return EXIT_DONE;
}

// Keywords are tried in this order; anything else is a key sequence. Of the
// options only --script and --console open the serial line. The session
// forms are lines of a script or the console, never arguments. --help lists
// the forms in this order.
const CommandForms kForms({
    {CommandForm::TRAIL_PREFIX, "R", nullptr, "r TOKEN...",
     "press the tokens, then the way back to performance mode", runKeySequence, 0, true},
    {CommandForm::TRAIL_PREFIX, "RD", nullptr, "rd TOKEN...", "as r, and print the way back first",
     runKeySequence, 0, true},
    {CommandForm::KEYWORD, "CABLE", nullptr, "cable", "how to wire the cable and the board", runCable, 0},
    {CommandForm::KEYWORD, "COMMANDS", nullptr, "commands", "list the key names and compound commands",
     runCommands, 0},
    {CommandForm::KEYWORD, "MAP", nullptr, "map [PLACE]", "write the menus as a Graphviz graph, the way to PLACE bold",
     runMap, 0, false, nullptr, MenuMap::places},
    {CommandForm::KEYWORD, "PMCCHANNEL", nullptr, "pmcchannel CHANNEL",
     "set the device's MIDI channel (1 to 16) and return", runChannel, 0, true},
    {CommandForm::KEYWORD, "CALIBRATEPEDAL", nullptr, "calibratepedal PEDAL",
     "calibrate expression pedal 1 or 2, asking you to move it", runCalibration, 0, true},
    {CommandForm::KEYWORD, "STARTCALIBRATEPEDAL", nullptr, "startcalibratepedal PEDAL",
     "walk into the setup of pedal 1 or 2 and stay there", runStartCalibration, 0, true},
    {CommandForm::KEYWORD, "BACKUP", nullptr, "backup FILE",
     "save the device's memory over MIDI (two dumps that agree)", runBackup, 0, true, checkBackup},
    {CommandForm::KEYWORD, "RESTORE", nullptr, "restore FILE [--no-verify]",
     "send a saved dump back to the device over MIDI, then verify it", runRestore, 0, true, checkRestore},
    {CommandForm::KEYWORD, "VERIFY", nullptr, "verify FILE", "check over MIDI that the device holds a saved dump",
     runVerify, 0, true, checkVerify},
    {CommandForm::SESSION, "HOME", nullptr, "home",
     "press the model's way back to performance mode", nullptr, 0},
    {CommandForm::SESSION, "RESET-MODEL", nullptr, "reset-model",
     "console: tell the model the device is in performance mode", nullptr, 0},
    {CommandForm::SESSION, "HELP", nullptr, "help", "console: show the forms it takes", nullptr, 0},
    {CommandForm::SESSION, "QUIT", nullptr, "quit", "console: end it (so does Ctrl-D)", nullptr, 0},
    {CommandForm::OPTION, "--script", nullptr, "--script FILE",
     "run the commands in FILE (- for standard input) on one open line",
     [](const Words& args) { return runScript(args, commandForms()); }, 1},
    {CommandForm::OPTION, "--console", nullptr, "--console",
     "type commands one at a time, seeing where the device is",
     [](const Words&) { return runConsole(commandForms()); }, 0},
    {CommandForm::OPTION, "--help", "-h", "-h, --help", "show this help", runHelp, 0},
    {CommandForm::OPTION, "--version", nullptr, "--version", "print the version", runVersion, 0},
    {CommandForm::OPTION, "--list-ports", nullptr, "--list-ports [FOLDER]",
     "list the serial devices a board may be on (in /dev or FOLDER)", runListPorts, 1},
    {CommandForm::OPTION, "--list-midi", nullptr, "--list-midi", "list the MIDI inputs and outputs", runListMidi, 0},
}, runKeySequence);

int runOption(const CommandForm& option, const Words& args) {
  if (args.size() > static_cast<std::size_t>(option.maxArgs) + 1) {
    std::cerr << "pmckeys: unexpected argument <" << Conversions::shown(args[option.maxArgs + 1]) << ">" << std::endl;
    return EXIT_USAGE;
  }
  return option.run(args);
}

int dispatch(int argc, char** argv) {
  const App app(argc, argv);
  const Words args = app.args();
  if (args.empty()) {
    displayUsage(app);
    return EXIT_USAGE;
  }
  if (const CommandForm* option = kForms.option(args.front())) return runOption(*option, args);
  std::optional<TerminalAnswers> answers;  // the calibration's, when a person types them
  if (isatty(STDIN_FILENO) != 0) answers.emplace(STDIN_FILENO);
  const int status = kForms.run(args);
  hintAtMissingBoard();
  return status;
}

// A form that stopped on a signal has said what became of the device; the
// status is the shell's for that signal.
int runGuarded(int argc, char** argv) {
  try {
    return dispatch(argc, argv);
  } catch (const StopRequest::Stopped& stopped) {
    std::cout.flush();
    std::cerr << "pmckeys: " << stopped.what() << std::endl;
    return 128 + stopped.signal;
  } catch (const std::exception&) {
    return reportFailure();
  }
}

}  // namespace

const CommandForms& commandForms() { return kForms; }

bool calibratePedal(int pedal) {
  return validPedal(pedal) ? Dad10::getInstance()->calibratePedal(pedal) : reportInvalidPedal(pedal);
}

// Standard output is checked once, when every key has been pressed.
int runCommandLine(int argc, char** argv) {
  OutputWatch out(std::cout, "standard output");
  const int status = runGuarded(argc, argv);
  const bool written = out.finish("pmckeys");
  return written || status != EXIT_DONE ? status : EXIT_NOT_DONE;
}
