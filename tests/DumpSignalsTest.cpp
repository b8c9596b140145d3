// Signals during a backup, sent to the real process: the walk to the dump
// screen is finished, the wait ends at once, the way back is pressed to its
// end whatever comes, and nothing is saved; on the command line, in a script
// and in the console, for backup and verify alike. The simulated device sends no dump (--fault nodump),
// so that without a signal the wait would run its 30 s.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <fstream>
#include <future>
#include <thread>

#include "midi/MidiSystem.h"
#include "tests/support/JackServer.h"
#include "tests/support/Process.h"
#include "tests/support/SimRun.h"
#include "tests/support/Terminal.h"

namespace {

using Clock = std::chrono::steady_clock;

const std::string kBack = "the device is back in performance mode; nothing saved\n";
const MidiBytes kDump = {0xF0, 0x7D, 0x01, 0xF7};

SimRun traceIn(const std::string& file) {
  SimRun run;
  run.trace = readFile(file);
  parseTrace(run);
  return run;
}

// Polls the trace until the board has received that many keys; the moment
// it saw them.
Clock::time_point awaitKeys(const std::string& trace, std::size_t keys) {
  const Clock::time_point deadline = Clock::now() + std::chrono::seconds(40);
  while (traceIn(trace).times.size() < keys && Clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return Clock::now();
}

// A sh command line that writes its process id (pmckeys' after the exec) to
// the file and runs "$@"; and that id.
std::string recordingPid(const std::string& file) { return "echo $$ > " + file + "; exec \"$@\""; }
pid_t pidIn(const std::string& file) {
  for (int i = 0; i < 3000 && readFile(file).empty(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  return static_cast<pid_t>(std::stol("0" + readFile(file)));
}

// Never 0 or less: that would signal the test's own process group.
void sendSignal(pid_t pid, int number) {
  EXPECT_GT(pid, 0) << "pmckeys never started";
  if (pid > 0) kill(pid, number);
}

struct Shot {
  std::size_t afterKeys;  // once the board has received so many
  int delayMs;
  int signal;
};

struct Case {
  std::vector<std::string> args;
  const char* input;
  std::vector<Shot> shots;
  std::string err;
  int status;
};

struct Outcome {
  SimRun run;
  double reaction;  // from the first signal until the way back's first key was seen
};

Outcome signalled(const Case& c) {
  const std::string trace = scratchFile(), pidFile = scratchFile();
  std::vector<std::string> args = {"--fault", "nodump", "--trace", trace, "--", "/bin/sh", "-c", recordingPid(pidFile),
                                   "sh", PMCKEYS_BINARY};
  args.insert(args.end(), c.args.begin(), c.args.end());
  ProcessOptions options;
  options.input = c.input;
  std::future<ProcessResult> running =
      std::async(std::launch::async, [=] { return runProcess(PMCKEYS_SIM_BINARY, args, options); });
  const pid_t pmckeys = pidIn(pidFile);
  Clock::time_point first;
  for (const Shot& shot : c.shots) {
    awaitKeys(trace, shot.afterKeys);
    std::this_thread::sleep_for(std::chrono::milliseconds(shot.delayMs));
    if (&shot == &c.shots.front()) first = Clock::now();
    sendSignal(pmckeys, shot.signal);
  }
  Outcome outcome;
  outcome.reaction = std::chrono::duration<double>(awaitKeys(trace, 14) - first).count();
  const ProcessResult process = running.get();
  outcome.run = traceIn(trace);
  outcome.run.process = process;
  std::remove(trace.c_str());
  std::remove(pidFile.c_str());
  return outcome;
}

// The walk has 13 keys, the way back 14.
TEST(DumpSignals, StopABackupOnTheCommandLineAndInAScript) {
  JackServer jack;
  ASSERT_TRUE(jack.running());
  ScratchFolder folder;
  const std::string file = folder.path + "/patches.syx", script = "backup " + file + "\ncable\n";
  const std::string saved = scratchFile();
  std::ofstream(saved, std::ios::binary).write(reinterpret_cast<const char*>(kDump.data()), kDump.size());
  const Case cases[] = {
      {{"backup", file}, nullptr, {{13, 300, SIGINT}}, "pmckeys: backup stopped by Ctrl-C: " + kBack, 130},
      {{"backup", file}, nullptr, {{3, 0, SIGTERM}}, "pmckeys: backup stopped by SIGTERM: " + kBack, 143},
      {{"backup", file}, nullptr, {{3, 0, SIGINT}, {5, 0, SIGTERM}}, "pmckeys: backup stopped by SIGTERM: " + kBack, 143},
      {{"backup", file}, nullptr, {{13, 300, SIGHUP}, {16, 0, SIGHUP}}, "pmckeys: backup stopped by SIGHUP: " + kBack,
       129},
      {{"--script", "-"},
       script.c_str(),
       {{3, 0, SIGHUP}, {16, 0, SIGINT}},
       "pmckeys: -:1: backup stopped by SIGHUP: " + kBack,
       1},
      {{"verify", saved}, nullptr, {{13, 300, SIGINT}},
       "pmckeys: verify stopped by Ctrl-C: the device is back in performance mode\n", 130},
  };
  std::vector<std::future<Outcome>> outcomes;
  for (const Case& c : cases) outcomes.push_back(std::async(std::launch::async, [&c] { return signalled(c); }));
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const Outcome outcome = outcomes[i].get();
    const SimRun& run = outcome.run;
    EXPECT_EQ(run.process.out, "") << i;
    EXPECT_EQ(run.process.err, cases[i].err);
    EXPECT_EQ(run.process.status, cases[i].status) << i;
    EXPECT_EQ(run.ending, "summary: the device ended in performance mode") << i;
    ASSERT_EQ(run.times.size(), 27u) << i << run.trace;
    const bool inWalk = cases[i].shots.front().afterKeys < 13;
    EXPECT_LT(run.times[13] - run.times[12], inWalk ? 0.4 : 1.0) << i << ": the wait ends at once";
    if (!inWalk) {
      EXPECT_LT(outcome.reaction, 0.3) << i;
    }
  }
  EXPECT_EQ(runProcess("/bin/ls", {"-A", folder.path}).out, "") << "no file, no temporary file";
  std::remove(saved.c_str());
}

TEST(DumpSignals, StopABackupInTheConsole) {
  JackServer jack;
  ASSERT_TRUE(jack.running());
  ScratchFolder folder;
  const std::string trace = scratchFile(), pidFile = scratchFile();
  Terminal terminal(std::string(PMCKEYS_SIM_BINARY) + " --fault nodump --trace " + trace + " -- /bin/sh -c '" +
                    recordingPid(pidFile) + "' sh " PMCKEYS_BINARY " --console");
  ASSERT_TRUE(terminal.waitFor("performance> ")) << terminal.screen();
  terminal.type("backup " + folder.path + "/a.syx");
  terminal.press("Enter");
  awaitKeys(trace, 13);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  terminal.press("C-c");
  EXPECT_TRUE(terminal.waitFor("backup stopped by Ctrl-C: " + kBack + "performance> ")) << terminal.screen();
  terminal.type("backup " + folder.path + "/b.syx");
  terminal.press("Enter");
  awaitKeys(trace, 27 + 13);
  sendSignal(pidIn(pidFile), SIGTERM);
  EXPECT_TRUE(waitForFile(trace, "summary: the command exited with status 143"));
  EXPECT_TRUE(terminal.waitFor("\npmckeys: backup stopped by SIGTERM: " + kBack)) << terminal.screen();
  const SimRun run = traceIn(trace);
  std::remove(trace.c_str());
  EXPECT_EQ(run.times.size(), 54u);
  EXPECT_EQ(run.ending, "summary: the device ended in performance mode");
  EXPECT_EQ(runProcess("/bin/ls", {"-A", folder.path}).out, "");
  std::remove(pidFile.c_str());
}

}  // namespace
