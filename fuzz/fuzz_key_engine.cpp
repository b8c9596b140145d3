// The key engine: arbitrary tokens, nested compound names and hex tokens,
// with and without the trail. The first byte chooses the flags.
#include <cstdlib>
#include <iostream>
#include <sstream>

#include "commandmodel/Dad10.h"
#include "fuzz/FuzzInput.h"
#include "ports/HardwarePort.h"

namespace {

// Checks that only front-panel keys are pressed and every press is released
// again.
class CheckingPort : public HardwarePort {
public:
  bool initSucceeded() const override { return true; }
  void send(int keyCode) override {
    down = keyCode != Dad10::RELEASE_KEY;
    if (down && (keyCode < 0xf0 || keyCode > 0xfe)) abort();
  }
  void sleepMs(int ms) const override {
    if (ms != Dad10::DEFAULT_DELAY_MS && ms != Dad10::RETURN_PAUSE_MS) abort();
  }
  bool down = false;
};

std::ostringstream gDiscard;
CheckingPort* gPort = nullptr;
Dad10* gDad10 = nullptr;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::cout.rdbuf(gDiscard.rdbuf());
  std::cerr.rdbuf(gDiscard.rdbuf());
  gPort = new CheckingPort();
  gDad10 = new Dad10(gPort);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const bool display = (data[0] & 1) != 0, returnAlong = (data[0] & 2) != 0;
  const std::vector<std::string> tokens = splitWords(data + 1, size - 1, 256);
  gDad10->pressSequence(tokens.begin(), tokens.end(), display, returnAlong);
  if (gPort->down || !gDad10->trail().empty()) abort();
  gDiscard.str("");
  return 0;
}
