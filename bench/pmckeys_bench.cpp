// Measures pmckeys against its documented timing and start-up cost.
//
//   pmckeys_bench PMCKEYS PMCKEYS_SIM [RUNS [PROBE PROBE_WITH_LIBEDIT]]
//
// Key sequences run against a simulated board (pmckeys-sim serving a
// pseudo-terminal) whose firmware ignores the probe; their wall time is set
// against the sum of the documented pauses (2 s after opening the line,
// 2 x 15 ms + 50 ms per key, 500 ms before a return). Ten commands run as one
// script (one open line) and as ten runs, side by side, and as ten runs on a
// board that answers the probe. The first key of `pmckeys menu`, and the
// whole run, are timed for a board that is up, one just reset and one that
// ignores the probe, round by round. Backup, restore and verify run through
// the simulated device on a JACK server (midi_bench.cpp). The board-less
// forms are timed beside /bin/true, and so are two programs that do
// nothing, one with libedit linked: what loading it would add to every start.
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "bench/BenchRun.h"
#include "process/ChildCommand.h"
#include "simulator/SimulatedBoard.h"

namespace {

// A served board, and its trace as it is written.
struct Board {
  pid_t pid = -1;
  std::string device;
  FILE* trace = nullptr;
};

Board startBoard(const std::string& sim, const std::vector<std::string>& options = {}) {
  int out[2];
  if (pipe(out) != 0) exit(1);
  ChildCommand command;
  command.argv = {sim};
  command.argv.insert(command.argv.end(), options.begin(), options.end());
  command.out = out[1];
  fcntl(out[0], F_SETFD, FD_CLOEXEC);
  Board board;
  board.pid = command.start("pmckeys_bench");
  close(out[1]);
  board.trace = fdopen(out[0], "r");
  char line[256] = "";
  if (fgets(line, sizeof line, board.trace) == nullptr) exit(1);
  board.device = line;
  board.device = board.device.substr(board.device.rfind(' ') + 1);
  board.device.pop_back();
  return board;
}

void stopBoard(Board& board) {
  kill(board.pid, SIGINT);
  waitpid(board.pid, nullptr, 0);
  fclose(board.trace);
}

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

Measure tenRuns(const std::string& pmckeys, const std::string& device) {
  Measure runs;
  for (const Command& c : kTenCommands) {
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
  return runs;
}

// device: a board that ignores the probe; answering: one that answers it.
void scriptAgainstRuns(const std::string& pmckeys, const std::string& device, const std::string& answering) {
  char path[] = "/tmp/pmckeys-bench-XXXXXX";
  const int fd = mkstemp(path);
  int keys = 0;
  double returns = 0;
  for (const Command& c : kTenCommands) {
    if (write(fd, c.line, strlen(c.line)) < 0 || write(fd, "\n", 1) < 0) exit(1);
    keys += c.keys;
    returns += c.returnPause ? 0.5 : 0.0;
  }
  close(fd);
  const Measure runs = tenRuns(pmckeys, device);
  const Measure script = run({pmckeys, "--script", path}, device);
  const Measure answered = tenRuns(pmckeys, answering);
  unlink(path);
  printf("\n%-22s %10s %10s %8s %10s\n", "ten commands", "wall (s)", "pauses (s)", "ratio", "cpu/wall");
  printRow("as one script", script, keyPauses(keys) + returns);
  printRow("as ten runs", runs, keyPauses(keys) + 9 * 2.0 + returns);  // an opening each
  printRow("ten, board answering", answered, keyPauses(keys) - 2.0 + returns);  // no opening pause
  printf("the script saves %.3f s, %.3f s a command\n", runs.wall - script.wall, (runs.wall - script.wall) / 10);
}

// Seconds from the start of `pmckeys menu` until the board took its key
// (the trace's line of the key, which comes once the board has held and
// released it, less that time), and the run's own wall time.
std::pair<double, double> timeMenu(const std::string& pmckeys, Board& board) {
  ChildCommand command;
  command.argv = {pmckeys, "menu"};
  command.env = {{"PMCKEYS_DEVICE", board.device}};
  command.out = command.err = ChildCommand::DISCARD;
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = command.start("pmckeys_bench");
  char line[256] = "";
  while (fgets(line, sizeof line, board.trace) != nullptr && strstr(line, "'M'") == nullptr) {
  }
  const auto traced = std::chrono::steady_clock::now();
  waitpid(pid, nullptr, 0);
  const auto end = std::chrono::steady_clock::now();
  const double pressS = (SimulatedBoard::HOLD_MS + SimulatedBoard::RELEASE_MS) / 1000.0;
  return {std::chrono::duration<double>(traced - start).count() - pressS,
          std::chrono::duration<double>(end - start).count()};
}

// The first key and a whole `pmckeys menu`, round by round, for a board that
// is up (the second open), one just reset (the first open after the
// simulator starts) and one whose firmware ignores the probe.
void firstKey(const std::string& pmckeys, const std::string& sim, int rounds) {
  std::vector<double> key[3], whole[3];
  for (int i = 0; i < rounds; ++i) {
    Board fresh = startBoard(sim);
    const auto reset = timeMenu(pmckeys, fresh);
    const auto up = timeMenu(pmckeys, fresh);
    stopBoard(fresh);
    Board ignoring = startBoard(sim, {"--fault", "noready"});
    const auto ignored = timeMenu(pmckeys, ignoring);
    stopBoard(ignoring);
    const std::pair<double, double> times[3] = {up, reset, ignored};
    for (int b = 0; b < 3; ++b) {
      key[b].push_back(times[b].first);
      whole[b].push_back(times[b].second);
    }
  }
  const double resetS = SimulatedBoard::RESET_MS / 1000.0;
  const char* names[3] = {"board up", "board just reset", "board ignoring probe"};
  const double goals[3] = {0.15, resetS + 0.15, 2.0};
  printf("\n%-22s %14s %14s %10s   (median of %d; min-max)\n", "pmckeys menu", "first key (s)", "whole run (s)",
         "goal (s)", rounds);
  for (int b = 0; b < 3; ++b) {
    std::sort(key[b].begin(), key[b].end());
    std::sort(whole[b].begin(), whole[b].end());
    printf("%-22s %14.3f %14.3f %10.3f   %.3f-%.3f  %.3f-%.3f\n", names[b], median(key[b]), median(whole[b]), goals[b],
           key[b].front(), key[b].back(), whole[b].front(), whole[b].back());
  }
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
  // The documented pauses are those of a board that ignores the probe.
  Board board = startBoard(argv[2], {"--fault", "noready"});
  Board answering = startBoard(argv[2]);
  run({argv[1], "0"}, answering.device);  // the open that finds it just reset
  sequences(argv[1], board.device);
  scriptAgainstRuns(argv[1], board.device, answering.device);
  stopBoard(board);
  stopBoard(answering);
  firstKey(argv[1], argv[2], 10);
  midiForms(argv[1], argv[2]);
  startup(argv[1], runs, argc > 5 ? argv + 4 : argv + argc);
  return 0;
}
