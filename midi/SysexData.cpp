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

bool SysexData::split(const MidiBytes& bytes, std::vector<MidiBytes>& messages, std::string& fault) {
  messages.clear();
  if (bytes.empty()) {
    fault = "it is empty";
    return false;
  }
  std::size_t begin = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const bool inside = i > begin;
    if (!inside && bytes[i] != START) {
      fault = "byte " + hexByte(bytes[i]) + at(i) + " where a message must begin with 0xF0";
      return false;
    }
    if (inside && bytes[i] == END) {
      messages.emplace_back(bytes.begin() + static_cast<long>(begin), bytes.begin() + static_cast<long>(i) + 1);
      begin = i + 1;
    } else if (inside && bytes[i] >= 0x80) {
      fault = "byte " + hexByte(bytes[i]) + at(i) + " inside the message that begins" + at(begin);
      return false;
    }
  }
  if (begin == bytes.size()) return true;
  fault = "it ends" + at(bytes.size()) + " inside the message that begins" + at(begin);
  return false;
}

std::size_t SysexData::firstDifference(const MidiBytes& a, const MidiBytes& b) {
  const std::size_t common = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < common; ++i) {
    if (a[i] != b[i]) return i;
  }
  return a.size() == b.size() ? std::string::npos : common;
}
