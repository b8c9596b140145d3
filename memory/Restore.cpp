#include "memory/Restore.h"

#include <chrono>
#include <iostream>
#include <thread>

#include "memory/ReportFailure.h"
#include "midi/MidiConnection.h"
#include "midi/ProgressLine.h"
#include "midi/QuietWait.h"

Result<int> Restore::pauseMs() {
  return QuietWait::msSetting("PMCKEYS_SYSEX_PAUSE_MS", DEFAULT_PAUSE_MS, 0, LONGEST_PAUSE_MS);
}

Result<> Restore::fits(const std::vector<MidiBytes>& messages, std::size_t longest) const {
  std::size_t offset = 0;
  for (const MidiBytes& message : messages) {
    if (longest != 0 && message.size() > longest) {
      return Failed(fFile + " is not a dump JACK can carry: the message at offset " + std::to_string(offset) + " is " +
                    std::to_string(message.size()) + " bytes, longer than a JACK port carries (" +
                    std::to_string(longest) + "); nothing sent");
    }
    offset += message.size();
  }
  return Done();
}

Result<> Restore::send(MidiOutput& output, const std::string& port, const std::vector<MidiBytes>& messages,
                       int pause) const {
  ProgressLine progress("sent ");
  std::size_t bytes = 0;
  for (std::size_t i = 0; i < messages.size(); ++i) {
    const Result<> sent = output.send(messages[i]);
    const int gap = i + 1 < messages.size() ? pause : 0;
    if (sent) std::this_thread::sleep_for(std::chrono::milliseconds(QuietWait::wireMs(messages[i].size()) + gap));
    const std::string lost = MidiConnection::lost(output, port);
    if (!lost.empty()) {
      return Failed(lost + " after " + std::to_string(sent ? i + 1 : i) + " of " + std::to_string(messages.size()) +
                    " messages: the device may hold a mix of old and new content; restore the file again");
    }
    if (!sent) return Failed("sending to " + port + " failed: " + sent.error());
    bytes += messages[i].size();
    progress.show(bytes, i + 1);  // once the message is on its way: a rate the cable allows
  }
  return Done();
}

Result<Restore::Plan> Restore::prepare() const {
  Result<SysexFile> file = SysexFile::read(fFile, "; nothing sent");
  if (!file) return Failed(file.error());
  const Result<int> pause = pauseMs();
  if (!pause) return Failed(pause.error());
  return Plan{std::move(file.value()), pause.value()};
}

int Restore::check(const std::set<std::string>& written) const {
  if (written.count(fFile) != 0) return EXIT_DONE;
  const Result<Plan> plan = prepare();
  return plan ? EXIT_DONE : reportFailure(plan.error());
}

int Restore::run() {
  const Result<Plan> plan = prepare();
  if (!plan) return reportFailure(plan.error());
  const std::vector<MidiBytes>& messages = plan.value().file.messages;
  MidiConnection midi;
  Result<> ready = midi.open();
  if (ready) ready = fits(messages, midi.system().longestMessage());
  if (!ready) return reportFailure(ready.error());
  std::string port;
  Result<std::unique_ptr<MidiOutput>> output = midi.openOutput(port);
  if (!output) return reportFailure(output.error());
  const Result<> sent = send(*output.value(), port, messages, plan.value().pause);
  if (!sent) return reportFailure(sent.error());
  std::cout << "sent " << messages.size() << " messages, " << plan.value().file.bytes.size() << " bytes from " << fFile
            << std::endl;
  return EXIT_DONE;
}
