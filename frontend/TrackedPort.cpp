#include "frontend/TrackedPort.h"

#include <cstring>
#include <iterator>

#include "commandmodel/Dad10.h"

namespace {

const int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

volatile sig_atomic_t gStopRequested = 0;
volatile sig_atomic_t gKeepPressing = 0;

void onSignal(int signal) { TrackedPort::requestStop(signal); }

void handle(int signal, struct sigaction* saved) {
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_handler = onSignal;
  action.sa_flags = SA_RESTART;
  sigemptyset(&action.sa_mask);
  sigaction(signal, &action, saved);
}

}  // namespace

TrackedPort::StopSignals::StopSignals() {
  for (std::size_t i = 0; i < std::size(kStopSignals); ++i) handle(kStopSignals[i], &fSaved[i]);
}

TrackedPort::StopSignals::~StopSignals() {
  for (std::size_t i = 0; i < std::size(kStopSignals); ++i) sigaction(kStopSignals[i], &fSaved[i], nullptr);
}

TrackedPort::KeepPressing::KeepPressing() { gKeepPressing = gKeepPressing + 1; }

TrackedPort::KeepPressing::~KeepPressing() { gKeepPressing = gKeepPressing - 1; }

TrackedPort::TrackedPort(HardwarePort* behind) : fBehind(behind) {}

void TrackedPort::send(int keyCode) {
  if (keyCode != Dad10::RELEASE_KEY) {
    // a dry run has nothing to stop
    if (fBehind && gStopRequested != 0 && gKeepPressing == 0) throw Stopped(gStopRequested);
    ++fKeys;
  }
  if (fBehind) fBehind->send(keyCode);
  if (keyCode == Dad10::RELEASE_KEY) return;
  const std::string before = fModel.place();
  const std::string after = fModel.press(keyCode).place;
  if (after != before) fPlaces.push_back(after);
}

void TrackedPort::sleepMs(int ms) const {
  if (fBehind) fBehind->sleepMs(ms);
}

int TrackedPort::takeKeyCount() {
  const int keys = fKeys;
  fKeys = 0;
  return keys;
}

std::vector<std::string> TrackedPort::takePlaces() {
  std::vector<std::string> places;
  places.swap(fPlaces);
  return places;
}

void TrackedPort::requestStop(int signal) {
  if (gStopRequested == 0 || gStopRequested == SIGINT) gStopRequested = signal;
}

void TrackedPort::clearStop() { gStopRequested = 0; }

int TrackedPort::stopSignal() { return gStopRequested; }

std::string TrackedPort::signalName(int signal) {
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

void TrackedPort::stopOnInterrupt() { handle(SIGINT, nullptr); }
