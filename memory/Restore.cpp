#include "memory/Restore.h"

#include <iostream>

#include "frontend/Conversions.h"
#include "memory/ReportFailure.h"
#include "memory/Verify.h"
#include "midi/CablePace.h"
#include "midi/ProgressLine.h"
#include "midi/QuietWait.h"
#include "process/StopRequest.h"
#include "process/WholeFailure.h"

namespace {

const char* const kMix = ": the device may hold a mix of old and new content; ";
const char* const kSkips = " (--no-verify skips the check)";

}  // namespace

std::string Restore::shownFile() const { return Conversions::shown(fFile, Conversions::Shown::FileName); }

Result<int> Restore::pauseMs() {
  return QuietWait::msSetting("PMCKEYS_SYSEX_PAUSE_MS", DEFAULT_PAUSE_MS, 0, LONGEST_PAUSE_MS);
}

Result<> Restore::fits(const std::vector<MidiBytes>& messages, std::size_t longest) const {
  std::size_t offset = 0;
  for (const MidiBytes& message : messages) {
    if (longest != 0 && message.size() > longest) {
      return Failed(shownFile() + " is not a dump JACK can carry: the message at offset " + std::to_string(offset) + " is " +
                    std::to_string(message.size()) + " bytes, longer than a JACK port carries (" +
                    std::to_string(longest) + "); nothing sent");
    }
    offset += message.size();
  }
  return Done();
}

Result<Restore::Plan> Restore::prepare(bool readFile) const {
  Plan plan;
  if (readFile) {
    Result<SysexFile> file = SysexFile::read(fFile, "; nothing sent");
    if (!file) return Failed(file.error());
    plan.file = std::move(file.value());
  }
  const Result<int> pause = pauseMs();
  if (!pause) return Failed(pause.error());
  plan.pause = pause.value();
  if (fVerifies) {
    const Result<> refused = DeviceDump::refusal();
    if (!refused) return Failed(refused.error());
  }
  return plan;
}

Result<Restore::Route> Restore::route(MidiConnection& midi) const {
  Route route;
  const Result<std::string> output = midi.choose(MidiSystem::Direction::Out);
  if (!output) return Failed(output.error());
  route.output = output.value();
  if (!fVerifies) return route;
  const Result<std::string> input = midi.chooseIfAny(MidiSystem::Direction::In);
  if (!input) return Failed(input.error());
  route.input = input.value();
  if (route.input.empty()) route.skipped = "no MIDI input port";
  return route;
}

int Restore::check(const std::set<std::string>& written) const {
  const bool read = written.count(fFile) == 0;
  const Result<Plan> plan = prepare(read);
  if (!plan) return reportFailure(plan.error());
  MidiConnection midi;
  Result<> ready = midi.open();
  if (ready && read) ready = fits(plan.value().file.messages, midi.system().longestMessage());
  if (!ready) return reportFailure(ready.error());
  const Result<Route> route = this->route(midi);
  if (!route) return reportFailure(route.error());
  if (fVerifies && route.value().skipped.empty()) DeviceDump::pressKeys();
  return EXIT_DONE;
}

std::string Restore::after(const Sent& sent, const Plan& plan) const {
  return " after " + std::to_string(sent.messages) + " of " + std::to_string(plan.file.messages.size()) + " messages";
}

std::string Restore::sentLine(const Sent& sent) const {
  return "sent " + DeviceDump::count(sent.messages, "message") + ", " + std::to_string(sent.bytes) + " bytes from " +
         shownFile();
}

