// HardwarePort: the key port through which every key code leaves the
// program. A key port takes key codes one at a time (0xf0..0xfe press one
// front-panel key, 0xff releases) and can pause between them.
//
// Abstract so that the device model does not care whether the keys reach a
// real board or are only recorded, and so it can be mocked out for tests.
// A port is always destroyed through a HardwarePort pointer by its owner.
#ifndef PMCKEYS_PORTS_HARDWAREPORT_H
#define PMCKEYS_PORTS_HARDWAREPORT_H

class HardwarePort {
public:
  HardwarePort() = default;
  HardwarePort(const HardwarePort&) = delete;
  HardwarePort& operator=(const HardwarePort&) = delete;

  // True when the port can deliver key codes.
  virtual bool initSucceeded() const = 0;
  // Delivers one key code. Reports nothing back.
  virtual void send(int keyCode) = 0;
  // Pauses for the given number of milliseconds.
  virtual void sleepMs(int ms) const = 0;

  virtual ~HardwarePort() = 0;
};

inline HardwarePort::~HardwarePort() = default;

#endif
