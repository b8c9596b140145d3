// pmckeys backup, restore and --list-midi as a user runs them: on a JACK server of the test's own, against
// the simulated device (pmckeys-sim), or against ports the test opens itself where the choice is tried.
#include <fcntl.h>
#include <jack/jack.h>
#include <poll.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <future>
#include <regex>
#include <thread>

#include "midi/CablePace.h"
#include "midi/RtMidiSystem.h"
#include "simulator/DeviceMemory.h"
#include "simulator/PseudoTerminal.h"
#include "simulator/SimulatedBoard.h"
#include "tests/support/Alsa.h"
#include "tests/support/Expected.h"
#include "tests/support/JackServer.h"
#include "tests/support/LateClient.h"
#include "tests/support/Must.h"
#include "tests/support/OutsideDevice.h"
#include "tests/support/PseudoTerminalIo.h"
#include "tests/support/Process.h"
#include "tests/support/SimRun.h"

namespace {

const std::string kNothingSaved = ": the MIDI connection lost or changed data; nothing saved\n";

using Messages = std::vector<MidiBytes>;

// The shortest quiet time after a dump, for dumps that are whole and come without pauses.
const std::map<std::string, std::string> kQuick = {{"PMCKEYS_DUMP_WAIT_MS", "1000"}};

MidiBytes joined(const Messages& messages) {
  MidiBytes bytes;
  for (const MidiBytes& message : messages) bytes.insert(bytes.end(), message.begin(), message.end());
  return bytes;
}

const MidiBytes kSaved = joined({sysex(1024, 0x11), {0xF0, 0x7D, 0x01, 0xF7}, sysex(300, 0x22)});
// What the simulated device holds.
const MidiBytes kImage = joined(DeviceMemory(DeviceMemory::DEFAULT_DUMP).dump());

MidiBytes fromText(const std::string& text) { return MidiBytes(text.begin(), text.end()); }

struct Case { std::vector<std::string> args; std::map<std::string, std::string> env; std::string err; int status; };

TEST(Midi, FilesAndMidiSystemsAreCheckedBeforeAnything) {
  ScratchFolder folder;
  const std::string good = folder.file("good.syx", kSaved), fresh = folder.path + "/new.syx";
  // No MIDI system: ALSA where the machine has no sequencer, else a JACK server that does not run.
  const bool sequencer = access("/dev/snd/seq", R_OK | W_OK) == 0;
  const std::map<std::string, std::string> none = {{"PMCKEYS_MIDI_API", sequencer ? "jack" : "alsa"},
      {"JACK_DEFAULT_SERVER", "pmckeys-none"}, {"PMCKEYS_DEVICE", "/nonexistent/pmckeys-test"}};
  const std::string alsa = std::string("pmckeys: no MIDI system: ") + (sequencer ? "no JACK server is running\n" :
                           "the ALSA sequencer is not available (is the snd-seq module loaded?)\n");
  const auto refused = [&](const std::string& name, const MidiBytes& bytes, const std::string& why) {
    return Case{{"restore", folder.file(name, bytes)}, {},
                "pmckeys: " + folder.path + "/" + name + " is not a SysEx dump: " + why + "; nothing sent\n", 1};
  };
  const auto unsaved = [](const std::string& file, const std::string& why) {
    return Case{{"backup", file}, {}, "pmckeys: cannot save a backup as <" + file + ">: " + why + "\n", 1};
  };
  const auto badWait = [&](const std::string& value) {
    return Case{{"backup", fresh}, {{"PMCKEYS_DUMP_WAIT_MS", value}}, "pmckeys: PMCKEYS_DUMP_WAIT_MS must be a "
                "whole number of milliseconds from 1000 to 60000, not <" + value + ">\n", 1};
  };
  const int unwritable = open("/sys/pmckeys-test.syx", O_WRONLY | O_CREAT | O_EXCL, 0666) < 0 ? errno : 0;
  const Case cases[] = {
      {{"backup", good}, {}, "pmckeys: " + good + " exists: choose another name or remove it\n", 1},
      unsaved("", "No such file or directory"),
      unsaved(folder.path + "/", "Is a directory"),
      unsaved(folder.path, "Is a directory"),
      unsaved(folder.path + "/new/", "Is a directory"),
      unsaved(folder.path + "/" + std::string(256, 'n'), "File name too long"),
      unsaved(good + "/new.syx", "Not a directory"),
      unsaved(folder.path + "/none/new.syx", "No such file or directory"),
      unsaved("/sys/new.syx", std::strerror(unwritable)),
      badWait("999"), badWait("60001"), badWait("8.5"), badWait("-1000"),
      {{"backup", fresh}, {}, alsa, 1},  // before the serial line: no word of the board
      {{"backup"}, {}, "pmckeys: usage: pmckeys backup FILE\n", 2},
      {{"restore", good, "x"}, {}, "pmckeys: usage: pmckeys restore FILE [--no-verify]\n", 2},
      {{"restore", "--no-verify"}, {}, "pmckeys: cannot read --no-verify: No such file or directory\n", 1},
      {{"verify"}, {}, "pmckeys: usage: pmckeys verify FILE\n", 2},
      {{"verify", good}, {}, alsa, 1},
      {{"verify", folder.file("empty.syx", {})}, {}, "pmckeys: " + folder.path + "/empty.syx is not a SysEx dump: it is "
       "empty\n", 1},
      {{"verify", "/dev/zero"}, {}, "pmckeys: /dev/zero is larger than any dump (more than 1 MiB)\n", 1},
      {{"restore", good}, {}, alsa, 1},
      {{"--list-midi"}, {}, alsa, 1},
      {{"--list-midi"}, {{"PMCKEYS_MIDI_API", "Jack"}},
       "pmckeys: PMCKEYS_MIDI_API must be alsa, jack or coremidi, not <Jack>\n", 1},
      {{"--list-midi"}, {{"PMCKEYS_MIDI_API", "jack"}, {"JACK_DEFAULT_SERVER", "pmckeys-none"}},
       "pmckeys: no MIDI system: no JACK server is running\n", 1},
      {{"restore", good}, {{"PMCKEYS_SYSEX_PAUSE_MS", "1001"}},
       "pmckeys: PMCKEYS_SYSEX_PAUSE_MS must be a whole number of milliseconds from 0 to 1000, not <1001>\n", 1},
      {{"restore", "/dev/zero"}, {}, "pmckeys: /dev/zero is larger than any dump (more than 1 MiB); nothing sent\n", 1},
      refused("empty.syx", {}, "it is empty"),
      refused("cut.syx", {0xF0, 0x7D, 0x01, 0xF7, 0xF0, 0x7D},
              "it ends at offset 6 inside the message that begins at offset 4"),
      refused("text.syx", fromText("F0 7D F7\n"), "byte 0x46 at offset 0 where a message must begin with 0xF0"),
      refused("song.mid", {'M', 'T', 'h', 'd', 0, 0, 0, 6}, "byte 0x4D at offset 0 where a message must begin with 0xF0"),
      refused("status.syx", {0xF0, 0x7D, 0xF7, 0xF0, 0x01, 0x90, 0xF7},
              "byte 0x90 at offset 5 inside the message that begins at offset 3"),
  };
  for (const Case& c : cases) {
    std::map<std::string, std::string> env = c.env;
    env.insert(none.begin(), none.end());
    const ProcessResult result = runProcess(PMCKEYS_BINARY, c.args, withEnv(env));
    EXPECT_EQ(result.out, "") << c.args[0] << " " << c.err;
    EXPECT_EQ(result.err, c.err);
    EXPECT_EQ(result.status, c.status) << c.err;
  }
  EXPECT_FALSE(std::ifstream(fresh).good());
  EXPECT_EQ(folder.listing().find(".pmckeys-"), std::string::npos) << "no temporary file";
}

TEST(Midi, AMissingModuleIsOneLine) {
  ScratchFolder folder;
  ASSERT_EQ(system(("cp " PMCKEYS_BINARY " " + folder.path).c_str()), 0);
  const ProcessResult result = runProcess(folder.path + "/pmckeys", {"--list-midi"});
  const std::string start = "pmckeys: the MIDI module pmckeys-midi.so is missing (looked for " + folder.path +
                            "/pmckeys-midi.so and " + folder.path + "/../lib",  // the libdir of the install
      end = "/pmckeys/pmckeys-midi.so): reinstall pmckeys\n";
  EXPECT_EQ(result.err.substr(0, start.size()), start);
  EXPECT_EQ(result.err.substr(result.err.size() - std::min(end.size(), result.err.size())), end);
  EXPECT_EQ(result.status, 1);
}

std::string withoutPid(const std::string& text) {
  return std::regex_replace(text, std::regex("pmckeys-sim [0-9]+"), "pmckeys-sim PID");
}

// One backup on the simulated device and what it ended with; a failed first dump is not taken again.
struct BackupCase {
  std::vector<std::string> simOptions;
  std::map<std::string, std::string> env;
  std::string out, err;
  std::size_t keys;
};

// One after another on a JACK server of their own (a client coming or going may make it miss a cycle, and
// every run on it take its dump again). Saved when the two dumps agree, nothing saved when the dump is
// missing, cut short, changed or not over; back in performance mode either way. A name as long as the
// folder takes is saved (the temporary name is short); its line end does not split the result line.
std::vector<SimRun> backUpOneAfterAnother(const std::vector<BackupCase>& cases) {
  JackServer jack;
  EXPECT_TRUE(jack.running());
  const std::string name = std::string(250, 'p') + "\n.syx";
  std::vector<SimRun> done;
  for (const BackupCase& c : cases) {
    ScratchFolder folder;
    const SimRun& run = done.emplace_back(runUnderSim({"backup", folder.path + "/" + name}, c.simOptions, nullptr,
                                                      nullptr, c.env));
    EXPECT_EQ(std::regex_replace(run.process.out, std::regex(folder.path + "/p+\\\\x0a\\.syx"), "FILE"), c.out);
    EXPECT_EQ(withoutPid(run.process.err), c.err);
    EXPECT_EQ(run.process.status, c.err.empty() ? 0 : 1);
    EXPECT_EQ(run.ending, "summary: the device ended in performance mode");
    EXPECT_EQ(run.bytes.size() + 1, 3 * c.keys) << run.bytes;
    const std::string saved = c.err.empty() ? readFile(folder.path + "/" + name) : "";
    EXPECT_EQ(folder.listing(), c.err.empty() ? name + "\n" : "") << "no file, no temporary file";
    if (c.simOptions.empty()) {
      EXPECT_EQ(saved, std::string(kImage.begin(), kImage.end()));
    }
  }
  return done;
}

TEST(MidiOnJack, BackupThroughTheSimulatedDevice) {
  const std::vector<SimRun> runs = backUpOneAfterAnother({
      {{}, {}, "saved 4 messages, 4096 bytes to FILE (two dumps agreed)\n", "", 54},
      {{"--fault", "nodump"}, {}, "", "pmckeys: no data dump arrived on pmckeys-sim PID out:out within 30 s: is the "
       "device's MIDI OUT connected to it?\n", 27},
      {{"--fault", "cutdump"}, kQuick, "", "pmckeys: the dump is not whole System Exclusive: byte 0xF0 at offset 512 "
       "inside the message that begins at offset 0" + kNothingSaved, 54},
  });
  // By default the way back follows the dump (4096 bytes, 1.311 s on the cable from the 13th key) after
  // 8.5 s of quiet, well before a quiet twice as long would end (1.311 + 17 s).
  const SimRun& plain = runs[0];
  ASSERT_EQ(plain.times.size(), 54u);
  EXPECT_GT(plain.times[13] - plain.times[12], 1.311 + 8.5);
  EXPECT_LT(plain.times[13] - plain.times[12], 1.311 + 8.5 + 3.5);
}

TEST(MidiOnJack, BackupOfDevicesThatSendTheirOwnWay) {
  backUpOneAfterAnother({
      {{"--fault", "flipdump"}, kQuick, "", "pmckeys: the two dumps differ (first at byte 2560)" + kNothingSaved, 54},
      {{"--fault", "pausedump"}, kQuick, "", "pmckeys: a System Exclusive message arrived after the dump seemed "
       "complete: the device needs a longer wait (PMCKEYS_DUMP_WAIT_MS, now 1000); nothing saved\n", 27},
      {{"--fault", "chatterdump"}, kQuick,
       "saved 4 messages, 4096 bytes to FILE (two dumps agreed; 6 other MIDI messages ignored)\n", "", 54},
      {{"--fault", "slowdump"}, {}, "saved 6 messages, 10117 bytes to FILE (two dumps agreed)\n", "", 54},
  });
}

// A restore's check finds the device holding the file; with a message lost, the device as it was.
TEST(MidiOnJack, ARestoreEndsWithItsCheck) {
  JackServer jack;
  ASSERT_TRUE(jack.running());
  ScratchFolder folder;
  const std::string saved = folder.file("saved.syx", joined(DeviceMemory(2048).dump()));  // not what it holds
  const SimRun run = runUnderSim({"restore", saved}, {}, nullptr, nullptr, kQuick);
  const SimRun dropped = runUnderSim({"restore", saved}, {"--fault", "droprestore"}, nullptr, nullptr, kQuick);
  const std::string sent = "sent 2 messages, 2048 bytes from " + saved + "\n";
  EXPECT_EQ(run.process.out, sent + "the device holds exactly " + saved + " (2 messages, 2048 bytes)\n");
  EXPECT_EQ(run.process.status, 0) << run.process.err;
  EXPECT_EQ(run.memory.substr(0, 36), "other content, restored from a dump ");
  EXPECT_EQ(dropped.process.out, sent);
  EXPECT_EQ(dropped.process.err, "pmckeys: restore of " + saved + " did not take: the device's memory differs from " +
                                     saved + " (first at byte 7); restore the file again\n");
  EXPECT_EQ(dropped.process.status, 1);
  EXPECT_EQ(dropped.memory, kUserMemory);
  for (const SimRun* restore : {&run, &dropped}) {
    EXPECT_EQ(restore->times.size(), 27u);
    EXPECT_EQ(restore->ending, "summary: the device ended in performance mode");
  }
}

// What arrives on a port until it has been quiet for a second.
MidiBytes arrivals(MidiInput& input) {
  MidiBytes bytes, message;
  while (input.receive(message, 1000)) bytes.insert(bytes.end(), message.begin(), message.end());
  return bytes;
}

TEST(MidiOnJack, RestoreSendsTheFileToThePortChosenByName) {
  JackServer jack;
  ASSERT_TRUE(jack.running());
  ScratchFolder folder;
  const std::string file = folder.file("patches.syx", kSaved);
  const std::size_t limit = RtMidiSystem::JACK_LONGEST_MESSAGE;
  const MidiBytes longest = joined({sysex(limit, 0x33), {0xF0, 0x7D, 0x01, 0xF7}});
  const std::string huge = folder.file("huge.syx", sysex(limit + 1, 0)), full = folder.file("full.syx", longest);
  std::unique_ptr<MidiSystem> peer = must(RtMidiSystem::open("peer")), other = must(RtMidiSystem::open("other"));
  const std::string there = "; there are:\n  peer in:in\n  other in:in\n";
  const Case empty[] = {
      {{"--list-midi"}, {}, "pmckeys: no MIDI inputs or outputs on JACK\n", 1},
      {{"restore", file}, {}, "pmckeys: no MIDI output port on JACK\n", 1},
  };
  const Case two[] = {
      {{"restore", file}, {},
       "pmckeys: 2 MIDI output ports on JACK: name one in PMCKEYS_MIDI_OUT (a part of its name will do)" + there, 1},
      {{"restore", file}, {{"PMCKEYS_MIDI_OUT", "syn\tth"}},
       "pmckeys: no MIDI output port on JACK matches PMCKEYS_MIDI_OUT=<syn\\x09th>" + there, 1},
      {{"restore", file}, {{"PMCKEYS_MIDI_OUT", "IN"}},
       "pmckeys: 2 MIDI output ports on JACK match PMCKEYS_MIDI_OUT=<IN>: name one more exactly" + there, 1},
      {{"restore", huge}, {{"PMCKEYS_MIDI_OUT", "Peer"}}, "pmckeys: " + huge + " is not a dump JACK can carry: the "
       "message at offset 0 is " + std::to_string(limit + 1) + " bytes, longer than a JACK port carries (" +
       std::to_string(limit) + "); nothing sent\n", 1},
  };
  const auto check = [](const Case& c) {
    const ProcessResult result = runProcess(PMCKEYS_BINARY, c.args, withEnv(c.env));
    EXPECT_EQ(result.err, c.err);
    EXPECT_EQ(result.status, c.status) << c.err;
    return result.out;
  };
  for (const Case& c : empty) check(c);
  std::unique_ptr<MidiInput> in = must(peer->openVirtualInput("in")), otherIn = must(other->openVirtualInput("in"));
  // Sent all the same where nothing can check it: no input to take a dump from, no board to ask for one.
  const std::string one = folder.file("one.syx", sysex(1024, 0x11));
  EXPECT_EQ(check({{"restore", one}, {{"PMCKEYS_MIDI_OUT", "Peer"}}, "", 0}),
            "sent 1 message, 1024 bytes from " + one + "; not verified: no MIDI input port\n");
  EXPECT_EQ(arrivals(*in), sysex(1024, 0x11));
  std::unique_ptr<MidiOutput> out = must(peer->openVirtualOutput("out"));
  EXPECT_EQ(check({{"--list-midi"}, {}, "", 0}), "in  peer out:out\nout peer in:in\nout other in:in\n");
  for (const Case& c : two) check(c);
  for (const std::string& form : {"backup " + folder.path + "/new.syx", "verify " + huge}) {  // no limit for JACK
    check({{form.substr(0, 6), form.substr(7)}, {{"PMCKEYS_DEVICE", "/nonexistent"}, {"PMCKEYS_MIDI_IN", "peer"}},
           kNoBoard + std::string("pmckeys: no board on the serial line: the dump cannot be started\n"), 1});
  }
  EXPECT_EQ(check({{"restore", file}, {{"PMCKEYS_MIDI_OUT", "Peer"}, {"PMCKEYS_DEVICE", "/nonexistent"}}, kNoBoard, 0}),
            "sent 3 messages, 1328 bytes from " + file + "; not verified: no board on the serial line\n");
  EXPECT_EQ(arrivals(*otherIn), MidiBytes());
  EXPECT_EQ(arrivals(*in), kSaved);
  EXPECT_EQ(check({{"restore", full, "--no-verify"}, {{"PMCKEYS_MIDI_OUT", "Peer"}}, "", 0}),
            "sent 2 messages, " + std::to_string(longest.size()) + " bytes from " + full + "\n");
  EXPECT_EQ(arrivals(*in), longest);
  // One byte more is lost on the way: the limit is the real one, not one below it.
  std::unique_ptr<MidiOutput> direct = must(other->openOutput("peer in:in"));
  must(direct->send(sysex(limit + 1, 0)));
  EXPECT_EQ(arrivals(*in), MidiBytes());
}

// Once the second of four messages (1.3 s on the cable each, 1 s apart) has arrived, the port is closed,
// the server stopped, frozen or late, or pmckeys signalled. A message counts as sent only once the cable
// carried it; a frozen server ends the restore after 5 s without a cycle; a signal lets the message on its
// way end whole; a missed cycle may have lost data, so a restore without its check fails.
TEST(MidiOnJack, ARestoreCutShortSaysHowFarItCame) {
  enum How { CLOSE, STOP, FREEZE, SIGNAL, LATE };
  const std::string mix = " messages: the device may hold a mix of old and new content; restore the file again\n";
  const struct { How how; int signal; std::string err; int status; } cases[] = {
      {CLOSE, 0, "pmckeys: the MIDI port <peer in:in> went away after 1 of 4" + mix, 1},
      {STOP, 0, "pmckeys: the JACK server stopped after 1 of 4" + mix, 1},
      {FREEZE, 0, "pmckeys: the JACK server ran no cycle for 5 s after 2 of 4" + mix, 1},
      {SIGNAL, SIGINT, "pmckeys: restore stopped by Ctrl-C after 2 of 4" + mix, 130},
      {SIGNAL, SIGTERM, "pmckeys: restore stopped by SIGTERM after 2 of 4" + mix, 143},
      {SIGNAL, SIGHUP, "pmckeys: restore stopped by SIGHUP after 2 of 4" + mix, 129},
      {LATE, 0, "pmckeys: the JACK server missed a cycle after 1 of 4 messages: the device may hold a mix of "
       "old and new content; verify FILE or restore it again\n", 1}};
  for (const auto& c : cases) {
    JackServer jack;
    ASSERT_TRUE(jack.running());
    LateClient late;
    ScratchFolder folder;
    const std::string file = folder.file("patches.syx", joined(Messages(4, sysex(4096, 0x11))));
    std::unique_ptr<MidiSystem> peer = must(RtMidiSystem::open("peer"));
    std::unique_ptr<MidiInput> in = must(peer->openVirtualInput("in"));
    std::atomic<pid_t> pmckeys{0};
    ProcessOptions options = withEnv({{"PMCKEYS_SYSEX_PAUSE_MS", "1000"}});
    options.started = &pmckeys;
    std::future<ProcessResult> restore = std::async(
        std::launch::async, [&] { return runProcess(PMCKEYS_BINARY, {"restore", file, "--no-verify"}, options); });
    MidiBytes message;
    EXPECT_TRUE(in->receive(message, 20000) && in->receive(message, 20000));
    const auto gone = std::chrono::steady_clock::now();
    if (c.how == STOP) jack.stop();
    if (c.how == CLOSE) in.reset();
    if (c.how == FREEZE) jack.signal(SIGSTOP);
    if (c.how == SIGNAL) kill(pmckeys, c.signal);
    if (c.how == LATE) late.overrun(3);
    const ProcessResult result = restore.get();
    EXPECT_LT(std::chrono::steady_clock::now() - gone, std::chrono::seconds(10));
    if (c.how == FREEZE) jack.signal(SIGCONT);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(std::regex_replace(result.err, std::regex(file), "FILE"), c.err);
    EXPECT_EQ(result.status, c.status);
    if (c.how == SIGNAL) {
      EXPECT_EQ(arrivals(*in), MidiBytes()) << "nothing after the two whole messages";
    }
  }
}

// A server that refuses the connection of pmckeys' port (a message written before it is in the running
// graph is lost) or a port at all: nothing is sent, no key pressed.
TEST(MidiOnJack, AConnectionThatDoesNotComeUpStopsTheRunBeforeAnything) {
  ScratchFolder folder;
  const std::string file = folder.file("patches.syx", kSaved), fresh = folder.path + "/new.syx";
  const std::map<std::string, std::string> env = {{"PMCKEYS_MIDI_IN", "peer"}, {"PMCKEYS_MIDI_OUT", "peer"}};
  const struct { std::vector<std::string> server, args; std::string err; } cases[] = {
      {{"-a", "A"}, {"restore", file, "--no-verify"},
       "pmckeys: the JACK connection from <pmckeys-PID-01:out> to <peer in:in> did not come up within 5 s\n"},
      {{"-a", "A"}, {"backup", fresh},
       "pmckeys: the JACK connection from <peer out:out> to <pmckeys-PID-01:in> did not come up within 5 s\n"},
      {{"-p", "7"}, {"restore", file, "--no-verify"}, "pmckeys: MidiOutJack::openPort: JACK error creating port\n"},
  };
  for (const auto& c : cases) {
    JackServer jack(c.server);
    ASSERT_TRUE(jack.running());
    std::unique_ptr<MidiSystem> peer = must(RtMidiSystem::open("peer"));
    std::unique_ptr<MidiInput> in = must(peer->openVirtualInput("in"));
    std::unique_ptr<MidiOutput> out = must(peer->openVirtualOutput("out"));
    const ProcessResult result = runProcess(PMCKEYS_BINARY, c.args, withEnv(env));
    EXPECT_EQ(std::regex_replace(result.err, std::regex("pmckeys-[0-9]+"), "pmckeys-PID"), c.err);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(arrivals(*in), MidiBytes());
  }
  EXPECT_EQ(folder.listing(), "patches.syx\n");
}

// A server that takes no more clients: the listing says why. With few file descriptors jackd turns
// clients away after a handful, answering as at its limit of clients (about 250, minutes to reach).
TEST(MidiOnJack, AServerThatTakesNoMoreClientsIsNamed) {
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
  jack_status_t status = static_cast<jack_status_t>(0);
  for (jack_client_t* client; clients.size() < 100 && (client = jack_client_open(
                                  ("hog" + std::to_string(clients.size())).c_str(), JackNoStartServer, &status));) {
    clients.push_back(client);
  }
  EXPECT_EQ(status, JackFailure | JackServerError);
  const ProcessResult result = runProcess(PMCKEYS_BINARY, {"--list-midi"});
  for (jack_client_t* client : clients) jack_client_close(client);
  EXPECT_EQ(result.err, "pmckeys: cannot open a JACK client: the server turned it away (too many clients?)\n");
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, "");
}

