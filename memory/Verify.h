// Verify: `pmckeys verify FILE`, does the device hold this saved dump? MIDI
// has no acknowledgement, so after a restore the only proof is to take the
// device's dump (one, exactly as backup takes each of its two: DeviceDump)
// and compare it with FILE byte for byte. FILE is checked as restore checks
// it, before anything is opened, but without restore's limit for JACK:
// verify sends nothing.
#ifndef PMCKEYS_MEMORY_VERIFY_H
#define PMCKEYS_MEMORY_VERIFY_H

#include <set>
#include <string>
#include <vector>

#include "memory/DeviceDump.h"
#include "midi/MidiSystem.h"
#include "midi/SysexFile.h"

class Verify {
public:
  explicit Verify(const std::string& file) : fFile(file) {}
  // 0 when the device holds exactly FILE, 1 when not or when no whole dump
  // came (the reason is on standard error). Throws StopRequest::Stopped when
  // a signal stopped it, the device back in performance mode.
  int run();
  // What run() refuses before it opens anything, and its keys on the device
  // model Dad10::getInstance() gives (a script's check). A FILE that an
  // earlier line writes (in written) is checked when it is read.
  int check(const std::set<std::string>& written) const;

  // FILE read and checked, and the wait set for the dump.
  Result<SysexFile> prepare() const;
  // One dump taken on the opened device and compared with `saved`: the
  // result line when the device holds exactly that; else a failure, with
  // `differs` set when a whole dump came and is not `saved`.
  Result<std::string> compare(DeviceDump& device, const SysexFile& saved, bool& differs) const;

private:
  // Why the dump and FILE differ, or "" when they are equal.
  std::string difference(const MidiBytes& dump, const MidiBytes& saved) const;

  std::string fFile;
};

#endif
