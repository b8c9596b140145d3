// The soak: pmckeys for minutes on a loaded JACK server, where a lost cycle
// must never pass for a restore that took, and runs must end cleanly however
// their clients come and go. Outside the default suite (ctest label `soak`,
// excluded by the presets): it runs only with PMCKEYS_SOAK set, as .ci/run
// does once (`PMCKEYS_SOAK=1 ctest -L soak`); without it each test says it
// was skipped.
#include <gtest/gtest.h>
#include <jack/jack.h>
#include <sys/resource.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <future>
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

// A file in `folder` holding `messages`.
std::string sysexFile(const ScratchFolder& folder, const std::vector<MidiBytes>& messages) {
  const std::string path = folder.path + "/saved.syx";
  std::ofstream out(path, std::ios::binary);
  for (const MidiBytes& m : messages) out.write(reinterpret_cast<const char*>(m.data()), std::streamsize(m.size()));
  return path;
}

// Runs `count` jobs, `side` at a time; job(i) gives what the i-th ended as.
template <typename Job>
std::vector<std::string> sideBySide(int count, int side, Job job) {
  std::vector<std::string> ends(static_cast<std::size_t>(count));
  std::atomic<int> next{0};
  std::vector<std::future<void>> lanes;
  for (int lane = 0; lane < side; ++lane) {
    lanes.push_back(std::async(std::launch::async, [&] {
      for (int i = next++; i < count; i = next++) ends[static_cast<std::size_t>(i)] = job(i);
    }));
  }
  for (std::future<void>& lane : lanes) lane.get();
  return ends;
}

// Two loops that keep both cores busy while it lives, as other work does.
class BusyCores {
public:
  BusyCores() {
    for (std::thread& loop : fLoops) loop = std::thread([this] { while (!fStop) {} });
  }
  ~BusyCores() {
    fStop = true;
    for (std::thread& loop : fLoops) loop.join();
  }

private:
  std::atomic<bool> fStop{false};
  std::thread fLoops[2];
};

// The ways a round trip may end, with "FILE" for the file: the restore
// sends every message, and its check either finds the file on the device
// (after a dump taken again, maybe) or fails saying why.
const std::string kSent = "sent 4 messages, 4096 bytes from FILE( \\(the JACK server missed a cycle while sending\\))?\n";
const struct {
  const char* name;
  std::string out, err;
  int status;
} kEnds[] = {
    {"held", kSent + "the device holds exactly FILE \\(4 messages, 4096 bytes(; dump taken again( twice)? after the "
                     "JACK server missed a cycle)?\\)\n", "", 0},
    {"did not take", kSent, "pmckeys: -:3: restore of FILE did not take: the device's memory differs from FILE "
                            "\\((first at byte [0-9]+|the device sent [0-9]+ bytes, FILE holds 4096)\\); restore "
                            "the file again\n", 1},
    {"not verified", kSent, "pmckeys: -:3: restore of FILE not verified: the JACK server missed cycles during 3 "
                            "tries of dump, so MIDI data may have been lost; nothing compared \\(--no-verify skips "
                            "the check\\)\n", 1},
};

// A factory reset, home, and a restore with its check of the device's own
// dump, as one script under the simulator: the name of its end and whether
// the device holds the file, or all it said.
std::string roundTrip(const std::string& file) {
  const std::string script = "factorypresets enter enter\nhome\nrestore " + file + "\n";
  const SimRun run = runUnderSim({"--script", "-"}, {}, script.c_str(), nullptr, {{"PMCKEYS_DUMP_WAIT_MS", "1000"}});
  const std::string out = std::regex_replace(run.process.out, std::regex(file), "FILE");
  const std::string err = std::regex_replace(run.process.err, std::regex(file), "FILE");
  const bool held = run.memory == kRestoredMemory;
  for (const auto& end : kEnds) {
    if (run.process.status == end.status && std::regex_match(out, std::regex(end.out)) &&
        std::regex_match(err, std::regex(end.err))) {
      return end.name + std::string(held ? ", the device holding the file" : ", the device holding other content");
    }
  }
  return "status " + std::to_string(run.process.status) + ", the memory " + run.memory + ":\n" + out + err;
}