Restore::Sent Restore::send(MidiConnection& midi, MidiOutput& output, const std::string& port, const Plan& plan,
                            bool pauseAfterLast) const {
  MidiSystem& system = midi.system();
  ProgressLine progress("sent ");
  Sent sent;
  const std::uint64_t missedBefore = system.cycles().missed;
  const CablePace::Halted watch = [&]() {
    if (!sent.missedCycle && system.cycles().missed != missedBefore) {
      sent.missedCycle = true;
      sent.missedAfter = sent.messages;
    }
    const std::string lost = MidiConnection::lost(output, port);
    return lost.empty() ? midi.stalled() : lost;
  };
  const CablePace::Halted watchOrStop = [&]() { return StopRequest::signal() != 0 ? std::string("stop") : watch(); };
  const std::vector<MidiBytes>& messages = plan.file.messages;
  for (const MidiBytes& message : messages) {
    sent.signal = StopRequest::signal();
    if (sent.signal != 0) return sent;
    const std::uint64_t handed = system.cycles().run;
    Result<> done = CablePace::send(output, message, watch);
    // On JACK a message is on its way only once a cycle has taken it.
    if (done) done = CablePace::waitFor([&] { return !system.cycles().counted || system.cycles().run > handed; }, watch);
    if (!done) {
      const std::string why = watch();
      sent.failure = why.empty() ? "sending to " + port + " failed: " + done.error()
                                 : why + after(sent, plan) + kMix + "restore the file again";
      return sent;
    }
    ++sent.messages;
    sent.bytes += message.size();
    progress.show(sent.bytes, sent.messages);
    if (sent.messages == messages.size() && !pauseAfterLast) break;
    const Result<> paused =
        CablePace::waitUntil(CablePace::Clock::now() + std::chrono::milliseconds(plan.pause), watchOrStop);
    if (!paused && StopRequest::signal() == 0) {
      sent.failure = paused.error() + after(sent, plan) + kMix + "restore the file again";
      return sent;
    }
  }
  return sent;
}

int Restore::reportSent(const Sent& sent, const Plan& plan, const std::string& skipped) const {
  if (sent.signal != 0) {
    StopRequest::clear();
    throw StopRequest::Stopped(sent.signal, "restore stopped by " + StopRequest::signalName(sent.signal) +
                                                after(sent, plan) + kMix + "restore the file again");
  }
  if (!sent.failure.empty()) return reportFailure(sent.failure);
  if (sent.missedCycle) {
    Sent seen = sent;
    seen.messages = sent.missedAfter;
    return reportFailure("the JACK server missed a cycle" + after(seen, plan) + kMix + "verify " + shownFile() +
                         " or restore it again");
  }
  StopRequest::clear();  // came while the last message was on its way: it was sent all the same
  std::cout << sentLine(sent) << (skipped.empty() ? "" : "; not verified: " + skipped) << std::endl;
  return EXIT_DONE;
}

int Restore::verify(DeviceDump& device, const SysexFile& saved) const {
  bool differs = false;
  Result<std::string> holds = Failed("");
  try {
    holds = Verify(fFile).compare(device, saved, differs);
  } catch (const StopRequest::Stopped&) {
    throw;
  } catch (const std::exception& e) {
    throw WholeFailure("restore of " + shownFile() + " not verified: " + e.what() + WholeFailure::LEFT_IN_MENUS + kSkips);
  }
  if (holds) {
    std::cout << holds.value() << std::endl;
    return EXIT_DONE;
  }
  if (differs) return reportFailure("restore of " + shownFile() + " did not take: " + holds.error() + "; restore the file again");
  return reportFailure("restore of " + shownFile() + " not verified: " + holds.error() + kSkips);
}

int Restore::run() {
  const Result<Plan> plan = prepare(true);
  if (!plan) return reportFailure(plan.error());
  MidiConnection midi;
  Result<> ready = midi.open();
  if (ready) ready = fits(plan.value().file.messages, midi.system().longestMessage());
  if (!ready) return reportFailure(ready.error());
  Result<Route> route = this->route(midi);
  if (!route) return reportFailure(route.error());
  const std::string total = std::to_string(plan.value().file.messages.size());
  std::unique_ptr<DeviceDump> device;
  if (fVerifies && route.value().skipped.empty()) {
    device.reset(new DeviceDump(midi, {"restore", "", " after " + total + " of " + total + " messages, before its check",
                                       "; verify " + shownFile() + " to check it"}));
    ready = device->openInput(route.value().input);
    if (!ready) return reportFailure(ready.error());
    if (!device->boardReady()) {
      device.reset();
      route.value().skipped = "no board on the serial line";
    }
  }
  Result<std::unique_ptr<MidiOutput>> output = midi.openOutput(route.value().output);
  if (!output) return reportFailure(output.error());
  const StopRequest::Signals signals;  // after the output: gone again before it is closed
  const Sent sent = send(midi, *output.value(), route.value().output, plan.value(), device != nullptr);
  if (!device || sent.signal != 0 || !sent.failure.empty()) return reportSent(sent, plan.value(), route.value().skipped);
  std::cout << sentLine(sent)
            << (sent.missedCycle ? " (the " + midi.system().name() + " server missed a cycle while sending)" : "")
            << std::endl;
  return verify(*device, plan.value().file);
}
