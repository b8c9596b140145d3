// Runs a program as a user would from a shell: its own process, the given arguments and standard input, the
// tests' environment with changes. Collects standard output, standard error and how it ended.
#ifndef PMCKEYS_TESTS_SUPPORT_PROCESS_H
#define PMCKEYS_TESTS_SUPPORT_PROCESS_H

#include <sys/types.h>

#include <atomic>
#include <map>
#include <string>
#include <vector>

struct ProcessResult {
  std::string out;
  std::string err;
  int status = -1;  // the exit status, or -1 when a signal ended it
  int signal = 0;   // that signal
  double seconds = 0;
};

struct ProcessOptions {
  std::string argv0;                       // argv[0]; the program path when empty
  const char* input = nullptr;             // standard input; null: /dev/null
  const char* output = nullptr;            // a file for standard output; null: collected
  std::map<std::string, std::string> env;  // variables to set ("" value: unset)
  int timeoutSeconds = 60;                 // then the process is killed
  bool errorTerminal = false;              // standard error on a pseudo-terminal, not a pipe
  std::vector<int> ignoredSignals;         // as nohup leaves them; the other stop signals at their defaults
  std::atomic<pid_t>* started = nullptr;   // receives the process id, for a test that signals it
};

ProcessResult runProcess(const std::string& program, const std::vector<std::string>& args,
                         const ProcessOptions& options = ProcessOptions());
inline ProcessOptions withEnv(std::map<std::string, std::string> env) {
  ProcessOptions options;
  options.env = std::move(env);
  return options;
}

// A new empty file in /tmp for a program to write to; takeFile() reads it back and removes it.
std::string scratchFile();
// A new folder in /tmp, removed with all it holds when the object goes.
struct ScratchFolder {
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  // Writes a file of that name there; gives its path.
  std::string file(const std::string& name, const std::vector<unsigned char>& bytes) const;
  std::string listing() const;  // as ls -A lists it
  std::string path;
};
std::string readFile(const std::string& path);
std::string takeFile(const std::string& path);

// The text of a file kept with the tests (tests/expected/), with @VERSION@ and @DOC_DIR@ filled in.
std::string readTestFile(const std::string& name);

#endif
