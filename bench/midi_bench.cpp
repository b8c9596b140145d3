// The benchmark's MIDI part: backup, restore and verify through the
// simulated device (pmckeys-sim --fault noready, a board that ignores the
// probe, so that the key pauses are the documented ones) on a JACK server
// of its own, the dump sent at full MIDI speed. Backups of a 4 KiB and a
// 64 KiB dump are set against the wire time of the two dumps, and against
// that with the key pauses and the documented waits, and the file against
// the simulated memory. A restore with its check of the 4 KiB dump is set
// against a restore without it (--no-verify) and a verify run apart.
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>

#include "bench/BenchRun.h"
#include "memory/Restore.h"
#include "midi/QuietWait.h"
#include "simulator/DeviceMemory.h"
#ifdef PMCKEYS_BENCH_JACK
#include "tests/support/JackServer.h"
#endif

namespace {

// The time `bytes` take on the MIDI cable.
double wireTime(std::size_t bytes) {
  return static_cast<double>(bytes) * QuietWait::BITS_PER_BYTE / QuietWait::MIDI_BITS_PER_SECOND;
}

// The keys the simulator counted in its trace's summary.
int keysIn(const std::string& trace) {
  const std::string text = fileText(trace);
  const std::size_t at = text.find("summary: ");
  return at == std::string::npos ? 0 : atoi(text.c_str() + at + 9);
}

// The waits that end a dump: the quiet after its last message, and the
// watch after the way back.
double dumpWaits() { return (QuietWait::DEFAULT_QUIET_MS + QuietWait::LATE_WATCH_MS) / 1000.0; }

// One backup of a simulated dump of `size` bytes (messages of at most
// 1,024 bytes, each when its last byte would have left the cable): its wall
// time against the wire time of the two dumps, and against everything the
// documented behaviour takes.
void backupOf(std::size_t size, const std::string& pmckeys, const std::string& sim, const std::string& folder) {
  const std::string file = folder + "/dump.syx", trace = folder + "/trace";
  const Measure m = run(
      {sim, "--fault", "noready", "--dump-size", std::to_string(size), "--trace", trace, "--", pmckeys, "backup", file},
      "");
  const int keys = keysIn(trace);  // the key pauses
  const double wire = 2.0 * wireTime(size);
  const double waits = 2.0 * dumpWaits();
  const double expected = keyPauses(keys) + wire + waits;
  std::string image;
  for (const MidiBytes& message : DeviceMemory(size).dump()) image.append(message.begin(), message.end());
  const std::string saved = fileText(file);
  printf("%6zu KiB %12.3f %10.3f %8.3f %12.3f %8.4f %9.3f%%  %zu bytes, %s\n", size / 1024, m.wall, wire,
         m.wall / wire, expected, m.wall / expected, 100.0 * m.cpu / m.wall, saved.size(),
         saved == image ? "equal to the memory" : "DIFFERENT");
  printf("%10s %12s %10s %8s %12s  (%d keys x 80 ms + 2 s; 2 x wire; 2 x (%.1f s quiet + %.1f s watch))\n", "", "", "",
         "", "", keys, QuietWait::DEFAULT_QUIET_MS / 1000.0, QuietWait::LATE_WATCH_MS / 1000.0);
  remove(file.c_str());
  remove(trace.c_str());
}

// Restore with its check, restore --no-verify and verify of the simulated
// device's own 4 KiB, `rounds` times each, round by round: the medians, each
// against what its documented behaviour takes (wire time, the pause after
// each message, key pauses, the dump's waits).
void restoreAgainstVerify(const std::string& pmckeys, const std::string& sim, const std::string& folder, int rounds) {
  const std::vector<MidiBytes> dump = DeviceMemory(DeviceMemory::DEFAULT_DUMP).dump();
  const std::string file = folder + "/saved.syx", trace = folder + "/trace";
  std::ofstream out(file, std::ios::binary);
  std::size_t bytes = 0;
  for (const MidiBytes& m : dump) {
    out.write(reinterpret_cast<const char*>(m.data()), static_cast<std::streamsize>(m.size()));
    bytes += m.size();
  }
  out.close();
  const double pause = Restore::DEFAULT_PAUSE_MS / 1000.0, wire = wireTime(bytes), n = static_cast<double>(dump.size());
  const struct {
    const char* name;
    std::vector<std::string> args;
    double expected;  // without the key pauses, which the trace gives
  } forms[] = {{"restore (checked)", {"restore", file}, wire + n * pause + wire + dumpWaits()},
               {"restore --no-verify", {"restore", file, "--no-verify"}, wire + (n - 1) * pause},
               {"verify", {"verify", file}, wire + dumpWaits()}};
  std::vector<double> walls[3], cpus[3];
  int keys[3] = {0, 0, 0}, failed[3] = {0, 0, 0};
  for (int round = 0; round < rounds; ++round) {
    for (int f = 0; f < 3; ++f) {
      std::vector<std::string> argv = {sim, "--fault", "noready", "--trace", trace, "--", pmckeys};
      argv.insert(argv.end(), forms[f].args.begin(), forms[f].args.end());
      const Measure m = run(argv, "");
      walls[f].push_back(m.wall);
      cpus[f].push_back(100.0 * m.cpu / m.wall);
      keys[f] = keysIn(trace);
      failed[f] += m.status == 0 ? 0 : 1;
    }
  }
  printf("\n%-20s %10s %12s %8s %10s  (4 KiB, median of %d)\n", "restore and verify", "wall (s)", "expected (s)",
         "/expect", "cpu/wall", rounds);
  double wall[3];
  for (int f = 0; f < 3; ++f) {
    wall[f] = median(walls[f]);
    const double expected = forms[f].expected + (keys[f] == 0 ? 0.0 : keyPauses(keys[f]));
    printf("%-20s %10.3f %12.3f %8.4f %9.3f%%  %d keys%s\n", forms[f].name, wall[f], expected, wall[f] / expected,
           median(cpus[f]), keys[f], failed[f] == 0 ? "" : ", FAILED");
  }
  printf("the check adds %.3f s to the restore (%.2f times as long); restore --no-verify then verify: %.3f s, "
         "%.3f s more than the checked restore\n",
         wall[0] - wall[1], wall[0] / wall[1], wall[1] + wall[2], wall[1] + wall[2] - wall[0]);
  remove(file.c_str());
  remove(trace.c_str());
}

}  // namespace

void midiForms(const std::string& pmckeys, const std::string& sim) {
  printf("\n%-10s %12s %10s %8s %12s %8s %10s  %s\n", "backup", "wall (s)", "wire (s)", "/wire", "expected (s)",
         "/expect", "cpu/wall", "file");
#ifdef PMCKEYS_BENCH_JACK
  // At jackd's own cycle of 1,024 frames (21 ms), as a user's server runs,
  // not the tests' longer one: each client, port and connection waits for
  // cycles. Stopped before the forms timed after it.
  const JackServer jack({}, 1024);
  if (!jack.running()) {
    printf("no JACK server came up (is jackd2 installed?)\n");
    return;
  }
  char folder[] = "/tmp/pmckeys-bench-XXXXXX";
  if (mkdtemp(folder) == nullptr) exit(1);
  for (const std::size_t size : {std::size_t{4096}, std::size_t{65536}}) backupOf(size, pmckeys, sim, folder);
  restoreAgainstVerify(pmckeys, sim, folder, 3);
  rmdir(folder);
#else
  printf("built without JACK's headers: no JACK server to back up on\n");
#endif
}
