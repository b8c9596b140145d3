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

// A message of that many bytes under the ID for non-commercial use.
MidiBytes filler(std::size_t size) {
  MidiBytes message(size, 0x00);
  message.front() = 0xF0;
  message[1] = 0x7D;
  message.back() = 0xF7;
  return message;
}

const MidiBytes kProgramChange = {0xC0, 0x05};
const std::chrono::milliseconds kPause(1600);

std::size_t bytesOf(const std::vector<MidiBytes>& messages, std::size_t count) {
  std::size_t bytes = 0;
  for (std::size_t i = 0; i < count; ++i) bytes += messages[i].size();
  return bytes;
}

}  // namespace

Result<> SimulatedMidi::open() {
  const std::string client = "pmckeys-sim " + std::to_string(getpid());
  Result<std::unique_ptr<MidiSystem>> system = MidiModule::open(client);
  if (!system) return Failed(system.error());
  Result<std::unique_ptr<MidiInput>> in = system.value()->openVirtualInput("in");
  if (!in) return Failed(in.error());
  Result<std::unique_ptr<MidiOutput>> out = system.value()->openVirtualOutput("out");
  if (!out) return Failed(out.error());
  fSystem = std::move(system.value());
  fIn = std::move(in.value());
  fOut = std::move(out.value());
  fOutName = client + " out";
  fInName = client + " in";
  return Done();
}

// A pedal's program change before each message, and a note played and
// released after the first, as a device with a merged keyboard sends them.
std::string SimulatedMidi::chatter(std::vector<MidiBytes>& messages) {
  std::string note = "; --fault chatterdump: " + std::to_string(messages.size() + 2) + " channel messages among them";
  std::vector<MidiBytes> mixed;
  for (MidiBytes& message : messages) {
    mixed.push_back(kProgramChange);
    mixed.push_back(std::move(message));
    if (mixed.size() == 2) mixed.insert(mixed.end(), {{0x90, 0x3C, 0x40}, {0x80, 0x3C, 0x00}});
  }
  messages.swap(mixed);
  return note;
}

// The faults for tests: no dump at all, or a first dump cut short inside a
// message or with one byte changed, as a flaky interface passes it on; long
// messages first, a pause, or other MIDI between the messages, as some
// devices send them.
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
  if (fFault == SimulatedBoard::Fault::SlowDump) {
    messages.insert(messages.begin(), {filler(21), filler(6000)});
    return "; --fault slowdump: messages of 21 and 6000 bytes first, and a key stops it";
  }
  if (fFault == SimulatedBoard::Fault::PauseDump) return "; --fault pausedump: a pause of 1.6 s before the last message";
  if (fFault == SimulatedBoard::Fault::ChatterDump) return chatter(messages);
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
  for (std::size_t i = 0; i < sent.size(); ++i) {
    if (fFault == SimulatedBoard::Fault::PauseDump && i + 1 == sent.size()) at += kPause;
    at += wireTime(sent[i].size());
    fQueue.push_back({at, std::move(sent[i])});
  }
  return head + note;
}

std::string SimulatedMidi::keyArrived(const MenuModel& model) {
  const bool back = model.inPerformanceMode() && !fInPerformanceMode;
  fInPerformanceMode = model.inPerformanceMode();
  if (!on()) return "";
  if (back && fFault == SimulatedBoard::Fault::ChatterDump) {
    fQueue.push_back({Clock::now(), kProgramChange});
    return "MIDI OUT: --fault chatterdump: a program change, back in performance mode";
  }
  if (fQueue.empty() || fFault != SimulatedBoard::Fault::SlowDump) return "";
  const std::size_t dropped = fQueue.size();
  fQueue.clear();
  return "MIDI OUT: --fault slowdump: the key stops the dump; " + std::to_string(dropped) + " messages not sent";
}

int SimulatedMidi::waitMs(int most) const {
  if (fQueue.empty()) return most;
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(fQueue.front().at - Clock::now()).count();
  return static_cast<int>(std::clamp<long long>(left, 0, most));
}

std::vector<std::string> SimulatedMidi::pump(DeviceMemory& memory) {
  std::vector<std::string> lines;
  while (!fQueue.empty() && fQueue.front().at <= Clock::now()) {
    const Result<> sent = fOut->send(fQueue.front().message);
    if (!sent) lines.push_back("MIDI OUT: a message was lost: " + sent.error());
    fQueue.pop_front();
  }
  MidiBytes message;
  while (fIn && fIn->receive(message, 0)) {
    if (fFault == SimulatedBoard::Fault::DropRestore && ++fReceived == 2) {
      lines.push_back("MIDI IN: --fault droprestore: the second message that came in is lost");
      continue;
    }
    std::string why;
    const DeviceMemory::Taken taken = memory.take(message, why);
    if (taken == DeviceMemory::Taken::Refused) lines.push_back("MIDI IN: a message is ignored: " + why);
    if (taken == DeviceMemory::Taken::Replaced)
      lines.push_back("MIDI IN: a whole dump came; the memory holds " + memory.describe());
  }
  return lines;
}
