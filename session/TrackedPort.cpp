#include "session/TrackedPort.h"

#include "commandmodel/Dad10.h"
#include "process/StopRequest.h"

TrackedPort::TrackedPort(HardwarePort* behind) : fBehind(behind) {}

void TrackedPort::send(int keyCode) {
  if (keyCode != Dad10::RELEASE_KEY) {
    if (fBehind && StopRequest::beforeKey()) throw StopRequest::Stopped(StopRequest::signal());
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
