#include "simulator/SimulatedBoard.h"

#include <errno.h>
#include <poll.h>
#include <unistd.h>

#include <string>

#include "arduinoSerialPort/ArduinoSerialPort.h"
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
  if (fLine.master() == -1) {  // hung up: nothing will come
    usleep(static_cast<useconds_t>(timeoutMs) * 1000);
    return false;
  }
  struct pollfd pfd = {fLine.master(), POLLIN, 0};
  if (poll(&pfd, 1, timeoutMs) <= 0 || (pfd.revents & POLLIN) == 0) {
    if ((pfd.revents & (POLLHUP | POLLERR)) != 0) usleep(static_cast<useconds_t>(timeoutMs) * 1000);
    return false;
  }
  unsigned char c = 0;
  if (read(fLine.master(), &c, 1) != 1) return false;
  reception = Reception();
  reception.character = c;
  reception.keyCode = keyCodeOf(c);
  if (reception.keyCode != 0) {
    reception.keyName = keyDisplayName(reception.keyCode);
    usleep(HOLD_MS * 1000);
    reception.move = fModel.press(reception.keyCode);
    usleep(RELEASE_MS * 1000);
    reply();
  } else {
    reception.move.place = fModel.place();
  }
  return true;
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
