#include "process/StopRequest.h"

#include <cstring>
#include <iterator>

namespace {

const int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

bool gIgnoredAtStart[std::size(kStopSignals)] = {};
volatile sig_atomic_t gRequested = 0;
volatile sig_atomic_t gKeepPressing = 0;

// A SIGTERM or SIGHUP takes the place of a Ctrl-C not yet acted on: the
// stronger request decides how the run ends. Otherwise the first stays.
void onSignal(int signal) {
  if (gRequested == 0 || gRequested == SIGINT) gRequested = signal;
}

void handle(int signal, struct sigaction* saved) {
  if (StopRequest::ignoredAtStart(signal)) {
    if (saved != nullptr) sigaction(signal, nullptr, saved);
    return;
  }
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_handler = onSignal;
  action.sa_flags = SA_RESTART;
  sigemptyset(&action.sa_mask);
  sigaction(signal, &action, saved);
}

}  // namespace

StopRequest::Signals::Signals() {
  for (std::size_t i = 0; i < std::size(kStopSignals); ++i) handle(kStopSignals[i], &fSaved[i]);
}

StopRequest::Signals::~Signals() {
  for (std::size_t i = 0; i < std::size(kStopSignals); ++i) sigaction(kStopSignals[i], &fSaved[i], nullptr);
}

void StopRequest::noteIgnoredAtStart() {
  for (std::size_t i = 0; i < std::size(kStopSignals); ++i) {
    struct sigaction now;
    gIgnoredAtStart[i] = sigaction(kStopSignals[i], nullptr, &now) == 0 && now.sa_handler == SIG_IGN;
  }
}

bool StopRequest::ignoredAtStart(int signal) {
  for (std::size_t i = 0; i < std::size(kStopSignals); ++i) {
    if (kStopSignals[i] == signal) return gIgnoredAtStart[i];
  }
  return false;
}

StopRequest::KeepPressing::KeepPressing() { gKeepPressing = gKeepPressing + 1; }

StopRequest::KeepPressing::~KeepPressing() { gKeepPressing = gKeepPressing - 1; }

void StopRequest::onInterrupt() { handle(SIGINT, nullptr); }

int StopRequest::signal() { return gRequested; }

bool StopRequest::beforeKey() { return gRequested != 0 && gKeepPressing == 0; }

void StopRequest::clear() { gRequested = 0; }

std::string StopRequest::signalName(int signal) {
  switch (signal) {
    case SIGINT:
      return "Ctrl-C";
    case SIGTERM:
      return "SIGTERM";
    case SIGHUP:
      return "SIGHUP";
    default:
      return "signal " + std::to_string(signal);
  }
}
