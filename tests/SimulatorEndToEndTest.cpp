// pmckeys-sim as a user runs it: wrapping a command, and serving a board for a command run by hand.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <regex>

#include "process/ChildCommand.h"
#include "tests/support/SimRun.h"
#include "tests/support/Terminal.h"

namespace {

// The trace on standard output tells key by key where the device went (the summary: SerialEndToEndTest).
TEST(SimulatorEndToEnd, DemoShowsTheWayInAndBackOnStandardOutput) {
  const ProcessResult result = runProcess(PMCKEYS_SIM_BINARY, {"--", PMCKEYS_BINARY, "rd", "editbank", "enter"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "");
  std::size_t at = 0;
  for (const char* expected : {"'M'   MENU/NEXT  -> EDITPATCH\n", "'E'   ENTER      -> EDITBANKNR\n",
                               ": the return along the trail begins --\n", "'E'   ENTER      -> performance mode\n",
                               "PREV ENTER PREV PREV  ENTER\nsummary: 8 keys received"}) {
    at = result.out.find(expected, at);
    EXPECT_NE(at, std::string::npos) << expected << " in\n" << result.out;
  }
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
      {R"("$0" -- sh -c 'kill -HUP $PPID; exec sleep 30' | grep -x 'summary: the command exited with status 129')",
       "", "0"},
      {R"(exec "$0" --trace /nonexistent/trace -- sh -c 'echo started >&2')",
       "pmckeys-sim: cannot write to the trace file </nonexistent/trace>: No such file or directory\n", "1"},
      {R"(exec "$0" --trace)", "pmckeys-sim: --trace needs a FILE\n" + usage, "2"},
      {R"(exec "$0" --fault melt)", "pmckeys-sim: unknown fault <melt>\n" + usage, "2"},
      {R"(exec "$0" --fault-after 3x -- true)", count + "3x>\n" + usage, "2"},
      {R"(exec "$0" --fault-after 99999999999 -- true)", count + "99999999999>\n" + usage, "2"},
      {R"(exec "$0" --fault-after -1 -- true)", count + "-1>\n" + usage, "2"},
      {R"(exec "$0" --fault-after 1000000 -- true)", "", "0"},
      {R"(exec "$0" --dump-size 10 -- true)",
       "pmckeys-sim: --dump-size takes a whole number from 11 to 1048576, not <10>\n" + usage, "2"},
      // standard output closed: the line carries the key's answer and nothing of the trace; setting the line
      // resets the board, whose bootloader (1.6 s) takes a key 0.6 s (to 1.6 s) later; 1.3 s after that
      // key the board is up, where a board reset by that key would not be
      {R"(exec "$0" -- sh -c 'stty raw -echo min 0 time 20 <"$PMCKEYS_DEVICE"; exec 3<>"$PMCKEYS_DEVICE";)"
       R"( sleep 0.6; printf M >&3; sleep 1.3; printf M >&3; cat <&3 >&2' >&-)", "ok\n", "0"},
      {R"(exec "$0" -- true >/dev/full)", cannot + "standard output: No space left on device\n", "1"},
      {R"(exec "$0" --help >/dev/full)", cannot + "standard output: No space left on device\n", "1"},
      {R"(exec "$0" --trace /dev/full -- true)", cannot + "the trace file </dev/full>: No space left on device\n", "1"},
      // the command ends once the reader of its output has gone
      {R"("$0" -- sh -c 'trap "" PIPE; while echo; do sleep 0.1; done 2>&-' | :; exit ${PIPESTATUS[0]})",
       cannot + "standard output: Broken pipe\n", "1"},
  };
  for (const auto& c : cases) {
    const ProcessResult result = runProcess("/bin/bash", {"-c", c[0], PMCKEYS_SIM_BINARY});
    EXPECT_EQ(result.err, c[1]) << c[0];
    EXPECT_EQ(std::to_string(result.status), c[2]) << c[0];
  }
}

// One terminal for the trace and the command: a line the command left without its end (a progress line, here a
// stand-in) is cleared by the next trace line, not run into.
TEST(SimulatorEndToEnd, TraceLinesClearALineTheCommandLeftOpen) {
  Terminal terminal(PMCKEYS_SIM_BINARY " --fault noready -- sh -c 'printf \"sent 3072 bytes, 3 messages\" >&2; exec "
                    PMCKEYS_BINARY " menu'");
  ASSERT_TRUE(terminal.waitFor("summary: the command exited with status 0")) << terminal.screen();
  const std::string screen = terminal.screen();
  EXPECT_EQ(screen.find("sent 3072"), std::string::npos) << screen;
  EXPECT_TRUE(std::regex_search(screen, std::regex("(^|\n) +[0-9.]+ s  'M'"))) << screen;  // the key's line from its start
}

// The heading is on the terminal before the line is opened (2 s), the listing only after.
TEST(SimulatorEndToEnd, TheCommandsHeadingComesBeforeTheLineIsOpened) {
  Terminal terminal(PMCKEYS_SIM_BINARY " -- " PMCKEYS_BINARY " commands");
  ASSERT_TRUE(terminal.waitFor("  Available Commands\n")) << terminal.screen();
  EXPECT_EQ(terminal.screen().find("-> 0xf7"), std::string::npos) << terminal.screen();
  EXPECT_TRUE(terminal.waitFor("summary: the command exited with status 0"));
}

TEST(SimulatorEndToEnd, ServesABoardForACommandRunByHand) {
  int out[2];
  ASSERT_EQ(pipe(out), 0);
  ChildCommand board;
  board.argv = {PMCKEYS_SIM_BINARY};
  board.out = out[1];
  const pid_t sim = board.start("pmckeys-sim");
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
  const ProcessResult run = runProcess(PMCKEYS_BINARY, {"r", "editset"}, options);  // waits out the reset
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  // A client that leaves the line as it finds it: no echo, so no loop.
  const char* echoing = R"(exec 3<>"$PMCKEYS_DEVICE" && echo 1 >&3 && head -n 1 <&3)";
  EXPECT_EQ(runProcess("/bin/sh", {"-c", echoing}, options).out, "ok\n");

  kill(sim, SIGINT);
  std::string rest;
  while (fgets(line, sizeof line, trace) != nullptr) rest += line;
  fclose(trace);
  int status = 0;
  waitpid(sim, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 130) << status;
  EXPECT_NE(rest.find("summary: 9 keys received: 4d 4d 4d 53 53 53 45 31 0a\n"), std::string::npos) << rest;
  EXPECT_NE(rest.find("summary: the device ended in performance mode\n"), std::string::npos);
}

}  // namespace
