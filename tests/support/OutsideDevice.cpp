#include "tests/support/OutsideDevice.h"

#include <algorithm>

#include "midi/QuietWait.h"
#include "midi/RtMidiSystem.h"
#include "simulator/SimulatedBoard.h"
#include "tests/support/Must.h"

namespace {

// A System Exclusive message goes out in pieces of this size (the receiving
// side joins them again), each when its last byte would have left the
// cable: few pieces, so that a loaded JACK server keeps up.
const std::size_t kPiece = 1024;

}  // namespace

MidiBytes sysex(std::size_t size, unsigned char seed) {
  MidiBytes message(size, 0xF0);
  for (std::size_t i = 1; i + 1 < size; ++i) message[i] = static_cast<unsigned char>((seed + i) % 127);
  message.back() = 0xF7;
  return message;
}

OutsideDevice::OutsideDevice(std::unique_ptr<MidiOutput> out, std::vector<Sent> dump, bool goesOn,
                             std::unique_ptr<MidiSystem> system)
    : fSystem(std::move(system)), fOut(std::move(out)), fDump(std::move(dump)), fGoesOn(goesOn) {
  fThread = std::thread([this] { serve(); });
}

OutsideDevice::~OutsideDevice() {
  fDone = true;
  fThread.join();
}

std::unique_ptr<OutsideDevice> OutsideDevice::onVirtualPort(const std::string& name, std::vector<Sent> dump,
                                                             bool goesOn) {
  std::unique_ptr<MidiSystem> midi = must(RtMidiSystem::open(name));
  std::unique_ptr<MidiOutput> out = midi ? must(midi->openVirtualOutput("out")) : nullptr;
  return std::make_unique<OutsideDevice>(std::move(out), std::move(dump), goesOn, std::move(midi));
}

std::string sysexOf(const std::vector<Sent>& dump) {
  std::string whole;
  for (const Sent& sent : dump) {
    if (sent.message.front() == 0xF0) whole.append(sent.message.begin(), sent.message.end());
  }
  return whole;
}

void OutsideDevice::startDump() {
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

void OutsideDevice::serve() {
  SimulatedBoard board(fLine);
  while (!fDone) {
    const auto next = fDue.empty() ? Clock::now() + std::chrono::milliseconds(20) : fDue.front().at;
    const long long due = std::chrono::ceil<std::chrono::milliseconds>(next - Clock::now()).count();
    SimulatedBoard::Reception key;
    if (board.serveOne(static_cast<int>(std::clamp<long long>(due, 0, 20)), key)) {
      ++fKeys;
      if (!fGoesOn) {
        fDue.erase(std::find_if(fDue.begin(), fDue.end(), [](const Piece& piece) { return piece.begins; }), fDue.end());
      }
      if (key.move.place == "MIDIDATADUMPCOMPLETE" && !key.move.performed.empty()) startDump();
    }
    for (; !fDue.empty() && fDue.front().at <= Clock::now(); fDue.pop_front()) must(fOut->send(fDue.front().bytes));
  }
}
