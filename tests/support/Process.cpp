#include "tests/support/Process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace {

[[noreturn]] void execChild(const std::string& program, const std::vector<std::string>& args,
                            const ProcessOptions& options, int in, int out, int err) {
  signal(SIGPIPE, SIG_DFL);  // as a shell starts it; the tests ignore it for themselves
  dup2(in, STDIN_FILENO);
  dup2(out, STDOUT_FILENO);
  dup2(err, STDERR_FILENO);
  for (int fd : {in, out, err}) {
    if (fd > STDERR_FILENO) close(fd);
  }
  for (const auto& var : options.env) {
    if (var.second.empty()) {
      unsetenv(var.first.c_str());
    } else {
      setenv(var.first.c_str(), var.second.c_str(), 1);
    }
  }
  std::vector<char*> argv;
  std::string argv0 = options.argv0.empty() ? program : options.argv0;
  argv.push_back(&argv0[0]);
  std::vector<std::string> copies(args);
  for (std::string& arg : copies) argv.push_back(&arg[0]);
  argv.push_back(nullptr);
  execv(program.c_str(), argv.data());
  _exit(127);
}

// Reads both pipes until both are closed or the deadline passes.
void collect(int outFd, int errFd, ProcessResult& result, std::chrono::steady_clock::time_point deadline) {
  struct pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
  std::string* sinks[2] = {&result.out, &result.err};
  int open = 2;
  while (open > 0 && std::chrono::steady_clock::now() < deadline) {
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

// A pseudo-terminal whose slave end stands in for the write end of a pipe.
void openTerminal(int ends[2]) {
  ends[0] = posix_openpt(O_RDWR | O_NOCTTY);
  if (ends[0] < 0 || grantpt(ends[0]) != 0 || unlockpt(ends[0]) != 0) throw std::runtime_error("posix_openpt");
  ends[1] = open(ptsname(ends[0]), O_RDWR | O_NOCTTY);
  if (ends[1] < 0) throw std::runtime_error("open pseudo-terminal");
}

}  // namespace

ProcessResult runProcess(const std::string& program, const std::vector<std::string>& args,
                         const ProcessOptions& options) {
  int inPipe[2], outPipe[2], errPipe[2];
  if (pipe(inPipe) != 0 || pipe(outPipe) != 0) throw std::runtime_error("pipe");
  if (options.errorTerminal) {
    openTerminal(errPipe);
  } else if (pipe(errPipe) != 0) {
    throw std::runtime_error("pipe");
  }
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    close(inPipe[1]);
    close(outPipe[0]);
    close(errPipe[0]);
    int in = inPipe[0];
    if (options.input == nullptr) {
      close(inPipe[0]);
      in = open("/dev/null", O_RDONLY);
    }
    const int out = options.output == nullptr ? outPipe[1] : open(options.output, O_WRONLY);
    execChild(program, args, options, in, out, errPipe[1]);
  }
  close(inPipe[0]);
  close(outPipe[1]);
  close(errPipe[1]);
  signal(SIGPIPE, SIG_IGN);
  if (options.input != nullptr) {
    const std::string input = options.input;
    if (!input.empty() && write(inPipe[1], input.data(), input.size()) < 0) {
      // the child may have ended without reading; that is its result
    }
  }
  close(inPipe[1]);
  ProcessResult result;
  collect(outPipe[0], errPipe[0], result, start + std::chrono::seconds(options.timeoutSeconds));
  close(outPipe[0]);
  close(errPipe[0]);
  int wstatus = 0;
  const auto deadline = start + std::chrono::seconds(options.timeoutSeconds);
  while (waitpid(pid, &wstatus, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() >= deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &wstatus, 0);
      break;
    }
    usleep(5000);
  }
  result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
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

std::string takeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  std::remove(path.c_str());
  return text.str();
}

std::string readTestFile(const std::string& name) {
  std::ifstream in(std::string(PMCKEYS_TEST_DATA) + "/" + name, std::ios::binary);
  if (!in) throw std::runtime_error("missing test file " + name);
  std::ostringstream text;
  text << in.rdbuf();
  std::string expected = text.str();
#ifdef PMCKEYS_DOC_DIR
  const std::pair<std::string, std::string> builtIn[] = {{"@DOC_DIR@", PMCKEYS_DOC_DIR}, {"@VERSION@", PMCKEYS_VERSION}};
  for (const auto& value : builtIn) {
    for (std::size_t at; (at = expected.find(value.first)) != std::string::npos;) expected.replace(at, value.first.size(), value.second);
  }
#endif
  return expected;
}
