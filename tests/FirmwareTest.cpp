// The open board firmware on an emulated ATmega328P, driven by pmckeys over a serial line: the four key lines it
// drives. What pmckeys sends is checked on the line itself (SerialEndToEndTest).
#include <gtest/gtest.h>

#include <sstream>

#include "arduinoSerialPort/ArduinoSerialPort.h"
#include "tests/support/Process.h"

namespace {

struct Change { std::string what; double us; unsigned nibble; };  // what: "port" or "ddr"

// Runs the command against the firmware; the changes of the key lines.
std::vector<Change> runOnFirmware(const std::vector<std::string>& command, const std::string& out) {
  const std::string record = scratchFile();
  std::vector<std::string> args{PMCKEYS_FIRMWARE_ELF, record, "--"};
  args.insert(args.end(), command.begin(), command.end());
  const ProcessResult result = runProcess(PMCKEYS_HARNESS, args);
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, out);
  std::istringstream in(takeFile(record));
  std::vector<Change> changes;
  Change change;
  while (in >> change.what >> change.us >> std::hex >> change.nibble >> std::dec) changes.push_back(change);
  return changes;
}

// The characters of the keys the lines carried, checking that the lines were high before they became
// outputs, each key was held 15 ms, and the lines went back to all high (no key) for 15 ms between keys.
std::string keysOn(const std::vector<Change>& changes) {
  std::string keys;
  EXPECT_GE(changes.size(), 2u);
  if (changes.size() < 2) return keys;
  EXPECT_EQ(changes[0].what + " " + std::to_string(changes[0].nibble), "port 15");
  EXPECT_EQ(changes[1].what + " " + std::to_string(changes[1].nibble), "ddr 15");
  for (std::size_t i = 2; i < changes.size(); ++i) {
    const double since = changes[i].us - changes[i - 1].us;
    EXPECT_EQ(changes[i].what, "port");
    if (i % 2 == 1) {
      EXPECT_EQ(changes[i].nibble, 0xfu) << "change " << i << " is no release";
      EXPECT_GE(since, 14900) << "key " << keys.size();
      EXPECT_LE(since, 16000) << "key " << keys.size();
    } else {
      EXPECT_TRUE(i == 2 || since >= 15000) << "released too briefly before key " << keys.size() + 1;
      keys += ArduinoSerialPort::keyCharacter(0xf0 | static_cast<int>(changes[i].nibble));
    }
  }
  EXPECT_EQ(changes.size() % 2, 0u) << "the last key was not released";
  return keys;
}

// Each key once. (The tool's start-up pause is timed on the line itself: the
// emulation falls behind the wall clock on a loaded machine.)
TEST(Firmware, EveryKeyOnItsLines) {
  const std::vector<Change> changes = runOnFirmware(
      {PMCKEYS_BINARY, "9", "1", "5", "enter", "7", "prev", "3", "+", "8", "0", "4", "menu", "6", "-", "2"}, "");
  EXPECT_EQ(keysOn(changes), "915E7S3+804M6-2");
}

// A line in the terminal's default echo mode sends every answer back to the board, "ready" too; in the half
// second the line stays open after them, the echo presses nothing. A key after probes is pressed as ever.
TEST(Firmware, OnlyKeysAndTheProbeAreAnsweredAndAnEchoedAnswerPressesNothing) {
  const std::vector<Change> changes = runOnFirmware(
      {"/bin/sh", "-c",
       "exec 3<>\"$PMCKEYS_DEVICE\" && stty sane <&3 && printf '?A?M\\n' >&3 && head -n 3 <&3 && sleep 0.5"},
      "ready\nready\nok\n");
  EXPECT_EQ(keysOn(changes), "M");
}

}  // namespace
