// Backups from a device played from outside pmckeys, where the simulated
// device cannot behave so: a board the test serves on a pseudo-terminal (the
// simulated board's side of the line, in this process) and a MIDI OUT of the
// test's own on JACK. The device sends its dump when the dump's keys are
// pressed, each System Exclusive message in pieces as slowly as a MIDI cable
// carries them, other MIDI among them, with pauses; a key that arrives while
// the dump is on its way stops it after the message in progress.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <deque>
#include <future>
#include <thread>

#include "midi/QuietWait.h"
#include "midi/RtMidiSystem.h"
#include "simulator/PseudoTerminal.h"
#include "simulator/SimulatedBoard.h"
#include "tests/support/JackServer.h"
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

struct Sent {
  int pauseMs;  // before the message
  MidiBytes message;
};

class OutsideDevice {
public:
  OutsideDevice(const std::string& name, std::vector<Sent> dump) : fName(name), fDump(std::move(dump)) {
    std::string error;
    fMidi = RtMidiSystem::open(name, error);
    if (fMidi) fOut = fMidi->openVirtualOutput("out", error);
    EXPECT_NE(fOut, nullptr) << error;
    fThread = std::thread([this] { serve(); });
  }
  ~OutsideDevice() {
    fDone = true;
    fThread.join();
  }
  OutsideDevice(const OutsideDevice&) = delete;
  OutsideDevice& operator=(const OutsideDevice&) = delete;

  std::map<std::string, std::string> env() const {
    return {{"PMCKEYS_DEVICE", fLine.slavePath()}, {"PMCKEYS_MIDI_IN", fName + " out"}};
  }
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
      for (std::size_t from = 0; from < sent.message.size(); from += 256) {
        const MidiBytes piece(sent.message.begin() + static_cast<long>(from),
                              sent.message.begin() + static_cast<long>(std::min(from + 256, sent.message.size())));
        at += std::chrono::microseconds(piece.size() * QuietWait::BITS_PER_BYTE * 1000000 /
                                        QuietWait::MIDI_BITS_PER_SECOND);
        fDue.push_back({at, piece, from == 0});
      }
    }
  }

  void serve() {
    SimulatedBoard board(fLine);
    while (!fDone) {
      SimulatedBoard::Reception key;
      int wait = 20;
      if (!fDue.empty()) {
        wait = static_cast<int>(std::clamp<long long>(
            std::chrono::ceil<std::chrono::milliseconds>(fDue.front().at - Clock::now()).count(), 0, 20));
      }
      if (board.serveOne(wait, key)) {
        ++fKeys;
        const auto next = std::find_if(fDue.begin(), fDue.end(), [](const Piece& piece) { return piece.begins; });
        fDue.erase(next, fDue.end());
        if (key.move.place == "MIDIDATADUMPCOMPLETE" && !key.move.performed.empty()) startDump();
      }
      std::string error;
      while (!fDue.empty() && fDue.front().at <= Clock::now()) {
        EXPECT_TRUE(fOut->send(fDue.front().bytes, error)) << error;
        fDue.pop_front();
      }
    }
  }

  std::string fName;
  std::vector<Sent> fDump;
  PseudoTerminal fLine;
  std::unique_ptr<MidiSystem> fMidi;
  std::unique_ptr<MidiOutput> fOut;
  std::deque<Piece> fDue;
  std::atomic<int> fKeys{0};
  std::atomic<bool> fDone{false};
  std::thread fThread;
};

MidiBytes joined(const std::vector<MidiBytes>& messages) {
  MidiBytes bytes;
  for (const MidiBytes& message : messages) bytes.insert(bytes.end(), message.begin(), message.end());
  return bytes;
}

// A short message, then one of 6,000 bytes that takes 1.92 s on the cable,
// channel messages between, and 1.6 s of silence before the last: the
// default wait takes it whole, although the device stops at the way back.
// With the shortest wait: one message and one program change, told in the
// singular; and a message of 1.5 s on the cable, whose 2 s pause after it
// the wait covers (twice its wire time). With the default wait again, a
// message longer than pmckeys' output on JACK carries, told in the same
// brackets as the others.
TEST(OutsideDevice, ABackupWaitsForSlowMessagesAndPauses) {
  JackServer jack;
  ASSERT_TRUE(jack.running());
  ScratchFolder folder;
  const MidiBytes program = {0xC0, 0x05}, on = {0x90, 0x3C, 0x40}, off = {0x80, 0x3C, 0x00};
  OutsideDevice slow("slow", {{0, sysex(21)}, {0, program}, {0, sysex(6000)}, {0, on}, {0, off}, {1600, sysex(500)}});
  OutsideDevice single("single", {{0, program}, {0, sysex(21)}}), along("along", {{0, sysex(4688)}, {2000, sysex(21)}});
  const std::size_t carried = RtMidiSystem::JACK_LONGEST_MESSAGE, huge = carried + 1000;
  OutsideDevice big("big", {{0, program}, {0, sysex(1000)}, {0, on}, {0, off}, {0, sysex(huge)}});
  const auto backup = [&](OutsideDevice& device, const std::string& file, const std::string& waitMs) {
    ProcessOptions options;
    options.env = device.env();
    options.env["PMCKEYS_DUMP_WAIT_MS"] = waitMs;
    return std::async(std::launch::async, [=] { return runProcess(PMCKEYS_BINARY, {"backup", file}, options); });
  };
  const std::string slowFile = folder.path + "/slow.syx", singleFile = folder.path + "/single.syx";
  const std::string alongFile = folder.path + "/along.syx", bigFile = folder.path + "/big.syx";
  std::future<ProcessResult> slowRun = backup(slow, slowFile, ""), singleRun = backup(single, singleFile, "1000"),
                             alongRun = backup(along, alongFile, "1000"), bigRun = backup(big, bigFile, "");
  const ProcessResult slowResult = slowRun.get(), singleResult = singleRun.get(), alongResult = alongRun.get(),
                      bigResult = bigRun.get();
  EXPECT_EQ(slowResult.err, "");
  EXPECT_EQ(slowResult.out,
            "saved 3 messages, 6521 bytes to " + slowFile + " (two dumps agreed; 3 other MIDI messages ignored)\n");
  const MidiBytes whole = joined({sysex(21), sysex(6000), sysex(500)});
  EXPECT_EQ(readFile(slowFile), std::string(whole.begin(), whole.end()));
  EXPECT_EQ(singleResult.err, "");
  EXPECT_EQ(singleResult.out,
            "saved 1 message, 21 bytes to " + singleFile + " (two dumps agreed; 1 other MIDI message ignored)\n");
  EXPECT_EQ(alongResult.err, "");
  EXPECT_EQ(alongResult.out, "saved 2 messages, 4709 bytes to " + alongFile + " (two dumps agreed)\n");
  EXPECT_EQ(bigResult.err, "");
  EXPECT_EQ(bigResult.out, "saved 2 messages, " + std::to_string(1000 + huge) + " bytes to " + bigFile +
                               " (two dumps agreed; 3 other MIDI messages ignored; message 2 is " + std::to_string(huge) +
                               " bytes, more than JACK carries (" + std::to_string(carried) + "): restore it over ALSA)\n");
  EXPECT_EQ(slow.keys(), 54);
  EXPECT_EQ(along.keys(), 54);
  EXPECT_EQ(single.keys(), 54);
}

}  // namespace
