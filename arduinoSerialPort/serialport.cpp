#include "arduinoSerialPort/serialport.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <stdio.h>
#include <string.h>
#include <sys/file.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

namespace {

const useconds_t EMPTY_READ_PAUSE_US = 10000;

speed_t speedFor(int baudrate) {
  switch (baudrate) {
    case 4800: return B4800;
    case 9600: return B9600;
#ifdef B14400
    case 14400: return B14400;
#endif
    case 19200: return B19200;
#ifdef B28800
    case 28800: return B28800;
#endif
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    // Platforms whose speed constants are the plain rates (macOS) take any
    // other rate as it is; elsewhere the driver rejects an unknown value.
    default: return static_cast<speed_t>(baudrate);
  }
}

void makeRaw(struct termios& toptions) {
  toptions.c_cflag &= ~(PARENB | CSTOPB | CSIZE | CRTSCTS | HUPCL);
  toptions.c_cflag |= CS8 | CREAD | CLOCAL;
  toptions.c_iflag &= ~(IXON | IXOFF | IXANY);
  toptions.c_lflag &= ~(ICANON | ECHO | ECHOE | ISIG);
  toptions.c_oflag &= ~OPOST;
  toptions.c_cc[VMIN] = 0;
  toptions.c_cc[VTIME] = 20;
}

int fail(int fd, const char* what) {
  perror(what);
  close(fd);
  return SERIALPORT_ERROR;
}

// A read that delivers nothing on a non-blocking line means end of file:
// the line has hung up when poll says so.
bool hungUp(int fd) {
  struct pollfd pfd = {fd, POLLIN, 0};
  return poll(&pfd, 1, 0) > 0 && (pfd.revents & (POLLHUP | POLLERR)) != 0;
}

// In nanoseconds: counted in whole milliseconds, a wait could end up to one
// short of the time it was given.
long long nowNs() {
  struct timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

}  // namespace

int serialport_init(const char* port, int baudrate) {
  const int fd = open(port, O_RDWR | O_NONBLOCK);
  if (fd == -1) {
    perror("init_serialport: Unable to open port ");
    return SERIALPORT_ERROR;
  }
  // Two runs pressing keys on one device would interleave them.
  // A device that cannot be locked at all (no lock support) is used as it is.
  if (flock(fd, LOCK_EX | LOCK_NB) == -1 && errno == EWOULDBLOCK) {
    close(fd);
    return SERIALPORT_BUSY;
  }
  struct termios toptions;
  if (tcgetattr(fd, &toptions) < 0) return fail(fd, "init_serialport: Couldn't get term attributes");
  const speed_t speed = speedFor(baudrate);
  cfsetispeed(&toptions, speed);
  cfsetospeed(&toptions, speed);
  makeRaw(toptions);
  if (tcsetattr(fd, TCSANOW, &toptions) < 0) return fail(fd, "init_serialport: Couldn't set term attributes");
  return fd;
}

int serialport_discard_input(int fd) {
  if (tcflush(fd, TCIFLUSH) == 0) return 0;
  perror("init_serialport: Couldn't discard pending input");
  return SERIALPORT_ERROR;
}

int serialport_write(int fd, const char* str) {
  const size_t len = strlen(str);
  ssize_t n;
  do {
    n = write(fd, str, len);
  } while (n == -1 && errno == EINTR);
  return n == static_cast<ssize_t>(len) ? 0 : SERIALPORT_ERROR;
}

int serialport_writebyte(int fd, unsigned char byte) {
  ssize_t n;
  do {
    n = write(fd, &byte, 1);
  } while (n == -1 && errno == EINTR);
  return n == 1 ? 0 : SERIALPORT_ERROR;
}

int serialport_read_byte(int fd, char* byte) {
  ssize_t n;
  do {
    n = read(fd, byte, 1);
  } while (n == -1 && errno == EINTR);
  if (n == 1) return 1;
  if (n == -1 && errno != EAGAIN && errno != EWOULDBLOCK) return SERIALPORT_ERROR;
  return n == 0 && hungUp(fd) ? SERIALPORT_ERROR : 0;
}

int serialport_read_until(int fd, char* buf, char until, int bufsize, int timeoutMs) {
  const long long deadline = nowNs() + timeoutMs * 1000000LL;
  int i = 0;
  while (i < bufsize - 1) {
    char b;
    const ssize_t n = read(fd, &b, 1);
    if (n == -1 && errno == EINTR) continue;
    if (n == -1 && errno != EAGAIN && errno != EWOULDBLOCK) return SERIALPORT_ERROR;
    if (n == 0 && hungUp(fd)) return SERIALPORT_ERROR;
    if (n != 1) {
      // Nothing waiting yet: poll again until the deadline. (A platform that
      // reports a hang-up only as end of file ends here too.)
      if (nowNs() >= deadline) return SERIALPORT_TIMEOUT;
      usleep(EMPTY_READ_PAUSE_US);
      continue;
    }
    buf[i++] = b;
    if (b == until) {
      buf[i] = '\0';
      return 0;
    }
  }
  if (bufsize > 0) buf[i] = '\0';
  return SERIALPORT_OVERFLOW;
}
