// The whole chain: pmckeys, the serial line, the open board firmware on an
// emulated ATmega328P, and the four key lines it drives.
#include <gtest/gtest.h>

#include <sstream>

#include "tests/support/Process.h"

namespace {

struct Change {
  std::string what;  // "port" or "ddr"
  double us;
  unsigned nibble;
};

struct FirmwareRun {
  ProcessResult process;
  std::vector<Change> changes;
};

FirmwareRun runOnFirmware(const std::vector<std::string>& command, const char* input = nullptr) {
  const std::string record = scratchFile();
  std::vector<std::string> args{PMCKEYS_FIRMWARE_ELF, record, "--"};
  args.insert(args.end(), command.begin(), command.end());
  ProcessOptions options;
  options.input = input;
  FirmwareRun run;
  run.process = runProcess(PMCKEYS_HARNESS, args, options);
  std::istringstream in(takeFile(record));
  Change change;
  while (in >> change.what >> change.us >> std::hex >> change.nibble >> std::dec) run.changes.push_back(change);
  return run;
}

// The key codes the lines carried, checking on the way that the lines were
// high before they became outputs, that each key was held 15 ms and that the
// lines went back to all high (no key) between keys, with no other value.
std::vector<unsigned> keysOn(const FirmwareRun& run) {
  std::vector<unsigned> keys;
  EXPECT_GE(run.changes.size(), 2u);
  if (run.changes.size() < 2) return keys;
  EXPECT_EQ(run.changes[0].what + " " + std::to_string(run.changes[0].nibble), "port 15");
  EXPECT_EQ(run.changes[1].what + " " + std::to_string(run.changes[1].nibble), "ddr 15");
  for (std::size_t i = 2; i < run.changes.size(); ++i) {
    const Change& change = run.changes[i];
    EXPECT_EQ(change.what, "port");
    const bool pressed = (i % 2) == 0;
    if (!pressed) {
      EXPECT_EQ(change.nibble, 0xfu) << "change " << i << " is no release";
      const double held = change.us - run.changes[i - 1].us;
      EXPECT_GE(held, 14900) << "key " << keys.size();
      EXPECT_LE(held, 16000) << "key " << keys.size();
      continue;
    }
    EXPECT_NE(change.nibble, 0xfu);
    if (!keys.empty()) {
      EXPECT_GE(change.us - run.changes[i - 1].us, 15000) << "released too briefly";
    }
    keys.push_back(change.nibble);
  }
  EXPECT_EQ(run.changes.size() % 2, 0u) << "the last key was not released";
  return keys;
}

std::vector<unsigned> nibbles(const std::string& characters) {
  std::vector<unsigned> codes;
  for (char c : characters) {
    switch (c) {
      case 'M': codes.push_back(0xb); break;
      case 'E': codes.push_back(0x3); break;
      case 'S': codes.push_back(0x5); break;
      case '1': codes.push_back(0x1); break;
      case '6': codes.push_back(0xc); break;
      default: ADD_FAILURE() << "no code for " << c;
    }
  }
  return codes;
}

TEST(Firmware, ReturnAlongTheTrail) {
  const FirmwareRun run = runOnFirmware({PMCKEYS_BINARY, "r", "editbank", "enter"});
  EXPECT_EQ(run.process.status, 0) << run.process.err;
  EXPECT_EQ(keysOn(run), nibbles("MMESESSE"));
  ASSERT_GE(run.changes.size(), 3u);
  EXPECT_GE(run.changes[2].us, 2e6);  // the tool's start-up pause, in simulated time
}

TEST(Firmware, ChannelProcedure) {
  const FirmwareRun run = runOnFirmware({PMCKEYS_BINARY, "pmcchannel", "16"});
  EXPECT_EQ(run.process.status, 0) << run.process.err;
  EXPECT_EQ(run.process.out, "PMCCHANNEL 16\nPREV PREV PREV ENTER PREV ENTER PREV PREV PREV PREV  ENTER");
  EXPECT_EQ(keysOn(run), nibbles("MMMMEEMM16SSSESESSSSE"));
}

TEST(Firmware, PedalCalibration) {
  const FirmwareRun run = runOnFirmware({PMCKEYS_BINARY, "calibratepedal", "1"}, "ok\nok\n");
  EXPECT_EQ(run.process.status, 0) << run.process.err;
  EXPECT_EQ(keysOn(run), nibbles("MMMMEMMMMMMMEMMMME" "EE" "SSSSSESSSSSSSSESSSSE"));
}

// A line in the terminal's default echo mode sends every answer back to the board.
TEST(Firmware, OnlyKeysAreAnsweredAndAnEchoedAnswerPressesNothing) {
  const FirmwareRun run = runOnFirmware(
      {"/bin/sh", "-c",
       "exec 3<>\"$PMCKEYS_DEVICE\" && stty sane <&3 && printf 'AM\\n' >&3 && head -n 1 <&3 && sleep 0.5"});
  EXPECT_EQ(run.process.status, 0) << run.process.err;
  EXPECT_EQ(run.process.out, "ok\n");
  EXPECT_EQ(keysOn(run), nibbles("M"));
}

}  // namespace
