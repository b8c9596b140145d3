#include "memory/Backup.h"

#include <iostream>

#include "frontend/Conversions.h"
#include "memory/DeviceDump.h"
#include "memory/ReportFailure.h"
#include "midi/AtomicFile.h"
#include "midi/SysexData.h"

std::string Backup::shownFile() const { return Conversions::shown(fFile, Conversions::Shown::FileName); }

Result<> Backup::refusal() const {
  const std::string why = AtomicFile::refusal(fFile);
  if (!why.empty()) return Failed("cannot save a backup as <" + shownFile() + ">: " + why);
  if (AtomicFile::exists(fFile)) return Failed(AtomicFile::existsMessage(fFile));
  return DeviceDump::refusal();
}

int Backup::check(std::set<std::string>& written) const {
  if (written.count(fFile) != 0) {
    return reportFailure(shownFile() + " will exist by then (an earlier line backs up to it): choose another name");
  }
  const Result<> refused = refusal();
  if (!refused) return reportFailure(refused.error());
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
  const Result<> refused = refusal();
  if (!refused) return reportFailure(refused.error());
  DeviceDump device("backup", true);
  const Result<DeviceDump::Taken> dump = takeTwice(device);
  if (!dump) return reportFailure(dump.error());
  const DeviceDump::Taken& first = dump.value();
  const Result<> saved = AtomicFile::create(fFile, first.bytes, [] { return StopRequest::signal() == 0; });
  if (!saved) {
    device.stopIfAsked();
    return reportFailure(saved.error());
  }
  const std::vector<MidiBytes> messages = SysexData::split(first.bytes).value();
  std::cout << "saved " << DeviceDump::count(messages.size(), "message") << ", " << first.bytes.size()
            << " bytes to " << shownFile() << " (" << notes(device, first, messages) << ")" << std::endl;
  return EXIT_DONE;
}

Result<DeviceDump::Taken> Backup::takeTwice(DeviceDump& device) {
  const Result<> opened = device.open();
  if (!opened) return Failed(opened.error());
  Result<DeviceDump::Taken> first = device.take("dump 1: ");
  if (!first) return first;
  Result<DeviceDump::Taken> second = device.take("dump 2: ");
  if (!second) return second;
  const std::size_t differ = SysexData::firstDifference(first.value().bytes, second.value().bytes);
  if (differ == std::string::npos) return first;
  return Failed("the two dumps differ (first at byte " + std::to_string(differ) +
                "): the MIDI connection lost or changed data; nothing saved");
}
