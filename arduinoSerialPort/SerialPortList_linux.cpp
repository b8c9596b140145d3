// Linux: USB CDC boards (an Arduino Uno) are ttyACM*, boards with a
// USB-serial chip ttyUSB*; udev adds stable names under serial/by-id.
#include "arduinoSerialPort/SerialPortList.h"

std::vector<std::string> SerialPortList::stableNamePatterns() { return {"serial/by-id/*"}; }

std::vector<std::string> SerialPortList::devicePatterns() { return {"ttyACM*", "ttyUSB*"}; }
