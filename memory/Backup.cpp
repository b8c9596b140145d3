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
  Result<> refused = refusal();
  if (refused) refused = DeviceDump::scriptRefusal();
  if (!refused) return reportFailure(refused.error());
  written.insert(fFile);
  for (int dump = 0; dump < 2; ++dump) DeviceDump::pressKeys();
  return EXIT_DONE;
}

std::string Backup::notes(DeviceDump& device, const Twice& dumps, const std::vector<MidiBytes>& messages) {
  std::string notes = "two dumps agreed";
  for (const std::string& note : {device.retakeNote(dumps.first, "dump 1"), device.retakeNote(dumps.second, "dump 2"),
                                  DeviceDump::othersNote(dumps.first)}) {
    if (!note.empty()) notes += "; " + note;
  }
  const std::size_t longest = device.system().longestMessage();
  for (std::size_t i = 0; i < messages.size() && longest != 0; ++i) {
    if (messages[i].size() <= longest) continue;
    const std::string carrier = device.system().longerCarrier();
    return notes + "; message " + std::to_string(i + 1) + " is " + std::to_string(messages[i].size()) +
           " bytes, more than " + device.system().name() + " carries (" + std::to_string(longest) + ")" +
           (carrier.empty() ? "" : ": restore it over " + carrier);
  }
  return notes;
}

int Backup::run() {
  const Result<> refused = refusal();
  if (!refused) return reportFailure(refused.error());
  MidiConnection midi;
  const Result<> opened = midi.open();
  if (!opened) return reportFailure(opened.error());
  DeviceDump device(midi, {"backup", "; nothing saved", "", "; nothing saved"});
  const Result<Twice> dumps = takeTwice(device);
  if (!dumps) return reportFailure(dumps.error());
  const DeviceDump::Taken& first = dumps.value().first;
  const Result<> saved = AtomicFile::create(fFile, first.bytes, [] { return StopRequest::signal() == 0; });
  if (!saved) {
    device.stopIfAsked();
    return reportFailure(saved.error());
  }
  const std::vector<MidiBytes> messages = SysexData::split(first.bytes).value();
  std::cout << "saved " << DeviceDump::count(messages.size(), "message") << ", " << first.bytes.size()
            << " bytes to " << shownFile() << " (" << notes(device, dumps.value(), messages) << ")" << std::endl;
  return EXIT_DONE;
}

Result<Backup::Twice> Backup::takeTwice(DeviceDump& device) {
  const Result<> opened = device.open();
  if (!opened) return Failed(opened.error());
  Result<DeviceDump::Taken> first = device.take("dump 1");
  if (!first) return Failed(first.error());
  Result<DeviceDump::Taken> second = device.take("dump 2");
  if (!second) return Failed(second.error());
  const std::size_t differ = SysexData::firstDifference(first.value().bytes, second.value().bytes);
  if (differ == std::string::npos) return Twice{std::move(first.value()), std::move(second.value())};
  return Failed("the two dumps differ (first at byte " + std::to_string(differ) +
                "): the MIDI connection lost or changed data; nothing saved");
}
