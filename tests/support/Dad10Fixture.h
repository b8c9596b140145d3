// A device model on a SpyPort, a key port that records every call made on it and feeds the keys into a
// menu model; standard output and standard error can be captured around a press.
#ifndef PMCKEYS_TESTS_SUPPORT_DAD10FIXTURE_H
#define PMCKEYS_TESTS_SUPPORT_DAD10FIXTURE_H

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "commandmodel/Dad10.h"
#include "commandmodel/MenuModel.h"
#include "ports/HardwarePort.h"

class SpyPort : public HardwarePort {
public:
  explicit SpyPort(bool succeeded = true) : fSucceeded(succeeded) {}

  bool initSucceeded() const override { return fSucceeded; }
  void send(int keyCode) override {
    fCalls.push_back("send " + std::to_string(keyCode));
    if (keyCode == Dad10::RELEASE_KEY) return;
    fKeys.push_back(keyCode);
    const std::string performed = fModel.press(keyCode).performed;
    if (!performed.empty()) fPerformed.push_back(performed);
  }
  void sleepMs(int ms) const override { fCalls.push_back("sleep " + std::to_string(ms)); }

  // Every call as "send 251" or "sleep 15".
  const std::vector<std::string>& calls() const { return fCalls; }
  // The codes of the keys pressed (but the release code), the menu model they moved, what they carried out.
  const std::vector<int>& keys() const { return fKeys; }
  const MenuModel& model() const { return fModel; }
  const std::vector<std::string>& performed() const { return fPerformed; }
  void clear() {
    fCalls.clear();
    fKeys.clear();
    fModel = MenuModel();
    fPerformed.clear();
  }

private:
  bool fSucceeded;
  mutable std::vector<std::string> fCalls;
  std::vector<int> fKeys;
  MenuModel fModel;
  std::vector<std::string> fPerformed;
};

class Dad10Fixture : public testing::Test {
protected:
  struct Output {
    std::string out, err;
  };

  // Runs f with both standard streams captured.
  template <typename F>
  Output capture(F f) {
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    f();
    const std::string out = testing::internal::GetCapturedStdout();
    return {out, testing::internal::GetCapturedStderr()};
  }

  // Presses the tokens as the command line does.
  bool press(const std::vector<std::string>& tokens, bool display = false, bool returnAlong = false) {
    return dad10.pressSequence(tokens.begin(), tokens.end(), display, returnAlong);
  }

  // The calls of whole key presses with the default delay, eight each.
  static std::vector<std::string> pressesOf(const std::vector<int>& codes) {
    std::vector<std::string> calls;
    for (int code : codes) {
      const std::string c = std::to_string(code);
      calls.insert(calls.end(), {"send 255", "send " + c, "sleep 15", "send 255", "send 255", "send 255", "sleep 15",
                                 "send 255"});
    }
    return calls;
  }

  SpyPort* port = new SpyPort();  // owned by dad10
  Dad10 dad10{port};
};

#endif
