#include "midi/SysexFile.h"

#include <cerrno>
#include <cstring>
#include <fstream>

#include "frontend/Conversions.h"

#include "midi/SysexData.h"

Result<SysexFile> SysexFile::read(const std::string& path, const std::string& refusalNote) {
  const std::string name = Conversions::shown(path, Conversions::Shown::FileName);
  const std::string unreadable = "cannot read " + name + ": ";
  std::ifstream in(path, std::ios::binary);
  if (!in) return Failed(unreadable + std::strerror(errno));
  SysexFile file;
  file.bytes.resize(LARGEST + 1);
  in.read(reinterpret_cast<char*>(file.bytes.data()), static_cast<std::streamsize>(file.bytes.size()));
  file.bytes.resize(static_cast<std::size_t>(in.gcount()));
  if (in.bad()) return Failed(unreadable + std::strerror(errno));
  if (file.bytes.size() > LARGEST) return Failed(name + " is larger than any dump (more than 1 MiB)" + refusalNote);
  Result<std::vector<MidiBytes>> messages = SysexData::split(file.bytes);
  if (!messages) return Failed(name + " is not a SysEx dump: " + messages.error() + refusalNote);
  file.messages = std::move(messages.value());
  return file;
}
