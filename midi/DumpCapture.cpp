#include "midi/DumpCapture.h"

#include <algorithm>
#include <chrono>

#include "midi/ProgressLine.h"
#include "midi/QuietWait.h"
#include "midi/SysexData.h"

namespace {

using Clock = std::chrono::steady_clock;

void removeRealTime(MidiBytes& message) {
  message.erase(std::remove_if(message.begin(), message.end(), SysexData::isRealTime), message.end());
}

}  // namespace

DumpCapture::DumpCapture(MidiInput& input, const std::string& progressLabel) : fInput(input), fLabel(progressLabel) {}

void DumpCapture::discardPending() {
  MidiBytes message;
  while (fInput.receive(message, 0)) {
  }
}

MidiBytes DumpCapture::take() {
  ProgressLine progress(fLabel);
  QuietWait quiet;
  MidiBytes dump;
  std::size_t messages = 0;
  Clock::time_point last = Clock::now();
  for (MidiBytes message;;) {
    const auto left = last + std::chrono::milliseconds(quiet.waitMs()) - Clock::now();
    const long leftMs = static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(left).count());
    if (leftMs <= 0 || !fInput.receive(message, static_cast<int>(leftMs))) break;
    removeRealTime(message);
    if (message.empty()) continue;
    dump.insert(dump.end(), message.begin(), message.end());
    quiet.arrived(message.size());
    last = Clock::now();
    progress.show(dump.size(), ++messages);
  }
  return dump;
}
