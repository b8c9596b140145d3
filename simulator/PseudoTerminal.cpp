#include "simulator/PseudoTerminal.h"

#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <termios.h>
#include <unistd.h>

#include <stdexcept>

namespace {

[[noreturn]] void fail(const char* what) { throw std::runtime_error(std::string(what) + ": " + strerror(errno)); }

}  // namespace

PseudoTerminal::PseudoTerminal() {
  fMaster = posix_openpt(O_RDWR | O_NOCTTY);
  if (fMaster == -1) fail("posix_openpt");
  if (grantpt(fMaster) != 0 || unlockpt(fMaster) != 0) fail("grantpt/unlockpt");
  const char* name = ptsname(fMaster);
  if (name == nullptr) fail("ptsname");
  fSlavePath = name;
  fSlaveHold = open(name, O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (fSlaveHold == -1) fail("open slave");
  // Raw from the start, as a board's line is: in the default echo mode the
  // line would send each reply back to the board.
  struct termios settings;
  if (tcgetattr(fSlaveHold, &settings) != 0) fail("tcgetattr");
  cfmakeraw(&settings);
  if (tcsetattr(fSlaveHold, TCSANOW, &settings) != 0) fail("tcsetattr");
  if (tcgetattr(fSlaveHold, &fRaw) != 0) fail("tcgetattr");
  fcntl(fMaster, F_SETFL, fcntl(fMaster, F_GETFL) | O_NONBLOCK);
  // A client started from here must not hold the board's end open too, or
  // hangUp() would not reach it.
  fcntl(fMaster, F_SETFD, FD_CLOEXEC);
  fcntl(fSlaveHold, F_SETFD, FD_CLOEXEC);
}

PseudoTerminal::~PseudoTerminal() {
  hangUp();
  if (fSlaveHold != -1) close(fSlaveHold);
}

bool PseudoTerminal::settingsChanged() const {
  struct termios now;
  if (tcgetattr(fSlaveHold, &now) != 0) return false;
  return now.c_iflag != fRaw.c_iflag || now.c_oflag != fRaw.c_oflag || now.c_cflag != fRaw.c_cflag ||
         now.c_lflag != fRaw.c_lflag || cfgetispeed(&now) != cfgetispeed(&fRaw) ||
         cfgetospeed(&now) != cfgetospeed(&fRaw) || memcmp(now.c_cc, fRaw.c_cc, sizeof now.c_cc) != 0;
}

void PseudoTerminal::hangUp() {
  if (fMaster != -1) close(fMaster);
  fMaster = -1;
}
