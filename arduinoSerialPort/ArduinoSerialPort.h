// ArduinoSerialPort: the key port that reaches the device's keypad through
// an Arduino board on a USB serial line. Every key code with a character
// becomes that one character on the line; the port then pauses 50 ms and
// reads the board's one-line reply, any line but `ready` (the answer to a
// probe, which may come late). The release code sends nothing.
//
// Owns its ArduinoSerial line object. Construction either opens the line,
// asks the board whether it is up (BoardProbe) or else gives it 2 s to
// start, and discards what the board printed meanwhile (initSucceeded()
// true), or, when the line cannot be opened, leaves the driver's perror line
// as the only word and initSucceeded() false. A device held by another run is no such failure: its
// SerialPortBusyException leaves the constructor, since a stand-in port
// would let the run go on as if nothing had been refused.
//
// Every pause goes through a Clock the port does not own: the real one,
// unless a test gives its own.
#ifndef PMCKEYS_ARDUINOSERIALPORT_ARDUINOSERIALPORT_H
#define PMCKEYS_ARDUINOSERIALPORT_ARDUINOSERIALPORT_H

#include <string>

#include "ports/HardwarePort.h"

class ArduinoSerial;
class Clock;

class ArduinoSerialPort : public HardwarePort {
public:
  static constexpr int BAUDRATE = 9600;
  // The longest wait for the board after opening the line, probes included.
  static constexpr int STARTUP_PAUSE_MS = 2000;
  static constexpr int REPLY_PAUSE_MS = 50;

  // The device named by $PMCKEYS_DEVICE when that is set and not empty,
  // otherwise the compiled-in default.
  static std::string defaultDevice();
  // The character sent for a key code, or "" when the code has none.
  static std::string keyCharacter(int keyCode);

  ArduinoSerialPort();
  ArduinoSerialPort(const std::string& port, int baudrate);
  ArduinoSerialPort(const std::string& port, int baudrate, const Clock& clock);
  ~ArduinoSerialPort() override;

  bool initSucceeded() const override { return fInitSucceeded; }
  void send(int keyCode) override;
  void sleepMs(int ms) const override;

  void init();
  // Part of the class's interface although nothing here calls them: the
  // line is chosen when the port is constructed.
  void setPort(const std::string& port);
  void setBaudrate(int baudrate);

private:
  void startBoard();
  void readReply();
  void fail();

  const Clock& fClock;
  ArduinoSerial* fSerial = nullptr;
  bool fInitSucceeded = false;
};

#endif
