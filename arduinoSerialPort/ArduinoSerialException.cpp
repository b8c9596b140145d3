#include "arduinoSerialPort/ArduinoSerialException.h"

ArduinoSerialException::ArduinoSerialException(const std::string& message)
    : fMessage(message), fText("ArduinoSerial failed:" + message) {}

SerialPortBusyException::SerialPortBusyException(const std::string& device)
    : fText("serial device <" + device + "> is busy: another program is using it") {}
