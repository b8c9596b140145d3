// FakeHardwarePort: the recording key port. It presses nothing; it appends
// the display name of every key code it is given to a text, so that the rest
// of the program runs unchanged when no board is attached.
//
// A singleton: instance() creates it on first use and says so on standard
// error, which is the user's sign that keys go nowhere. Whoever it is handed
// to owns it (the device model, through the port factory); its destructor
// writes what was recorded, also on standard error, and a later instance()
// creates a new one.
#ifndef PMCKEYS_PORTS_FAKEHARDWAREPORT_H
#define PMCKEYS_PORTS_FAKEHARDWAREPORT_H

#include <string>

#include "ports/HardwarePort.h"

class FakeHardwarePort : public HardwarePort {
public:
  static FakeHardwarePort* instance();

  bool initSucceeded() const override { return fSucceeded; }
  void setSucceeded(bool succeeded) { fSucceeded = succeeded; }
  void send(int keyCode) override;
  void sleepMs(int) const override {}  // recording takes no time
  void resetSequence() { fSequence.clear(); }
  // "This is what I sent:" followed by one " NAME" for every key sent.
  std::string getSequence() const;

  ~FakeHardwarePort() override;

private:
  FakeHardwarePort();

  static FakeHardwarePort* fgInstance;
  bool fSucceeded;
  std::string fSequence;
};

#endif