// An error without the address ALSA adds to a port's name ("peer in:in 128:0").
std::string unaddressed(const std::string& text) { return std::regex_replace(text, std::regex(" [0-9]+:[0-9]+>"), ">"); }

// Closed as the second message arrives, the port would race with the look while the cable carries its
// last piece (82 ms): it goes in the pause after.
TEST_F(Alsa, ARestoreWhosePortGoesAwayFails) {
  ScratchFolder folder;
  const std::string file = folder.file("patches.syx", joined(Messages(4, sysex(1024, 0x11))));
  std::unique_ptr<MidiSystem> peer = must(RtMidiSystem::open("peer"));
  std::unique_ptr<MidiInput> in = must(peer->openVirtualInput("in"));
  const ProcessOptions options = withEnv({{"PMCKEYS_SYSEX_PAUSE_MS", "1000"}, {"PMCKEYS_MIDI_OUT", "peer in"}});
  std::future<ProcessResult> restore = std::async(
      std::launch::async, [&] { return runProcess(PMCKEYS_BINARY, {"restore", file, "--no-verify"}, options); });
  MidiBytes message;
  EXPECT_TRUE(in->receive(message, 10000) && in->receive(message, 10000));
  std::this_thread::sleep_for(CablePace::wireTime(message.size()));
  in.reset();
  const ProcessResult result = restore.get();
  EXPECT_EQ(unaddressed(result.out + result.err) + std::to_string(result.status), "pmckeys: the MIDI port <peer in:in> went "
            "away after 2 of 4 messages: the device may hold a mix of old and new content; restore the file again\n1");
}

