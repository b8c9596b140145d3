#include "midi/SysexFile.h"

#include <cerrno>
#include <cstring>
#include <fstream>

#include "midi/SysexData.h"

bool SysexFile::read(const std::string& path, MidiBytes& bytes, std::vector<MidiBytes>& messages,
                     std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot read " + path + ": " + std::strerror(errno);
    return false;
  }
  bytes.resize(LARGEST + 1);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  bytes.resize(static_cast<std::size_t>(in.gcount()));
  if (in.bad()) {
    error = "cannot read " + path + ": " + std::strerror(errno);
  } else if (bytes.size() > LARGEST) {
    error = path + " is larger than any dump (more than 1 MiB)";
  } else if (!SysexData::split(bytes, messages, error)) {
    error = path + " is not a SysEx dump: " + error;
  }
  return error.empty();
}
