#include "simulator/SimulatedMidi.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "midi/MidiModule.h"
#include "midi/QuietWait.h"

namespace {

std::chrono::microseconds wireTime(std::size_t bytes) {
  return std::chrono::microseconds(static_cast<long long>(bytes) * QuietWait::BITS_PER_BYTE * 1000000 /
                                   QuietWait::MIDI_BITS_PER_SECOND);
}

std::size_t bytesOf(const std::vector<MidiBytes>& messages, std::size_t count) {
  std::size_t bytes = 0;
  for (std::size_t i = 0; i < count; ++i) bytes += messages[i].size();
  return bytes;
}

}  // namespace

bool SimulatedMidi::open(std::string& error) {
  const std::string client = "pmckeys-sim " + std::to_string(getpid());
  fSystem = MidiModule::open(client, error);
  if (fSystem) fIn = fSystem->openVirtualInput("in", error);
  if (fIn) fOut = fSystem->openVirtualOutput("out", error);
  if (!fOut) {
    fIn.reset();
    fSystem.reset();
    return false;
  }
  fOutName = client + " out";
  fInName = client + " in";
  return true;
}

// The faults for tests: no dump at all, or a first dump cut short inside a
// message or with one byte changed, as a flaky interface passes it on.
std::string SimulatedMidi::damage(std::vector<MidiBytes>& messages) {
  const bool first = fDumps++ == 0;
  const std::size_t middle = messages.size() / 2;
  if (fFault == SimulatedBoard::Fault::NoDump) {
    messages.clear();
    return "; --fault nodump: nothing is sent";
  }
  if (first && fFault == SimulatedBoard::Fault::CutDump) {
    messages.resize(middle + 1);
    messages[middle].resize(messages[middle].size() / 2);
    return "; --fault cutdump: it stops inside message " + std::to_string(middle + 1);
  }
  if (first && fFault == SimulatedBoard::Fault::FlipDump) {
    MidiBytes& message = messages[middle];
    message[message.size() / 2] ^= 0x01;
    return "; --fault flipdump: byte " + std::to_string(bytesOf(messages, middle) + message.size() / 2) + " is changed";
  }
  return "";
}

std::string SimulatedMidi::startDump(const std::vector<MidiBytes>& messages) {
  const std::size_t bytes = bytesOf(messages, messages.size());
  char head[128];
  std::snprintf(head, sizeof head, "MIDI OUT: data dump of %zu messages, %zu bytes, %.3f s on the cable",
                messages.size(), bytes, std::chrono::duration<double>(wireTime(bytes)).count());
  if (!on()) return std::string(head) + "; MIDI is off: it goes nowhere";
  std::vector<MidiBytes> sent(messages);
  const std::string note = damage(sent);
  Clock::time_point at = fQueue.empty() ? Clock::now() : std::max(Clock::now(), fQueue.back().at);
  for (MidiBytes& message : sent) {
    at += wireTime(message.size());
    fQueue.push_back({at, std::move(message)});
  }
  return head + note;
}

int SimulatedMidi::waitMs(int most) const {
  if (fQueue.empty()) return most;
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(fQueue.front().at - Clock::now()).count();
  return static_cast<int>(std::clamp<long long>(left, 0, most));
}

std::vector<std::string> SimulatedMidi::pump(DeviceMemory& memory) {
  std::vector<std::string> lines;
  std::string error;
  while (!fQueue.empty() && fQueue.front().at <= Clock::now()) {
    if (!fOut->send(fQueue.front().message, error)) lines.push_back("MIDI OUT: a message was lost: " + error);
    fQueue.pop_front();
  }
  MidiBytes message;
  while (fIn && fIn->receive(message, 0)) {
    std::string why;
    const DeviceMemory::Taken taken = memory.take(message, why);
    if (taken == DeviceMemory::Taken::Refused) lines.push_back("MIDI IN: a message is ignored: " + why);
    if (taken == DeviceMemory::Taken::Replaced)
      lines.push_back("MIDI IN: a whole dump came; the memory holds " + memory.describe());
  }
  return lines;
}
