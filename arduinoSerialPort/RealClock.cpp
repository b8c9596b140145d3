#include "arduinoSerialPort/RealClock.h"

#include <errno.h>
#include <time.h>

const RealClock& RealClock::instance() {
  static const RealClock clock;
  return clock;
}

// nanosleep rather than usleep: usleep need not take a second or more, and a
// signal must not cut a documented pause short.
void RealClock::pause(int ms) const {
  if (ms <= 0) return;
  struct timespec rest;
  rest.tv_sec = ms / 1000;
  rest.tv_nsec = static_cast<long>(ms % 1000) * 1000000L;
  while (nanosleep(&rest, &rest) == -1 && errno == EINTR) {
  }
}

long long RealClock::nowUs() const {
  struct timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<long long>(now.tv_sec) * 1000000LL + now.tv_nsec / 1000;
}
