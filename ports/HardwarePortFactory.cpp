#include "ports/HardwarePortFactory.h"

#include <cstdlib>
#include <memory>

#include "arduinoSerialPort/ArduinoSerialPort.h"
#include "ports/FakeHardwarePort.h"

HardwarePortFactory* HardwarePortFactory::fgInstance = nullptr;

HardwarePortFactory* HardwarePortFactory::instance() {
  if (fgInstance == nullptr) fgInstance = new HardwarePortFactory();
  return fgInstance;
}

HardwarePort* HardwarePortFactory::createPort() {
  // A port whose line did not open is of no further use: release it.
  std::unique_ptr<ArduinoSerialPort> serial(new ArduinoSerialPort());
  if (serial->initSucceeded()) return serial.release();
  fUsedStandIn = true;
  FakeHardwarePort::instance()->setSucceeded(false);
  return FakeHardwarePort::instance();
}

std::string HardwarePortFactory::devicePath() { return ArduinoSerialPort::defaultDevice(); }

bool HardwarePortFactory::deviceFromEnvironment() {
  const char* fromEnvironment = std::getenv("PMCKEYS_DEVICE");
  return fromEnvironment != nullptr && *fromEnvironment != '\0';
}
