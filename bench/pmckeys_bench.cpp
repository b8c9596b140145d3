// Measures pmckeys against its documented timing and start-up cost.
//
//   pmckeys_bench PMCKEYS PMCKEYS_SIM [RUNS]
//
// Key sequences run against a simulated board (pmckeys-sim serving a
// pseudo-terminal); their wall time is set against the sum of the documented
// pauses (2 s after opening the line, 2 x 15 ms + 50 ms per key, 500 ms
// before a return). A backup of a 64 KiB simulated dump runs through
// pmckeys-sim on a JACK server of its own, at full MIDI speed; its wall time
// is set against twice the dump's wire time, the key pauses and the two quiet
// waits, and the file against the simulated memory. The board-less forms are
// timed beside /bin/true.
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "midi/QuietWait.h"
#include "process/ChildCommand.h"
#include "simulator/DeviceMemory.h"

namespace {

struct Measure {
  double wall = 0;  // seconds
  double cpu = 0;   // user + system seconds
  long maxRssKiB = 0;
};

Measure run(const std::vector<std::string>& argv, const std::string& device) {
  ChildCommand command;
  command.argv = argv;
  if (!device.empty()) command.env = {{"PMCKEYS_DEVICE", device}};
  command.out = command.err = ChildCommand::DISCARD;
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = command.start("pmckeys_bench");
  int status = 0;
  struct rusage usage;
  wait4(pid, &status, 0, &usage);
  Measure m;
  m.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  m.cpu = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
          static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  m.maxRssKiB = usage.ru_maxrss;
  return m;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

pid_t startBoard(const std::string& sim, std::string& device) {
  int out[2];
  if (pipe(out) != 0) exit(1);
  ChildCommand board;
  board.argv = {sim};
  board.out = out[1];
  fcntl(out[0], F_SETFD, FD_CLOEXEC);
  const pid_t pid = board.start("pmckeys_bench");
  close(out[1]);
  FILE* trace = fdopen(out[0], "r");
  char line[256] = "";
  if (fgets(line, sizeof line, trace) == nullptr) exit(1);
  device = line;
  device = device.substr(device.rfind(' ') + 1);
  device.pop_back();
  return pid;
}

// The pauses of a run that presses `keys` keys: 2 s after opening the line,
// 80 ms a key.
double keyPauses(int keys) { return 2.0 + keys * 0.080; }

void sequences(const std::string& pmckeys, const std::string& device) {
  printf("%-22s %10s %10s %8s %10s\n", "key sequence", "wall (s)", "pauses (s)", "ratio", "cpu/wall");
  struct Case {
    const char* name;
    int keys;
    bool returnAlong;
  };
  const Case cases[] = {{"1 key", 1, false}, {"10 keys", 10, false}, {"50 keys", 50, false},
                        {"r + 10 keys", 10, true}};
  for (const Case& c : cases) {
    std::vector<std::string> argv{pmckeys};
    if (c.returnAlong) argv.push_back("r");
    for (int i = 0; i < c.keys; ++i) argv.push_back("0");  // a digit moves nothing in the menus
    const int pressed = c.keys + (c.returnAlong ? 1 : 0);  // the return presses ENTER
    const double pauses = keyPauses(pressed) + (c.returnAlong ? 0.5 : 0.0);
    const Measure m = run(argv, device);
    printf("%-22s %10.3f %10.3f %8.4f %9.3f%%\n", c.name, m.wall, pauses, m.wall / pauses, 100.0 * m.cpu / m.wall);
  }
}

// A JACK server of the benchmark's own on the dummy audio backend, named
// for this process; 0 when it did not come up.
pid_t startJack(const std::string& name) {
  ChildCommand jackd;
  jackd.argv = {"jackd", "-n", name, "--no-realtime", "-d", "dummy"};
  jackd.out = jackd.err = ChildCommand::DISCARD;
  const pid_t pid = jackd.start("pmckeys_bench");
  setenv("JACK_DEFAULT_SERVER", name.c_str(), 1);
  setenv("PMCKEYS_MIDI_API", "jack", 1);
  const Measure waited = run({"/bin/sh", "-c", "exec jack_wait -w -t 10"}, "");
  return waited.wall < 10 ? pid : 0;
}

std::string fileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void midiBackup(const std::string& pmckeys, const std::string& sim) {
  const std::size_t size = 64 * 1024;
  printf("\n%-22s %10s %12s %8s %10s  %s\n", "MIDI backup", "wall (s)", "expected (s)", "ratio", "cpu/wall", "file");
  const pid_t jack = startJack("pmckeys-bench-" + std::to_string(getpid()));
  if (jack == 0) {
    printf("no JACK server came up (is jackd2 installed?)\n");
    return;
  }
  char folder[] = "/tmp/pmckeys-bench-XXXXXX";
  if (mkdtemp(folder) == nullptr) exit(1);
  const std::string file = std::string(folder) + "/dump.syx", trace = std::string(folder) + "/trace";
  const Measure m = run({sim, "--dump-size", std::to_string(size), "--trace", trace, "--", pmckeys, "backup", file}, "");
  // The summary's "N keys received" gives the key pauses.
  const std::string text = fileText(trace);
  const std::size_t at = text.find("summary: ");
  const int keys = at == std::string::npos ? 0 : atoi(text.c_str() + at + 9);
  const double wire = 2.0 * size * QuietWait::BITS_PER_BYTE / QuietWait::MIDI_BITS_PER_SECOND;
  const double expected = keyPauses(keys) + wire + 2.0 * QuietWait::LEAST_QUIET_MS / 1000;
  std::string image;
  for (const MidiBytes& message : DeviceMemory(size).dump()) image.append(message.begin(), message.end());
  const std::string saved = fileText(file);
  printf("%-22s %10.3f %12.3f %8.4f %9.3f%%  %zu bytes, %s\n", "64 KiB, 1,024-byte msgs", m.wall, expected,
         m.wall / expected, 100.0 * m.cpu / m.wall, saved.size(), saved == image ? "equal to the memory" : "DIFFERENT");
  printf("%-22s %10s %12.3f  (2 x wire time; %d keys x 80 ms + 2 s; 2 quiet waits of 1 s)\n", "", "", wire, keys);
  remove(file.c_str());
  remove(trace.c_str());
  rmdir(folder);
  kill(jack, SIGTERM);
  waitpid(jack, nullptr, 0);
  unsetenv("JACK_DEFAULT_SERVER");
  unsetenv("PMCKEYS_MIDI_API");
}

void startup(const std::string& pmckeys, int runs) {
  printf("\n%-22s %12s %14s\n", "board-less form", "median (ms)", "peak RSS (KiB)");
  const std::vector<std::pair<const char*, std::vector<std::string>>> forms = {
      {"/bin/true", {"/bin/true"}},
      {"pmckeys (usage)", {pmckeys}},
      {"pmckeys cable", {pmckeys, "cable"}},
      {"pmckeys commands", {pmckeys, "commands"}},
      {"pmckeys --list-midi", {pmckeys, "--list-midi"}},  // loads the MIDI module: for comparison
  };
  // Round by round, so that a slow moment of the machine hits every form alike.
  std::vector<std::vector<double>> walls(forms.size());
  std::vector<long> rss(forms.size(), 0);
  for (int i = 0; i < runs; ++i) {
    for (std::size_t f = 0; f < forms.size(); ++f) {
      const Measure m = run(forms[f].second, "/nonexistent/pmckeys-bench");
      walls[f].push_back(m.wall * 1000);
      rss[f] = std::max(rss[f], m.maxRssKiB);
    }
  }
  for (std::size_t f = 0; f < forms.size(); ++f) {
    printf("%-22s %12.3f %14ld\n", forms[f].first, median(walls[f]), rss[f]);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: pmckeys_bench PMCKEYS PMCKEYS_SIM [RUNS]\n");
    return 2;
  }
  const int runs = argc > 3 ? atoi(argv[3]) : 200;
  std::string device;
  const pid_t board = startBoard(argv[2], device);
  sequences(argv[1], device);
  kill(board, SIGINT);
  waitpid(board, nullptr, 0);
  midiBackup(argv[1], argv[2]);
  startup(argv[1], runs);
  return 0;
}
