// macOS: the call-out (cu.) devices; the tty. ones wait for carrier detect.
// The names already carry the USB location, so there is no separate stable name.
#include "arduinoSerialPort/SerialPortList.h"

std::vector<std::string> SerialPortList::stableNamePatterns() { return {}; }

std::vector<std::string> SerialPortList::devicePatterns() { return {"cu.usbmodem*", "cu.usbserial*"}; }
