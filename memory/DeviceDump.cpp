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
    : fForm(form), fNothingSaved(saves ? "; nothing saved" : "") {
  std::string error;
  fQuietMs = QuietWait::settingMs(error);
}

DeviceDump::~DeviceDump() { StopRequest::clear(); }

std::string DeviceDump::refusal() {
  std::string error;
  QuietWait::settingMs(error);
  return error;
}

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

bool DeviceDump::open(std::string& error) {
  if (!fMidi.open(error)) return false;
  fInput = fMidi.openInput(fPort, error);
  if (!fInput) return false;
  if (Dad10::getInstance()->initSucceeded()) return true;
  error = "no board on the serial line: the dump cannot be started";
  return false;
}

void DeviceDump::stopIfAsked() const {
  const int signal = StopRequest::signal();
  if (signal == 0) return;
  StopRequest::clear();
  throw StopRequest::Stopped(signal, fForm + " stopped by " + StopRequest::signalName(signal) +
                                         ": the device is back in performance mode" + fNothingSaved);
}

bool DeviceDump::take(const std::string& label, Taken& dump, std::string& error) {
  stopIfAsked();
  error.clear();
  DumpCapture capture(*fInput, label, fQuietMs, stopRequested);
  capture.discardPending();
  pressWhole(kDump);
  dump.bytes = capture.take();
  dump.others = capture.otherMessages();
  pressWhole(kWayBack);
  const bool late = !dump.bytes.empty() && capture.moreWithin(QuietWait::LATE_WATCH_MS);
  stopIfAsked();
  const std::string lost = MidiConnection::lost(*fInput, fPort);
  std::vector<MidiBytes> messages;
  std::string fault;
  if (!lost.empty()) {
    error = lost + " during the dump" + fNothingSaved;
  } else if (dump.bytes.empty()) {
    error = "no data dump arrived on " + fPort + " within " + std::to_string(QuietWait::FIRST_MESSAGE_MS / 1000) +
            " s: is the device's MIDI OUT connected to it?";
  } else if (late) {
    error = "a System Exclusive message arrived after the dump seemed complete: the device needs a longer wait "
            "(PMCKEYS_DUMP_WAIT_MS, now " + std::to_string(fQuietMs) + ")" + fNothingSaved;
  } else if (!SysexData::split(dump.bytes, messages, fault)) {
    error = "the dump is not whole System Exclusive: " + fault + ": the MIDI connection lost or changed data" +
            fNothingSaved;
  }
  return error.empty();
}
