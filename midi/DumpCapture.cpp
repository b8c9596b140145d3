#include "midi/DumpCapture.h"

#include <algorithm>

#include "midi/ProgressLine.h"
#include "midi/QuietWait.h"
#include "midi/SysexData.h"

namespace {

void removeRealTime(MidiBytes& message) {
  message.erase(std::remove_if(message.begin(), message.end(), SysexData::isRealTime), message.end());
}

}  // namespace

DumpCapture::DumpCapture(MidiInput& input, const std::string& progressLabel, int quietMs,
                         std::function<bool()> stopped)
    : fInput(input), fLabel(progressLabel), fQuietMs(quietMs), fStopped(std::move(stopped)) {}

bool DumpCapture::discardPending() {
  bool sysex = false;
  for (MidiBytes message; fInput.receive(message, 0);) {
    removeRealTime(message);
    sysex = sysex || (!message.empty() && !SysexData::isOtherMessage(message.front()));
  }
  return sysex;
}

bool DumpCapture::next(MidiBytes& message, Clock::time_point until) {
  while (!fStopped()) {
    const long long left = std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now()).count();
    if (left <= 0) return false;
    if (!fInput.receive(message, static_cast<int>(std::min<long long>(left, STOP_CHECK_MS)))) continue;
    removeRealTime(message);
    if (message.empty()) continue;
    if (!SysexData::isOtherMessage(message.front())) return true;
    ++fOthers;
  }
  return false;
}

MidiBytes DumpCapture::take() {
  ProgressLine progress(fLabel);
  QuietWait quiet(fQuietMs);
  MidiBytes dump;
  std::size_t messages = 0;
  Clock::time_point last = Clock::now();
  for (MidiBytes message; next(message, last + std::chrono::milliseconds(quiet.waitMs()));) {
    dump.insert(dump.end(), message.begin(), message.end());
    quiet.arrived(message.size());
    last = Clock::now();
    progress.show(dump.size(), ++messages);
  }
  return dump;
}

bool DumpCapture::moreWithin(int ms) {
  MidiBytes message;
  return next(message, Clock::now() + std::chrono::milliseconds(ms));
}
