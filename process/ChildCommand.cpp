#include "process/ChildCommand.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

extern char** environ;

namespace {

// The environment of this process with the changes made.
std::vector<std::string> environmentWith(const std::vector<std::pair<std::string, std::string>>& changes) {
  std::vector<std::string> entries;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text = *entry;
    bool changed = false;
    for (const auto& change : changes) {
      if (text.compare(0, change.first.size() + 1, change.first + "=") == 0) changed = true;
    }
    if (!changed) entries.push_back(text);
  }
  for (const auto& change : changes) {
    if (!change.second.empty()) entries.push_back(change.first + "=" + change.second);
  }
  return entries;
}

// Null-terminated, as exec wants them; they point into texts.
std::vector<char*> pointers(std::vector<std::string>& texts) {
  std::vector<char*> list;
  list.reserve(texts.size() + 1);
  for (std::string& text : texts) list.push_back(&text[0]);
  list.push_back(nullptr);
  return list;
}

// The file a shell would run for the name: the name itself when it holds a
// slash, else the first executable one along PATH, else "".
std::string lookUp(const std::string& name) {
  if (name.find('/') != std::string::npos) return name;
  const char* path = getenv("PATH");
  const std::string dirs = path != nullptr ? path : "/usr/bin:/bin";
  for (std::size_t at = 0; at <= dirs.size();) {
    std::size_t end = dirs.find(':', at);
    if (end == std::string::npos) end = dirs.size();
    std::string file = end > at ? dirs.substr(at, end - at) : ".";
    file += '/';
    file += name;
    struct stat status;
    if (stat(file.c_str(), &status) == 0 && S_ISREG(status.st_mode) && access(file.c_str(), X_OK) == 0) return file;
    at = end + 1;
  }
  return "";
}

// The descriptors open now, above the standard streams: read before the
// fork, since the child may not allocate.
std::vector<int> openDescriptors() {
  std::vector<int> open;
  DIR* folder = opendir("/dev/fd");
  if (folder == nullptr) return open;
  const int own = dirfd(folder);
  while (const struct dirent* entry = readdir(folder)) {
    const int fd = atoi(entry->d_name);
    if (fd > STDERR_FILENO && fd != own) open.push_back(fd);
  }
  closedir(folder);
  return open;
}

void writeError(const char* text) {
  if (write(STDERR_FILENO, text, strlen(text)) < 0) {
    // standard error is gone: the status alone tells
  }
}

}  // namespace

pid_t ChildCommand::start(const char* who) const {
  std::vector<std::string> args(argv), environment = environmentWith(env);
  const std::vector<char*> argp = pointers(args), envp = pointers(environment);
  const std::string file = lookUp(program.empty() ? argv.at(0) : program);
  const std::string failed = std::string(who) + ": cannot run <" + argv.at(0) + ">: ";
  const std::vector<int> inherited = openDescriptors();
  const pid_t pid = fork();
  if (pid != 0) return pid;
  signal(SIGPIPE, SIG_DFL);
  if (defaultStopSignals) {
    for (const int stop : {SIGINT, SIGTERM, SIGHUP}) signal(stop, SIG_DFL);
  }
  for (const int signal : ignored) ::signal(signal, SIG_IGN);
  int streams[] = {in, out, err};
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    if (streams[fd] == DISCARD) streams[fd] = open("/dev/null", O_RDWR);
    if (streams[fd] >= 0 && streams[fd] != fd) dup2(streams[fd], fd);
  }
  for (const int fd : inherited) close(fd);
  for (const int fd : streams) {
    if (fd > STDERR_FILENO) close(fd);  // a /dev/null opened here
  }
  if (file.empty()) {
    errno = ENOENT;
  } else {
    execve(file.c_str(), argp.data(), envp.data());
  }
  const char* reason = strerror(errno);
  writeError(failed.c_str());
  writeError(reason);
  writeError("\n");
  _exit(127);
}
