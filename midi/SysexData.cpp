#include "midi/SysexData.h"

#include <cstdio>

namespace {

std::string hexByte(unsigned char byte) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", byte);
  return text;
}

std::string at(std::size_t offset) { return " at offset " + std::to_string(offset); }

}  // namespace

Result<std::vector<MidiBytes>> SysexData::split(const MidiBytes& bytes) {
  if (bytes.empty()) return Failed("it is empty");
  std::vector<MidiBytes> messages;
  std::size_t begin = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const bool inside = i > begin;
    if (!inside && bytes[i] != START) return Failed("byte " + hexByte(bytes[i]) + at(i) + " where a message must begin with 0xF0");
    if (inside && bytes[i] == END) {
      messages.emplace_back(bytes.begin() + static_cast<long>(begin), bytes.begin() + static_cast<long>(i) + 1);
      begin = i + 1;
    } else if (inside && bytes[i] >= 0x80) {
      return Failed("byte " + hexByte(bytes[i]) + at(i) + " inside the message that begins" + at(begin));
    }
  }
  if (begin == bytes.size()) return messages;
  return Failed("it ends" + at(bytes.size()) + " inside the message that begins" + at(begin));
}

std::size_t SysexData::firstDifference(const MidiBytes& a, const MidiBytes& b) {
  const std::size_t common = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < common; ++i) {
    if (a[i] != b[i]) return i;
  }
  return a.size() == b.size() ? std::string::npos : common;
}
