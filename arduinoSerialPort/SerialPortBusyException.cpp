#include "arduinoSerialPort/SerialPortBusyException.h"

SerialPortBusyException::SerialPortBusyException(const std::string& device)
    : fText("serial device <" + device + "> is busy: another program is using it") {}
