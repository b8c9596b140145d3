#include "midi/CablePace.h"

#include <algorithm>
#include <thread>

#include "midi/QuietWait.h"

std::chrono::microseconds CablePace::wireTime(std::size_t bytes) {
  const unsigned long long bitMicroseconds = static_cast<unsigned long long>(bytes) * QuietWait::BITS_PER_BYTE * 1000000;
  return std::chrono::microseconds((bitMicroseconds + QuietWait::MIDI_BITS_PER_SECOND - 1) /
                                   QuietWait::MIDI_BITS_PER_SECOND);
}

Result<> CablePace::waitUntil(Clock::time_point until, const Halted& halted) {
  for (;;) {
    const std::string why = halted();
    if (!why.empty()) return Failed(why);
    const Clock::time_point now = Clock::now();
    if (now >= until) return Done();
    std::this_thread::sleep_for(std::min<Clock::duration>(until - now, std::chrono::milliseconds(CHECK_MS)));
  }
}

Result<> CablePace::waitFor(const std::function<bool()>& done, const Halted& halted) {
  for (Clock::time_point asked = Clock::now();; std::this_thread::sleep_for(std::chrono::milliseconds(1))) {
    if (done()) return Done();
    if (Clock::now() - asked < std::chrono::milliseconds(CHECK_MS)) continue;
    asked = Clock::now();
    const std::string why = halted();
    if (!why.empty()) return Failed(why);
  }
}

Result<> CablePace::send(MidiOutput& output, const MidiBytes& message, const Halted& halted) {
  const std::size_t piece = output.pieceSize() == 0 ? message.size() : output.pieceSize();
  for (std::size_t from = 0; from < message.size(); from += piece) {
    const std::size_t size = std::min(piece, message.size() - from);
    const auto begin = message.begin() + static_cast<long>(from);
    // The cable's time counts from the hand-over, never from a schedule
    // made before: a late hand-over must not make the next one early.
    const Clock::time_point handed = Clock::now();
    Result<> sent = output.send(MidiBytes(begin, begin + static_cast<long>(size)));
    if (!sent) return sent;
    Result<> carried = waitUntil(handed + wireTime(size), halted);
    if (!carried) return carried;
  }
  return Done();
}
