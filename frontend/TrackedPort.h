// TrackedPort: a key port that follows every key through the menu model on
// its way to another port, so that a script or the console knows where the
// device is, which places it passed, and can stop between two keys.
//
// With no port behind it, it presses nothing and takes no time: a script is
// checked on such a port before the line is opened. Owns the port behind it
// (the device model owns the TrackedPort, as it owns any port).
//
// The stop is one flag for the whole process, set by a signal handler: the
// console's and a script's Ctrl-C (stopOnInterrupt), and SIGINT, SIGTERM and
// SIGHUP while a form that must end on its own terms (a dump) holds
// StopSignals. Such a form presses its walks under KeepPressing and looks at
// stopSignal() itself.
#ifndef PMCKEYS_FRONTEND_TRACKEDPORT_H
#define PMCKEYS_FRONTEND_TRACKEDPORT_H

#include <signal.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "commandmodel/MenuModel.h"
#include "ports/HardwarePort.h"

class TrackedPort : public HardwarePort {
public:
  // Thrown by send() instead of the next key once a stop was requested (not
  // on a port with nothing behind it, nor under KeepPressing); the key before
  // has been pressed and released in full. A form that stops on its own
  // terms throws it with a message (what()) that says what became of the
  // device, to be written after "pmckeys: "; a stop between keys has none.
  struct Stopped : std::runtime_error {
    explicit Stopped(int signal = SIGINT, const std::string& message = "")
        : std::runtime_error(message), signal(signal) {}
    int signal;
  };

  // While it lives, SIGINT, SIGTERM and SIGHUP request a stop instead of
  // ending the process (or, for SIGHUP, being ignored); the handling before
  // comes back when it goes.
  class StopSignals {
  public:
    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

  private:
    struct sigaction fSaved[3];
  };

  // While it lives, send() presses every key, a stop requested or not.
  class KeepPressing {
  public:
    KeepPressing();
    ~KeepPressing();
    KeepPressing(const KeepPressing&) = delete;
    KeepPressing& operator=(const KeepPressing&) = delete;
  };

  explicit TrackedPort(HardwarePort* behind);

  bool initSucceeded() const override { return !fBehind || fBehind->initSucceeded(); }
  void send(int keyCode) override;
  void sleepMs(int ms) const override;

  MenuModel& model() { return fModel; }
  // How many keys went through, and the places they moved the device to,
  // since the last call.
  int takeKeyCount();
  std::vector<std::string> takePlaces();

  // Async-signal-safe: a signal handler may call it. A SIGTERM or SIGHUP
  // takes the place of a Ctrl-C not yet acted on; otherwise the first stays.
  static void requestStop(int signal = SIGINT);
  static void clearStop();
  // The signal that requested the stop not yet acted on, or 0.
  static int stopSignal();
  // "Ctrl-C" for SIGINT, else the signal's name ("SIGTERM").
  static std::string signalName(int signal);
  // From now on Ctrl-C (SIGINT) requests a stop instead of ending the
  // process. Interrupted calls go on (a write to the terminal must not fail
  // for it); the console's line editor has its own handler while it reads.
  static void stopOnInterrupt();

private:
  std::unique_ptr<HardwarePort> fBehind;
  MenuModel fModel;
  int fKeys = 0;
  std::vector<std::string> fPlaces;
};

#endif
