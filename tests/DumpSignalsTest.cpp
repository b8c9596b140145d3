// Signals during a backup, sent to the real process: the walk to the dump screen is finished, the wait ends
// at once, the way back is pressed to its end whatever comes, nothing is saved; on the command line, in a
// script and in the console, for backup, verify and restore's check alike. The device sends no dump
// (--fault nodump): without a signal (or with one ignored since the start, nohup) the wait runs its 30 s.
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

// Polls the trace until the board has received that many keys; the moment it saw them.
Clock::time_point awaitKeys(const std::string& trace, std::size_t keys) {
  const Clock::time_point deadline = Clock::now() + std::chrono::seconds(40);
  while (readTrace(trace).times.size() < keys && Clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return Clock::now();
}

// A sh command line that writes its process id (pmckeys' after the exec) to the file; and that id.
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

// A signal once the board has received afterKeys keys (and, inWait, pmckeys waits for the dump), to
// pmckeys or to the server.
struct Shot { std::size_t afterKeys; bool inWait; int signal; JackServer* server = nullptr; };

// The 13 keys of the walk are all the board gets until the way back: a pause with nothing pressed lets
// pmckeys, which read the last key's reply within 0.1 s, wait for the dump when the signal comes.
void awaitTheWait(const std::string& trace) {
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(readTrace(trace).times.size(), 13u) << "the keys while pmckeys waits for the dump";
}

struct Case {
  std::vector<std::string> args;
  const char* input;
  std::vector<Shot> shots;
  std::string err;
  int status;
  std::vector<int> ignored = {};  // as pmckeys is started with them
  std::vector<std::string> sim = {"--fault", "nodump"};
};

struct Outcome {
  SimRun run;
  double reaction;  // from the first signal until the way back's first key was seen
};

Outcome signalled(const Case& c) {
  const std::string trace = scratchFile(), pidFile = scratchFile();
  std::vector<std::string> args = c.sim;
  args.insert(args.end(), {"--trace", trace, "--", "/bin/sh", "-c", recordingPid(pidFile), "sh", PMCKEYS_BINARY});
  args.insert(args.end(), c.args.begin(), c.args.end());
  ProcessOptions options;
  options.input = c.input;
  options.ignoredSignals = c.ignored;
  std::future<ProcessResult> running =
      std::async(std::launch::async, [=] { return runProcess(PMCKEYS_SIM_BINARY, args, options); });
  const pid_t pmckeys = pidIn(pidFile);
  Clock::time_point first;
  for (const Shot& shot : c.shots) {
    awaitKeys(trace, shot.afterKeys);
    if (shot.inWait) awaitTheWait(trace);
    if (&shot == &c.shots.front()) first = Clock::now();
    shot.server != nullptr ? shot.server->signal(shot.signal) : sendSignal(pmckeys, shot.signal);
  }
  Outcome outcome;
  outcome.reaction = std::chrono::duration<double>(awaitKeys(trace, 14) - first).count();
  const ProcessResult process = running.get();
  outcome.run = readTrace(trace);
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
      {{"backup", file}, nullptr, {{13, true, SIGINT}}, "pmckeys: backup stopped by Ctrl-C: " + kBack, 130},
      {{"backup", file}, nullptr, {{3, false, SIGTERM}}, "pmckeys: backup stopped by SIGTERM: " + kBack, 143},
      {{"backup", file}, nullptr, {{3, false, SIGINT}, {5, false, SIGTERM}}, "pmckeys: backup stopped by SIGTERM: " +
       kBack, 143},
      {{"backup", file}, nullptr, {{13, true, SIGHUP}, {16, false, SIGHUP}}, "pmckeys: backup stopped by SIGHUP: " +
       kBack, 129},
      {{"--script", "-"}, script.c_str(), {{3, false, SIGHUP}, {16, false, SIGINT}},
       "pmckeys: -:1: backup stopped by SIGHUP: " + kBack, 1},
      {{"verify", saved}, nullptr, {{13, true, SIGINT}},
       "pmckeys: verify stopped by Ctrl-C: the device is back in performance mode\n", 130},
      {{"restore", saved}, nullptr, {{13, true, SIGINT}},
       "pmckeys: restore stopped by Ctrl-C after 1 of 1 messages, before its check: the device is back in performance "
       "mode; verify " + saved + " to check it\n", 130},
  };
  std::vector<std::future<Outcome>> outcomes;
  for (const Case& c : cases) outcomes.push_back(std::async(std::launch::async, [&c] { return signalled(c); }));
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const Outcome outcome = outcomes[i].get();
    const SimRun& run = outcome.run;
    EXPECT_EQ(run.process.out, cases[i].args[0] == "restore" ? "sent 1 message, 4 bytes from " + saved + "\n" : "") << i;
    EXPECT_EQ(run.process.err, cases[i].err);
    EXPECT_EQ(run.process.status, cases[i].status) << i;
    EXPECT_EQ(run.ending, "summary: the device ended in performance mode") << i;
    ASSERT_EQ(run.times.size(), 27u) << i << run.trace;
    // The way back follows the walk, or a signal in the wait, within 0.1 s; a wait deaf to signals runs 30 s.
    const bool inWait = cases[i].shots.front().inWait;
    EXPECT_LT(inWait ? outcome.reaction : run.times[13] - run.times[12], 2.0) << i << ": the wait ends at once";
  }
  EXPECT_EQ(folder.listing(), "") << "no file, no temporary file";
  std::remove(saved.c_str());
}

