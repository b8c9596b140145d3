// A device played from outside pmckeys: its keypad a board served on a pseudo-terminal in this process, its
// MIDI OUT what the test hands in. The dump's keys start the dump, each message in pieces as the cable
// carries them; a key meanwhile stops it after the message in progress, unless the device goes on. OnKey
// acts on the Nth key and may send bytes of its own.
#ifndef PMCKEYS_TESTS_SUPPORT_OUTSIDEDEVICE_H
#define PMCKEYS_TESTS_SUPPORT_OUTSIDEDEVICE_H

#include <algorithm>
#include <atomic>
#include <chrono>
#include <deque>
#include <functional>
#include <thread>

#include "midi/QuietWait.h"
#include "midi/RtMidiSystem.h"
#include "simulator/PseudoTerminal.h"
#include "simulator/SimulatedBoard.h"
#include "tests/support/Must.h"

// A System Exclusive message, its data counting up from `seed` (modulo 127): a piece lost or moved shows.
inline MidiBytes sysex(std::size_t size, unsigned char seed = 0) {
  MidiBytes message(size, 0xF0);
  for (std::size_t i = 1; i + 1 < size; ++i) message[i] = static_cast<unsigned char>((seed + i) % 127);
  message.back() = 0xF7;
  return message;
}

struct Sent {
  int pauseMs;  // before the message
  MidiBytes message;
};

class OutsideDevice {
public:
  using Out = std::function<void(const MidiBytes&)>;
  using OnKey = std::function<MidiBytes(int key)>;  // the bytes to send at once
  OutsideDevice(Out out, std::vector<Sent> dump, bool goesOn = false, OnKey onKey = {})
      : fOut(std::move(out)), fDump(std::move(dump)), fGoesOn(goesOn), fOnKey(std::move(onKey)),
        fThread([this] { serve(); }) {}
  ~OutsideDevice() {
    fDone = true;
    fThread.join();
  }
  // One whose MIDI OUT is a virtual port of its own, "NAME out".
  static std::unique_ptr<OutsideDevice> onVirtualPort(const std::string& name, std::vector<Sent> dump,
                                                      bool goesOn = false, OnKey onKey = {}) {
    std::shared_ptr<MidiSystem> midi = must(RtMidiSystem::open(name));
    std::shared_ptr<MidiOutput> out(midi ? must(midi->openVirtualOutput("out")).release() : nullptr,
                                    [midi](MidiOutput* output) { delete output; });  // before its system
    return std::make_unique<OutsideDevice>([out](const MidiBytes& bytes) { must(out->send(bytes)); }, dump, goesOn,
                                           onKey);
  }

  const std::string& line() const { return fLine.slavePath(); }
  int keys() const { return fKeys; }
  // The System Exclusive messages of the dump, joined.
  std::string sysexBytes() const {
    std::string whole;
    for (const Sent& sent : fDump) {
      if (sent.message.front() == 0xF0) whole.append(sent.message.begin(), sent.message.end());
    }
    return whole;
  }

private:
  using Clock = std::chrono::steady_clock;
  struct Piece {
    Clock::time_point at;  // when the cable has carried it
    MidiBytes bytes;
    bool begins;  // a message
  };

  void startDump() {
    const std::size_t kPiece = 1024;  // few pieces, so that a loaded JACK server keeps up
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
        const auto begins = std::find_if(fDue.begin(), fDue.end(), [](const Piece& piece) { return piece.begins; });
        if (!fGoesOn) fDue.erase(begins, fDue.end());
        if (key.move.place == "MIDIDATADUMPCOMPLETE" && !key.move.performed.empty()) startDump();
        const MidiBytes own = fOnKey ? fOnKey(fKeys) : MidiBytes();
        if (!own.empty()) fOut(own);
      }
      for (; !fDue.empty() && fDue.front().at <= Clock::now(); fDue.pop_front()) fOut(fDue.front().bytes);
    }
  }

  Out fOut;
  std::vector<Sent> fDump;
  bool fGoesOn;
  OnKey fOnKey;
  PseudoTerminal fLine;
  std::deque<Piece> fDue;
  std::atomic<int> fKeys{0};
  std::atomic<bool> fDone{false};
  std::thread fThread;
};

#endif
