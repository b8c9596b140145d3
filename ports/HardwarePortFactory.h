// HardwarePortFactory: decides, once per device model, which key port the
// device model gets: the serial key port when its line opens, otherwise the
// recording port.
//
// A singleton owned by nobody. Tests may install a factory of their own with
// setInstance() to hand the device model a port of their choosing.
#ifndef PMCKEYS_PORTS_HARDWAREPORTFACTORY_H
#define PMCKEYS_PORTS_HARDWAREPORTFACTORY_H

#include <string>

class HardwarePort;

class HardwarePortFactory {
public:
  static HardwarePortFactory* instance();
  // Replaces the factory that instance() returns; the caller keeps ownership.
  static void setInstance(HardwarePortFactory* factory) { fgInstance = factory; }

  // The chosen key port, owned by the caller from now on (the device model
  // deletes its port with itself), the recording port included.
  virtual HardwarePort* createPort();

  virtual ~HardwarePortFactory() = default;

  // Whether createPort() handed out the recording port because the line did
  // not open, and which device it tried: what a person needs to put it right.
  bool usedStandIn() const { return fUsedStandIn; }
  static std::string devicePath();
  static bool deviceFromEnvironment();

private:
  static HardwarePortFactory* fgInstance;
  bool fUsedStandIn = false;
};

#endif
