#include "arduinoSerialPort/ArduinoSerialException.h"

ArduinoSerialException::ArduinoSerialException(const std::string& message)
    : fMessage(message), fText("ArduinoSerial failed:" + message) {}
