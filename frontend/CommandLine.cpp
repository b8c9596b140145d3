#include "frontend/CommandLine.h"

#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "arduinoSerialPort/SerialPortBusyException.h"
#include "commandmodel/Dad10.h"
#include "frontend/App.h"
#include "frontend/Backup.h"
#include "frontend/Conversions.h"
#include "frontend/HelpScreens.h"
#include "frontend/Restore.h"
#include "midi/MidiConnection.h"
#include "ports/SerialPortList.h"

namespace {

// First arguments that make the rest a key sequence with the trail: R
// returns along it, RD also shows it.
const char* const kTrailPrefixes[] = {"R", "RD"};

int missingNumber(const char* what) {
  std::cerr << std::endl << what << " required on command line!" << std::endl << std::endl;
  return EXIT_NOT_DONE;
}

// A procedure is done only when its keys reached the device, not merely the
// recording port that stands in when the board is missing.
int procedureStatus(bool carriedOut) {
  return carriedOut && Dad10::getInstance()->initSucceeded() ? EXIT_DONE : EXIT_NOT_DONE;
}

int runChannel(const App&, int argc, char** argv) {
  if (argc < 3) return missingNumber("channel number (1 to 16)");
  const int channel = Conversions::str2int(argv[2]);
  std::cout << "PMCCHANNEL " << channel << std::endl;
  return procedureStatus(Dad10::getInstance()->setDad10Channel(channel));
}

int runCalibration(const App&, int argc, char** argv) {
  if (argc < 3) return missingNumber("pedal number (1 or 2)");
  if (!calibratePedal(Conversions::str2int(argv[2]))) return EXIT_NOT_DONE;
  return procedureStatus(true);
}

int runStartCalibration(const App&, int argc, char** argv) {
  if (argc < 3) return missingNumber("pedal number (1 or 2)");
  const int pedal = Conversions::str2int(argv[2]);
  return procedureStatus(Dad10::getInstance()->startCalibratePedal(pedal));
}

int runKeySequence(const App& app, const std::string& keyword) {
  Dad10* dad10 = Dad10::getInstance();
  if (!dad10->initSucceeded()) {
    std::cerr << "Error during initialization of WinIo." << std::endl;
    return EXIT_NOT_DONE;
  }
  const std::vector<std::string> args = app.args();
  const bool returnAlong = keyword == kTrailPrefixes[0] || keyword == kTrailPrefixes[1];
  const bool display = keyword == kTrailPrefixes[1];
  auto first = returnAlong ? args.begin() + 1 : args.begin();
  return dad10->pressSequence(first, args.end(), display, returnAlong) ? EXIT_DONE : EXIT_NOT_DONE;
}

int runCable(const App&, int, char**) {
  displayCable();
  return EXIT_DONE;
}

int runCommands(const App&, int, char**) {
  displayCommands();
  return EXIT_DONE;
}

// The file forms take exactly one argument: a backup must not guess which
// of several names was meant.
bool oneFile(int argc, char** argv) {
  if (argc == 3) return true;
  std::cerr << "pmckeys: usage: pmckeys " << argv[1] << " FILE" << std::endl;
  return false;
}

int runBackup(const App&, int argc, char** argv) { return oneFile(argc, argv) ? Backup(argv[2]).run() : EXIT_USAGE; }

int runRestore(const App&, int argc, char** argv) {
  return oneFile(argc, argv) ? Restore(argv[2]).run() : EXIT_USAGE;
}

struct Keyword {
  const char* name;  // upper case; the first argument is folded before comparing
  int (*run)(const App&, int argc, char** argv);
};

// Tried in this order; anything else is a key sequence.
const Keyword kKeywords[] = {
    {"CABLE", runCable},
    {"COMMANDS", runCommands},
    {"PMCCHANNEL", runChannel},
    {"CALIBRATEPEDAL", runCalibration},
    {"STARTCALIBRATEPEDAL", runStartCalibration},
    {"BACKUP", runBackup},
    {"RESTORE", runRestore},
};

int runListPorts(int argc, char** argv) {
  const std::vector<std::string> ports = SerialPortList::find(argc > 2 ? argv[2] : "/dev");
  if (ports.empty()) {
    std::cerr << "no serial devices found" << std::endl;
    return EXIT_NOT_DONE;
  }
  for (const std::string& port : ports) std::cout << port << std::endl;
  return EXIT_DONE;
}

int runListMidi() {
  MidiConnection midi;
  std::string error;
  if (!midi.open(error)) {
    std::cerr << "pmckeys: " << error << std::endl;
    return EXIT_NOT_DONE;
  }
  const std::vector<std::string> lines = midi.listing();
  if (lines.empty()) {
    std::cerr << "pmckeys: no MIDI inputs or outputs on " << midi.system().name() << std::endl;
    return EXIT_NOT_DONE;
  }
  for (const std::string& line : lines) std::cout << line << std::endl;
  return EXIT_DONE;
}

// Options are matched exactly and only as the first argument; none of them
// opens the serial line.
int runOption(App& app, int argc, char** argv) {
  const std::string option = argv[1];
  if (option == "-h" || option == "--help") {
    displayUsage(app);
    displayMidiHelp();
    return EXIT_DONE;
  }
  if (option == "--version") {
    std::cout << "pmckeys " << PMCKEYS_VERSION << std::endl;
    return EXIT_DONE;
  }
  if (option == "--list-ports") return runListPorts(argc, argv);
  if (option == "--list-midi") return runListMidi();
  return -1;
}

int dispatch(int argc, char** argv) {
  App app(argc, argv);
  if (argc < 2) {
    displayUsage(app);
    return EXIT_USAGE;
  }
  const int optionStatus = runOption(app, argc, argv);
  if (optionStatus >= 0) return optionStatus;
  std::string keyword = argv[1];
  Conversions::toUpper(keyword);
  for (const Keyword& candidate : kKeywords) {
    if (keyword == candidate.name) return candidate.run(app, argc, argv);
  }
  return runKeySequence(app, keyword);
}

}  // namespace

std::vector<std::string> commandWords() {
  std::vector<std::string> words;
  for (const Keyword& keyword : kKeywords) words.emplace_back(keyword.name);
  words.insert(words.end(), std::begin(kTrailPrefixes), std::end(kTrailPrefixes));
  return words;
}

std::vector<std::string> commandOptions() { return {"-h", "--help", "--version", "--list-ports", "--list-midi"}; }

bool calibratePedal(int pedal) { return validPedal(pedal) && Dad10::getInstance()->calibratePedal(pedal); }

int runCommandLine(int argc, char** argv) {
  try {
    return dispatch(argc, argv);
  } catch (const SerialPortBusyException& e) {
    std::cerr << "pmckeys: " << e.what() << std::endl;  // nothing was sent
  } catch (const std::exception& e) {
    std::cout << std::flush;
    std::cerr << "pmckeys: " << e.what() << " (the device may be left inside its menus: check its display)"
              << std::endl;
  }
  return EXIT_NOT_DONE;
}
