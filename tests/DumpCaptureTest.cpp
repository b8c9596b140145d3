// The capture of a dump on its own: only System Exclusive is kept. Real-time bytes, alone or inside a message, are
// left out; so are channel and system common messages, which are counted.
#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <thread>

#include "midi/DumpCapture.h"
#include "midi/QuietWait.h"

namespace {

// Hands over the messages it holds, then nothing.
struct ScriptedInput : MidiInput {
  std::deque<MidiBytes> messages;
  bool receive(MidiBytes& message, int timeoutMs) override {
    if (messages.empty()) {
      std::this_thread::sleep_for(std::chrono::milliseconds(timeoutMs));
      return false;
    }
    message = messages.front();
    messages.pop_front();
    return true;
  }
};

TEST(DumpCapture, KeepsOnlySystemExclusive) {
  ScriptedInput input;
  input.messages = {{0xC0, 0x05}, {0xF0, 0x7D, 0x01, 0xF7}, {0xFA}, {0x90, 0x3C, 0x40}, {0xF2, 0x00, 0x00},
                    {0xF0, 0x7D, 0xF8, 0x02, 0xFE, 0xF7}, {0xF6}};
  DumpCapture capture(input, "", QuietWait::LEAST_SETTING_MS);
  EXPECT_EQ(capture.take(), (MidiBytes{0xF0, 0x7D, 0x01, 0xF7, 0xF0, 0x7D, 0x02, 0xF7}));
  EXPECT_EQ(capture.otherMessages(), 4u);
}

}  // namespace
