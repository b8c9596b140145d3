// The serial line driver: free functions over a POSIX file descriptor that
// open and configure a serial device, write to it and read from it up to a
// delimiter. They never throw; they report failure through their result
// (and, when opening fails, one perror line on standard error).
#ifndef PMCKEYS_ARDUINOSERIALPORT_SERIALPORT_H
#define PMCKEYS_ARDUINOSERIALPORT_SERIALPORT_H

// Results other than a descriptor or 0.
enum {
  SERIALPORT_ERROR = -1,     // open, configure, write or read failed
  SERIALPORT_TIMEOUT = -2,   // the delimiter did not come in time
  SERIALPORT_OVERFLOW = -3,  // the buffer filled up before the delimiter
  SERIALPORT_BUSY = -4,      // another process holds the device
};

// Opens the device read/write and non-blocking, takes an exclusive lock on
// it and sets it to 8N1 raw at the given rate. Returns the descriptor, or
// SERIALPORT_ERROR / SERIALPORT_BUSY.
int serialport_init(const char* port, int baudrate);

// Discards what has arrived on the line and not been read: noise, or a
// banner the board printed at reset, which would otherwise be taken for the
// reply to the first key. 0, or SERIALPORT_ERROR (with one perror line).
int serialport_discard_input(int fd);

// 0 when the whole NUL-terminated string (or the one byte) was written in
// one write, else SERIALPORT_ERROR.
int serialport_write(int fd, const char* str);
int serialport_writebyte(int fd, unsigned char byte);

// Reads one byte if one is waiting, without waiting for one: 1 when *byte
// holds it, 0 when nothing has come, SERIALPORT_ERROR when the read failed
// or the line has hung up.
int serialport_read_byte(int fd, char* byte);

// Reads one byte at a time into buf until the byte `until` has been read,
// then NUL-terminates. While nothing is waiting it polls every 10 ms, for at
// most timeoutMs milliseconds. bufsize counts the terminating NUL.
// Returns 0, or SERIALPORT_ERROR / SERIALPORT_TIMEOUT / SERIALPORT_OVERFLOW.
int serialport_read_until(int fd, char* buf, char until, int bufsize, int timeoutMs);

#endif
