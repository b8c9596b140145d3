// pmckeys on the ALSA sequencer against the far ends of snd-virmidi's ports,
// which stand for a USB MIDI interface: a sequencer port on one side, a raw
// MIDI device on the other with the driver's default buffer of 4 KiB, which
// the test drains or fills from outside at the cable's pace. Each shape of
// dump runs on a port of its own, side by side. (The tests on ALSA that have
// a twin on JACK are beside it, in MidiEndToEndTest.cpp.)
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

const struct Shape {
  std::size_t count, size;  // messages of that many bytes
} kShapes[] = {{4, 1024}, {1, 4200}, {1, 16384}, {1, 65536}};

std::vector<Sent> dumpOf(const Shape& shape) {
  std::vector<Sent> dump;
  for (std::size_t i = 0; i < shape.count; ++i) dump.push_back({0, sysex(shape.size, static_cast<unsigned char>(i))});
  return dump;
}

std::string messages(const Shape& shape) {
  return std::to_string(shape.count) + (shape.count == 1 ? " message, " : " messages, ") +
         std::to_string(shape.count * shape.size) + " bytes";
}

// The first `count` virmidi ports: the sequencer port's name, its raw MIDI device.
std::vector<std::pair<std::string, std::string>> virmidi(MidiSystem& midi, std::size_t count) {
  std::vector<std::pair<std::string, std::string>> found;
  std::smatch number;
  for (const std::string& port : must(midi.ports(MidiSystem::Direction::Out))) {
    if (found.size() < count && std::regex_search(port, number, std::regex("VirMIDI ([0-9]+)-([0-9]+)"))) {
      found.emplace_back(number.str(0), "/dev/snd/midiC" + number.str(1) + "D" + number.str(2));
    }
  }
  EXPECT_EQ(found.size(), count) << "virmidi ports (modprobe snd-virmidi)";
  return found;
}

struct Arrival {
  MidiBytes bytes;
  double seconds = 0;  // from the first byte's start on the cable to the last one's end
};

// The far end of a cable: reads a raw MIDI device no faster than the cable
// carries (0.32 ms a byte), 32 bytes at a time, a USB packet's worth, until
// `count` bytes came or none for a second (10 s for the first). The cable
// is free again at `free`: while bytes wait, the next leave then; after an
// idle spell, when they come.
Arrival atCablePace(int fd, std::size_t count) {
  Arrival arrival;
  Clock::time_point free = Clock::now(), first = free, last = free + std::chrono::seconds(10);
  while (arrival.bytes.size() < count && Clock::now() - last < std::chrono::seconds(1)) {
    std::this_thread::sleep_until(free);
    unsigned char chunk[32];
    const ssize_t n = read(fd, chunk, sizeof chunk);
    if (n <= 0) {
      struct pollfd in = {fd, POLLIN, 0};
      poll(&in, 1, 100);
      free = std::max(free, Clock::now());
      continue;
    }
    if (arrival.bytes.empty()) first = free;
    arrival.bytes.insert(arrival.bytes.end(), chunk, chunk + n);
    free += std::chrono::microseconds(320) * n;
    last = Clock::now();
  }
  arrival.seconds = std::chrono::duration<double>(free - first).count();
  close(fd);
  return arrival;
}