// The device played by the test (keypad on a pseudo-terminal, MIDI OUT a port of its own): its port goes
// away at the 13th key, before any message. pmckeys looks for it every second while it waits, so the way
// back comes within seconds, not after the 30 s for the first message.
void backupWhosePortGoesAway() {
  ScratchFolder folder;
  PseudoTerminal board;
  std::string keys;
  std::unique_ptr<MidiSystem> peer = must(RtMidiSystem::open("peer"));
  std::unique_ptr<MidiOutput> out = must(peer->openVirtualOutput("out"));
  const ProcessOptions options = withEnv({{"PMCKEYS_DEVICE", board.slavePath()}, {"PMCKEYS_MIDI_IN", "peer out"}});
  std::future<ProcessResult> backup = std::async(std::launch::async, [&] {
    return runProcess(PMCKEYS_BINARY, {"backup", folder.path + "/patches.syx"}, options);
  });
  struct pollfd line = {board.master(), POLLIN, 0};
  std::chrono::steady_clock::time_point gone, back;
  for (char key = 0; backup.wait_for(std::chrono::seconds(0)) != std::future_status::ready;) {
    if (poll(&line, 1, 100) != 1 || read(board.master(), &key, 1) != 1 || key == '?') continue;  // no probe here
    keys += key;
    answer(board, SimulatedBoard::REPLY);
    if (keys.size() == 13) {
      out.reset();
      gone = std::chrono::steady_clock::now();
    }
    if (keys.size() == 14) back = std::chrono::steady_clock::now();
  }
  const ProcessResult result = backup.get();
  EXPECT_EQ(unaddressed(result.err), "pmckeys: the MIDI port <peer out:out> went away during the dump; nothing saved\n");
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(keys, "MMMMEEMMMMMEE" "SSSSSSESESSSSE");  // the way to the dump, the way back
  // Seen within the second between two looks; unlooked for, 30 s.
  EXPECT_LT(back - gone, std::chrono::seconds(10));
  EXPECT_EQ(folder.listing(), "");
}

