// What several tests expect, written once: pmckeys' own texts, and a check for an exception's message.
#ifndef PMCKEYS_TESTS_SUPPORT_EXPECTED_H
#define PMCKEYS_TESTS_SUPPORT_EXPECTED_H

#include <gtest/gtest.h>

#include <string>

// The trail of the channel procedure, which it shows as it presses it.
const char* const kChannelTrail = "PREV PREV PREV ENTER PREV ENTER PREV PREV PREV PREV  ENTER";

// What pmckeys says when it finds no board, and after writing to /dev/full.
const char* const kNoBoard =
    "init_serialport: Unable to open port : No such file or directory\ncreating FakeHardwarePort\n";
const char* const kStandardOutputFull = "pmckeys: cannot write to standard output: No space left on device\n";

// The prompts of the interactive calibration of pedal 1.
const char* const kPedal1Prompts =
    "Place pedal 1 down, then\ntype \"ok\" followed by return key when done.\n"
    "Place pedal 1 up, then\ntype \"ok\" followed by return key when done.\ndone.\n";

// Runs f, which must throw an E whose what() is message.
template <typename E, typename F>
void expectThrow(F f, const std::string& message) {
  try {
    f();
    ADD_FAILURE() << "no exception; expected " << message;
  } catch (const E& e) {
    EXPECT_EQ(e.what(), message);
  }
}

#endif