std::map<std::string, int> counted(const std::vector<std::string>& ends) {
  std::map<std::string, int> counts;
  for (const std::string& end : ends) ++counts[end];
  return counts;
}

void print(const char* what, const std::map<std::string, int>& counts) {
  std::printf("%s:\n", what);
  for (const auto& count : counts) std::printf("%4d  %s\n", count.second, count.first.c_str());
}

// 30 round trips, three at once on one JACK server, both cores busy: none
// reports success with the device holding anything but the file, every
// failure is one that says why, and most succeed.
TEST_F(Soak, RoundTripsUnderLoad) {
  JackServer jack;
  ASSERT_TRUE(jack.running());
  ScratchFolder folder;
  const std::string file = sysexFile(folder, DeviceMemory(DeviceMemory::DEFAULT_DUMP).dump());
  const BusyCores busy;
  std::map<std::string, int> counts = counted(sideBySide(30, 3, [&](int) { return roundTrip(file); }));
  print("30 round trips, three at once, both cores busy", counts);
  const std::string success = "held, the device holding the file";
  EXPECT_GE(counts[success], 20);
  EXPECT_EQ(counts["held, the device holding other content"], 0);
  int said = 0;
  for (const auto& end : kEnds) {
    for (const char* holding : {", the device holding the file", ", the device holding other content"}) {
      said += counts[end.name + std::string(holding)];
    }
  }
  EXPECT_EQ(said, 30) << "a round trip ended in a way no message says";
}

// 500 runs of the simulator, each with a restore of its own to it: every
// run opens JACK ports and closes them at its end, and none may crash there
// (a run of the simulator once did, at exit). Each sends its message, or
// fails as the JACK server missed a cycle while it did.
TEST_F(Soak, PortsOpenedAndClosed) {
  JackServer jack;
  ASSERT_TRUE(jack.running());
  ScratchFolder folder;
  const std::string file = sysexFile(folder, {{0xF0, 0x7D, 0x01, 0xF7}});
  const std::string sent = "sent 1 message, 4 bytes from FILE\n", missed =
      "pmckeys: the JACK server missed a cycle after [01] of 1 messages: the device may hold a mix of old and new "
      "content; verify FILE or restore it again\n";
  std::map<std::string, int> counts = counted(sideBySide(500, 1, [&](int) {
    const SimRun run = runUnderSim({"restore", file, "--no-verify"});
    const std::string said = std::regex_replace(run.process.out + run.process.err, std::regex(file), "FILE");
    if (run.process.status == 0 && said == sent) return std::string("sent");
    if (run.process.status == 1 && std::regex_match(said, std::regex(missed))) return std::string("missed a cycle");
    return "status " + std::to_string(run.process.status) + ", signal " + std::to_string(run.process.signal) + ": " +
           said;
  }));
  print("500 runs opening and closing JACK ports", counts);
  EXPECT_EQ(counts["sent"] + counts["missed a cycle"], 500);
}

// A server that takes no more clients: the listing says why, not that no
// port matches. jackd started with few file descriptors turns clients away
// after a handful, with the answer it gives at its limit of clients (about
// 250, which takes minutes to reach with clients of one process).
TEST_F(Soak, AServerThatTakesNoMoreClients) {
  struct rlimit descriptors;
  getrlimit(RLIMIT_NOFILE, &descriptors);
  const rlim_t usual = descriptors.rlim_cur;
  descriptors.rlim_cur = 32;
  setrlimit(RLIMIT_NOFILE, &descriptors);
  JackServer jack;
  descriptors.rlim_cur = usual;
  setrlimit(RLIMIT_NOFILE, &descriptors);
  ASSERT_TRUE(jack.running());
  std::vector<jack_client_t*> clients;
  jack_status_t status;
  for (jack_client_t* client; (client = jack_client_open(("hog" + std::to_string(clients.size())).c_str(),
                                                         JackNoStartServer, &status)) != nullptr;) {
    clients.push_back(client);
  }
  EXPECT_EQ(status, JackFailure | JackServerError);
  const ProcessResult result = runProcess(PMCKEYS_BINARY, {"--list-midi"});
  for (jack_client_t* client : clients) jack_client_close(client);
  EXPECT_EQ(result.err, "pmckeys: cannot open a JACK client: the server turned it away (too many clients?)\n");
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, "");
}

}  // namespace
