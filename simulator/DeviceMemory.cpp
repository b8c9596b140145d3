#include "simulator/DeviceMemory.h"

#include <cstdio>

namespace {

const unsigned char kHeader[] = {0xF0, 0x7D, 0x50, 0x4D};
const std::size_t kHeaderBytes = sizeof kHeader + 4;  // and the index and the count
const std::size_t kOverhead = kHeaderBytes + 2;       // and the checksum and F7
const unsigned kUserSeed = 1;
const unsigned kFactorySeed = 2;

unsigned number(const MidiBytes& message, std::size_t at) { return message[at] << 7 | message[at + 1]; }

void putNumber(MidiBytes& message, std::size_t value) {
  message.push_back(static_cast<unsigned char>(value >> 7 & 0x7F));
  message.push_back(static_cast<unsigned char>(value & 0x7F));
}

unsigned sum(MidiBytes::const_iterator begin, MidiBytes::const_iterator end) {
  unsigned total = 0;
  for (auto byte = begin; byte != end; ++byte) total += *byte;
  return total;
}

bool onlyDataBytes(const MidiBytes& message) {
  for (std::size_t i = 1; i + 1 < message.size(); ++i) {
    if (message[i] >= 0x80) return false;
  }
  return true;
}

}  // namespace

DeviceMemory::DeviceMemory(std::size_t dumpSize) : fDumpSize(dumpSize), fBlocks(content(dumpSize, kUserSeed)) {}

// As many messages as the longest allows, all of about the same length.
DeviceMemory::Blocks DeviceMemory::content(std::size_t dumpSize, unsigned seed) {
  const std::size_t count = (dumpSize + LONGEST_MESSAGE - 1) / LONGEST_MESSAGE;
  std::uint32_t state = 2463534242u * seed;
  Blocks blocks(count);
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t length = dumpSize / count + (i < dumpSize % count ? 1 : 0);
    for (std::size_t j = kOverhead; j < length; ++j) {
      state ^= state << 13;
      state ^= state >> 17;
      state ^= state << 5;
      blocks[i].push_back(static_cast<unsigned char>(state & 0x7F));
    }
  }
  return blocks;
}

void DeviceMemory::factoryReset() {
  fBlocks = content(fDumpSize, kFactorySeed);
  fRestored = false;
}

std::vector<MidiBytes> DeviceMemory::dumpOf(const Blocks& blocks) const {
  std::vector<MidiBytes> messages;
  for (std::size_t i = 0; i < blocks.size(); ++i) {
    MidiBytes message(std::begin(kHeader), std::end(kHeader));
    putNumber(message, i);
    putNumber(message, blocks.size());
    message.insert(message.end(), blocks[i].begin(), blocks[i].end());
    message.push_back(static_cast<unsigned char>((128 - sum(blocks[i].begin(), blocks[i].end()) % 128) % 128));
    message.push_back(0xF7);
    messages.push_back(message);
  }
  return messages;
}

std::vector<MidiBytes> DeviceMemory::dump() const { return dumpOf(fBlocks); }

DeviceMemory::Taken DeviceMemory::take(const MidiBytes& message, std::string& why) {
  why.clear();
  const bool ours = message.size() >= SMALLEST_DUMP &&
                    std::equal(std::begin(kHeader), std::end(kHeader), message.begin()) && message.back() == 0xF7 &&
                    onlyDataBytes(message);
  const unsigned index = ours ? number(message, 4) : 0, count = ours ? number(message, 6) : 0;
  if (ours && index == 0) {
    fIncoming.clear();
    fIncomingCount = count;
  }
  if (!ours) {
    why = "not a message of this device's dump";
  } else if (index != fIncoming.size() || count != fIncomingCount || count == 0) {
    why = "message " + std::to_string(index + 1) + " of " + std::to_string(count) + " out of order";
  } else if (sum(message.begin() + kHeaderBytes, message.end() - 1) % 128 != 0) {
    why = "message " + std::to_string(index + 1) + " of " + std::to_string(count) + " fails its checksum";
  } else {
    fIncoming.emplace_back(message.begin() + kHeaderBytes, message.end() - 2);
    if (fIncoming.size() < count) return Taken::Pending;
    fBlocks.swap(fIncoming);
    fRestored = true;
  }
  fIncoming.clear();
  fIncomingCount = 0;
  return why.empty() ? Taken::Replaced : Taken::Refused;
}

MidiBytes DeviceMemory::joined(const std::vector<MidiBytes>& messages) {
  MidiBytes bytes;
  for (const MidiBytes& message : messages) bytes.insert(bytes.end(), message.begin(), message.end());
  return bytes;
}

std::uint32_t DeviceMemory::crc32(const MidiBytes& bytes) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (const unsigned char byte : bytes) {
    crc ^= byte;
    for (int bit = 0; bit < 8; ++bit) crc = crc >> 1 ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

std::string DeviceMemory::describe() const {
  const bool user = fBlocks == content(fDumpSize, kUserSeed);
  const bool factory = !user && fBlocks == content(fDumpSize, kFactorySeed);
  std::string text = user ? "the user's patches, banks and sets" : factory ? "the factory presets" : "other content";
  if (fRestored) text += ", restored from a dump";
  if (factory) text += ": every patch the user made is gone";
  char crc[32];
  std::snprintf(crc, sizeof crc, " (dump CRC-32 %08x)", static_cast<unsigned>(crc32(joined(dump()))));
  return text + crc;
}
