// pmckeys-sim as a user runs it: wrapping a command, and serving a board
// for a command run by hand.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>

#include "tests/support/SimRun.h"

namespace {

TEST(SimulatorEndToEnd, DemoShowsTheWayInAndBackOnStandardOutput) {
  const ProcessResult result = runProcess(PMCKEYS_SIM_BINARY, {"--", PMCKEYS_BINARY, "rd", "editbank", "enter"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "");
  for (const char* expected : {"'M'   MENU/NEXT  -> EDITPATCH\n", "'E'   ENTER      -> EDITBANKNR\n",
                               ": the return along the trail begins --", "PREV ENTER PREV PREV  ENTER",
                               "'E'   ENTER      -> performance mode\n",
                               "summary: the device ended in performance mode\n",
                               "summary: the command exited with status 0\n"}) {
    EXPECT_NE(result.out.find(expected), std::string::npos) << expected;
  }
}

TEST(SimulatorEndToEnd, OperationsAndStepsOnTheWayBackAreCalledOut) {
  const std::pair<std::vector<std::string>, std::vector<std::string>> cases[] = {
      {{"expndpatch", "enter"},
       {"!! EXPNDRNSTAT: rewrites patches (expands running status) (ENTER starts it)",
        "!!! CARRIED OUT on a real device: rewrites patches (expands running status)"}},
      {{"r", "setupexprpedl1enter"},
       {"WARNING: the return along the trail passes through SETUPEXPRPEDL1ENTER, a step inside an item, where "
        "ENTER confirms: on a real device it may carry out the operation"}},
  };
  for (const auto& c : cases) {
    const SimRun run = runUnderSim(c.first);
    EXPECT_EQ(run.process.status, 0);
    ASSERT_GE(run.warnings.size(), c.second.size());  // the last warnings, after those on the way in
    EXPECT_EQ(std::vector<std::string>(run.warnings.end() - c.second.size(), run.warnings.end()), c.second);
  }
}

// In order: keys, where the device ended, operations, memory, status.
TEST(SimulatorEndToEnd, SummarySaysWhatHappenedToTheData) {
  const std::string memory = "summary: the memory holds ";
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"menu"},
       "summary: 1 key received: 4d\nsummary: the device was left in EDITPATCH, not in performance mode\n" + memory +
           kUserMemory + "\nsummary: the command exited with status 0\n"},
      {{"factorypresets", "enter", "enter"},
       "summary: carried out on a real device: factory reset: erases every patch, bank and set\n" + memory +
           kFactoryMemory + "\n"},
  };
  for (const auto& c : cases) {
    const std::string trace = runUnderSim(c.first).trace;
    EXPECT_NE(trace.find(c.second), std::string::npos) << trace;
  }
}

TEST(SimulatorEndToEnd, AReturnThatWouldConfirmAnOperationPressesNothing) {
  const SimRun run = runUnderSim({"r", "factorypresets", "enter"});
  EXPECT_EQ(run.process.status, 1);
  EXPECT_NE(run.trace.find("summary: 0 keys received"), std::string::npos) << run.trace;
  EXPECT_EQ(run.process.err.compare(0, 18, "pmckeys: refused: "), 0) << run.process.err;
}

