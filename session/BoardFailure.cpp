#include "session/BoardFailure.h"

#include <unistd.h>

#include <exception>
#include <iostream>

#include "arduinoSerialPort/SerialPortBusyException.h"
#include "frontend/Conversions.h"
#include "ports/HardwarePortFactory.h"
#include "process/ExitStatus.h"
#include "process/WholeFailure.h"

int reportFailure() {
  try {
    throw;
  } catch (const SerialPortBusyException& e) {
    std::cerr << "pmckeys: " << e.what() << std::endl;  // nothing was sent
  } catch (const WholeFailure& e) {
    std::cout << std::flush;
    std::cerr << "pmckeys: " << e.what() << std::endl;
  } catch (const std::exception& e) {
    std::cout << std::flush;
    std::cerr << "pmckeys: " << e.what() << WholeFailure::LEFT_IN_MENUS << std::endl;
  }
  return EXIT_NOT_DONE;
}

// The recording port stood in for a board: on a terminal, say where pmckeys
// looked and what to do about it.
void hintAtMissingBoard() {
  const HardwarePortFactory* factory = HardwarePortFactory::instance();
  if (!factory->usedStandIn() || isatty(STDERR_FILENO) == 0) return;
  std::cerr << "pmckeys: no board at " << Conversions::shown(factory->devicePath(), Conversions::Shown::FileName)
            << (factory->deviceFromEnvironment() ? " (from PMCKEYS_DEVICE; see pmckeys --list-ports)"
                                                 : " (built in; set PMCKEYS_DEVICE, see pmckeys --list-ports)")
            << std::endl;
}
