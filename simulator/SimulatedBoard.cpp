#include "simulator/SimulatedBoard.h"

#include <errno.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string>

#include "arduinoSerialPort/ArduinoSerialPort.h"
#include "arduinoSerialPort/BoardProbe.h"
#include "commandmodel/CommandTable.h"
#include "simulator/PseudoTerminal.h"

namespace {

void writeAll(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
    } else if (n == -1 && errno != EINTR && errno != EAGAIN) {
      return;  // the line is gone; so is whoever would read the reply
    }
  }
}

}  // namespace

SimulatedBoard::SimulatedBoard(PseudoTerminal& line, Fault fault, int faultAfter)
    : fLine(line), fFault(fault), fFaultAfter(faultAfter) {}

int SimulatedBoard::keyCodeOf(unsigned char character) {
  for (int code = 0xf0; code <= 0xfe; ++code) {
    if (ArduinoSerialPort::keyCharacter(code) == std::string(1, static_cast<char>(character))) return code;
  }
  return 0;
}

bool SimulatedBoard::serveOne(int timeoutMs, Reception& reception) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  noticeOpen(false);
  unsigned char c = 0;
  while (waitForByte(until, c)) {
    noticeOpen(true);
    const bool inBootloader = std::chrono::steady_clock::now() < fUpAt;
    if (c == static_cast<unsigned char>(BoardProbe::PROBE)) {
      if (!inBootloader && fFault != Fault::NoReady) writeAll(fLine.master(), READY_REPLY);
      continue;
    }
    reception = Reception();
    reception.character = c;
    reception.lost = inBootloader;
    if (inBootloader) {
      reception.move.place = fModel.place();
    } else {
      serveKey(c, reception);
    }
    return true;
  }
  return false;
}

std::string SimulatedBoard::lostNote(const Reception& reception) {
  char shown[8];
  if (std::isprint(reception.character) != 0) {
    std::snprintf(shown, sizeof shown, "'%c'", reception.character);
  } else {
    std::snprintf(shown, sizeof shown, "0x%02x", reception.character);
  }
  return std::string(shown) + " lost: the board was still starting (opening the line reset it); nothing pressed, "
                              "no answer";
}

bool SimulatedBoard::waitForByte(std::chrono::steady_clock::time_point until, unsigned char& c) {
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
  const int leftMs = std::max(0, static_cast<int>(left.count()));
  if (fLine.master() == -1) {  // hung up: nothing will come
    usleep(static_cast<useconds_t>(leftMs) * 1000);
    return false;
  }
  struct pollfd pfd = {fLine.master(), POLLIN, 0};
  if (poll(&pfd, 1, leftMs) <= 0 || (pfd.revents & POLLIN) == 0) {
    if ((pfd.revents & (POLLHUP | POLLERR)) != 0) usleep(static_cast<useconds_t>(leftMs) * 1000);
    return false;
  }
  return read(fLine.master(), &c, 1) == 1;
}

// A change of the line settings is seen at the next call of serveOne(),
// which its caller makes every few tens of milliseconds at most.
void SimulatedBoard::noticeOpen(bool byteCame) {
  if (!fResetPending || !(byteCame || fLine.settingsChanged())) return;
  fResetPending = false;
  fUpAt = std::chrono::steady_clock::now() + std::chrono::milliseconds(RESET_MS);
}

void SimulatedBoard::serveKey(unsigned char c, Reception& reception) {
  reception.keyCode = keyCodeOf(c);
  if (reception.keyCode == 0) {
    reception.move.place = fModel.place();
    return;
  }
  reception.keyName = keyDisplayName(reception.keyCode);
  usleep(HOLD_MS * 1000);
  reception.move = fModel.press(reception.keyCode);
  usleep(RELEASE_MS * 1000);
  reply();
}

void SimulatedBoard::reply() {
  const bool faulty = fFault != Fault::None && fServed >= fFaultAfter;
  ++fServed;
  if (faulty && fFault == Fault::Silent) return;
  if (faulty && fFault == Fault::HangUp) {
    fLine.hangUp();
    return;
  }
  if (faulty && fFault == Fault::Overlong) {
    writeAll(fLine.master(), std::string(300, 'x'));
    return;
  }
  writeAll(fLine.master(), REPLY);
}
