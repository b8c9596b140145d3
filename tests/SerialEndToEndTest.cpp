// pmckeys over a real pseudo-terminal to the simulated board: the exact
// bytes on the line, the timing the board sees, and how faults of the line
// end a run.
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include "arduinoSerialPort/serialport.h"
#include "simulator/PseudoTerminal.h"
#include "tests/support/SimRun.h"

namespace {

const char* const kInPerformanceMode = "summary: the device ended in performance mode";
const char* const kEditBankAndBack = "4d 4d 45 53 45 53 53 45";
const char* const kCalibrationOfPedal1 = "4d 4d 4d 4d 45 4d 4d 4d 4d 4d 4d 4d 45 4d 4d 4d 4d 45 45 45 53 53 53 53 53 "
                                         "45 53 53 53 53 53 53 53 53 45 53 53 53 53 45";
const std::string kHint = " (the device may be left inside its menus: check its display)\n";

void expectRun(const SimRun& run, const std::string& out, const std::string& err, int status) {
  EXPECT_EQ(run.process.out, out);
  EXPECT_EQ(run.process.err, err);
  EXPECT_EQ(run.process.status, status);
  EXPECT_EQ(run.process.signal, 0);
}

TEST(SerialEndToEnd, ReturnAlongTheTrailWithItsTiming) {
  const SimRun run = runUnderSim({"rd", "editbank", "enter"});
  expectRun(run, "PREV ENTER PREV PREV  ENTER", "", 0);
  EXPECT_EQ(run.bytes, kEditBankAndBack);
  EXPECT_EQ(run.ending, kInPerformanceMode);
  EXPECT_TRUE(run.warnings.empty());
  ASSERT_EQ(run.times.size(), 8u);
  EXPECT_GE(run.times[0], 2.0);  // the board's start-up pause
  EXPECT_LT(run.times[0], 3.0);
  for (std::size_t i = 1; i < run.times.size(); ++i) {
    const double gap = run.times[i] - run.times[i - 1];
    EXPECT_GE(gap, i == 3 ? 0.5 + 0.075 : 0.075) << "before key " << i;  // 500 ms before the return
    EXPECT_LT(gap, i == 3 ? 0.8 : 0.3) << "before key " << i;
  }
}

TEST(SerialEndToEnd, KeysHexTokensAndUnknownTokens) {
  const SimRun run =
      runUnderSim({"editbank", "0x41", "0xff", "0xF3", "0XFBB", "0x100", "foo", "Mode", "n-off", "+", "-"});
  expectRun(run, "",
            "WARNING: no key has the code <0x41>\nWARNING: no key has the code <0xff>\n"
            "WARNING: no key has the code <0xfbb>\nWARNING: no key has the code <0x100>\n"
            "WARNING: unknown command: <FOO>\n", 1);
  EXPECT_EQ(run.bytes, "4d 4d 45 39 36 2b 2d");
}

// A closed stream is as good as /dev/null; a failed write is reported only
// after every key.
TEST(SerialEndToEnd, StandardStreamsNeitherReachTheLineNorCutTheKeysShort) {
  const struct {
    std::vector<std::string> args;
    const char* shell;
    const char* out;
    std::string err;
    const char* bytes;
    int status;
  } cases[] = {
      {{"menux"}, "exec \"$@\" 2>&-", "", "", "", 1},
      {{"rd", "editbank", "enter"}, "exec \"$@\" >&-", "", "", kEditBankAndBack, 0},
      {{"calibratepedal", "1"}, "exec \"$@\" >&- </dev/null", "", "", kCalibrationOfPedal1, 0},
      {{"rd", "editbank", "enter"}, "exec \"$@\" >/dev/full", "", kStandardOutputFull, kEditBankAndBack, 1},
      {{"calibratepedal", "1"}, "{ \"$@\" </dev/null; echo $? >&2; } | head -c1 >/dev/null", "",
       "pmckeys: cannot write to standard output: Broken pipe\n1\n", kCalibrationOfPedal1, 0},
  };
  for (const auto& c : cases) {
    const SimRun run = runUnderSim(c.args, {}, nullptr, c.shell);
    expectRun(run, c.out, c.err, c.status);
    EXPECT_EQ(run.bytes, c.bytes) << c.shell;
  }
}

TEST(SerialEndToEnd, ChannelProcedure) {
  const SimRun run = runUnderSim({"pmcchannel", "16"});
  expectRun(run, "PMCCHANNEL 16\nPREV PREV PREV ENTER PREV ENTER PREV PREV PREV PREV  ENTER", "", 0);
  EXPECT_EQ(run.bytes, "4d 4d 4d 4d 45 45 4d 4d 31 36 53 53 53 45 53 45 53 53 53 53 45");
  EXPECT_EQ(run.ending, kInPerformanceMode);
}

TEST(SerialEndToEnd, InteractiveCalibration) {
  const SimRun run = runUnderSim({"calibratepedal", "2"}, {}, "ok\nok\n");
  expectRun(run,
            "Place pedal 2 down, then\ntype \"ok\" followed by return key when done.\n"
            "Place pedal 2 up, then\ntype \"ok\" followed by return key when done.\ndone.\n",
            "", 0);
  EXPECT_EQ(run.times.size(), 19u + 2u + 21u);
  EXPECT_EQ(run.ending, kInPerformanceMode);
}

TEST(SerialEndToEnd, StartOfCalibrationLeavesTheDeviceInTheSetup) {
  const SimRun run = runUnderSim({"startcalibratepedal", "1"});
  expectRun(run, "", "", 0);
  EXPECT_EQ(run.bytes, "4d 4d 4d 4d 45 4d 4d 4d 4d 4d 4d 4d 45 4d 4d 4d 4d 45");
  EXPECT_EQ(run.ending, "summary: the device was left in SETUPEXPRPEDL1ENTER, not in performance mode");
}

TEST(SerialEndToEnd, SilentBoardEndsTheRunAfterTheBound) {
  const SimRun run = runUnderSim({"menu", "enter"}, {"--fault", "silent"});
  expectRun(run, "", "pmckeys: ArduinoSerial failed:no reply from the board within 2000 ms" + kHint, 1);
  EXPECT_EQ(run.bytes, "4d");
  EXPECT_LT(run.process.seconds, 6.0);
}

// Also when the line is the controlling terminal (a run in its own session,
// as from cron), which the hang-up would otherwise kill.
TEST(SerialEndToEnd, HangUpMidSequenceEndsTheRunAtOnce) {
  for (const char* shell : {"exec \"$@\"", "exec setsid -w \"$@\""}) {
    const SimRun run =
        runUnderSim({"menu", "menu", "menu"}, {"--fault", "hangup", "--fault-after", "1"}, nullptr, shell);
    expectRun(run, "", "pmckeys: ArduinoSerial failed:writeString" + kHint, 1);
    EXPECT_EQ(run.bytes, "4d 4d");
    EXPECT_LT(run.process.seconds, 3.0);
  }
}

// What the board printed at reset is no reply: the first key still waits
// for its own, so every reply stays with its key.
TEST(SerialEndToEnd, ABannerAtResetIsNoReply) {
  PseudoTerminal pty;
  close(serialport_init(pty.slavePath().c_str(), 9600));  // no echo of the banner
  ASSERT_EQ(write(pty.master(), "board ready\n", 12), 12);
  ProcessOptions options;
  options.env["PMCKEYS_DEVICE"] = pty.slavePath();
  const ProcessResult result = runProcess(PMCKEYS_BINARY, {"menu"}, options);
  EXPECT_EQ(result.err, "pmckeys: ArduinoSerial failed:no reply from the board within 2000 ms" + kHint);
}

TEST(SerialEndToEnd, OverlongReplyIsRefused) {
  const SimRun run = runUnderSim({"r", "menu"}, {"--fault", "overlong"});
  expectRun(run, "", "pmckeys: ArduinoSerial failed:reply of 255 bytes or more without a line end" + kHint, 1);
  EXPECT_EQ(run.bytes, "4d");
}

TEST(SerialEndToEnd, ABusyDeviceGetsNothingAndTheRunSaysWhy) {
  PseudoTerminal pty;
  const int holder = serialport_init(pty.slavePath().c_str(), 9600);  // as a first run would
  ASSERT_GE(holder, 0);
  ProcessOptions options;
  options.env["PMCKEYS_DEVICE"] = pty.slavePath();
  const ProcessResult result = runProcess(PMCKEYS_BINARY, {"pmcchannel", "3"}, options);
  const std::string busy = "pmckeys: serial device <" + pty.slavePath() + "> is busy: another program is using it\n";
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, busy);
  EXPECT_EQ(result.out, "PMCCHANNEL 3\n");  // written before the line is opened
  struct pollfd pfd = {pty.master(), POLLIN, 0};
  EXPECT_EQ(poll(&pfd, 1, 100), 0) << "the second run wrote to the line";
  const ProcessResult listing = runProcess(PMCKEYS_BINARY, {"commands"}, options);  // its result needs no line
  EXPECT_EQ(listing.status, 0);
  EXPECT_EQ(listing.err, busy);
  EXPECT_EQ(listing.out, readTestFile("commands.txt"));
  close(holder);
}

}  // namespace
