#include "memory/Verify.h"

#include <iostream>

#include "memory/DeviceDump.h"
#include "midi/SysexData.h"
#include "midi/SysexFile.h"
#include "process/ExitStatus.h"

int Verify::fail(const std::string& error) const {
  std::cerr << "pmckeys: " << error << std::endl;
  return EXIT_NOT_DONE;
}

bool Verify::prepare(MidiBytes& bytes, std::vector<MidiBytes>& messages, std::string& error) const {
  if (!SysexFile::read(fFile, bytes, messages, error)) return false;
  error = DeviceDump::refusal();
  return error.empty();
}

int Verify::check(const std::set<std::string>& written) const {
  MidiBytes bytes;
  std::vector<MidiBytes> messages;
  std::string error;
  if (written.count(fFile) != 0) {
    error = DeviceDump::refusal();
  } else {
    prepare(bytes, messages, error);
  }
  if (!error.empty()) return fail(error);
  DeviceDump::pressKeys();
  return EXIT_DONE;
}

std::string Verify::difference(const MidiBytes& dump, const MidiBytes& saved) const {
  const std::size_t differ = SysexData::firstDifference(dump, saved);
  if (differ == std::string::npos) return "";
  const std::string start = "the device's memory differs from " + fFile + " (";
  if (differ < dump.size() && differ < saved.size()) return start + "first at byte " + std::to_string(differ) + ")";
  return start + "the device sent " + std::to_string(dump.size()) + " bytes, " + fFile + " holds " +
         std::to_string(saved.size()) + ")";
}

int Verify::run() {
  MidiBytes saved;
  std::vector<MidiBytes> messages;
  std::string error;
  if (!prepare(saved, messages, error)) return fail(error);
  DeviceDump device("verify", false);
  DeviceDump::Taken dump;
  if (!device.open(error) || !device.take("dump: ", dump, error)) return fail(error);
  error = difference(dump.bytes, saved);
  if (!error.empty()) return fail(error);
  const std::string others = DeviceDump::othersNote(dump);
  std::cout << "the device holds exactly " << fFile << " (" << DeviceDump::count(messages.size(), "message") << ", "
            << saved.size() << " bytes" << (others.empty() ? "" : "; " + others) << ")" << std::endl;
  return EXIT_DONE;
}
