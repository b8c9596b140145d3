// The capture of a dump on its own: real-time bytes, alone or inside a
// message, are left out of what is saved.
#include <gtest/gtest.h>

#include <deque>

#include "midi/DumpCapture.h"

namespace {

// Hands over the messages it holds, then nothing.
struct ScriptedInput : MidiInput {
  std::deque<MidiBytes> messages;
  bool receive(MidiBytes& message, int) override {
    if (messages.empty()) return false;
    message = messages.front();
    messages.pop_front();
    return true;
  }
};

TEST(DumpCapture, LeavesOutRealTimeBytes) {
  ScriptedInput input;
  input.messages = {{0xF0, 0x7D, 0x01, 0xF7}, {0xFA}, {0xF0, 0x7D, 0xF8, 0x02, 0xFE, 0xF7}};
  EXPECT_EQ(DumpCapture(input, "").take(), (MidiBytes{0xF0, 0x7D, 0x01, 0xF7, 0xF0, 0x7D, 0x02, 0xF7}));
}

}  // namespace
