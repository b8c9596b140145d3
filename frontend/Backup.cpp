#include "frontend/Backup.h"

#include <unistd.h>

#include <cstring>
#include <iostream>
#include <vector>

#include "commandmodel/Dad10.h"
#include "frontend/CommandLine.h"
#include "midi/AtomicFile.h"
#include "midi/DumpCapture.h"
#include "midi/MidiConnection.h"
#include "midi/QuietWait.h"
#include "midi/SysexData.h"

namespace {

const char* const kNothingSaved = ": the MIDI connection lost or changed data; nothing saved";
const char* const kDump = "MIDIDATADUMPCOMPLETE";
const char* const kWayBack = "ENDMIDIDATADUMPCOMPLETE";

}  // namespace

int Backup::fail(const std::string& error) const {
  std::cerr << "pmckeys: " << error << std::endl;
  return EXIT_NOT_DONE;
}

bool Backup::takeDump(Dad10& dad10, MidiInput& input, const std::string& label, MidiBytes& dump, std::string& error) {
  error.clear();
  DumpCapture capture(input, label);
  capture.discardPending();
  dad10.pressKey(kDump, false);
  dump = capture.take();
  dad10.pressKey(kWayBack, false);
  const std::string lost = MidiConnection::lost(input, fPort);
  if (!lost.empty()) {
    error = lost + " during the dump; nothing saved";
    return false;
  }
  std::vector<MidiBytes> messages;
  std::string fault;
  if (dump.empty()) {
    error = "no data dump arrived on " + fPort + " within " + std::to_string(QuietWait::FIRST_MESSAGE_MS / 1000) +
            " s: is the device's MIDI OUT connected to it?";
  } else if (!SysexData::split(dump, messages, fault)) {
    error = "the dump is not whole System Exclusive: " + fault + kNothingSaved;
  }
  return error.empty();
}

int Backup::refusal() const {
  if (AtomicFile::exists(fFile)) return fail(AtomicFile::existsMessage(fFile));
  const std::string folder = AtomicFile::folderOf(fFile);
  if (access(folder.c_str(), W_OK | X_OK) != 0) return fail("cannot write in " + folder + ": " + std::strerror(errno));
  return EXIT_DONE;
}

int Backup::check(std::set<std::string>& written) const {
  if (written.count(fFile) != 0) {
    return fail(fFile + " will exist by then (an earlier line backs up to it): choose another name");
  }
  if (refusal() != EXIT_DONE) return EXIT_NOT_DONE;
  written.insert(fFile);
  Dad10& dad10 = *Dad10::getInstance();
  for (int dump = 0; dump < 2; ++dump) {
    dad10.pressKey(kDump, false);
    dad10.pressKey(kWayBack, false);
  }
  return EXIT_DONE;
}

int Backup::run() {
  if (refusal() != EXIT_DONE) return EXIT_NOT_DONE;
  MidiConnection midi;
  std::string error;
  if (!midi.open(error)) return fail(error);
  std::unique_ptr<MidiInput> input = midi.openInput(fPort, error);
  if (!input) return fail(error);
  Dad10& dad10 = *Dad10::getInstance();
  if (!dad10.initSucceeded()) return fail("no board on the serial line: the dump cannot be started");
  MidiBytes first, second;
  if (!takeDump(dad10, *input, "dump 1: ", first, error) || !takeDump(dad10, *input, "dump 2: ", second, error)) {
    return fail(error);
  }
  const std::size_t differ = SysexData::firstDifference(first, second);
  if (differ != std::string::npos) {
    return fail("the two dumps differ (first at byte " + std::to_string(differ) + ")" + kNothingSaved);
  }
  if (!AtomicFile::create(fFile, first, error)) return fail(error);
  std::vector<MidiBytes> messages;
  std::string fault;
  SysexData::split(first, messages, fault);
  std::cout << "saved " << messages.size() << " messages, " << first.size() << " bytes to " << fFile
            << " (two dumps agreed)" << std::endl;
  return EXIT_DONE;
}
