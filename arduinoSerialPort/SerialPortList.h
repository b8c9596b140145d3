// SerialPortList: the serial devices a board is likely to be on, found by
// name only: nothing is opened (opening a line resets the board).
//
// The name patterns are the platform's (serial devices are named one way on
// Linux and another on macOS); the platform file is chosen by the build.
#ifndef PMCKEYS_ARDUINOSERIALPORT_SERIALPORTLIST_H
#define PMCKEYS_ARDUINOSERIALPORT_SERIALPORTLIST_H

#include <string>
#include <vector>

class SerialPortList {
public:
  // Devices below devRoot ("/dev" in use; a test gives a folder of its own),
  // one entry per device: "STABLE-NAME (DEVICE)" where a stable name links
  // to it, else "DEVICE". Sorted.
  static std::vector<std::string> find(const std::string& devRoot);

private:
  // Glob patterns relative to devRoot, stable names first.
  static std::vector<std::string> stableNamePatterns();
  static std::vector<std::string> devicePatterns();
};

#endif
