#include "memory/DeviceDump.h"

#include "commandmodel/Dad10.h"
#include "midi/DumpCapture.h"
#include "midi/QuietWait.h"
#include "midi/SysexData.h"

namespace {

// MIDIDATADUMPCOMPLETE, in its two parts: the walk to the screen where ENTER
// starts the dump, and that ENTER.
const char* const kDumpScreen = "MIDIPRESSENTERDUMP";
const char* const kStart = "ENTER";
const char* const kWayBack = "ENDMIDIDATADUMPCOMPLETE";

}  // namespace

DeviceDump::DeviceDump(MidiConnection& midi, Words words)
    : fMidi(midi), fWords(std::move(words)), fQuietMs(QuietWait::settingMs().value()) {}

DeviceDump::~DeviceDump() { StopRequest::clear(); }

Result<> DeviceDump::refusal() { return failureIf(QuietWait::settingMs().error()); }

Result<> DeviceDump::scriptRefusal() {
  Result<> refused = refusal();
  if (!refused) return refused;
  MidiConnection midi;
  Result<> opened = midi.open();
  if (!opened) return opened;
  return failureIf(midi.choose(MidiSystem::Direction::In).error());
}

void DeviceDump::pressKeys() {
  Dad10& dad10 = *Dad10::getInstance();
  dad10.pressKey(kDumpScreen, false);
  dad10.pressKey(kStart, false);
  dad10.pressKey(kWayBack, false);
}

std::string DeviceDump::count(std::size_t n, const std::string& thing) {
  return std::to_string(n) + " " + thing + (n == 1 ? "" : "s");
}

std::string DeviceDump::othersNote(const Taken& dump) {
  return dump.others == 0 ? "" : count(dump.others, "other MIDI message") + " ignored";
}

std::string DeviceDump::retakeNote(const Taken& dump, const std::string& name) {
  if (dump.retakes == 0) return "";
  return name + " taken again" + (dump.retakes == 1 ? "" : " twice") + " after the " + system().name() +
         " server missed a cycle";
}

Result<> DeviceDump::open() {
  const Result<std::string> port = fMidi.choose(MidiSystem::Direction::In);
  if (!port) return Failed(port.error());
  Result<> opened = openInput(port.value());
  if (!opened) return opened;
  if (boardReady()) return Done();
  return Failed("no board on the serial line: the dump cannot be started");
}

Result<> DeviceDump::openInput(const std::string& port) {
  Result<std::unique_ptr<MidiInput>> input = fMidi.openInput(port);
  if (!input) return Failed(input.error());
  fInput = std::move(input.value());
  fPort = port;
  return Done();
}

bool DeviceDump::boardReady() const { return Dad10::getInstance()->initSucceeded(); }

void DeviceDump::stopIfAsked() const {
  const int signal = StopRequest::signal();
  if (signal == 0) return;
  StopRequest::clear();
  throw StopRequest::Stopped(signal, fWords.form + " stopped by " + StopRequest::signalName(signal) +
                                         fWords.stopped + ": the device is back in performance mode" +
                                         fWords.stopEnd);
}

bool DeviceDump::halted() {
  if (StopRequest::signal() != 0) return true;
  if (fStalled.empty()) fStalled = fMidi.stalled();
  const auto now = std::chrono::steady_clock::now();
  if (fGone.empty() && now - fLooked >= std::chrono::milliseconds(PORT_LOOK_MS)) {
    fLooked = now;
    fGone = MidiConnection::lost(*fInput, fPort);
  }
  return !fGone.empty() || !fStalled.empty();
}

Result<DeviceDump::Taken> DeviceDump::take(const std::string& name) {
  for (int tried = 1;; ++tried) {
    bool missed = false;
    Result<Taken> dump = once(name, missed);
    if (!missed) {
      if (dump) dump.value().retakes = tried - 1;
      return dump;
    }
    if (tried == TRIES) {
      return Failed("the " + system().name() + " server missed cycles during " + std::to_string(TRIES) +
                    " tries of " + name + ", so MIDI data may have been lost" +
                    (fWords.failureEnd.empty() ? "; nothing compared" : fWords.failureEnd));
    }
  }
}

Result<DeviceDump::Taken> DeviceDump::once(const std::string& name, bool& missed) {
  stopIfAsked();
  const std::uint64_t missedBefore = system().cycles().missed;
  Taken dump;
  DumpCapture capture(*fInput, name + ": ", fQuietMs, [this] { return halted(); });
  bool late = capture.discardPending() && fAfterDump;
  {
    StopRequest::KeepPressing whole;  // a walk that must not end half way
    Dad10::getInstance()->pressKey(kDumpScreen, false);
    late = (capture.discardPending() && fAfterDump) || late;
    Dad10::getInstance()->pressKey(kStart, false);
  }
  dump.bytes = capture.take();
  dump.others = capture.otherMessages();
  {
    StopRequest::KeepPressing whole;
    Dad10::getInstance()->pressKey(kWayBack, false);
  }
  fAfterDump = true;
  const bool lateAfter = !dump.bytes.empty() && capture.moreWithin(QuietWait::LATE_WATCH_MS);
  stopIfAsked();
  const std::string lost = fGone.empty() ? MidiConnection::lost(*fInput, fPort) : fGone;
  if (!lost.empty()) return Failed(lost + " during the dump" + fWords.failureEnd);
  if (!fStalled.empty()) {
    return Failed(fStalled + " during the dump: the device is back in performance mode" + fWords.failureEnd);
  }
  missed = system().cycles().missed != missedBefore;
  if (late) return Failed(lateText());
  const std::string why = fault(dump, lateAfter);
  if (!why.empty()) return Failed(why);
  return dump;
}

std::string DeviceDump::lateText() const {
  return "a System Exclusive message arrived after the dump seemed complete: the device needs a longer wait "
         "(PMCKEYS_DUMP_WAIT_MS, now " + std::to_string(fQuietMs) + ")" + fWords.failureEnd;
}

std::string DeviceDump::fault(const Taken& dump, bool late) const {
  if (dump.bytes.empty()) {
    return "no data dump arrived on " + fPort + " within " + std::to_string(QuietWait::FIRST_MESSAGE_MS / 1000) +
           " s: is the device's MIDI OUT connected to it?";
  }
  if (late) return lateText();
  const Result<std::vector<MidiBytes>> messages = SysexData::split(dump.bytes);
  if (messages) return "";
  return "the dump is not whole System Exclusive: " + messages.error() + ": the MIDI connection lost or changed data" +
         fWords.failureEnd;
}
