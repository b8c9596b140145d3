// HardwarePortFactory: decides, once per device model, which key port the
// device model gets: the serial key port when its line opens, otherwise the
// recording port.
//
// A singleton owned by nobody. Tests may install a factory of their own with
// setInstance() to hand the device model a port of their choosing.
#ifndef PMCKEYS_PORTS_HARDWAREPORTFACTORY_H
#define PMCKEYS_PORTS_HARDWAREPORTFACTORY_H

class HardwarePort;

class HardwarePortFactory {
public:
  static HardwarePortFactory* instance();
  // Replaces the factory that instance() returns; the caller keeps ownership.
  static void setInstance(HardwarePortFactory* factory) { fgInstance = factory; }

  // The chosen key port; the caller owns it and destroys it through the
  // HardwarePort destructor (the recording port is never destroyed in a run).
  virtual HardwarePort* createPort();

  virtual ~HardwarePortFactory() = default;

private:
  static HardwarePortFactory* fgInstance;
};

#endif
