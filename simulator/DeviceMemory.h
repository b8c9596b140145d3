// DeviceMemory: the simulated device's battery-backed memory (patches,
// banks, sets) and the data dump that carries it over MIDI.
//
// The content is made up but fixed: the same "user" content at every start,
// the same "factory" content after a factory reset, for a dump of the size
// asked for. The dump is System Exclusive with the manufacturer ID set
// aside for non-commercial use, so that it is never taken for a real
// device's, in messages of at most 1,024 bytes:
//   F0 7D 50 4D  index (2 bytes)  count (2 bytes)  data...  checksum  F7
// (7 bits in each byte, high first; the checksum makes the data bytes add
// up to a multiple of 128). The memory takes a dump back message by message
// and is replaced only when a whole, valid one has come.
#ifndef PMCKEYS_SIMULATOR_DEVICEMEMORY_H
#define PMCKEYS_SIMULATOR_DEVICEMEMORY_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "midi/MidiSystem.h"

class DeviceMemory {
public:
  static constexpr std::size_t LONGEST_MESSAGE = 1024;
  static constexpr std::size_t SMALLEST_DUMP = 11;  // one message holding one byte
  static constexpr std::size_t LARGEST_DUMP = std::size_t{1024} * 1024;
  static constexpr std::size_t DEFAULT_DUMP = 4096;

  // What came of one message received.
  enum class Taken { Pending, Replaced, Refused };

  // The user content, in a dump of dumpSize bytes (SMALLEST_DUMP to LARGEST_DUMP).
  explicit DeviceMemory(std::size_t dumpSize);

  void factoryReset();
  // The dump, message by message.
  std::vector<MidiBytes> dump() const;
  // A message of a dump sent to the device. When Refused, `why` says why and
  // the dump it belonged to is dropped.
  Taken take(const MidiBytes& message, std::string& why);
  // "the user's patches, banks and sets (dump CRC-32 89abcdef)" and the like.
  std::string describe() const;
  // CRC-32 (as zip and gzip use it) of bytes.
  static std::uint32_t crc32(const MidiBytes& bytes);

private:
  using Blocks = std::vector<MidiBytes>;  // the data of each message

  static Blocks content(std::size_t dumpSize, unsigned seed);
  static MidiBytes joined(const std::vector<MidiBytes>& messages);
  std::vector<MidiBytes> dumpOf(const Blocks& blocks) const;

  std::size_t fDumpSize;
  Blocks fBlocks;
  bool fRestored = false;
  Blocks fIncoming;  // the dump being received
  std::size_t fIncomingCount = 0;
};

#endif
