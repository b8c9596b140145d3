// What the parts of pmckeys_bench share: a program run and timed as a user
// runs it (wall time, CPU time and peak memory, from wait4), the median of
// a series, and the sum of the documented pauses of a run that presses keys.
// The benchmark's MIDI part (midi_bench.cpp) times backup, restore and
// verify through the simulated device on a JACK server of its own.
#ifndef PMCKEYS_BENCH_BENCHRUN_H
#define PMCKEYS_BENCH_BENCHRUN_H

#include <map>
#include <string>
#include <vector>

struct Measure {
  double wall = 0;  // seconds
  double cpu = 0;   // user + system seconds, of the program and the children it waited for
  long maxRssKiB = 0;
  int status = -1;  // the exit status, -1 when a signal ended it
};

// Runs argv with PMCKEYS_DEVICE set to device (unless empty) and env added,
// its output discarded.
Measure run(const std::vector<std::string>& argv, const std::string& device,
            const std::map<std::string, std::string>& env = {});
double median(std::vector<double> values);
std::string fileText(const std::string& path);

// The pauses of a run that presses `keys` keys on a board that ignores the
// probe: 2 s after opening the line, 80 ms a key.
inline double keyPauses(int keys) { return 2.0 + keys * 0.080; }

// The rows of backup, and of restore set against restore --no-verify and
// verify, run through pmckeys-sim on a JACK server of their own.
void midiForms(const std::string& pmckeys, const std::string& sim);

#endif
