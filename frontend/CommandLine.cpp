#include "frontend/CommandLine.h"

#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "arduinoSerialPort/ArduinoSerialException.h"
#include "commandmodel/Dad10.h"
#include "frontend/App.h"
#include "frontend/Conversions.h"
#include "frontend/HelpScreens.h"

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

int runChannel(char** argv, int argc) {
  if (argc < 3) return missingNumber("channel number (1 to 16)");
  const int channel = Conversions::str2int(argv[2]);
  std::cout << "PMCCHANNEL " << channel << std::endl;
  return procedureStatus(Dad10::getInstance()->setDad10Channel(channel));
}

int runCalibration(char** argv, int argc) {
  if (argc < 3) return missingNumber("pedal number (1 or 2)");
  if (!calibratePedal(Conversions::str2int(argv[2]))) return EXIT_NOT_DONE;
  return procedureStatus(true);
}

int runStartCalibration(char** argv, int argc) {
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
  const bool returnAlong = keyword == "R" || keyword == "RD";
  const bool display = keyword == "RD";
  auto first = returnAlong ? args.begin() + 1 : args.begin();
  return dad10->pressSequence(first, args.end(), display, returnAlong) ? EXIT_DONE : EXIT_NOT_DONE;
}

int dispatch(int argc, char** argv) {
  App app(argc, argv);
  if (argc < 2) {
    displayUsage(app);
    return EXIT_USAGE;
  }
  std::string keyword = argv[1];
  Conversions::toUpper(keyword);
  if (keyword == "CABLE") {
    displayCable();
    return EXIT_DONE;
  }
  if (keyword == "COMMANDS") {
    displayCommands();
    return EXIT_DONE;
  }
  if (keyword == "PMCCHANNEL") return runChannel(argv, argc);
  if (keyword == "CALIBRATEPEDAL") return runCalibration(argv, argc);
  if (keyword == "STARTCALIBRATEPEDAL") return runStartCalibration(argv, argc);
  return runKeySequence(app, keyword);
}

}  // namespace

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
