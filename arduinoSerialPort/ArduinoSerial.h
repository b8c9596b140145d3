// ArduinoSerial: one serial line, by device path and baud rate. Turns every
// failure of the serial driver functions into an ArduinoSerialException,
// but a device held by another process into a SerialPortBusyException.
//
// The descriptor stays open until the process ends or init() opens the
// device again; init() closes it first, so that a line opened again does
// not trip over the lock its own first descriptor holds.
#ifndef PMCKEYS_ARDUINOSERIALPORT_ARDUINOSERIAL_H
#define PMCKEYS_ARDUINOSERIALPORT_ARDUINOSERIAL_H

#include <string>

class ArduinoSerial {
public:
  static constexpr int READ_BUFFER_SIZE = 256;
  // How long the board may take to answer a key, and readUntil()'s wait
  // unless it is given a shorter one.
  static constexpr int REPLY_TIMEOUT_MS = 2000;

  ArduinoSerial() = default;
  // Opens the device at once; throws when that fails.
  ArduinoSerial(const std::string& port, int baudrate);

  // Part of the class's interface although nothing here calls them: the
  // line is chosen when it is constructed.
  void setPort(const std::string& port) { fPort = port; }
  void setBaudrate(int baudrate) { fBaudrate = baudrate; }

  void init();
  void discardInput();
  void writeString(const std::string& text);
  void writeByte(unsigned char byte);
  // A byte that has come, without waiting for one: false when none has.
  bool readByte(char& byte);
  // The text read, delimiter included, waiting at most timeoutMs for it; a
  // timeout is reported as the board's REPLY_TIMEOUT_MS run out, since a
  // shorter wait is what is left of that.
  std::string readUntil(char until, int timeoutMs = REPLY_TIMEOUT_MS);

private:
  int fFd = -1;
  int fBaudrate = 9600;
  std::string fPort;
};

#endif
