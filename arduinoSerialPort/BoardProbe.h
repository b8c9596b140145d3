// BoardProbe: asks the board on a line just opened whether it is up, so that
// the first key need not wait out the whole start-up pause. It sends PROBE at
// once and again every PROBE_INTERVAL_MS, at most MAX_PROBES times, until a
// line READY comes (ending in a line feed, or a carriage return and a line
// feed, as a sketch's Serial.println() sends it). Then it takes the answers
// to the probes still on their way (one line per probe sent, or until
// QUIET_MS pass without a byte); one that comes later still is read past by
// the key port, never taken for the reply to a key. A board that does not
// answer (a firmware without the probe, or a board still in its bootloader)
// gets the whole start-up pause, as it did before there was a probe.
//
// Works on a line and a clock it does not own; whoever calls it discards
// what is left on the line before the first key.
#ifndef PMCKEYS_ARDUINOSERIALPORT_BOARDPROBE_H
#define PMCKEYS_ARDUINOSERIALPORT_BOARDPROBE_H

#include <string>

class ArduinoSerial;
class Clock;

class BoardProbe {
public:
  // No key character, so a line that echoes it presses nothing.
  static constexpr char PROBE = '?';
  static constexpr const char* READY = "ready";
  static constexpr int PROBE_INTERVAL_MS = 100;
  static constexpr int MAX_PROBES = 20;
  static constexpr int QUIET_MS = 20;
  // How often the line is looked at while nothing comes.
  static constexpr int POLL_MS = 10;

  BoardProbe(ArduinoSerial& line, const Clock& clock) : fLine(line), fClock(clock) {}

  // Whether a line read from the board, with its line feed or without, is
  // READY: the answer to a probe, and never the reply to a key.
  static bool isReady(std::string line);

  // Probes until the board answers or waitMs have passed since the call.
  // True when it answered; false too when the line failed, which the next
  // use of the line reports.
  bool awaitReady(int waitMs);

private:
  bool probeUntilReady(long long openedUs, int waitMs);
  long long nextProbeUs(long long openedUs) const;
  void takeLateAnswers();
  int readWaiting(int answersWanted);
  void pauseUntil(long long atUs);

  ArduinoSerial& fLine;
  const Clock& fClock;
  std::string fPartLine;
  int fSent = 0;
  int fAnswers = 0;
};

#endif
