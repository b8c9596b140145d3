#include "memory/DeviceDump.h"

#include "commandmodel/Dad10.h"
#include "midi/DumpCapture.h"
#include "midi/QuietWait.h"
#include "midi/SysexData.h"

namespace {

const char* const kDump = "MIDIDATADUMPCOMPLETE";
const char* const kWayBack = "ENDMIDIDATADUMPCOMPLETE";

bool stopRequested() { return StopRequest::signal() != 0; }

// Presses a way that must not end half way: a stop waits until it is done.
void pressWhole(const char* compound) {
  StopRequest::KeepPressing keep;
  Dad10::getInstance()->pressKey(compound, false);
}

}  // namespace

DeviceDump::DeviceDump(const std::string& form, bool saves)
    : fForm(form), fNothingSaved(saves ? "; nothing saved" : ""), fQuietMs(QuietWait::settingMs().value()) {}

DeviceDump::~DeviceDump() { StopRequest::clear(); }

Result<> DeviceDump::refusal() { return failureIf(QuietWait::settingMs().error()); }

void DeviceDump::pressKeys() {
  Dad10& dad10 = *Dad10::getInstance();
  dad10.pressKey(kDump, false);
  dad10.pressKey(kWayBack, false);
}

std::string DeviceDump::count(std::size_t n, const std::string& thing) {
  return std::to_string(n) + " " + thing + (n == 1 ? "" : "s");
}

std::string DeviceDump::othersNote(const Taken& dump) {
  return dump.others == 0 ? "" : count(dump.others, "other MIDI message") + " ignored";
}

Result<> DeviceDump::open() {
  Result<> system = fMidi.open();
  if (!system) return system;
  Result<std::unique_ptr<MidiInput>> input = fMidi.openInput(fPort);
  if (!input) return Failed(input.error());
  fInput = std::move(input.value());
  if (Dad10::getInstance()->initSucceeded()) return Done();
  return Failed("no board on the serial line: the dump cannot be started");
}

void DeviceDump::stopIfAsked() const {
  const int signal = StopRequest::signal();
  if (signal == 0) return;
  StopRequest::clear();
  throw StopRequest::Stopped(signal, fForm + " stopped by " + StopRequest::signalName(signal) +
                                         ": the device is back in performance mode" + fNothingSaved);
}

Result<DeviceDump::Taken> DeviceDump::take(const std::string& label) {
  stopIfAsked();
  Taken dump;
  DumpCapture capture(*fInput, label, fQuietMs, stopRequested);
  capture.discardPending();
  pressWhole(kDump);
  dump.bytes = capture.take();
  dump.others = capture.otherMessages();
  pressWhole(kWayBack);
  const bool late = !dump.bytes.empty() && capture.moreWithin(QuietWait::LATE_WATCH_MS);
  stopIfAsked();
  const std::string lost = MidiConnection::lost(*fInput, fPort);
  if (!lost.empty()) return Failed(lost + " during the dump" + fNothingSaved);
  const std::string why = fault(dump, late);
  if (!why.empty()) return Failed(why);
  return dump;
}

std::string DeviceDump::fault(const Taken& dump, bool late) const {
  if (dump.bytes.empty()) {
    return "no data dump arrived on " + fPort + " within " + std::to_string(QuietWait::FIRST_MESSAGE_MS / 1000) +
           " s: is the device's MIDI OUT connected to it?";
  }
  if (late) {
    return "a System Exclusive message arrived after the dump seemed complete: the device needs a longer wait "
           "(PMCKEYS_DUMP_WAIT_MS, now " + std::to_string(fQuietMs) + ")" + fNothingSaved;
  }
  const Result<std::vector<MidiBytes>> messages = SysexData::split(dump.bytes);
  if (messages) return "";
  return "the dump is not whole System Exclusive: " + messages.error() + ": the MIDI connection lost or changed data" +
         fNothingSaved;
}
