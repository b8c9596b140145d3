#include "memory/Verify.h"

#include <iostream>

#include "frontend/Conversions.h"
#include "memory/DeviceDump.h"
#include "memory/ReportFailure.h"
#include "midi/SysexData.h"

Result<SysexFile> Verify::prepare() const {
  Result<SysexFile> file = SysexFile::read(fFile);
  if (!file) return file;
  const Result<> refused = DeviceDump::refusal();
  if (!refused) return Failed(refused.error());
  return file;
}

int Verify::check(const std::set<std::string>& written) const {
  Result<> ready = written.count(fFile) != 0 ? Result<>(Done()) : failureIf(prepare().error());
  if (ready) ready = DeviceDump::scriptRefusal();
  if (!ready) return reportFailure(ready.error());
  DeviceDump::pressKeys();
  return EXIT_DONE;
}

std::string Verify::difference(const MidiBytes& dump, const MidiBytes& saved) const {
  const std::size_t differ = SysexData::firstDifference(dump, saved);
  if (differ == std::string::npos) return "";
  const std::string file = Conversions::shown(fFile, Conversions::Shown::FileName);
  const std::string start = "the device's memory differs from " + file + " (";
  if (differ < dump.size() && differ < saved.size()) return start + "first at byte " + std::to_string(differ) + ")";
  return start + "the device sent " + std::to_string(dump.size()) + " bytes, " + file + " holds " +
         std::to_string(saved.size()) + ")";
}

Result<std::string> Verify::compare(DeviceDump& device, const SysexFile& saved, bool& differs) const {
  differs = false;
  const Result<DeviceDump::Taken> dump = device.take("dump");
  if (!dump) return Failed(dump.error());
  const std::string difference = this->difference(dump.value().bytes, saved.bytes);
  differs = !difference.empty();
  if (differs) return Failed(difference);
  std::string notes = DeviceDump::count(saved.messages.size(), "message") + ", " + std::to_string(saved.bytes.size()) +
                      " bytes";
  for (const std::string& note : {device.retakeNote(dump.value(), "dump"), DeviceDump::othersNote(dump.value())}) {
    if (!note.empty()) notes += "; " + note;
  }
  return "the device holds exactly " + Conversions::shown(fFile, Conversions::Shown::FileName) + " (" + notes + ")";
}

int Verify::run() {
  const Result<SysexFile> file = prepare();
  if (!file) return reportFailure(file.error());
  MidiConnection midi;
  Result<> opened = midi.open();
  if (!opened) return reportFailure(opened.error());
  DeviceDump device(midi, {"verify", "", "", ""});
  opened = device.open();
  if (!opened) return reportFailure(opened.error());
  bool differs = false;
  const Result<std::string> holds = compare(device, file.value(), differs);
  if (!holds) return reportFailure(holds.error());
  std::cout << holds.value() << std::endl;
  return EXIT_DONE;
}
