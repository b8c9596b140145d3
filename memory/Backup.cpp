#include "memory/Backup.h"

#include <iostream>

#include "memory/DeviceDump.h"
#include "midi/AtomicFile.h"
#include "midi/SysexData.h"
#include "process/ExitStatus.h"

int Backup::fail(const std::string& error) const {
  std::cerr << "pmckeys: " << error << std::endl;
  return EXIT_NOT_DONE;
}

int Backup::refusal() const {
  const std::string why = AtomicFile::refusal(fFile);
  if (!why.empty()) return fail("cannot save a backup as <" + fFile + ">: " + why);
  if (AtomicFile::exists(fFile)) return fail(AtomicFile::existsMessage(fFile));
  const std::string setting = DeviceDump::refusal();
  return setting.empty() ? EXIT_DONE : fail(setting);
}

int Backup::check(std::set<std::string>& written) const {
  if (written.count(fFile) != 0) {
    return fail(fFile + " will exist by then (an earlier line backs up to it): choose another name");
  }
  if (refusal() != EXIT_DONE) return EXIT_NOT_DONE;
  written.insert(fFile);
  for (int dump = 0; dump < 2; ++dump) DeviceDump::pressKeys();
  return EXIT_DONE;
}

std::string Backup::notes(DeviceDump& device, const DeviceDump::Taken& dump, const std::vector<MidiBytes>& messages) {
  std::string notes = "two dumps agreed";
  const std::string others = DeviceDump::othersNote(dump);
  if (!others.empty()) notes += "; " + others;
  const std::size_t longest = device.system().longestMessage();
  for (std::size_t i = 0; i < messages.size() && longest != 0; ++i) {
    if (messages[i].size() <= longest) continue;
    return notes + "; message " + std::to_string(i + 1) + " is " + std::to_string(messages[i].size()) +
           " bytes, more than " + device.system().name() + " carries (" + std::to_string(longest) +
           "): restore it over ALSA";
  }
  return notes;
}

int Backup::run() {
  if (refusal() != EXIT_DONE) return EXIT_NOT_DONE;
  DeviceDump device("backup", true);
  std::string error;
  if (!device.open(error)) return fail(error);
  DeviceDump::Taken first, second;
  if (!device.take("dump 1: ", first, error) || !device.take("dump 2: ", second, error)) return fail(error);
  const std::size_t differ = SysexData::firstDifference(first.bytes, second.bytes);
  if (differ != std::string::npos) {
    return fail("the two dumps differ (first at byte " + std::to_string(differ) +
                "): the MIDI connection lost or changed data; nothing saved");
  }
  if (!AtomicFile::create(fFile, first.bytes, error, [] { return StopRequest::signal() == 0; })) {
    device.stopIfAsked();
    return fail(error);
  }
  std::vector<MidiBytes> messages;
  std::string fault;
  SysexData::split(first.bytes, messages, fault);
  std::cout << "saved " << DeviceDump::count(messages.size(), "message") << ", " << first.bytes.size()
            << " bytes to " << fFile << " (" << notes(device, first, messages) << ")" << std::endl;
  return EXIT_DONE;
}
