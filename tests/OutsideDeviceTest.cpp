// Backups from a device played from outside pmckeys (OutsideDevice), its
// MIDI OUT a port of its own on JACK.
#include <gtest/gtest.h>

#include <fstream>
#include <future>
#include <regex>

#include "midi/RtMidiSystem.h"
#include "tests/support/JackServer.h"
#include "tests/support/OutsideDevice.h"
#include "tests/support/Process.h"

namespace {

// slow: a short message, then one of 6,000 bytes that takes 1.92 s on the
// cable, channel messages between, and 1.6 s of silence before the last:
// the default wait takes it whole, although the device stops at the way
// back. With the shortest wait, single: one message and one program change,
// told in the singular; along: a message of 1.5 s on the cable, whose 2 s
// pause after it the wait covers (twice its wire time). big, with the
// default wait again: a message longer than pmckeys' output on JACK
// carries, told in the same brackets as the others. late, which goes on
// sending at the way back: a program change is no part of the dump and does
// not make the wait longer, so the message after it comes too late.
TEST(OutsideDevice, ABackupWaitsForSlowMessagesAndPauses) {
  JackServer jack;
  ASSERT_TRUE(jack.running());
  ScratchFolder folder;
  const MidiBytes program = {0xC0, 0x05}, on = {0x90, 0x3C, 0x40}, off = {0x80, 0x3C, 0x00};
  const std::string carried = std::to_string(RtMidiSystem::JACK_LONGEST_MESSAGE);
  const std::size_t huge = RtMidiSystem::JACK_LONGEST_MESSAGE + 1000;
  const struct {
    const char* name;
    std::vector<Sent> dump;
    const char* waitMs;
    std::string result;  // after "saved ", with FILE for the file; or the error
    bool goesOn = false;
  } devices[] = {
      {"slow", {{0, sysex(21)}, {0, program}, {0, sysex(6000)}, {0, on}, {0, off}, {1600, sysex(500)}}, "",
       "3 messages, 6521 bytes to FILE (two dumps agreed; 3 other MIDI messages ignored)"},
      {"single", {{0, program}, {0, sysex(21)}}, "1000",
       "1 message, 21 bytes to FILE (two dumps agreed; 1 other MIDI message ignored)"},
      {"along", {{0, sysex(4688)}, {2000, sysex(21)}}, "1000", "2 messages, 4709 bytes to FILE (two dumps agreed)"},
      {"big", {{0, program}, {0, sysex(1000)}, {0, on}, {0, off}, {0, sysex(huge)}}, "",
       "2 messages, " + std::to_string(1000 + huge) + " bytes to FILE (two dumps agreed; 3 other MIDI messages "
       "ignored; message 2 is " + std::to_string(huge) + " bytes, more than JACK carries (" + carried +
       "): restore it over ALSA)"},
      {"late", {{0, sysex(21)}, {1800, program}, {1100, sysex(21)}}, "2000",
       "pmckeys: a System Exclusive message arrived after the dump seemed complete: the device needs a longer wait "
       "(PMCKEYS_DUMP_WAIT_MS, now 2000); nothing saved\n", true},
  };
  std::vector<std::unique_ptr<OutsideDevice>> played;
  std::vector<std::future<ProcessResult>> runs;
  for (const auto& device : devices) {
    played.push_back(OutsideDevice::onVirtualPort(device.name, device.dump, device.goesOn));
    ProcessOptions options;
    options.env = {{"PMCKEYS_DEVICE", played.back()->line()},
                   {"PMCKEYS_MIDI_IN", device.name + std::string(" out")},
                   {"PMCKEYS_DUMP_WAIT_MS", device.waitMs}};
    // A dump is taken again after a cycle the server missed: up to six dumps
    // of up to 17 s, more than the 60 s a run is given by default.
    options.timeoutSeconds = 110;
    const std::vector<std::string> args = {"backup", folder.path + "/" + device.name};
    runs.push_back(std::async(std::launch::async, [=] { return runProcess(PMCKEYS_BINARY, args, options); }));
  }
  for (std::size_t i = 0; i < std::size(devices); ++i) {
    const std::string file = folder.path + "/" + devices[i].name;
    const ProcessResult result = runs[i].get();
    const bool saved = !devices[i].goesOn;
    EXPECT_EQ(result.err, saved ? "" : devices[i].result);
    EXPECT_EQ(result.out, saved ? "saved " + std::regex_replace(devices[i].result, std::regex("FILE"), file) + "\n" : "");
    EXPECT_EQ(result.status, saved ? 0 : 1) << file << ": signal " << result.signal;
    EXPECT_EQ(std::ifstream(file).good() ? readFile(file) : "none", saved ? played[i]->sysexBytes() : "none") << file;
    EXPECT_EQ(played[i]->keys(), saved ? 54 : 27);
  }
}

}  // namespace