// The wait ends 5 s after the server's last cycle, well before its 30 s,
// and the run within 10 s of the freeze; thawed, the server ends cleanly.
TEST(DumpSignals, AFrozenJackServerEndsTheWait) {
  JackServer jack;
  ASSERT_TRUE(jack.running());
  ScratchFolder folder;
  const Outcome outcome = signalled({{"backup", folder.path + "/patches.syx"}, nullptr, {{13, true, SIGSTOP, &jack}}, "", 1});
  jack.signal(SIGCONT);
  EXPECT_EQ(outcome.run.process.err, "pmckeys: the JACK server ran no cycle for 5 s during the dump: " + kBack);
  EXPECT_EQ(outcome.run.process.status, 1);
  EXPECT_EQ(outcome.run.times.size(), 27u);
  EXPECT_GT(outcome.reaction, 4.0);
  EXPECT_LT(outcome.reaction, 10.0);
  EXPECT_EQ(folder.listing(), "");
}

// Started as nohup starts it, with SIGHUP (and SIGINT, as for a background
// job) ignored, a backup is not stopped by them: it saves the dump.
TEST(DumpSignals, SignalsIgnoredAtTheStartStayIgnored) {
  JackServer jack;
  ASSERT_TRUE(jack.running());
  ScratchFolder folder;
  const std::string file = folder.path + "/patches.syx";
  const Outcome outcome = signalled({{"backup", file}, nullptr, {{13, true, SIGHUP}, {13, false, SIGINT}}, "", 0,
                                     {SIGINT, SIGHUP}, {}});
  EXPECT_EQ(outcome.run.process.out, "saved 4 messages, 4096 bytes to " + file + " (two dumps agreed)\n");
  EXPECT_EQ(outcome.run.process.err, "");
  EXPECT_EQ(outcome.run.process.status, 0);
  EXPECT_EQ(outcome.run.times.size(), 54u);
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
  awaitTheWait(trace);
  terminal.press("C-c");
  EXPECT_TRUE(terminal.waitFor("backup stopped by Ctrl-C: " + kBack + "performance> ")) << terminal.screen();
  terminal.type("backup " + folder.path + "/b.syx");
  terminal.press("Enter");
  awaitKeys(trace, 27 + 13);
  sendSignal(pidIn(pidFile), SIGTERM);
  EXPECT_TRUE(waitForFile(trace, "summary: the command exited with status 143"));
  EXPECT_TRUE(terminal.waitFor("\npmckeys: backup stopped by SIGTERM: " + kBack)) << terminal.screen();
  const SimRun run = readTrace(trace);
  std::remove(trace.c_str());
  EXPECT_EQ(run.times.size(), 54u);
  EXPECT_EQ(run.ending, "summary: the device ended in performance mode");
  EXPECT_EQ(folder.listing(), "");
  std::remove(pidFile.c_str());
}

}  // namespace
