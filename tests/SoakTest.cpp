// The soak: pmckeys for minutes on loaded JACK servers, where a lost cycle must never pass for a restore
// that took, and runs must end cleanly however their clients come and go. Outside the default suite (label
// `soak`): it runs only with PMCKEYS_SOAK set, as .ci/run does once; without it each test says it skipped.
#include <gtest/gtest.h>
#include <signal.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <map>
#include <mutex>
#include <regex>
#include <thread>

#include "simulator/DeviceMemory.h"
#include "tests/support/JackServer.h"
#include "tests/support/Process.h"
#include "tests/support/SimRun.h"

namespace {

class Soak : public ::testing::Test {
protected:
  void SetUp() override {
    if (getenv("PMCKEYS_SOAK") == nullptr) GTEST_SKIP() << "minutes long: PMCKEYS_SOAK=1 ctest -L soak runs it";
  }
};

// Runs `job` `count` times, `side` at a time, and counts the ends it gives.
template <typename Job>
std::map<std::string, int> sideBySide(int count, int side, Job job) {
  std::map<std::string, int> ends;
  std::mutex counting;
  std::atomic<int> next{0};
  std::vector<std::future<void>> lanes;
  for (int lane = 0; lane < side; ++lane) {
    lanes.push_back(std::async(std::launch::async, [&] {
      while (next++ < count) {
        const std::string end = job();
        const std::lock_guard<std::mutex> lock(counting);
        ++ends[end];
      }
    }));
  }
  for (std::future<void>& lane : lanes) lane.get();
  return ends;
}

// How many of the ends begin with `prefix`.
int startingWith(const std::map<std::string, int>& ends, const std::string& prefix) {
  int n = 0;
  for (const auto& end : ends) n += end.first.compare(0, prefix.size(), prefix) == 0 ? end.second : 0;
  return n;
}

void print(const char* what, const std::map<std::string, int>& ends) {
  std::printf("%s:\n", what);
  for (const auto& end : ends) std::printf("%4d  %s\n", end.second, end.first.c_str());
}

// Two loops that keep both cores busy while it lives, as other work does.
struct BusyCores {
  BusyCores() {
    for (std::thread& loop : loops) loop = std::thread([this] { while (!stop) {} });
  }
  ~BusyCores() {
    stop = true;
    for (std::thread& loop : loops) loop.join();
  }
  std::atomic<bool> stop{false};
  std::thread loops[2];
};

// The ways a round trip may end, with "FILE" for the file: the restore sends every message, and its check
// finds the file on the device (after a dump taken again, maybe) or fails saying why.
const std::string kSent = "sent 4 messages, 4096 bytes from FILE( \\(the JACK server missed a cycle while sending\\))?\n";
const struct { const char* name; std::string out, err; int status; } kEnds[] = {
    {"succeeded", kSent + "the device holds exactly FILE \\(4 messages, 4096 bytes(; dump taken again( twice)? after the "
                     "JACK server missed a cycle)?\\)\n", "", 0},
    {"did not take", kSent, "pmckeys: -:3: restore of FILE did not take: the device's memory differs from FILE "
                            "\\((first at byte [0-9]+|the device sent [0-9]+ bytes, FILE holds 4096)\\); restore "
                            "the file again\n", 1},
    {"not verified", kSent, "pmckeys: -:3: restore of FILE not verified: the JACK server missed cycles during 3 "
                            "tries of dump, so MIDI data may have been lost; nothing compared \\(--no-verify skips "
                            "the check\\)\n", 1},
};

// A factory reset, home, and a restore with its check of the device's own dump, as one script: the name of
// its end, whether the device holds the file and the notes on missed cycles, or all it said.
std::string roundTrip(const std::string& file) {
  const std::string script = "factorypresets enter enter\nhome\nrestore " + file + "\n";
  const SimRun run = runUnderSim({"--script", "-"}, {}, script.c_str(), nullptr, {{"PMCKEYS_DUMP_WAIT_MS", "1000"}});
  const std::string out = std::regex_replace(run.process.out, std::regex(file), "FILE");
  const std::string err = std::regex_replace(run.process.err, std::regex(file), "FILE");
  const bool held = run.memory == kRestoredMemory;
  for (const auto& end : kEnds) {
    if (run.process.status == end.status && std::regex_match(out, std::regex(end.out)) &&
        std::regex_match(err, std::regex(end.err))) {
      return end.name + std::string(held ? ", the device holding the file" : ", the device holding other content") +
             (out.find("while sending") != std::string::npos ? ", a cycle missed while sending" : "") +
             (out.find("taken again") != std::string::npos ? ", the dump taken again" : "");
    }
  }
  const std::size_t tail = run.trace.size() > 2000 ? run.trace.size() - 2000 : 0;
  return "status " + std::to_string(run.process.status) + ", the memory " + run.memory + ":\n" + out + err +
         "the trace's end:\n" + run.trace.substr(tail);
}

// 30 round trips, three at once on one JACK server, both cores busy: none reports success with the device
// holding anything but the file, every failure says why, and most succeed.
TEST_F(Soak, RoundTripsUnderLoad) {
  JackServer jack;
  ASSERT_TRUE(jack.running());
  ScratchFolder folder;
  MidiBytes dump;
  for (const MidiBytes& message : DeviceMemory(DeviceMemory::DEFAULT_DUMP).dump()) {
    dump.insert(dump.end(), message.begin(), message.end());
  }
  const std::string file = folder.file("saved.syx", dump);
  const BusyCores busy;
  const std::map<std::string, int> ends = sideBySide(30, 3, [&] { return roundTrip(file); });
  print("30 round trips, three at once, both cores busy", ends);
  EXPECT_GE(startingWith(ends, "succeeded, the device holding the file"), 20);
  EXPECT_EQ(startingWith(ends, "succeeded, the device holding other content"), 0) << "success reported over a loss";
  EXPECT_EQ(startingWith(ends, "status "), 0) << "a round trip ended in a way no message says";
}

// 500 runs of the simulator, three at a time, each with a restore to it: every run opens JACK clients and
// ports and closes them at its end, and none may crash or hang there (a run once crashed at exit, on a server
// with jackd's default 1,024 frames, as this one). Each sends its message, or fails for a missed cycle.
TEST_F(Soak, PortsOpenedAndClosed) {
  JackServer jack({}, 1024);
  ASSERT_TRUE(jack.running());
  ScratchFolder folder;
  const std::string file = folder.file("saved.syx", {0xF0, 0x7D, 0x01, 0xF7});
  const std::string missed = "pmckeys: the JACK server missed a cycle after [01] of 1 messages: the device may hold a "
                             "mix of old and new content; verify FILE or restore it again\n";
  const std::map<std::string, int> ends = sideBySide(500, 3, [&] {
    const SimRun run = runUnderSim({"restore", file, "--no-verify"});
    const std::string said = std::regex_replace(run.process.out + run.process.err, std::regex(file), "FILE");
    const std::string status = "status " + std::to_string(run.process.status) + ", signal " +
                               std::to_string(run.process.signal) + ": " + said;
    if (run.process.signal == SIGKILL) return "hung: killed by the test, " + status + run.trace;
    if (run.process.signal != 0 || run.process.status > 128) return "crashed, " + status + run.trace;
    if (run.process.status == 0 && said == "sent 1 message, 4 bytes from FILE\n") return std::string("sent");
    if (run.process.status == 1 && std::regex_match(said, std::regex(missed))) return std::string("missed a cycle");
    return status;
  });
  print("500 runs opening and closing JACK ports, three at a time", ends);
  EXPECT_EQ(startingWith(ends, "crashed"), 0);
  EXPECT_EQ(startingWith(ends, "hung"), 0);
  EXPECT_EQ(startingWith(ends, "status "), 0) << "every run sends, or says why not";
}

}  // namespace
