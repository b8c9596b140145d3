// Backups from a device played from outside pmckeys, where the simulated
// device cannot behave so: a board the test serves on a pseudo-terminal (the
// simulated board's side of the line, in this process) and a MIDI OUT of the
// test's own on JACK. The device sends its dump when the dump's keys are
// pressed, each System Exclusive message in pieces as slowly as a MIDI cable
// carries them, other MIDI among them, with pauses; a key that arrives while
// the dump is on its way stops it after the message in progress, unless the
// device is one that goes on.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <deque>
#include <fstream>
#include <future>
#include <regex>
#include <thread>

#include "midi/QuietWait.h"
#include "midi/RtMidiSystem.h"
#include "simulator/PseudoTerminal.h"
#include "simulator/SimulatedBoard.h"
#include "tests/support/JackServer.h"
#include "tests/support/Must.h"
#include "tests/support/Process.h"

namespace {

using Clock = std::chrono::steady_clock;

MidiBytes sysex(std::size_t size) {
  MidiBytes message(size, 0x11);
  message.front() = 0xF0;
  message[1] = 0x7D;
  message.back() = 0xF7;
  return message;
}

// A System Exclusive message goes out in pieces of this size (RtMidi joins
// them again on the receiving side), each when its last byte would have left
// the cable: few pieces, so that a loaded JACK server keeps up.
const std::size_t kPiece = 1024;

struct Sent {
  int pauseMs;  // before the message
  MidiBytes message;
};

class OutsideDevice {
public:
  OutsideDevice(const std::string& name, std::vector<Sent> dump, bool goesOn)
      : fDump(std::move(dump)), fGoesOn(goesOn) {
    fMidi = must(RtMidiSystem::open(name));
    if (fMidi) fOut = must(fMidi->openVirtualOutput("out"));
    fThread = std::thread([this] { serve(); });
  }
  ~OutsideDevice() {
    fDone = true;
    fThread.join();
  }

  const std::string& line() const { return fLine.slavePath(); }
  int keys() const { return fKeys; }

private:
  struct Piece {
    Clock::time_point at;  // when its last byte has left the cable
    MidiBytes bytes;
    bool begins;  // a message
  };

  void startDump() {
    Clock::time_point at = Clock::now();
    for (const Sent& sent : fDump) {
      at += std::chrono::milliseconds(sent.pauseMs);
      for (std::size_t from = 0; from < sent.message.size(); from += kPiece) {
        const auto begin = sent.message.begin() + static_cast<long>(from);
        const MidiBytes piece(begin, begin + static_cast<long>(std::min(kPiece, sent.message.size() - from)));
        at += std::chrono::microseconds(piece.size() * QuietWait::BITS_PER_BYTE * 1000000 /
                                        QuietWait::MIDI_BITS_PER_SECOND);
        fDue.push_back({at, piece, from == 0});
      }
    }
  }

  void serve() {
    SimulatedBoard board(fLine);
    while (!fDone) {
      const auto next = fDue.empty() ? Clock::now() + std::chrono::milliseconds(20) : fDue.front().at;
      const long long due = std::chrono::ceil<std::chrono::milliseconds>(next - Clock::now()).count();
      SimulatedBoard::Reception key;
      if (board.serveOne(static_cast<int>(std::clamp<long long>(due, 0, 20)), key)) {
        ++fKeys;
        if (!fGoesOn) fDue.erase(std::find_if(fDue.begin(), fDue.end(), [](const Piece& piece) { return piece.begins; }), fDue.end());
        if (key.move.place == "MIDIDATADUMPCOMPLETE" && !key.move.performed.empty()) startDump();
      }
      for (; !fDue.empty() && fDue.front().at <= Clock::now(); fDue.pop_front()) must(fOut->send(fDue.front().bytes));
    }
  }

  std::vector<Sent> fDump;
  bool fGoesOn;
  PseudoTerminal fLine;
  std::unique_ptr<MidiSystem> fMidi;
  std::unique_ptr<MidiOutput> fOut;
  std::deque<Piece> fDue;
  std::atomic<int> fKeys{0};
  std::atomic<bool> fDone{false};
  std::thread fThread;
};

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
    played.emplace_back(new OutsideDevice(device.name, device.dump, device.goesOn));
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
    std::string whole;  // the System Exclusive messages, in order
    for (const Sent& sent : devices[i].dump) {
      if (sent.message.front() == 0xF0) whole.append(sent.message.begin(), sent.message.end());
    }
    const bool there = std::ifstream(file).good();
    EXPECT_EQ(there, saved) << file;
    if (there) {
      EXPECT_EQ(readFile(file), whole) << file;
    }
    EXPECT_EQ(played[i]->keys(), saved ? 54 : 27);
  }
}

}  // namespace
