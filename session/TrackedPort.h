// TrackedPort: a key port that follows every key through the menu model on
// its way to another port, so that a script or the console knows where the
// device is, which places it passed, and can stop between two keys when a
// signal asked for it (StopRequest).
//
// With no port behind it, it presses nothing, takes no time and never
// stops: a script is checked on such a port before the line is opened. Owns
// the port behind it (the device model owns the TrackedPort, as it owns any
// port).
#ifndef PMCKEYS_SESSION_TRACKEDPORT_H
#define PMCKEYS_SESSION_TRACKEDPORT_H

#include <memory>
#include <string>
#include <vector>

#include "commandmodel/MenuModel.h"
#include "ports/HardwarePort.h"

class TrackedPort : public HardwarePort {
public:
  explicit TrackedPort(HardwarePort* behind);

  bool initSucceeded() const override { return !fBehind || fBehind->initSucceeded(); }
  // Throws StopRequest::Stopped instead of the next key once a stop was
  // requested; the key before has been pressed and released in full.
  void send(int keyCode) override;
  void sleepMs(int ms) const override;

  MenuModel& model() { return fModel; }
  // How many keys went through, and the places they moved the device to,
  // since the last call.
  int takeKeyCount();
  std::vector<std::string> takePlaces();

private:
  std::unique_ptr<HardwarePort> fBehind;
  MenuModel fModel;
  int fKeys = 0;
  std::vector<std::string> fPlaces;
};

#endif
