// pmckeys over a real pseudo-terminal to the simulated board: the exact bytes on the line, the timing the
// board sees, how faults of the line end a run, the simulator's account; the procedures' whole key sequences.
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <future>
#include <map>

#include "arduinoSerialPort/serialport.h"
#include "simulator/PseudoTerminal.h"
#include "tests/support/Expected.h"
#include "tests/support/PseudoTerminalIo.h"
#include "tests/support/SimRun.h"

namespace {

const std::string kBackHome = "summary: the device ended in performance mode\n";
const std::string kCalibrated =
    kBackHome + "summary: carried out on a real device: stores pedal 1's calibration (its down and up positions)\n";
const std::string kEditBankAndBack = "4d 4d 45 53 45 53 53 45";
const std::string kCalibrationOfPedal1 = "4d 4d 4d 4d 45 4d 4d 4d 4d 4d 4d 4d 45 4d 4d 4d 4d 45 45 45 53 53 53 53 53 "
                                         "45 53 53 53 53 53 53 53 53 45 53 53 53 53 45";
const std::string kFailed = "pmckeys: ArduinoSerial failed:";
const std::string kHint = " (the device may be left inside its menus: check its display)\n";

std::string leftIn(const std::string& place) {
  return "summary: the device was left in " + place + ", not in performance mode\n";
}

// One run of pmckeys under pmckeys-sim: its outputs and status, the bytes on the line and the simulator's
// account of them; each a test of its own, so that they run side by side.
struct SimCase {
  const char* name;
  std::vector<std::string> args;
  std::string out, err;
  int status;
  std::string bytes;   // what the board received
  std::string ending;  // the summary's lines on the device and on what was carried out
  std::vector<std::string> sim = {};          // options of pmckeys-sim
  const char* shell = nullptr;                // a sh command line that runs "$@" (pmckeys and its arguments)
  const char* input = nullptr;                // standard input
  std::vector<std::string> lastWarnings = {};  // the trace's last warnings, after those on the way in
  double lastKeyToEnd = 0;                    // the seconds from the board's last key to the end, when that matters
  std::string memory = kUserMemory;           // what the summary says the device's memory holds
};

// A closed stream is as good as /dev/null; a failed write is reported after every key. A fault of the line
// ends the run at once with a reason.
const SimCase kRuns[] = {
    {"KeysHexTokensAndUnknownTokens", {"editbank", "0x41", "0xff", "0xF3", "0XFBB", "0x100", "foo", "Mode", "n-off",
     "+", "-", "cc"}, "", "WARNING: no key has the code <0x41>\nWARNING: no key has the code <0xff>\nWARNING: no "
     "key has the code <0xfbb>\nWARNING: no key has the code <0x100>\nWARNING: unknown command: <FOO>\n", 1,
     "4d 4d 45 39 36 2b 2d 32", leftIn("EDITBANKNR")},
    {"ChannelProcedure", {"pmcchannel", "10"}, std::string("PMCCHANNEL 10\n") + kChannelTrail, "", 0,
     "4d 4d 4d 4d 45 45 4d 4d 31 30 53 53 53 45 53 45 53 53 53 53 45", kBackHome},
    {"InteractiveCalibration", {"calibratepedal", "1"}, kPedal1Prompts, "", 0, kCalibrationOfPedal1, kCalibrated, {},
     nullptr, "ok\nok\n"},
    {"StartOfCalibration", {"startcalibratepedal", "1"}, "", "", 0, kCalibrationOfPedal1.substr(0, 18 * 3 - 1),
     leftIn("SETUPEXPRPEDL1ENTER"), {}, nullptr, nullptr,
     {"!! SETUPEXPRPEDL1ENTER: ENTER here stores pedal 1's calibration (its down and up positions)"}},
    {"AnOperationCarriedOut", {"expndpatch", "enter"}, "", "", 0, "4d 4d 4d 4d 45 4d 4d 4d 4d 45 45",
     leftIn("EXPNDCOMPLETE") + "summary: carried out on a real device: rewrites patches (expands running status)\n",
     {}, nullptr, nullptr, {"!! EXPNDRNSTAT: rewrites patches (expands running status) (ENTER starts it)",
                            "!!! CARRIED OUT on a real device: rewrites patches (expands running status)"}},
    {"FactoryReset", {"factorypresets", "enter", "enter"}, "", "", 0, "4d 4d 4d 4d 45 4d 4d 4d 4d 4d 4d 45 45",
     leftIn("RESETCOMPLETE") + "summary: carried out on a real device: factory reset: erases every patch, bank and "
     "set\n", {}, nullptr, nullptr, {"!!! CARRIED OUT on a real device: factory reset: erases every patch, bank and "
     "set"}, 0, kFactoryMemory},
    {"ClosedStandardError", {"menux"}, "", "", 1, "", kBackHome, {}, "exec \"$@\" 2>&-"},
    {"ClosedStandardOutput", {"rd", "editbank", "enter"}, "", "", 0, kEditBankAndBack, kBackHome, {},
     "exec \"$@\" >&-"},
    {"ClosedStandardOutputAndInput", {"calibratepedal", "1"}, "", "", 0, kCalibrationOfPedal1, kCalibrated, {},
     "exec \"$@\" >&- </dev/null"},
    {"FullStandardOutput", {"rd", "editbank", "enter"}, "", kStandardOutputFull, 1, kEditBankAndBack, kBackHome, {},
     "exec \"$@\" >/dev/full"},
    {"BrokenPipe", {"calibratepedal", "1"}, "", "pmckeys: cannot write to standard output: Broken pipe\n1\n", 0,
     kCalibrationOfPedal1, kCalibrated, {}, "{ \"$@\" </dev/null; echo $? >&2; } | head -c1 >/dev/null"},
    // The 2 s the reply may take, then the end; bounded at three times that.
    {"SilentBoard", {"menu", "enter"}, "", kFailed + "no reply from the board within 2000 ms" + kHint, 1, "4d",
     leftIn("EDITPATCH"), {"--fault", "silent"}, nullptr, nullptr, {}, 6.0},
    {"OverlongReply", {"r", "menu"}, "", kFailed + "reply of 255 bytes or more without a line end" + kHint, 1, "4d",
     leftIn("EDITPATCH"), {"--fault", "overlong"}},
    // A hang-up ends the run at once (0.1 s), where a read that missed it would wait for the reply's 2 s.
    {"HangUp", {"menu", "menu", "menu"}, "", kFailed + "writeString" + kHint, 1, "4d 4d", leftIn("EDITBANK"),
     {"--fault", "hangup", "--fault-after", "1"}, nullptr, nullptr, {}, 1.0},
    // A run in its own session (as from cron), whose controlling terminal the line becomes.
    {"HangUpOfTheControllingTerminal", {"menu", "menu", "menu"}, "", kFailed + "writeString" + kHint, 1, "4d 4d",
     leftIn("EDITBANK"), {"--fault", "hangup", "--fault-after", "1"}, "exec setsid -w \"$@\"", nullptr, {}, 1.0},
};

class SerialEndToEnd : public testing::TestWithParam<SimCase> {};

TEST_P(SerialEndToEnd, OnTheLine) {
  const SimCase& c = GetParam();
  const SimRun run = runUnderSim(c.args, c.sim, c.input, c.shell);
  EXPECT_EQ(run.process.out, c.out);
  EXPECT_EQ(run.process.err, c.err);
  EXPECT_EQ(run.process.status, c.status);
  EXPECT_EQ(run.process.signal, 0);
  EXPECT_EQ(run.bytes, c.bytes);
  const std::string end = c.ending + "summary: the memory holds " + c.memory +
                          "\nsummary: the command exited with status " + std::to_string(c.status) + "\n";
  ASSERT_GE(run.trace.size(), end.size());
  EXPECT_EQ(run.trace.substr(run.trace.size() - end.size()), end);
  ASSERT_GE(run.warnings.size(), c.lastWarnings.size());
  EXPECT_EQ(std::vector<std::string>(run.warnings.end() - static_cast<long>(c.lastWarnings.size()), run.warnings.end()),
            c.lastWarnings);
  if (c.lastKeyToEnd > 0) {
    ASSERT_FALSE(run.times.empty());
    EXPECT_LT(run.process.seconds - run.times.back(), c.lastKeyToEnd);
  }
}

INSTANTIATE_TEST_SUITE_P(Runs, SerialEndToEnd, testing::ValuesIn(kRuns),
                         [](const testing::TestParamInfo<SimCase>& info) { return std::string(info.param.name); });

// A board held up by a loaded machine shortens one gap and lengthens the next: the typical gap tells the
// tool's pauses (2 x 15 ms and 50 ms a key). The board ignores the probe, so it gets 2 s to start. Upper
// bounds: three times the expected times.
TEST(SerialEndToEndTiming, ReturnAlongTheTrail) {
  const SimRun run = runUnderSim({"rd", "editbank", "enter"}, {"--fault", "noready"});
  EXPECT_EQ(run.process.out, "PREV ENTER PREV PREV  ENTER");
  EXPECT_TRUE(run.warnings.empty());
  ASSERT_EQ(run.times.size(), 8u);
  EXPECT_GE(run.times[0], 2.0);  // the board's start-up pause
  EXPECT_LT(run.times[0], 6.0);
  std::vector<double> gaps;
  for (std::size_t i = 1; i < run.times.size(); ++i) gaps.push_back(run.times[i] - run.times[i - 1]);
  EXPECT_GE(gaps[2], 0.5) << "the pause before the return";
  EXPECT_LT(gaps[2], 1.5);
  gaps.erase(gaps.begin() + 2);
  std::sort(gaps.begin(), gaps.end());
  EXPECT_GE(gaps[gaps.size() / 2], 0.070) << "the typical gap between two keys";
  EXPECT_LT(gaps[gaps.size() / 2], 0.3);
}

// pmckeys refuses such a return, so a stand-in whose first argument is r gives it: one run into a pedal's
// step, then, after the pause of opening the line again, PREV there.
TEST(SerialEndToEndByHand, AReturnThroughAStepIsWarnedAbout) {
  const ScratchFolder folder;
  const std::string standIn = folder.path + "/return";
  std::ofstream(standIn) << "#!/bin/sh\n" PMCKEYS_BINARY " setupexprpedl1enter && exec " PMCKEYS_BINARY " prev\n";
  chmod(standIn.c_str(), 0755);
  const std::string trace = scratchFile();
  const ProcessResult sim = runProcess(PMCKEYS_SIM_BINARY, {"--fault", "noready", "--trace", trace, "--", standIn, "r"});
  const SimRun run = readTrace(trace);
  std::remove(trace.c_str());
  EXPECT_EQ(sim.status, 0);
  EXPECT_EQ(run.warnings.back(), "WARNING: the return along the trail passes through SETUPEXPRPEDL1ENTER, a step "
                                 "inside an item, where ENTER confirms: on a real device it may carry out the operation");
}

// Two runs of "menu" one after the other. The first open finds the board just reset: the key comes once it
// answers the probe (1.6 s), before the 2 s a board that ignores the probe gets; the second run finds it up
// and presses its key in a tenth of a second (a board reset again: 1.6 s). A board that ignores the probe
// gets its 2 s each time (bounded at three times that). The trace times a key when the board answered it.
struct FirstKeyCase {
  const char* name;
  std::vector<std::string> sim;
  double firstLeast, firstBelow, gapLeast, gapBelow;  // the first key after the start; on to the second run's key
};

const FirstKeyCase kFirstKeys[] = {
    {"AnsweringBoard", {}, 1.6, 2.03, 0.05, 1.0},
    {"BoardIgnoringTheProbe", {"--fault", "noready"}, 2.0, 6.0, 2.0, 6.0},
};

class SerialEndToEndFirstKey : public testing::TestWithParam<FirstKeyCase> {};

TEST_P(SerialEndToEndFirstKey, ComesWhenTheBoardIsUp) {
  const FirstKeyCase& c = GetParam();
  const SimRun run = runUnderSim({"menu"}, c.sim, nullptr, "\"$@\" && exec \"$@\"");
  EXPECT_EQ(run.process.status, 0);
  EXPECT_EQ(run.bytes, "4d 4d");
  ASSERT_EQ(run.times.size(), 2u) << run.trace;
  EXPECT_GE(run.times[0], c.firstLeast);
  EXPECT_LT(run.times[0], c.firstBelow);
  EXPECT_GE(run.times[1] - run.times[0], c.gapLeast);
  EXPECT_LT(run.times[1] - run.times[0], c.gapBelow);
}

INSTANTIATE_TEST_SUITE_P(Boards, SerialEndToEndFirstKey, testing::ValuesIn(kFirstKeys),
                         [](const testing::TestParamInfo<FirstKeyCase>& info) { return std::string(info.param.name); });

// What the board printed at reset is no reply: the first key waits for its own, so replies stay with keys.
TEST(SerialEndToEndByHand, ABannerAtResetIsNoReply) {
  PseudoTerminal pty;
  close(serialport_init(pty.slavePath().c_str(), 9600));  // no echo of the banner
  ASSERT_EQ(write(pty.master(), "board ready\n", 12), 12);
  const ProcessResult result = runProcess(PMCKEYS_BINARY, {"menu"}, withEnv({{"PMCKEYS_DEVICE", pty.slavePath()}}));
  EXPECT_EQ(result.err, kFailed + "no reply from the board within 2000 ms" + kHint);
}

// Boards of the test's own on a pseudo-terminal, for seven MENUs: each probe answered `ready` readyMs late,
// the first `answered` keys each 100 ms after it came (longer than pmckeys' 50 ms pause, so that a key whose
// reply was taken from another line goes out before the key before has its answer), lines ending in lineEnd.
struct PlayedBoard {
  const char* name;
  int readyMs;
  const char* lineEnd;
  std::size_t answered;
  std::string keys, err;  // what the board receives, what pmckeys says
};

const PlayedBoard kPlayedBoards[] = {
    // Before, the late `ready` lines stood in for the replies of the first keys.
    {"LateReady", 300, "\n", 7, "MMMMMMM", ""},
    // Before, all seven keys went out although the board stopped answering after three.
    {"LateReadyThenSilent", 300, "\n", 3, "MMMM", kFailed + "no reply from the board within 2000 ms" + kHint},
    {"ReadyWithCarriageReturn", 0, "\r\n", 7, "MMMMMMM", ""},
    {"LateReadyWithCarriageReturn", 300, "\r\n", 7, "MMMMMMM", ""},
};

class SerialEndToEndPlayedBoard : public testing::TestWithParam<PlayedBoard> {};

TEST_P(SerialEndToEndPlayedBoard, EachKeyWaitsForItsOwnReply) {
  using Clock = std::chrono::steady_clock;
  const PlayedBoard& board = GetParam();
  PseudoTerminal pty;
  const ProcessOptions options = withEnv({{"PMCKEYS_DEVICE", pty.slavePath()}});
  const Clock::time_point start = Clock::now();
  std::future<ProcessResult> run = std::async(std::launch::async, [&] {
    return runProcess(PMCKEYS_BINARY, std::vector<std::string>(7, "menu"), options);
  });
  std::multimap<Clock::time_point, std::string> due;  // the board's answers, by when they leave
  std::string keys;
  std::size_t answered = 0, early = 0;
  double firstKey = 0;
  while (run.wait_for(std::chrono::seconds(0)) != std::future_status::ready) {
    for (const char c : drain(pty, 5)) {
      const bool probe = c == '?';
      if (!probe && keys.size() > answered) ++early;
      if (!probe && keys.empty()) firstKey = std::chrono::duration<double>(Clock::now() - start).count();
      if (!probe) keys += c;
      if (probe || keys.size() <= board.answered) {
        const int ms = probe ? board.readyMs : 100;
        due.emplace(Clock::now() + std::chrono::milliseconds(ms), (probe ? "ready" : "ok") + std::string(board.lineEnd));
      }
    }
    for (; !due.empty() && due.begin()->first <= Clock::now(); due.erase(due.begin())) {
      answer(pty, due.begin()->second);
      if (due.begin()->second[0] == 'o') ++answered;
    }
  }
  const ProcessResult result = run.get();
  EXPECT_EQ(result.err, board.err);
  EXPECT_EQ(result.status, board.err.empty() ? 0 : 1);
  EXPECT_EQ(keys, board.keys);
  EXPECT_EQ(early, 0u) << "keys sent before the key before had its answer";
  // The first key follows the board's `ready` (0 or 0.3 s); the whole 2 s would mean it was not taken for one.
  EXPECT_LT(firstKey, 1.0);
}

INSTANTIATE_TEST_SUITE_P(Boards, SerialEndToEndPlayedBoard, testing::ValuesIn(kPlayedBoards),
                         [](const testing::TestParamInfo<PlayedBoard>& info) { return std::string(info.param.name); });

TEST(SerialEndToEndByHand, ABusyDeviceGetsNothingAndTheRunSaysWhy) {
  PseudoTerminal pty;
  const int holder = serialport_init(pty.slavePath().c_str(), 9600);  // as a first run would
  ASSERT_GE(holder, 0);
  const ProcessOptions options = withEnv({{"PMCKEYS_DEVICE", pty.slavePath()}});
  const std::string busy = "pmckeys: serial device <" + pty.slavePath() + "> is busy: another program is using it\n";
  const ProcessResult result = runProcess(PMCKEYS_BINARY, {"pmcchannel", "3"}, options);
  EXPECT_EQ(result.out + result.err + std::to_string(result.status), "PMCCHANNEL 3\n" + busy + "1");
  struct pollfd pfd = {pty.master(), POLLIN, 0};
  EXPECT_EQ(poll(&pfd, 1, 100), 0) << "the second run wrote to the line";
  const ProcessResult listing = runProcess(PMCKEYS_BINARY, {"commands"}, options);  // its result needs no line
  EXPECT_EQ(listing.out + listing.err + std::to_string(listing.status), readTestFile("commands.txt") + busy + "0");
  close(holder);
}

}  // namespace
