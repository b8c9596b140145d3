#include "arduinoSerialPort/ArduinoSerial.h"

#include <unistd.h>

#include <string>

#include "arduinoSerialPort/ArduinoSerialException.h"
#include "arduinoSerialPort/SerialPortBusyException.h"
#include "arduinoSerialPort/serialport.h"

ArduinoSerial::ArduinoSerial(const std::string& port, int baudrate) : fBaudrate(baudrate), fPort(port) {
  init();
}

void ArduinoSerial::init() {
  if (fFd >= 0) close(fFd);
  fFd = serialport_init(fPort.c_str(), fBaudrate);
  if (fFd == SERIALPORT_BUSY) {
    fFd = -1;
    throw SerialPortBusyException(fPort);
  }
  if (fFd == -1) throw ArduinoSerialException("serial port init failed");
}

void ArduinoSerial::discardInput() {
  if (serialport_discard_input(fFd) == -1) throw ArduinoSerialException("discardInput");
}

void ArduinoSerial::writeString(const std::string& text) {
  if (serialport_write(fFd, text.c_str()) == -1) throw ArduinoSerialException("writeString");
}

void ArduinoSerial::writeByte(unsigned char byte) {
  if (serialport_writebyte(fFd, byte) == -1) throw ArduinoSerialException("writeByte");
}

bool ArduinoSerial::readByte(char& byte) {
  const int result = serialport_read_byte(fFd, &byte);
  if (result == SERIALPORT_ERROR) throw ArduinoSerialException("readByte");
  return result == 1;
}

std::string ArduinoSerial::readUntil(char until, int timeoutMs) {
  char buffer[READ_BUFFER_SIZE];
  switch (serialport_read_until(fFd, buffer, until, READ_BUFFER_SIZE, timeoutMs)) {
    case 0: return std::string(buffer);
    case SERIALPORT_TIMEOUT:
      throw ArduinoSerialException("no reply from the board within " + std::to_string(REPLY_TIMEOUT_MS) +
                                   " ms");
    case SERIALPORT_OVERFLOW:
      throw ArduinoSerialException("reply of " + std::to_string(READ_BUFFER_SIZE - 1) +
                                   " bytes or more without a line end");
    default: throw ArduinoSerialException("writeString");
  }
}
