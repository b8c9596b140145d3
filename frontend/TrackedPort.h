// TrackedPort: a key port that follows every key through the menu model on
// its way to another port, so that a script or the console knows where the
// device is, which places it passed, and can stop between two keys.
//
// With no port behind it, it presses nothing and takes no time: a script is
// checked on such a port before the line is opened. Owns the port behind it
// (the device model owns the TrackedPort, as it owns any port).
#ifndef PMCKEYS_FRONTEND_TRACKEDPORT_H
#define PMCKEYS_FRONTEND_TRACKEDPORT_H

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "commandmodel/MenuModel.h"
#include "ports/HardwarePort.h"

class TrackedPort : public HardwarePort {
public:
  // Thrown by send() instead of the next key once a stop was requested (not
  // on a port with nothing behind it); the key before has been pressed and
  // released in full.
  struct Stopped : std::runtime_error {
    Stopped() : std::runtime_error("stopped") {}
  };

  explicit TrackedPort(HardwarePort* behind);

  bool initSucceeded() const override { return !fBehind || fBehind->initSucceeded(); }
  void send(int keyCode) override;
  void sleepMs(int ms) const override;

  MenuModel& model() { return fModel; }
  // How many keys went through, and the places they moved the device to,
  // since the last call.
  int takeKeyCount();
  std::vector<std::string> takePlaces();

  // Async-signal-safe: a SIGINT handler may call it.
  static void requestStop();
  static void clearStop();
  // From now on Ctrl-C (SIGINT) requests a stop instead of ending the
  // process. Interrupted calls go on (a write to the terminal must not fail
  // for it); the console's line editor has its own handler while it reads.
  static void stopOnInterrupt();

private:
  std::unique_ptr<HardwarePort> fBehind;
  MenuModel fModel;
  int fKeys = 0;
  std::vector<std::string> fPlaces;
};

#endif
