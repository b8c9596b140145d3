// pmckeys backup, restore and --list-midi as a user runs them: on a JACK
// server of the test's own, against a device played by the test (a board
// on a pseudo-terminal that answers every key, and a MIDI peer that sends
// a dump when the keys of MIDIDATADUMPCOMPLETE have been pressed).
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <thread>

#include "midi/RtMidiSystem.h"
#include "simulator/PseudoTerminal.h"
#include "tests/support/JackServer.h"
#include "tests/support/Process.h"

namespace {

const std::string kDumpKeys = "MMMMEEMMMMMEE";   // MIDIDATADUMPCOMPLETE
const std::string kBackKeys = "SSSSSSESESSSSE";  // ENDMIDIDATADUMPCOMPLETE
const std::string kRound = kDumpKeys + kBackKeys;
const std::string kNothingSaved = ": the MIDI connection lost or changed data; nothing saved\n";

using Messages = std::vector<MidiBytes>;

MidiBytes sysex(std::size_t size, unsigned char fill) {
  MidiBytes message(size, fill);
  message.front() = 0xF0;
  message.back() = 0xF7;
  return message;
}

MidiBytes joined(const Messages& messages) {
  MidiBytes bytes;
  for (const MidiBytes& message : messages) bytes.insert(bytes.end(), message.begin(), message.end());
  return bytes;
}

// A dump as a device sends it, with real-time bytes alone and inside a message.
const Messages kDump = {sysex(1024, 0x11), {0xFA}, {0xF0, 0x7D, 0xF8, 0x01, 0xF7}, sysex(300, 0x22)};
const MidiBytes kSaved = joined({sysex(1024, 0x11), {0xF0, 0x7D, 0x01, 0xF7}, sysex(300, 0x22)});

// A folder of its own for the files of one test.
struct Folder {
  Folder() {
    char name[] = "/tmp/pmckeys-midi-XXXXXX";
    path = mkdtemp(name);
  }
  ~Folder() { EXPECT_EQ(system(("rm -r " + path).c_str()), 0); }
  std::string file(const std::string& name, const MidiBytes& bytes) const {
    std::ofstream(path + "/" + name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path + "/" + name;
  }
  std::string listing() const { return runProcess("/bin/ls", {"-A", path}).out; }
  std::string path;
};

MidiBytes fromText(const std::string& text) { return MidiBytes(text.begin(), text.end()); }

class FakeDevice {
public:
  // dumps[i]: what the peer sends when the i-th dump is started.
  explicit FakeDevice(const std::vector<Messages>& dumps) : fDumps(dumps) {
    std::string error;
    fMidi = RtMidiSystem::open("peer", error);
    if (fMidi) fOut = fMidi->openVirtualOutput("out", error);
    EXPECT_TRUE(fOut) << error;
    fBoard = std::thread([this] { serve(); });
  }
  ~FakeDevice() { stop(); }

  ProcessResult run(const std::vector<std::string>& args) {
    ProcessOptions options;
    options.env["PMCKEYS_DEVICE"] = fLine.slavePath();
    return runProcess(PMCKEYS_BINARY, args, options);
  }
  // The keys the board received.
  std::string stop() {
    fStop = true;
    if (fBoard.joinable()) fBoard.join();
    return fKeys;
  }

private:
  void serve() {
    char key = 0;
    std::size_t started = 0;
    while (!fStop) {
      struct pollfd line = {fLine.master(), POLLIN, 0};
      if (poll(&line, 1, 50) <= 0 || read(fLine.master(), &key, 1) != 1) continue;
      fKeys += key;
      if (write(fLine.master(), "OK\n", 3) != 3) return;
      std::string error;
      const bool dumpStarts = fKeys.size() >= kDumpKeys.size() &&
                              fKeys.compare(fKeys.size() - kDumpKeys.size(), kDumpKeys.size(), kDumpKeys) == 0;
      if (dumpStarts && started < fDumps.size()) {
        for (const MidiBytes& message : fDumps[started]) fOut->send(message, error);
        ++started;
      }
    }
  }

