// A device model on a SpyPort, with standard output and standard error
// captured around each press.
#ifndef PMCKEYS_TESTS_SUPPORT_DAD10FIXTURE_H
#define PMCKEYS_TESTS_SUPPORT_DAD10FIXTURE_H

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "commandmodel/Dad10.h"
#include "tests/support/SpyPort.h"

class Dad10Fixture : public testing::Test {
protected:
  struct Output {
    std::string out;
    std::string err;
  };

  // Runs f with both standard streams captured.
  template <typename F>
  Output capture(F f) {
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    f();
    Output output;
    output.out = testing::internal::GetCapturedStdout();
    output.err = testing::internal::GetCapturedStderr();
    return output;
  }

  // Presses the tokens as the command line does.
  bool press(const std::vector<std::string>& tokens, bool display = false, bool returnAlong = false) {
    return dad10.pressSequence(tokens.begin(), tokens.end(), display, returnAlong);
  }

  // The eight calls of one key press with the default delay.
  static std::vector<std::string> pressOf(int code) {
    const std::string c = std::to_string(code);
    return {"send 255", "send " + c, "sleep 15", "send 255", "send 255", "send 255", "sleep 15", "send 255"};
  }

  SpyPort* port = new SpyPort();  // owned by dad10
  Dad10 dad10{port};
};

#endif
