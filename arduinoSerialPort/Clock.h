// Clock: the pauses of the serial key port and the time they take: the
// board's start-up after the line opens, the wait before each reply, and the
// pauses the key engine asks for. An interface so it can be mocked out for
// tests; the port uses RealClock unless it is given another.
#ifndef PMCKEYS_ARDUINOSERIALPORT_CLOCK_H
#define PMCKEYS_ARDUINOSERIALPORT_CLOCK_H

class Clock {
public:
  virtual ~Clock() = default;
  // Returns after the given number of milliseconds.
  virtual void pause(int ms) const = 0;
  // Microseconds since a moment of the clock's choosing; never goes back,
  // and a pause moves it on by at least the pause.
  virtual long long nowUs() const = 0;
};

#endif
