// RealClock: pauses that take the time they name, whatever signals arrive
// meanwhile, and the system's monotonic time. One instance serves every
// port; it holds no state.
#ifndef PMCKEYS_ARDUINOSERIALPORT_REALCLOCK_H
#define PMCKEYS_ARDUINOSERIALPORT_REALCLOCK_H

#include "arduinoSerialPort/Clock.h"

class RealClock : public Clock {
public:
  static const RealClock& instance();
  void pause(int ms) const override;
  long long nowUs() const override;
};

#endif