// As a shell runs it ($0): the status, and standard error whole.
TEST(SimulatorEndToEnd, PassesTheCommandsStatusOnOrSaysWhyNot) {
  const std::string usage = readTestFile("sim-usage.txt");
  EXPECT_EQ(runProcess(PMCKEYS_SIM_BINARY, {"-h"}).out, readTestFile("sim-help.txt"));
  const std::string count = "pmckeys-sim: --fault-after takes a whole number from 0 to 1000000, not <";
  const std::string cannot = "pmckeys-sim: cannot write to ";
  const std::vector<std::array<std::string, 3>> cases = {
      {R"(exec "$0" -- /nonexistent/command)",
       "pmckeys-sim: cannot run </nonexistent/command>: No such file or directory\n", "127"},
      {R"(exec "$0" -- sh -c 'exit 7')", "", "7"},
      {R"(exec "$0" -- sh -c 'kill -TERM $PPID; exec sleep 30')", "", "143"},  // passed on
      {R"(exec "$0" --fault melt)", "pmckeys-sim: unknown fault <melt>\n" + usage, "2"},
      {R"(exec "$0" --fault-after 3x -- true)", count + "3x>\n" + usage, "2"},
      {R"(exec "$0" --fault-after 99999999999 -- true)", count + "99999999999>\n" + usage, "2"},
      {R"(exec "$0" --fault-after -1 -- true)", count + "-1>\n" + usage, "2"},
      {R"(exec "$0" --fault-after 1000000 -- true)", "", "0"},
      {R"(exec "$0" --dump-size 10 -- true)",
       "pmckeys-sim: --dump-size takes a whole number from 11 to 1048576, not <10>\n" + usage, "2"},
      // with standard output closed the line carries the answer to the key and nothing of the trace
      {R"(exec "$0" -- sh -c 'stty raw -echo min 0 time 5 <"$PMCKEYS_DEVICE"; exec 3<>"$PMCKEYS_DEVICE";)"
       R"( printf M >&3; cat <&3 >&2' >&-)", "ok\n", "0"},
      {R"(exec "$0" -- true >/dev/full)", cannot + "standard output: No space left on device\n", "1"},
      {R"(exec "$0" --help >/dev/full)", cannot + "standard output: No space left on device\n", "1"},
      {R"(exec "$0" --trace /dev/full -- true)", cannot + "the trace file </dev/full>: No space left on device\n", "1"},
      {R"("$0" -- sleep 0.3 | :; exit ${PIPESTATUS[0]})", cannot + "standard output: Broken pipe\n", "1"},
  };
  for (const auto& c : cases) {
    const ProcessResult result = runProcess("/bin/bash", {"-c", c[0], PMCKEYS_SIM_BINARY});
    EXPECT_EQ(result.err, c[1]) << c[0];
    EXPECT_EQ(std::to_string(result.status), c[2]) << c[0];
  }
}

TEST(SimulatorEndToEnd, ServesABoardForACommandRunByHand) {
  int out[2];
  ASSERT_EQ(pipe(out), 0);
  const pid_t sim = fork();
  if (sim == 0) {
    dup2(out[1], STDOUT_FILENO);
    close(out[0]);
    execl(PMCKEYS_SIM_BINARY, "pmckeys-sim", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(out[1]);
  FILE* trace = fdopen(out[0], "r");
  char line[256];
  ASSERT_NE(fgets(line, sizeof line, trace), nullptr);
  const std::string first = line;
  const std::string prefix = "pmckeys-sim: simulated board on ";
  ASSERT_EQ(first.compare(0, prefix.size(), prefix), 0) << first;
  const std::string device = first.substr(prefix.size(), first.size() - prefix.size() - 1);

  ProcessOptions options;
  options.env["PMCKEYS_DEVICE"] = device;
  // A client that leaves the line as it finds it: no echo, so no loop.
  const char* echoing = R"(exec 3<>"$PMCKEYS_DEVICE" && echo 1 >&3 && head -n 1 <&3)";
  EXPECT_EQ(runProcess("/bin/sh", {"-c", echoing}, options).out, "ok\n");
  const ProcessResult run = runProcess(PMCKEYS_BINARY, {"r", "editset"}, options);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");

  kill(sim, SIGINT);
  std::string rest;
  while (fgets(line, sizeof line, trace) != nullptr) rest += line;
  fclose(trace);
  int status = 0;
  waitpid(sim, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 130) << status;
  EXPECT_NE(rest.find("summary: 9 keys received: 31 0a 4d 4d 4d 53 53 53 45\n"), std::string::npos) << rest;
  EXPECT_NE(rest.find("summary: the device ended in performance mode\n"), std::string::npos);
}

}  // namespace
