// ArduinoSerialException: the one exception of the serial line layer. Its
// what() is "ArduinoSerial failed:" followed by the message it was given.
#ifndef PMCKEYS_ARDUINOSERIALPORT_ARDUINOSERIALEXCEPTION_H
#define PMCKEYS_ARDUINOSERIALPORT_ARDUINOSERIALEXCEPTION_H

#include <exception>
#include <string>

class ArduinoSerialException : public std::exception {
public:
  explicit ArduinoSerialException(const std::string& message);
  ~ArduinoSerialException() noexcept override = default;
  const char* what() const noexcept override { return fText.c_str(); }

private:
  std::string fMessage;  // part of the class's interface although nothing here reads it
  std::string fText;  // owns what() for as long as the exception lives
};

#endif
