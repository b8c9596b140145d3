// SpyPort: a key port for tests that records every call the device model
// makes on it, in order, and can feed the keys into a menu model.
#ifndef PMCKEYS_TESTS_SUPPORT_SPYPORT_H
#define PMCKEYS_TESTS_SUPPORT_SPYPORT_H

#include <string>
#include <vector>

#include "ports/HardwarePort.h"
#include "commandmodel/MenuModel.h"

class SpyPort : public HardwarePort {
public:
  explicit SpyPort(bool succeeded = true) : fSucceeded(succeeded) {}

  bool initSucceeded() const override { return fSucceeded; }
  void send(int keyCode) override;
  void sleepMs(int ms) const override { fCalls.push_back("sleep " + std::to_string(ms)); }

  // Every call as "send 251" or "sleep 15".
  const std::vector<std::string>& calls() const { return fCalls; }
  // The codes of the keys pressed (every send but the release code).
  const std::vector<int>& keys() const { return fKeys; }
  // The menu model, fed with every key pressed.
  const MenuModel& model() const { return fModel; }
  const std::vector<std::string>& performed() const { return fPerformed; }
  void clear();

private:
  bool fSucceeded;
  mutable std::vector<std::string> fCalls;
  std::vector<int> fKeys;
  MenuModel fModel;
  std::vector<std::string> fPerformed;
};

#endif
