// Measures pmckeys against its documented timing and start-up cost.
//
//   pmckeys_bench PMCKEYS PMCKEYS_SIM [RUNS [PROBE PROBE_WITH_LIBEDIT]]
//
// Key sequences run against a simulated board (pmckeys-sim serving a
// pseudo-terminal); their wall time is set against the sum of the documented
// pauses (2 s after opening the line, 2 x 15 ms + 50 ms per key, 500 ms
// before a return). Ten commands run as one script (one open line) and as
// ten runs, side by side. Backups of a 4 KiB and a 64 KiB simulated dump run
// through pmckeys-sim on a JACK server of its own, at full MIDI speed; their
// wall time is set against the wire time of the two dumps, and against that
// with the key pauses and the documented waits, and the file against the
// simulated memory. The board-less forms are
// timed beside /bin/true, and so are two programs that do nothing, one with
// libedit linked: what loading it would add to every start.
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
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

void printRow(const char* name, const Measure& m, double pauses) {
  printf("%-22s %10.3f %10.3f %8.4f %9.3f%%\n", name, m.wall, pauses, m.wall / pauses, 100.0 * m.cpu / m.wall);
}

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
    printRow(c.name, run(argv, device), pauses);
  }
}

// Ten commands of a device's set-up, with the keys each presses and whether
// it waits 500 ms before a return. Every one is a form of the command line.
struct Command {
  const char* line;
  int keys;
  bool returnPause;
};
const Command kTenCommands[] = {
    {"pmcchannel 16", 21, true},       {"r editbank enter", 8, true},
    {"editbank enter next", 4, false}, {"prev prev enter prev prev enter", 6, false},
    {"rd editset", 7, true},           {"startcalibratepedal 1", 18, false},
    {"enter enter endcalibratepedal1", 22, false},
    {"r utilities", 9, true},          {"pmcchannel 5", 20, true},
    {"r midi", 12, true},
};

void scriptAgainstRuns(const std::string& pmckeys, const std::string& device) {
  char path[] = "/tmp/pmckeys-bench-XXXXXX";
  const int fd = mkstemp(path);
  int keys = 0;
  double returns = 0;
  Measure runs;
  for (const Command& c : kTenCommands) {
    if (write(fd, c.line, strlen(c.line)) < 0 || write(fd, "\n", 1) < 0) exit(1);
    keys += c.keys;
    returns += c.returnPause ? 0.5 : 0.0;
    std::vector<std::string> argv{pmckeys};
    for (const char* word = c.line; *word != '\0';) {
      const std::size_t length = strcspn(word, " ");
      argv.emplace_back(word, length);
      word += length + strspn(word + length, " ");
    }
    const Measure m = run(argv, device);
    runs.wall += m.wall;
    runs.cpu += m.cpu;
  }
  close(fd);
  const Measure script = run({pmckeys, "--script", path}, device);
  unlink(path);
  printf("\n%-22s %10s %10s %8s %10s\n", "ten commands", "wall (s)", "pauses (s)", "ratio", "cpu/wall");
  printRow("as one script", script, keyPauses(keys) + returns);
  printRow("as ten runs", runs, keyPauses(keys) + 9 * 2.0 + returns);  // an opening each
  printf("the script saves %.3f s, %.3f s a command\n", runs.wall - script.wall, (runs.wall - script.wall) / 10);
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

// One backup of a simulated dump of `size` bytes (messages of at most
// 1,024 bytes, each when its last byte would have left the cable): its wall
// time against the wire time of the two dumps, and against everything the
// documented behaviour takes.
void backupOf(std::size_t size, const std::string& pmckeys, const std::string& sim, const std::string& folder) {
  const std::string file = folder + "/dump.syx", trace = folder + "/trace";
  const Measure m = run({sim, "--dump-size", std::to_string(size), "--trace", trace, "--", pmckeys, "backup", file}, "");
  // The summary's "N keys received" gives the key pauses.
  const std::string text = fileText(trace);
  const std::size_t at = text.find("summary: ");
  const int keys = at == std::string::npos ? 0 : atoi(text.c_str() + at + 9);
  const double wire = 2.0 * static_cast<double>(size) * QuietWait::BITS_PER_BYTE / QuietWait::MIDI_BITS_PER_SECOND;
  const double waits = 2.0 * (QuietWait::DEFAULT_QUIET_MS + QuietWait::LATE_WATCH_MS) / 1000;
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

void midiBackup(const std::string& pmckeys, const std::string& sim) {
  printf("\n%-10s %12s %10s %8s %12s %8s %10s  %s\n", "backup", "wall (s)", "wire (s)", "/wire", "expected (s)",
         "/expect", "cpu/wall", "file");
  const pid_t jack = startJack("pmckeys-bench-" + std::to_string(getpid()));
  if (jack == 0) {
    printf("no JACK server came up (is jackd2 installed?)\n");
    return;
  }
  char folder[] = "/tmp/pmckeys-bench-XXXXXX";
  if (mkdtemp(folder) == nullptr) exit(1);
  for (const std::size_t size : {std::size_t{4096}, std::size_t{65536}}) backupOf(size, pmckeys, sim, folder);
  rmdir(folder);
  kill(jack, SIGTERM);
  waitpid(jack, nullptr, 0);
  unsetenv("JACK_DEFAULT_SERVER");
  unsetenv("PMCKEYS_MIDI_API");
}

// probes: a program that does nothing, and the same with libedit linked.
void startup(const std::string& pmckeys, int runs, char** probes) {
  printf("\n%-22s %12s %14s\n", "board-less form", "median (ms)", "peak RSS (KiB)");
  std::vector<std::pair<const char*, std::vector<std::string>>> forms = {
      {"/bin/true", {"/bin/true"}},
      {"pmckeys (usage)", {pmckeys}},
      {"pmckeys cable", {pmckeys, "cable"}},
      {"pmckeys commands", {pmckeys, "commands"}},
      {"pmckeys --list-midi", {pmckeys, "--list-midi"}},  // loads the MIDI module: for comparison
  };
  if (probes[0] != nullptr && probes[1] != nullptr) {
    forms.push_back({"empty program", {probes[0]}});
    forms.push_back({"the same + libedit", {probes[1]}});
  }
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
    fprintf(stderr, "usage: pmckeys_bench PMCKEYS PMCKEYS_SIM [RUNS [PROBE PROBE_WITH_LIBEDIT]]\n");
    return 2;
  }
  const int runs = argc > 3 ? atoi(argv[3]) : 200;
  std::string device;
  const pid_t board = startBoard(argv[2], device);
  sequences(argv[1], device);
  scriptAgainstRuns(argv[1], device);
  kill(board, SIGINT);
  waitpid(board, nullptr, 0);
  midiBackup(argv[1], argv[2]);
  startup(argv[1], runs, argc > 5 ? argv + 4 : argv + argc);
  return 0;
}
