// pmckeys on the ALSA sequencer against the far ends of snd-virmidi's ports,
// which the test reads or writes from outside at the cable's pace with the
// driver's default buffer of 4 KiB, as a USB MIDI interface's driver drains
// and fills them. Each shape of dump runs on a port of its own, side by
// side. (The tests on ALSA that have a twin on JACK are beside it, in
// MidiEndToEndTest.cpp.)
#include <sys/vfs.h>

#include <future>

#include "tests/support/Alsa.h"
#include "tests/support/OutsideDevice.h"
#include "tests/support/Process.h"

namespace {

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

// Every byte arrives, in order; from the first byte to the last, the far
// end takes at least the cable's time plus the pauses (50 ms between
// messages), and at most three times that. Handed over whole, a message
// longer than the buffer loses its end.
TEST_F(Alsa, ARestoreArrivesWholeAtTheCablesPace) {
  const std::vector<VirmidiPort> ports = virmidi(std::size(kShapes));
  ScratchFolder folder;
  std::vector<std::unique_ptr<CableEnd>> ends;
  std::vector<std::future<ProcessResult>> runs;
  for (std::size_t i = 0; i < ports.size(); ++i) {
    const std::string text = sysexOf(dumpOf(kShapes[i]));
    const std::string file = folder.file(std::to_string(i), MidiBytes(text.begin(), text.end()));
    ends.push_back(std::make_unique<CableEnd>(ports[i].device));
    ProcessOptions options;
    options.env = {{"PMCKEYS_MIDI_OUT", ports[i].name}};
    runs.push_back(std::async(std::launch::async,
                              [=] { return runProcess(PMCKEYS_BINARY, {"restore", file, "--no-verify"}, options); }));
  }
  for (std::size_t i = 0; i < ports.size(); ++i) {
    const ProcessResult result = runs[i].get();
    const std::string file = folder.path + "/" + std::to_string(i), sent = readFile(file);
    EXPECT_EQ(result.err, "") << ports[i].name;
    EXPECT_EQ(result.out, "sent " + messages(kShapes[i]) + " from " + file + "\n");
    const MidiBytes arrived = ends[i]->take(sent.size());
    EXPECT_EQ(arrived.size(), sent.size()) << ports[i].name;
    EXPECT_TRUE(std::string(arrived.begin(), arrived.end()) == sent) << ports[i].name << ": not the bytes sent";
    const double cable = sent.size() * 0.00032 + (kShapes[i].count - 1) * 0.050;
    EXPECT_GE(ends[i]->seconds(), cable) << ports[i].name;
    EXPECT_LE(ends[i]->seconds(), 3 * cable) << ports[i].name;
  }
}

// The device writes its dump into the raw MIDI device at the cable's pace:
// the backup saves it whole, and verify finds the device holds that file.
// The dumps end by the default quiet time: on a loaded emulated machine the
// device's thread may stall for longer than the shortest.
TEST_F(Alsa, BackupAndVerifyTakeWhatTheDeviceWritesAtTheCablesPace) {
  const std::vector<VirmidiPort> ports = virmidi(std::size(kShapes) - 1);  // up to 16,384 bytes
  ScratchFolder folder;
  std::vector<std::unique_ptr<OutsideDevice>> devices;
  std::vector<std::future<std::string>> runs;
  for (std::size_t i = 0; i < ports.size(); ++i) {
    devices.push_back(
        std::make_unique<OutsideDevice>(std::make_unique<RawMidiOut>(ports[i].device), dumpOf(kShapes[i])));
    ProcessOptions options;
    options.env = {{"PMCKEYS_DEVICE", devices[i]->line()}, {"PMCKEYS_MIDI_IN", ports[i].name}};
    const std::string file = folder.path + "/" + std::to_string(i);
    runs.push_back(std::async(std::launch::async, [=] {
      const ProcessResult backup = runProcess(PMCKEYS_BINARY, {"backup", file}, options);
      const ProcessResult verify = runProcess(PMCKEYS_BINARY, {"verify", file}, options);
      return backup.err + backup.out + verify.err + verify.out + std::to_string(backup.status + verify.status);
    }));
  }
  for (std::size_t i = 0; i < ports.size(); ++i) {
    const std::string file = folder.path + "/" + std::to_string(i);
    EXPECT_EQ(runs[i].get(), "saved " + messages(kShapes[i]) + " to " + file + " (two dumps agreed)\n" +
                                 "the device holds exactly " + file + " (" + messages(kShapes[i]) + ")\n0");
    EXPECT_EQ(readFile(file), devices[i]->sysexBytes()) << file;
    EXPECT_EQ(devices[i]->keys(), 3 * 27);
  }
}

// FAT has no hard links, so the file takes its name by a rename: saved
// whole, no temporary file left; a file of that name is refused before any key.
TEST_F(Alsa, ABackupOntoFatIsWholeAndLeavesNoTemporaryFile) {
  const std::string fat = "/tmp/fat", file = fat + "/show.syx";  // tests/alsa_vm.sh mounts it
  struct statfs on;
  if (statfs(fat.c_str(), &on) != 0 || on.f_type != 0x4d44) GTEST_SKIP() << "no FAT file system on " << fat;
  const std::vector<Sent> dump = dumpOf(kShapes[0]);
  OutsideDevice device(std::make_unique<RawMidiOut>(virmidi(1)[0].device), dump);
  ProcessOptions options;
  options.env = {{"PMCKEYS_DEVICE", device.line()}, {"PMCKEYS_MIDI_IN", virmidi(1)[0].name}};
  const ProcessResult saved = runProcess(PMCKEYS_BINARY, {"backup", file}, options);
  const ProcessResult again = runProcess(PMCKEYS_BINARY, {"backup", file}, options);
  EXPECT_EQ(saved.out + saved.err, "saved " + messages(kShapes[0]) + " to " + file + " (two dumps agreed)\n");
  EXPECT_EQ(readFile(file), sysexOf(dump));
  EXPECT_EQ(runProcess("/bin/ls", {"-A", fat}).out, "show.syx\n");
  EXPECT_EQ(again.err, "pmckeys: " + file + " exists: choose another name or remove it\n");
  EXPECT_EQ(device.keys(), 2 * 27);
  std::remove(file.c_str());
}

}  // namespace
