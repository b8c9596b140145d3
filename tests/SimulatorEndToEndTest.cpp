// pmckeys-sim as a user runs it: wrapping a command, and serving a board
// for a command run by hand.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

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

TEST(SimulatorEndToEnd, SummarySaysWhatHappenedToTheData) {
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"menu"},
       "summary: 1 key received: 4d\nsummary: the device was left in EDITPATCH, not in performance mode\n"
       "summary: the command exited with status 0\n"},
      {{"factorypresets", "enter", "enter"},
       "summary: carried out on a real device: factory reset: erases every patch, bank and set\n"
       "summary: the command exited with status 0\n"},
  };
  for (const auto& c : cases) {
    const std::string trace = runUnderSim(c.first).trace;
    ASSERT_GE(trace.size(), c.second.size());
    EXPECT_EQ(trace.substr(trace.size() - c.second.size()), c.second) << trace;
  }
}

TEST(SimulatorEndToEnd, AReturnThatWouldConfirmAnOperationPressesNothing) {
  const SimRun run = runUnderSim({"r", "factorypresets", "enter"});
  EXPECT_EQ(run.process.status, 1);
  EXPECT_NE(run.trace.find("summary: 0 keys received"), std::string::npos) << run.trace;
  EXPECT_EQ(run.process.err.compare(0, 18, "pmckeys: refused: "), 0) << run.process.err;
}

TEST(SimulatorEndToEnd, PassesTheCommandsStatusOn) {
  EXPECT_EQ(runProcess(PMCKEYS_SIM_BINARY, {"--", "/nonexistent/command"}).status, 127);
  EXPECT_EQ(runProcess(PMCKEYS_SIM_BINARY, {"--", "/bin/sh", "-c", "exit 7"}).status, 7);
  const ProcessResult bad = runProcess(PMCKEYS_SIM_BINARY, {"--fault", "melt"});
  EXPECT_EQ(bad.status, 2);
  EXPECT_EQ(bad.err.substr(0, bad.err.find('\n')), "pmckeys-sim: unknown fault <melt>");
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
  const ProcessResult run = runProcess(PMCKEYS_BINARY, {"r", "editset"}, options);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");

  kill(sim, SIGINT);
  std::string rest;
  while (fgets(line, sizeof line, trace) != nullptr) rest += line;
  fclose(trace);
  int status = 0;
  waitpid(sim, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_NE(rest.find("summary: 7 keys received: 4d 4d 4d 53 53 53 45\n"), std::string::npos) << rest;
  EXPECT_NE(rest.find("summary: the device ended in performance mode\n"), std::string::npos);
}

}  // namespace