// Every byte arrives, in order; from the first byte to the last, the far
// end takes at least the cable's time plus the pauses (50 ms between
// messages), and at most three times that. Handed over whole, a message
// longer than the buffer loses its end.
TEST_F(Alsa, ARestoreArrivesWholeAtTheCablesPace) {
  const auto ports = virmidi(*fMidi, std::size(kShapes));
  ScratchFolder folder;
  std::vector<std::future<Arrival>> ends;
  std::vector<std::future<ProcessResult>> runs;
  for (std::size_t i = 0; i < ports.size(); ++i) {
    const std::string sent = sysexOf(dumpOf(kShapes[i]));
    const std::string file = folder.file(std::to_string(i), MidiBytes(sent.begin(), sent.end()));
    const int fd = open(ports[i].second.c_str(), O_RDONLY | O_NONBLOCK);
    unsigned char byte;
    EXPECT_LT(read(fd, &byte, 1), 1) << ports[i].second;  // the first read starts the input
    ends.push_back(std::async(std::launch::async, atCablePace, fd, sent.size()));
    ProcessOptions options;
    options.env = {{"PMCKEYS_MIDI_OUT", ports[i].first}};
    runs.push_back(std::async(std::launch::async,
                              [=] { return runProcess(PMCKEYS_BINARY, {"restore", file, "--no-verify"}, options); }));
  }
  for (std::size_t i = 0; i < ports.size(); ++i) {
    const ProcessResult result = runs[i].get();
    const Arrival arrival = ends[i].get();
    const std::string file = folder.path + "/" + std::to_string(i), sent = readFile(file);
    EXPECT_EQ(result.err + result.out, "sent " + messages(kShapes[i]) + " from " + file + "\n");
    EXPECT_TRUE(std::string(arrival.bytes.begin(), arrival.bytes.end()) == sent)
        << ports[i].first << ": " << arrival.bytes.size() << " of " << sent.size() << " bytes arrived";
    const double cable = sent.size() * 0.00032 + (kShapes[i].count - 1) * 0.050;
    EXPECT_GE(arrival.seconds, cable) << ports[i].first;
    EXPECT_LE(arrival.seconds, 3 * cable) << ports[i].first;
  }
}

// The device writes its dump into the raw MIDI device at the cable's pace:
// the backup saves it whole, verify finds the device holds it, a second
// backup of that name is refused before any key. In the guest the files go
// to FAT (tests/alsa_vm.sh mounts it), which has no hard links: each takes
// its name by a rename, and no temporary file is left. The dumps end by the
// default quiet time: on a loaded emulated machine the device's thread may
// stall for longer than the shortest.
TEST_F(Alsa, BackupAndVerifyTakeWhatTheDeviceWritesAtTheCablesPace) {
  const auto ports = virmidi(*fMidi, std::size(kShapes) - 1);  // up to 16,384 bytes
  ScratchFolder scratch;
  struct statfs fat;
  const std::string folder = statfs("/tmp/fat", &fat) == 0 && fat.f_type == 0x4d44 ? "/tmp/fat" : scratch.path;
  std::vector<std::unique_ptr<OutsideDevice>> devices;
  std::vector<std::future<std::string>> runs;
  for (std::size_t i = 0; i < ports.size(); ++i) {
    const auto device = std::make_shared<std::ofstream>(ports[i].second, std::ios::binary);
    devices.push_back(std::make_unique<OutsideDevice>(
        [device](const MidiBytes& bytes) { device->write(reinterpret_cast<const char*>(bytes.data()), bytes.size()).flush(); },
        dumpOf(kShapes[i])));
    ProcessOptions options;
    options.env = {{"PMCKEYS_DEVICE", devices[i]->line()}, {"PMCKEYS_MIDI_IN", ports[i].first}};
    const std::string file = folder + "/" + std::to_string(i);
    runs.push_back(std::async(std::launch::async, [=] {
      std::string said;
      for (const char* form : {"backup", "verify", "backup"}) {
        const ProcessResult run = runProcess(PMCKEYS_BINARY, {form, file}, options);
        said += run.out + run.err + std::to_string(run.status) + "\n";
      }
      return said;
    }));
  }
  for (std::size_t i = 0; i < ports.size(); ++i) {
    const std::string file = folder + "/" + std::to_string(i);
    EXPECT_EQ(runs[i].get(), "saved " + messages(kShapes[i]) + " to " + file + " (two dumps agreed)\n0\n" +
                                 "the device holds exactly " + file + " (" + messages(kShapes[i]) + ")\n0\n" +
                                 "pmckeys: " + file + " exists: choose another name or remove it\n1\n");
    EXPECT_EQ(readFile(file), devices[i]->sysexBytes()) << file;
    EXPECT_EQ(devices[i]->keys(), 3 * 27);
  }
  EXPECT_EQ(runProcess("/bin/ls", {"-A", folder}).out, "0\n1\n2\n");
  for (std::size_t i = 0; i < ports.size(); ++i) std::remove((folder + "/" + std::to_string(i)).c_str());
}

}  // namespace
