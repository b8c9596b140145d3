#include "arduinoSerialPort/BoardProbe.h"

#include <algorithm>

#include "arduinoSerialPort/ArduinoSerial.h"
#include "arduinoSerialPort/ArduinoSerialException.h"
#include "arduinoSerialPort/Clock.h"

bool BoardProbe::isReady(std::string line) {
  if (!line.empty() && line.back() == '\n') line.pop_back();
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line == READY;
}

bool BoardProbe::awaitReady(int waitMs) {
  // Whatever came before the open (an answer to an earlier run's probe)
  // answers none of these.
  fLine.discardInput();
  const long long openedUs = fClock.nowUs();
  try {
    if (!probeUntilReady(openedUs, waitMs)) return false;
    takeLateAnswers();
    return true;
  } catch (const ArduinoSerialException&) {
    return false;
  }
}

bool BoardProbe::probeUntilReady(long long openedUs, int waitMs) {
  const long long giveUpUs = openedUs + waitMs * 1000LL;
  for (;;) {
    const long long nowUs = fClock.nowUs();
    if (fSent < MAX_PROBES && nowUs >= nextProbeUs(openedUs)) {
      fLine.writeByte(static_cast<unsigned char>(PROBE));
      ++fSent;
    }
    readWaiting(1);
    if (fAnswers > 0) return true;
    if (nowUs >= giveUpUs) return false;
    const long long nextUs = fSent < MAX_PROBES ? std::min(giveUpUs, nextProbeUs(openedUs)) : giveUpUs;
    pauseUntil(std::min(nextUs, nowUs + POLL_MS * 1000LL));
  }
}

long long BoardProbe::nextProbeUs(long long openedUs) const {
  return openedUs + static_cast<long long>(fSent) * PROBE_INTERVAL_MS * 1000LL;
}

// A probe sent just before the first answer came may be answered too: that
// answer must not wait on the line to be read as the first key's reply.
void BoardProbe::takeLateAnswers() {
  long long lastByteUs = fClock.nowUs();
  while (fAnswers < fSent) {
    if (readWaiting(fSent) > 0) {
      lastByteUs = fClock.nowUs();
      continue;
    }
    const long long quietEndUs = lastByteUs + QUIET_MS * 1000LL;
    const long long nowUs = fClock.nowUs();
    if (nowUs >= quietEndUs) return;
    pauseUntil(std::min(quietEndUs, nowUs + POLL_MS * 1000LL));
  }
}

// Reads what has come, byte by byte, until answersWanted READY lines have
// been counted; the rest stays on the line. Returns the bytes read.
int BoardProbe::readWaiting(int answersWanted) {
  int bytes = 0;
  char c = 0;
  while (fAnswers < answersWanted && fLine.readByte(c)) {
    ++bytes;
    if (c != '\n') {
      // A board that sends no line ends is no board that answers.
      if (fPartLine.size() < static_cast<std::size_t>(ArduinoSerial::READ_BUFFER_SIZE)) fPartLine += c;
      continue;
    }
    if (isReady(fPartLine)) ++fAnswers;
    fPartLine.clear();
  }
  return bytes;
}

void BoardProbe::pauseUntil(long long atUs) {
  const long long waitUs = atUs - fClock.nowUs();
  if (waitUs > 0) fClock.pause(static_cast<int>((waitUs + 999) / 1000));
}
