#include "arduinoSerialPort/SerialPortBusyException.h"

#include "frontend/Conversions.h"

SerialPortBusyException::SerialPortBusyException(const std::string& device)
    : fText("serial device <" + Conversions::shown(device, Conversions::Shown::FileName) +
            "> is busy: another program is using it") {}
