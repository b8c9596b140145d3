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
  const Result<> ready = written.count(fFile) != 0 ? DeviceDump::refusal() : failureIf(prepare().error());
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

int Verify::run() {
  const Result<SysexFile> file = prepare();
  if (!file) return reportFailure(file.error());
  const SysexFile& saved = file.value();
  DeviceDump device("verify", false);
  const Result<> opened = device.open();
  if (!opened) return reportFailure(opened.error());
  const Result<DeviceDump::Taken> dump = device.take("dump: ");
  if (!dump) return reportFailure(dump.error());
  const std::string differs = difference(dump.value().bytes, saved.bytes);
  if (!differs.empty()) return reportFailure(differs);
  const std::string others = DeviceDump::othersNote(dump.value());
  std::cout << "the device holds exactly " << Conversions::shown(fFile, Conversions::Shown::FileName) << " ("
            << DeviceDump::count(saved.messages.size(), "message") << ", " << saved.bytes.size() << " bytes" << (others.empty() ? "" : "; " + others) << ")" << std::endl;
  return EXIT_DONE;
}
