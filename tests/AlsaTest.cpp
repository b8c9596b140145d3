// pmckeys on ALSA against snd-virmidi's ports, standing for a USB MIDI interface: a raw MIDI device at the
// far end (4 KiB buffer) that the test drains or fills at the cable's pace. Twins of JACK tests are in
// MidiEndToEndTest.cpp.
#include <fcntl.h>
#include <poll.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <fstream>
#include <future>
#include <regex>

#include "tests/support/Alsa.h"
#include "tests/support/OutsideDevice.h"
#include "tests/support/Process.h"

namespace {

using Clock = std::chrono::steady_clock;

// Messages of that many bytes.
const struct Shape { std::size_t count, size; } kShapes[] = {{4, 1024}, {1, 4200}, {1, 16384}, {1, 65536}};

// What a cable's far end reads, 32 bytes at a time, until `count` came or none for a second (10 s for the
// first), and the seconds from the first byte's start to the last one's end; the cable is free at `free`.
std::pair<std::string, double> atCablePace(int fd, std::size_t count) {
  std::string bytes;
  Clock::time_point free = Clock::now(), first = free, last = free + std::chrono::seconds(10);
  while (bytes.size() < count && Clock::now() - last < std::chrono::seconds(1)) {
    std::this_thread::sleep_until(free);
    char chunk[32];
    const ssize_t n = read(fd, chunk, sizeof chunk);
    if (n <= 0) {
      struct pollfd in = {fd, POLLIN, 0};
      poll(&in, 1, 100);
      free = std::max(free, Clock::now());
      continue;
    }
    if (bytes.empty()) first = free;
    bytes.append(chunk, static_cast<std::size_t>(n));
    free += std::chrono::microseconds(320) * n;
    last = Clock::now();
  }
  close(fd);
  return {bytes, std::chrono::duration<double>(free - first).count()};
}

// Each shape on a virmidi port of its own, side by side. A restore arrives whole, in order, taking at least
// the cable's time plus the pauses (50 ms each) and at most three times that (handed over whole, a long
// message loses its end). Then, up to 16,384 bytes, the device writes it at the cable's pace: backup saves
// it, verify finds it, a second backup of the name is refused. In the guest the files go to FAT (no hard
// links: a rename, leaving no temporary file). The default quiet time: a loaded VM may stall the device.
TEST_F(Alsa, DumpsCrossTheCableWholeAtItsPace) {
  std::vector<std::pair<std::string, std::string>> ports;  // the sequencer port, its raw MIDI device
  for (const std::string& port : must(fMidi->ports(MidiSystem::Direction::Out))) {
    std::smatch number;
    if (std::regex_search(port, number, std::regex("VirMIDI ([0-9]+)-([0-9]+)")) && ports.size() < std::size(kShapes)) {
      ports.emplace_back(number.str(0), "/dev/snd/midiC" + number.str(1) + "D" + number.str(2));
    }
  }
  ASSERT_EQ(ports.size(), std::size(kShapes)) << "virmidi ports (modprobe snd-virmidi)";
  ScratchFolder scratch;
  struct statfs fat;
  const std::string saved = statfs("/tmp/fat", &fat) == 0 && fat.f_type == 0x4d44 ? "/tmp/fat" : scratch.path;
  std::vector<std::future<void>> runs;
  for (std::size_t i = 0; i < ports.size(); ++i) {
    runs.push_back(std::async(std::launch::async, [&, i] {
      std::vector<Sent> dump;
      std::string sent;
      for (unsigned char m = 0; m < kShapes[i].count; ++m) {
        dump.push_back({0, sysex(kShapes[i].size, m)});
        sent.append(dump.back().message.begin(), dump.back().message.end());
      }
      const std::string name = std::to_string(i), file = saved + "/" + name;
      const std::string messages = std::to_string(kShapes[i].count) + (kShapes[i].count == 1 ? " message, " :
                                   " messages, ") + std::to_string(sent.size()) + " bytes";
      const int fd = open(ports[i].second.c_str(), O_RDONLY | O_NONBLOCK);
      char none;
      EXPECT_LT(read(fd, &none, 1), 1) << ports[i].second;  // the first read starts the input
      std::future<std::pair<std::string, double>> far = std::async(std::launch::async, atCablePace, fd, sent.size());
      ProcessOptions options = withEnv({{"PMCKEYS_MIDI_OUT", ports[i].first}, {"PMCKEYS_MIDI_IN", ports[i].first}});
      const std::string restored = scratch.file("sent" + name, MidiBytes(sent.begin(), sent.end()));
      const ProcessResult restore = runProcess(PMCKEYS_BINARY, {"restore", restored, "--no-verify"}, options);
      const auto [arrived, seconds] = far.get();
      const double cable = sent.size() * 0.00032 + (kShapes[i].count - 1) * 0.050;
      EXPECT_EQ(restore.err + restore.out, "sent " + messages + " from " + restored + "\n");
      EXPECT_TRUE(arrived == sent) << ports[i].first << ": " << arrived.size() << " of " << sent.size() << " bytes";
      EXPECT_GE(seconds, cable) << ports[i].first;
      EXPECT_LE(seconds, 3 * cable) << ports[i].first;
      if (sent.size() > 16384) return;
      const auto raw = std::make_shared<std::ofstream>(ports[i].second, std::ios::binary);
      OutsideDevice device([raw](const MidiBytes& out) {
        raw->write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size())).flush();
      }, dump);
      options.env["PMCKEYS_DEVICE"] = device.line();
      std::string said;
      for (const char* form : {"backup", "verify", "backup"}) {
        const ProcessResult run = runProcess(PMCKEYS_BINARY, {form, file}, options);
        said += run.out + run.err + std::to_string(run.status) + "\n";
      }
      EXPECT_EQ(said, "saved " + messages + " to " + file + " (two dumps agreed)\n0\nthe device holds exactly " + file +
                      " (" + messages + ")\n0\npmckeys: " + file + " exists: choose another name or remove it\n1\n");
      EXPECT_EQ(readFile(file), sent) << file;
      EXPECT_EQ(device.keys(), 3 * 27);
    }));
  }
  for (std::future<void>& run : runs) run.get();
  EXPECT_EQ(runProcess("/bin/ls", {"-A", saved}).out.find(".pmckeys-"), std::string::npos) << "no temporary file";
}

}  // namespace