  std::vector<Messages> fDumps;
  PseudoTerminal fLine;
  std::unique_ptr<MidiSystem> fMidi;
  std::unique_ptr<MidiOutput> fOut;
  std::atomic<bool> fStop{false};
  std::string fKeys;
  std::thread fBoard;
};

struct Case {
  std::vector<std::string> args;
  std::map<std::string, std::string> env;
  std::string err;
  int status;
};

TEST(Midi, FilesAndMidiSystemsAreCheckedBeforeAnything) {
  Folder folder;
  const std::string good = folder.file("good.syx", kSaved), fresh = folder.path + "/new.syx";
  const std::string alsa =
      "pmckeys: no MIDI system: the ALSA sequencer is not available (is the snd-seq module loaded?)\n";
  const auto refused = [&](const std::string& name, const MidiBytes& bytes, const std::string& why) {
    return Case{{"restore", folder.file(name, bytes)},
                {},
                "pmckeys: " + folder.path + "/" + name + " is not a SysEx dump: " + why + "; nothing sent\n",
                1};
  };
  const Case cases[] = {
      {{"backup", good}, {}, "pmckeys: " + good + " exists: choose another name or remove it\n", 1},
      {{"backup", fresh}, {}, alsa, 1},  // before the serial line: no word of the board
      {{"backup"}, {}, "pmckeys: usage: pmckeys backup FILE\n", 2},
      {{"restore", good, "x"}, {}, "pmckeys: usage: pmckeys restore FILE\n", 2},
      {{"restore", good}, {}, alsa, 1},
      {{"--list-midi"}, {}, alsa, 1},
      {{"--list-midi"},
       {{"PMCKEYS_MIDI_API", "Jack"}},
       "pmckeys: PMCKEYS_MIDI_API must be alsa, jack or coremidi, not <Jack>\n",
       1},
      {{"--list-midi"},
       {{"PMCKEYS_MIDI_API", "jack"}, {"JACK_DEFAULT_SERVER", "pmckeys-none"}},
       "pmckeys: no MIDI system: no JACK server is running\n",
       1},
      {{"restore", good},
       {{"PMCKEYS_SYSEX_PAUSE_MS", "1001"}},
       "pmckeys: PMCKEYS_SYSEX_PAUSE_MS must be a whole number of milliseconds from 0 to 1000, not <1001>\n",
       1},
      {{"restore", "/dev/zero"}, {}, "pmckeys: /dev/zero is larger than any dump (more than 1 MiB); nothing sent\n", 1},
      refused("empty.syx", {}, "it is empty"),
      refused("cut.syx", {0xF0, 0x7D, 0x01, 0xF7, 0xF0, 0x7D},
              "it ends at offset 6 inside the message that begins at offset 4"),
      refused("text.syx", fromText("F0 7D F7\n"), "byte 0x46 at offset 0 where a message must begin with 0xF0"),
      refused("song.mid", {'M', 'T', 'h', 'd', 0, 0, 0, 6},
              "byte 0x4D at offset 0 where a message must begin with 0xF0"),
      refused("status.syx", {0xF0, 0x7D, 0xF7, 0xF0, 0x01, 0x90, 0xF7},
              "byte 0x90 at offset 5 inside the message that begins at offset 3"),
  };
  for (const Case& c : cases) {
    ProcessOptions options;
    options.env = {{"PMCKEYS_MIDI_API", "alsa"}, {"PMCKEYS_DEVICE", "/nonexistent/pmckeys-test"}};
    for (const auto& var : c.env) options.env[var.first] = var.second;
    const ProcessResult result = runProcess(PMCKEYS_BINARY, c.args, options);
    EXPECT_EQ(result.out, "") << c.args[0] << " " << c.err;
    EXPECT_EQ(result.err, c.err);
    EXPECT_EQ(result.status, c.status) << c.err;
  }
  EXPECT_FALSE(std::ifstream(fresh).good());
}

TEST(Midi, AMissingModuleIsOneLine) {
  Folder folder;
  ASSERT_EQ(system(("cp " PMCKEYS_BINARY " " + folder.path).c_str()), 0);
  const ProcessResult result = runProcess(folder.path + "/pmckeys", {"--list-midi"});
  const std::string start = "pmckeys: the MIDI module pmckeys-midi.so is missing (looked for " + folder.path +
                            "/pmckeys-midi.so and " + folder.path + "/../lib",  // the libdir of the install
      end = "/pmckeys/pmckeys-midi.so): reinstall pmckeys\n";
  EXPECT_EQ(result.err.substr(0, start.size()), start);
  EXPECT_EQ(result.err.substr(result.err.size() - std::min(end.size(), result.err.size())), end);
  EXPECT_EQ(result.status, 1);
}

TEST(Midi, BackupSavesTheDumpWhenTwoAgree) {
  JackServer jack;
  ASSERT_TRUE(jack.running());
  Folder folder;
  FakeDevice device({kDump, kDump});
  const std::string file = folder.path + "/patches.syx";
  const ProcessResult result = device.run({"backup", file});
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.out, "saved 3 messages, 1328 bytes to " + file + " (two dumps agreed)\n");
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(device.stop(), kRound + kRound);
  EXPECT_EQ(folder.listing(), "patches.syx\n");
  EXPECT_EQ(takeFile(file), std::string(kSaved.begin(), kSaved.end()));
}

TEST(Midi, ABackupThatFailsSavesNothingAndReturnsTheDevice) {
  JackServer jack;
  ASSERT_TRUE(jack.running());
  Messages flipped = kDump;
  flipped[0][700] = 0x12;
  const struct {
    std::vector<Messages> dumps;
    std::string err;
    std::string keys;  // a failed first dump is not taken again
  } failures[] = {
      {{kDump, flipped}, "pmckeys: the two dumps differ (first at byte 700)" + kNothingSaved, kRound + kRound},
      {{{{0x90, 0x40, 0x7F}, sysex(8, 0)}},
       "pmckeys: the dump is not whole System Exclusive: byte 0x90 at offset 0 where a message must begin with 0xF0" +
           kNothingSaved,
       kRound},
      {{},
       "pmckeys: no data dump arrived on peer out:out within 30 s: is the device's MIDI OUT connected to it?\n",
       kRound},
  };
  for (const auto& failure : failures) {
    Folder folder;
    FakeDevice device(failure.dumps);
    const ProcessResult result = device.run({"backup", folder.path + "/patches.syx"});
    EXPECT_EQ(result.err, failure.err);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(device.stop(), failure.keys);
    EXPECT_EQ(folder.listing(), "") << "no file, no temporary file";
  }
}

// What arrives on a port until it has been quiet for a second.
MidiBytes arrivals(MidiInput& input) {
  MidiBytes bytes, message;
  while (input.receive(message, 1000)) bytes.insert(bytes.end(), message.begin(), message.end());
  return bytes;
}

TEST(Midi, RestoreSendsTheFileToThePortChosenByName) {
  JackServer jack;
  ASSERT_TRUE(jack.running());
  Folder folder;
  const std::string file = folder.file("patches.syx", kSaved);
  const std::string huge = folder.file("huge.syx", sysex(16001, 0));
  std::string error;
  std::unique_ptr<MidiSystem> peer = RtMidiSystem::open("peer", error), other = RtMidiSystem::open("other", error);
  const std::string there = "; there are:\n  peer in:in\n  other in:in\n";
  const Case empty[] = {
      {{"--list-midi"}, {}, "pmckeys: no MIDI inputs or outputs on JACK\n", 1},
      {{"restore", file}, {}, "pmckeys: no MIDI output port on JACK\n", 1},
  };
  const Case two[] = {
      {{"restore", file},
       {},
       "pmckeys: 2 MIDI output ports on JACK: name one in PMCKEYS_MIDI_OUT (a part of its name will do)" + there,
       1},
      {{"restore", file},
       {{"PMCKEYS_MIDI_OUT", "synth"}},
       "pmckeys: no MIDI output port on JACK matches PMCKEYS_MIDI_OUT=<synth>" + there,
       1},
      {{"restore", file},
       {{"PMCKEYS_MIDI_OUT", "IN"}},
       "pmckeys: 2 MIDI output ports on JACK match PMCKEYS_MIDI_OUT=<IN>: name one more exactly" + there,
       1},
      {{"restore", huge},
       {{"PMCKEYS_MIDI_OUT", "Peer"}},
       "pmckeys: " + huge +
           " is not a dump JACK can carry: the message at offset 0 is 16001 bytes, longer than a JACK port carries "
           "(16000); nothing sent\n",
       1},
  };
  const auto check = [](const Case& c) {
    ProcessOptions options;
    options.env = c.env;
    const ProcessResult result = runProcess(PMCKEYS_BINARY, c.args, options);
    EXPECT_EQ(result.err, c.err);
    EXPECT_EQ(result.status, c.status) << c.err;
    return result.out;
  };
  for (const Case& c : empty) check(c);
  std::unique_ptr<MidiInput> in = peer->openVirtualInput("in", error), otherIn = other->openVirtualInput("in", error);
  std::unique_ptr<MidiOutput> out = peer->openVirtualOutput("out", error);
  EXPECT_EQ(check({{"--list-midi"}, {}, "", 0}), "in  peer out:out\nout peer in:in\nout other in:in\n");
  for (const Case& c : two) check(c);
  check({{"backup", folder.path + "/new.syx"},
         {{"PMCKEYS_DEVICE", "/nonexistent"}, {"PMCKEYS_MIDI_IN", "peer"}},
         "init_serialport: Unable to open port : No such file or directory\ncreating FakeHardwarePort\n"
         "pmckeys: no board on the serial line: the dump cannot be started\n",
         1});
  EXPECT_EQ(check({{"restore", file}, {{"PMCKEYS_MIDI_OUT", "Peer"}}, "", 0}),
            "sent 3 messages, 1328 bytes from " + file + "\n");
  EXPECT_EQ(arrivals(*otherIn), MidiBytes());
  EXPECT_EQ(arrivals(*in), kSaved);
}

// A factory reset between the two, on one open line: the restore is checked
// when it runs, after the backup that writes its file.
TEST(Midi, AScriptBacksUpAndRestoresOnOneOpenLine) {
  JackServer jack;
  ASSERT_TRUE(jack.running());
  Folder folder;
  std::string error;
  std::unique_ptr<MidiSystem> synth = RtMidiSystem::open("synth", error);
  std::unique_ptr<MidiInput> in = synth->openVirtualInput("in", error);
  FakeDevice device({kDump, kDump});
  const std::string file = folder.path + "/patches.syx";
  const ProcessResult result = device.run(
      {"--script", folder.file("show.txt", fromText("backup " + file + "\nfactorypresets enter enter\nhome\nrestore " +
                                                    file + "\n"))});
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.out, "saved 3 messages, 1328 bytes to " + file + " (two dumps agreed)\nsent 3 messages, 1328 bytes "
                        "from " + file + "\n");
  EXPECT_EQ(device.stop(), kRound + kRound + "MMMMEMMMMMMEE" + "MMEME");
  EXPECT_EQ(arrivals(*in), kSaved);
}

}  // namespace
