#include "ports/FakeHardwarePort.h"

#include <iostream>
#include <map>
#include <sstream>

#include "frontend/Conversions.h"

namespace {

std::map<int, std::string> keyMap;

// One line per key name, by ascending code; a code with two names gets both,
// joined by "/" in line order.
int dummy() {
  static const char* const lines[] = {
      "9                    -> 0xf0", "MODE                 -> 0xf0",
      "1                    -> 0xf1", "PC                   -> 0xf1",
      "5                    -> 0xf2", "CP                   -> 0xf2",
      "ENTER                -> 0xf3", "7                    -> 0xf4",
      "PB                   -> 0xf4", "PREV                 -> 0xf5",
      "SEND                 -> 0xf5", "3                    -> 0xf6",
      "N-ON                 -> 0xf6", "+                    -> 0xf7",
      "SET                  -> 0xf7", "8                    -> 0xf8",
      "SYS                  -> 0xf8", "0                    -> 0xf9",
      "4                    -> 0xfa", "KP                   -> 0xfa",
      "MENU                 -> 0xfb", "NEXT                 -> 0xfb",
      "6                    -> 0xfc", "N-OFF                -> 0xfc",
      "-                    -> 0xfd", "BANK                 -> 0xfd",
      "2                    -> 0xfe", "CC                   -> 0xfe",
      "RELEASE              -> 0xff",
  };
  for (const char* line : lines) {
    std::istringstream in(line);
    std::string name;
    std::string arrow;
    int code = 0;
    in >> name >> arrow >> std::hex >> code;
    auto found = keyMap.find(code);
    if (found == keyMap.end()) {
      keyMap[code] = name;
    } else {
      found->second += "/" + name;
    }
  }
  return 1;
}

const int dummyVar = dummy();

}  // namespace

FakeHardwarePort* FakeHardwarePort::fgInstance = nullptr;

FakeHardwarePort* FakeHardwarePort::instance() {
  if (fgInstance == nullptr) fgInstance = new FakeHardwarePort();
  return fgInstance;
}

FakeHardwarePort::FakeHardwarePort() : fSucceeded(true) {
  (void)dummyVar;
  std::cerr << "creating FakeHardwarePort" << std::endl;
}

FakeHardwarePort::~FakeHardwarePort() {
  std::cerr << "deleting FakeHardwarePort: " << fSequence << std::endl;
  // A later instance() starts a new recording port instead of handing out
  // the destroyed one.
  if (fgInstance == this) fgInstance = nullptr;
}

void FakeHardwarePort::send(int keyCode) {
  fSequence += " ";
  auto found = keyMap.find(keyCode);
  if (found != keyMap.end()) {
    fSequence += found->second;
  } else {
    fSequence += " unknown key: <" + Conversions::int2str(keyCode) + ">";
  }
}

std::string FakeHardwarePort::getSequence() const { return "This is what I sent:" + fSequence; }
