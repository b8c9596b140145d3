#include "bench/BenchRun.h"

#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iterator>

#include "process/ChildCommand.h"

Measure run(const std::vector<std::string>& argv, const std::string& device,
            const std::map<std::string, std::string>& env) {
  ChildCommand command;
  command.argv = argv;
  if (!device.empty()) command.env = {{"PMCKEYS_DEVICE", device}};
  command.env.insert(command.env.end(), env.begin(), env.end());
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
  m.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return m;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

std::string fileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
