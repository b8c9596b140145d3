#include "frontend/TrackedPort.h"

#include <signal.h>

#include <cstring>

#include "commandmodel/Dad10.h"

namespace {

volatile sig_atomic_t gStopRequested = 0;

void onInterrupt(int) { gStopRequested = 1; }

}  // namespace

TrackedPort::TrackedPort(HardwarePort* behind) : fBehind(behind) {}

void TrackedPort::send(int keyCode) {
  if (keyCode != Dad10::RELEASE_KEY) {
    if (fBehind && gStopRequested != 0) throw Stopped();  // a dry run has nothing to stop
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

void TrackedPort::requestStop() { gStopRequested = 1; }

void TrackedPort::clearStop() { gStopRequested = 0; }

void TrackedPort::stopOnInterrupt() {
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_handler = onInterrupt;
  action.sa_flags = SA_RESTART;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
}
