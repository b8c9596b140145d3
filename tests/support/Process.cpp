#include "tests/support/Process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>
#include <stdexcept>

#include "process/ChildCommand.h"

namespace {

using Clock = std::chrono::steady_clock;

// A pipe, or a pseudo-terminal whose slave end stands in for the write end.
// The parent's end (parentEnd) is not inherited.
void openChannel(int ends[2], int parentEnd, bool terminal = false) {
  if (!terminal) {
    if (pipe(ends) != 0) throw std::runtime_error("pipe");
  } else {
    ends[0] = posix_openpt(O_RDWR | O_NOCTTY);
    if (ends[0] < 0 || grantpt(ends[0]) != 0 || unlockpt(ends[0]) != 0) throw std::runtime_error("posix_openpt");
    ends[1] = open(ptsname(ends[0]), O_RDWR | O_NOCTTY);
    if (ends[1] < 0) throw std::runtime_error("open pseudo-terminal");
  }
  fcntl(ends[parentEnd], F_SETFD, FD_CLOEXEC);
}

// Reads both until both are closed or the deadline passes.
void collect(int outFd, int errFd, ProcessResult& result, Clock::time_point deadline) {
  struct pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
  std::string* sinks[2] = {&result.out, &result.err};
  for (int open = 2; open > 0 && Clock::now() < deadline;) {
    if (poll(fds, 2, 100) <= 0) continue;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      char buffer[4096];
      const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
      if (n > 0) {
        sinks[i]->append(buffer, static_cast<std::size_t>(n));
      } else {
        fds[i].fd = -1;
        --open;
      }
    }
  }
}

}  // namespace

ProcessResult runProcess(const std::string& program, const std::vector<std::string>& args,
                         const ProcessOptions& options) {
  int in[2], out[2], err[2];
  openChannel(in, 1);
  openChannel(out, 0);
  openChannel(err, 0, options.errorTerminal);
  ChildCommand command;
  command.program = program;
  command.argv = {options.argv0.empty() ? program : options.argv0};
  command.argv.insert(command.argv.end(), args.begin(), args.end());
  command.env.assign(options.env.begin(), options.env.end());
  command.defaultStopSignals = true;
  command.ignored = options.ignoredSignals;
  command.in = options.input != nullptr ? in[0] : ChildCommand::DISCARD;
  command.out = options.output != nullptr ? open(options.output, O_WRONLY) : out[1];
  command.err = err[1];
  const auto start = Clock::now();
  const pid_t pid = command.start("runProcess");
  if (options.started != nullptr) *options.started = pid;
  for (int fd : std::set<int>{in[0], out[1], err[1], command.out}) close(fd);
  signal(SIGPIPE, SIG_IGN);
  if (options.input != nullptr && write(in[1], options.input, strlen(options.input)) < 0) {
    // the child may have ended without reading; that is its result
  }
  close(in[1]);
  ProcessResult result;
  const auto deadline = start + std::chrono::seconds(options.timeoutSeconds);
  collect(out[0], err[0], result, deadline);
  close(out[0]);
  close(err[0]);
  int wstatus = 0;
  while (waitpid(pid, &wstatus, WNOHANG) == 0) {
    if (Clock::now() >= deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &wstatus, 0);
      break;
    }
    usleep(5000);
  }
  result.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  if (WIFEXITED(wstatus)) result.status = WEXITSTATUS(wstatus);
  if (WIFSIGNALED(wstatus)) result.signal = WTERMSIG(wstatus);
  return result;
}

std::string scratchFile() {
  char path[] = "/tmp/pmckeys-test-XXXXXX";
  const int fd = mkstemp(path);
  if (fd == -1) throw std::runtime_error("mkstemp");
  close(fd);
  return path;
}

ScratchFolder::ScratchFolder() {
  char name[] = "/tmp/pmckeys-test-XXXXXX";
  if (mkdtemp(name) == nullptr) throw std::runtime_error("mkdtemp");
  path = name;
}

ScratchFolder::~ScratchFolder() { runProcess("/bin/rm", {"-rf", path}); }

std::string ScratchFolder::file(const std::string& name, const std::vector<unsigned char>& bytes) const {
  std::ofstream(path + "/" + name, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return path + "/" + name;
}

std::string ScratchFolder::listing() const { return runProcess("/bin/ls", {"-A", path}).out; }

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string takeFile(const std::string& path) {
  const std::string text = readFile(path);
  std::remove(path.c_str());
  return text;
}

std::string readTestFile(const std::string& name) {
  std::string expected = readFile(std::string(PMCKEYS_TEST_DATA) + "/" + name);
#ifdef PMCKEYS_DOC_DIR
  const std::pair<std::string, std::string> builtIn[] = {{"@DOC_DIR@", PMCKEYS_DOC_DIR}, {"@VERSION@", PMCKEYS_VERSION}};
  for (const auto& value : builtIn) {
    for (std::size_t at; (at = expected.find(value.first)) != std::string::npos;) expected.replace(at, value.first.size(), value.second);
  }
#endif
  return expected;
}
