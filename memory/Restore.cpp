#include "memory/Restore.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <thread>

#include "midi/MidiConnection.h"
#include "midi/ProgressLine.h"
#include "midi/QuietWait.h"
#include "midi/SysexData.h"
#include "process/ExitStatus.h"

namespace {

int fail(const std::string& error) {
  std::cerr << "pmckeys: " << error << std::endl;
  return EXIT_NOT_DONE;
}

}  // namespace

int Restore::pauseMs(std::string& error) {
  const char* setting = std::getenv("PMCKEYS_SYSEX_PAUSE_MS");
  if (setting == nullptr || *setting == '\0') return DEFAULT_PAUSE_MS;
  const std::string text = setting;
  if (text.size() <= 4 && text.find_first_not_of("0123456789") == std::string::npos) {
    const int ms = std::atoi(setting);
    if (ms <= LONGEST_PAUSE_MS) return ms;
  }
  error = "PMCKEYS_SYSEX_PAUSE_MS must be a whole number of milliseconds from 0 to 1000, not <" + text + ">";
  return -1;
}

bool Restore::read(MidiBytes& bytes, std::string& error) const {
  std::ifstream in(fFile, std::ios::binary);
  if (!in) {
    error = "cannot read " + fFile + ": " + std::strerror(errno);
    return false;
  }
  bytes.resize(LARGEST_FILE + 1);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  bytes.resize(static_cast<std::size_t>(in.gcount()));
  if (in.bad()) error = "cannot read " + fFile + ": " + std::strerror(errno);
  if (bytes.size() > LARGEST_FILE) error = fFile + " is larger than any dump (more than 1 MiB); nothing sent";
  return error.empty();
}

bool Restore::fits(const std::vector<MidiBytes>& messages, std::size_t longest, std::string& error) const {
  std::size_t offset = 0;
  for (const MidiBytes& message : messages) {
    if (longest != 0 && message.size() > longest) {
      error = fFile + " is not a dump JACK can carry: the message at offset " + std::to_string(offset) + " is " +
              std::to_string(message.size()) + " bytes, longer than a JACK port carries (" + std::to_string(longest) +
              "); nothing sent";
      return false;
    }
    offset += message.size();
  }
  return true;
}

bool Restore::send(MidiOutput& output, const std::string& port, const std::vector<MidiBytes>& messages, int pause,
                   std::string& error) const {
  ProgressLine progress("sent ");
  std::size_t bytes = 0;
  for (std::size_t i = 0; i < messages.size(); ++i) {
    const bool sent = output.send(messages[i], error);
    const int gap = i + 1 < messages.size() ? pause : 0;
    if (sent) std::this_thread::sleep_for(std::chrono::milliseconds(QuietWait::wireMs(messages[i].size()) + gap));
    const std::string lost = MidiConnection::lost(output, port);
    if (!lost.empty()) {
      error = lost + " after " + std::to_string(sent ? i + 1 : i) + " of " + std::to_string(messages.size()) +
              " messages: the device may hold a mix of old and new content; restore the file again";
    } else if (!sent) {
      error.insert(0, "sending to " + port + " failed: ");
    }
    if (!sent || !lost.empty()) return false;
    bytes += messages[i].size();
    progress.show(bytes, i + 1);  // once the message is on its way: a rate the cable allows
  }
  return true;
}

bool Restore::prepare(MidiBytes& bytes, std::vector<MidiBytes>& messages, int& pause, std::string& error) const {
  if (!read(bytes, error)) return false;
  if (!SysexData::split(bytes, messages, error)) {
    error = fFile + " is not a SysEx dump: " + error + "; nothing sent";
    return false;
  }
  pause = pauseMs(error);
  return pause >= 0;
}

int Restore::check(const std::set<std::string>& written) const {
  if (written.count(fFile) != 0) return EXIT_DONE;
  MidiBytes bytes;
  std::vector<MidiBytes> messages;
  int pause = 0;
  std::string error;
  return prepare(bytes, messages, pause, error) ? EXIT_DONE : fail(error);
}

int Restore::run() {
  MidiBytes bytes;
  std::vector<MidiBytes> messages;
  int pause = 0;
  std::string error;
  if (!prepare(bytes, messages, pause, error)) return fail(error);
  MidiConnection midi;
  if (!midi.open(error) || !fits(messages, midi.system().longestMessage(), error)) return fail(error);
  std::string port;
  std::unique_ptr<MidiOutput> output = midi.openOutput(port, error);
  if (!output) return fail(error);
  if (!send(*output, port, messages, pause, error)) return fail(error);
  std::cout << "sent " << messages.size() << " messages, " << bytes.size() << " bytes from " << fFile << std::endl;
  return EXIT_DONE;
}
