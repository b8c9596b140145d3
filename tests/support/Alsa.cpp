#include "tests/support/Alsa.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <regex>

#include "midi/QuietWait.h"
#include "midi/RtMidiSystem.h"
#include "tests/support/Must.h"

namespace {

// The cable's time for one byte.
const std::chrono::microseconds kByte(1000000 * QuietWait::BITS_PER_BYTE / QuietWait::MIDI_BITS_PER_SECOND);
// The most the far end takes at a time: a USB MIDI packet's worth, give or take.
const std::size_t kChunk = 32;

}  // namespace

void Alsa::SetUp() {
  setenv("PMCKEYS_MIDI_API", "alsa", 1);
  Result<std::unique_ptr<MidiSystem>> midi = RtMidiSystem::open("pmckeys-test");
  if (!midi) GTEST_SKIP() << midi.error();
  fMidi = std::move(midi.value());
}

std::vector<VirmidiPort> Alsa::virmidi(std::size_t count) {
  std::vector<VirmidiPort> found;
  const std::regex virmidi("VirMIDI ([0-9]+)-([0-9]+)");
  for (const std::string& port : must(fMidi->ports(MidiSystem::Direction::Out))) {
    std::smatch number;
    if (std::regex_search(port, number, virmidi) && found.size() < count) {
      found.push_back({number.str(0), "/dev/snd/midiC" + number.str(1) + "D" + number.str(2)});
    }
  }
  EXPECT_EQ(found.size(), count) << "virmidi ports (modprobe snd-virmidi)";
  return found;
}

RawMidiOut::RawMidiOut(const std::string& device) : fDevice(device), fFd(open(device.c_str(), O_WRONLY)) {}

RawMidiOut::~RawMidiOut() { close(fFd); }

Result<> RawMidiOut::send(const MidiBytes& message) {
  for (std::size_t done = 0; done < message.size();) {
    const ssize_t n = write(fFd, message.data() + done, message.size() - done);
    if (n < 0) return Failed("cannot write to " + fDevice + ": " + std::strerror(errno));
    done += static_cast<std::size_t>(n);
  }
  return Done();
}

CableEnd::CableEnd(const std::string& device) : fFd(open(device.c_str(), O_RDONLY | O_NONBLOCK)) {
  EXPECT_GE(fFd, 0) << device << ": " << std::strerror(errno);
  unsigned char byte;
  EXPECT_LT(read(fFd, &byte, 1), 1);  // the first read starts the input: nothing before it is kept
  fThread = std::thread([this] { run(); });
}

CableEnd::~CableEnd() {
  if (fThread.joinable()) take(0);
  close(fFd);
}

MidiBytes CableEnd::take(std::size_t count) {
  fWanted = count;
  fTaking = true;
  fThread.join();
  return fBytes;
}

double CableEnd::seconds() const { return std::chrono::duration<double>(fLast - fFirst).count(); }

// The cable is free again at `free`: while bytes wait, the next ones leave
// then; after an idle spell, when they come.
void CableEnd::run() {
  Clock::time_point free = Clock::now(), lastRead = free;
  while (!fTaking || (fBytes.size() < fWanted && Clock::now() - lastRead < std::chrono::seconds(1))) {
    std::this_thread::sleep_until(free);
    unsigned char chunk[kChunk];
    const ssize_t n = read(fFd, chunk, sizeof chunk);
    if (n <= 0) {
      struct pollfd in = {fFd, POLLIN, 0};
      poll(&in, 1, 100);
      free = std::max(free, Clock::now());
      continue;
    }
    if (fBytes.empty()) fFirst = free;
    fBytes.insert(fBytes.end(), chunk, chunk + n);
    free += kByte * n;
    fLast = free;
    lastRead = Clock::now();
  }
}