TEST(MidiOnJack, ABackupWhosePortGoesAwaySavesNothing) {
  JackServer jack;
  ASSERT_TRUE(jack.running());
  backupWhosePortGoesAway();
}

TEST_F(Alsa, ABackupWhosePortGoesAwaySavesNothing) { backupWhosePortGoesAway(); }

// Backup, reset, restore and verify as one script on one open line: the restore is checked when it runs,
// after the backup writes its file. Then verify against files of the test's own. Its first four lines are
// the README's demo (restore verifies what it sent).
void scriptOnOneOpenLine() {
  ScratchFolder folder;
  const std::string file = folder.path + "/patches.syx";
  const MidiBytes& image = kImage;
  MidiBytes longer = image;
  longer.insert(longer.end(), {0xF0, 0x7D, 0x01, 0xF7});
  const std::string same = folder.file("same\t.syx", image), more = folder.file("more\n.syx", longer);
  const std::string shownSame = folder.path + "/same\\x09.syx", shownMore = folder.path + "/more\\x0a.syx";
  const std::string script = "backup " + file + "\nfactorypresets enter enter\nhome\nrestore " + file +
                             "\nfactorypresets enter enter\nhome\nverify " + file + "\n";
  // The restore of a file the backup writes checks its own settings before anything runs.
  std::map<std::string, std::string> badPause = kQuick;
  badPause["PMCKEYS_SYSEX_PAUSE_MS"] = "1001";
  const SimRun refused = runUnderSim({"--script", "-"}, {}, script.c_str(), nullptr, badPause);
  EXPECT_EQ(refused.process.err, "pmckeys: -:4: PMCKEYS_SYSEX_PAUSE_MS must be a whole number of milliseconds from 0 "
                                 "to 1000, not <1001>\n");
  EXPECT_EQ(refused.bytes, "");
  const SimRun run = runUnderSim({"--script", "-"}, {}, script.c_str(), nullptr, kQuick);
  EXPECT_EQ(run.process.err, "pmckeys: -:7: the device's memory differs from " + file + " (first at byte 8)\n");
  EXPECT_EQ(run.process.out, "saved 4 messages, 4096 bytes to " + file + " (two dumps agreed)\nsent 4 messages, 4096 "
                             "bytes from " + file + "\nthe device holds exactly " + file + " (4 messages, 4096 bytes)\n");
  EXPECT_EQ(run.process.status, 1);
  EXPECT_EQ(run.memory, kFactoryMemory);
  EXPECT_EQ(run.ending, "summary: the device ended in performance mode");
  // One after another: runs side by side on one loaded JACK server have lost their connections.
  const SimRun equal = runUnderSim({"verify", same}, {"--fault", "chatterdump"}, nullptr, nullptr, kQuick);
  const SimRun sent = runUnderSim({"verify", more}, {}, nullptr, nullptr, kQuick);
  EXPECT_EQ(equal.process.out, "the device holds exactly " + shownSame + " (4 messages, 4096 bytes; 6 other MIDI messages "
                               "ignored)\n");
  EXPECT_EQ(equal.process.status, 0);
  EXPECT_EQ(sent.process.err, "pmckeys: the device's memory differs from " + shownMore + " (the device sent 4096 "
                                  "bytes, " + shownMore + " holds 4100)\n");
  EXPECT_EQ(sent.process.status, 1);
  for (const SimRun* verify : {&equal, &sent}) EXPECT_EQ(verify->times.size(), 27u);
}

TEST(MidiOnJack, AScriptBacksUpResetsRestoresAndVerifiesOnOneOpenLine) {
  JackServer jack;
  ASSERT_TRUE(jack.running());
  scriptOnOneOpenLine();
}

TEST_F(Alsa, AScriptBacksUpResetsRestoresAndVerifiesOnOneOpenLine) { scriptOnOneOpenLine(); }

}  // namespace
