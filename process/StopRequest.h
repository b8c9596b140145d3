// StopRequest: a stop that a signal asks for, acted on where the program
// may stop: between two keys, or when a form that must end on its own terms
// (a dump) looks for it. One request for the whole process, set by a
// signal handler and read by whoever presses keys.
//
// Ctrl-C (SIGINT) requests a stop from the moment a script or the console
// starts (onInterrupt); SIGINT, SIGTERM and SIGHUP do while Signals lives.
// Keys pressed under KeepPressing are pressed whatever was asked: a walk
// that must not end half way. A signal that was ignored when the program
// started (SIGHUP under nohup, SIGINT in a background job) stays ignored:
// whoever started it asked for that. Nothing here is owned by anyone: the
// request is a flag of the process.
#ifndef PMCKEYS_PROCESS_STOPREQUEST_H
#define PMCKEYS_PROCESS_STOPREQUEST_H

#include <signal.h>

#include <stdexcept>
#include <string>

class StopRequest {
public:
  // Thrown where a requested stop is acted on. A stop between keys carries
  // no message; a form that stops on its own terms says, in what(), what
  // became of the device, to be written after "pmckeys: ".
  struct Stopped : std::runtime_error {
    explicit Stopped(int signal = SIGINT, const std::string& message = "")
        : std::runtime_error(message), signal(signal) {}
    int signal;
  };

  // While it lives, SIGINT, SIGTERM and SIGHUP request a stop instead of
  // ending the process (or, for SIGHUP, being ignored); the handling before
  // comes back when it goes.
  class Signals {
  public:
    Signals();
    ~Signals();
    Signals(const Signals&) = delete;
    Signals& operator=(const Signals&) = delete;

  private:
    struct sigaction fSaved[3];
  };

  // While it lives, keys are pressed whether a stop was requested or not.
  class KeepPressing {
  public:
    KeepPressing();
    ~KeepPressing();
    KeepPressing(const KeepPressing&) = delete;
    KeepPressing& operator=(const KeepPressing&) = delete;
  };

  // Notes which stop signals the program was started with ignored; call it
  // first thing in main, before anything changes them.
  static void noteIgnoredAtStart();
  static bool ignoredAtStart(int signal);
  // From now on Ctrl-C requests a stop instead of ending the process.
  // Interrupted calls go on (a write to the terminal must not fail for it);
  // the console's line editor has its own handler while it reads.
  static void onInterrupt();
  // The signal whose stop has not been acted on yet, or 0.
  static int signal();
  // True when a key about to be pressed is to be stopped instead.
  static bool beforeKey();
  static void clear();
  // "Ctrl-C" for SIGINT, else the signal's name ("SIGTERM").
  static std::string signalName(int signal);
};

#endif
