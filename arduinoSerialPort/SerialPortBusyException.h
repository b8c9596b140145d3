// SerialPortBusyException: the serial device is held by another process
// (another pmckeys run, say), so nothing may be sent on it. Its what() names
// the device.
//
// Kept apart from ArduinoSerialException on purpose: a busy device is no
// reason to fall back to the recording port, so the serial key port, which
// catches ArduinoSerialException while opening, lets this one pass.
#ifndef PMCKEYS_ARDUINOSERIALPORT_SERIALPORTBUSYEXCEPTION_H
#define PMCKEYS_ARDUINOSERIALPORT_SERIALPORTBUSYEXCEPTION_H

#include <exception>
#include <string>

class SerialPortBusyException : public std::exception {
public:
  explicit SerialPortBusyException(const std::string& device);
  const char* what() const noexcept override { return fText.c_str(); }

private:
  std::string fText;
};

#endif
