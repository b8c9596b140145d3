#include "process/ChildCommand.h"

#include <errno.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

pid_t ChildCommand::start(const char* who) const {
  std::vector<std::string> copies(argv);  // execvp wants writable strings
  std::vector<char*> args;
  args.reserve(copies.size() + 1);
  for (std::string& arg : copies) args.push_back(&arg[0]);
  args.push_back(nullptr);
  const std::string file = program.empty() ? copies.at(0) : program;
  const pid_t pid = fork();
  if (pid != 0) return pid;
  signal(SIGPIPE, SIG_DFL);
  const int streams[] = {in, out, err};
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    if (streams[fd] >= 0 && streams[fd] != fd) dup2(streams[fd], fd);
  }
  for (const int fd : streams) {
    if (fd > STDERR_FILENO) close(fd);
  }
  for (const auto& var : env) {
    if (var.second.empty()) {
      unsetenv(var.first.c_str());
    } else {
      setenv(var.first.c_str(), var.second.c_str(), 1);
    }
  }
  execvp(file.c_str(), args.data());
  const std::string message = std::string(who) + ": cannot run <" + argv[0] + ">: " + strerror(errno) + "\n";
  if (write(STDERR_FILENO, message.data(), message.size()) < 0) {
    // standard error is gone: the status alone tells
  }
  _exit(127);
}
