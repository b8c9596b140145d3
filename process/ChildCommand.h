// ChildCommand: a command to start in a child process as a shell would
// start it, for the programs that run other programs (pmckeys-sim, the AVR
// harness, the benchmark and the tests): SIGPIPE back to its default (the
// starters ignore it for themselves), the standard streams and the
// environment as asked, no other descriptor of the parent's, and the program
// looked up along PATH unless its name holds a slash. Libraries open
// descriptors without close-on-exec (JACK's client sockets): a child that
// kept one would hold the parent's client open after the parent had gone,
// and the JACK server, writing to a socket nobody reads, would hang.
//
// A plain value. start() makes everything the child needs before it forks:
// in a process with threads (the MIDI libraries start some) the child may
// take no lock, so it neither allocates nor changes its environment.
#ifndef PMCKEYS_PROCESS_CHILDCOMMAND_H
#define PMCKEYS_PROCESS_CHILDCOMMAND_H

#include <sys/types.h>

#include <string>
#include <utility>
#include <vector>

struct ChildCommand {
  // A standard stream that goes to /dev/null.
  static constexpr int DISCARD = -2;

  std::vector<std::string> argv;  // argv[0] names the program, unless program is set
  std::string program;            // the file to run when argv[0] is only what it is called
  std::vector<std::pair<std::string, std::string>> env;  // variables to set; an empty value unsets
  // Descriptors that become standard input, output and error: -1 keeps the
  // parent's, DISCARD is /dev/null. Those above 2 are closed in the child
  // once in place.
  int in = -1;
  int out = -1;
  int err = -1;
  // SIGINT, SIGTERM and SIGHUP at their default dispositions, whatever the
  // parent has, but for those in `ignored`: as a shell starts a command
  // (nohup ignores SIGHUP, a background job SIGINT).
  bool defaultStopSignals = false;
  std::vector<int> ignored;

  // Forks and runs the command in the child; the child's pid, or -1 (errno
  // set) when no process could be made. When the program cannot be run the
  // child writes "<who>: cannot run <argv[0]>: <reason>" on its standard
  // error and ends with 127, as a shell does.
  pid_t start(const char* who) const;
};

#endif
