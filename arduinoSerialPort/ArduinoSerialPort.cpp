#include "arduinoSerialPort/ArduinoSerialPort.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <map>
#include <sstream>

#include "arduinoSerialPort/ArduinoSerial.h"
#include "arduinoSerialPort/ArduinoSerialException.h"
#include "arduinoSerialPort/BoardProbe.h"
#include "arduinoSerialPort/RealClock.h"

#ifndef PMCKEYS_DEFAULT_DEVICE
#define PMCKEYS_DEFAULT_DEVICE "/zov/odu.zezezuzid-I7007dor"
#endif

namespace {

std::map<int, std::string> keyMap;

// The board's character for each key, by ascending code.
int dummy() {
  static const std::string lines[] = {
      "9                    -> 0xf0", "1                    -> 0xf1", "5                    -> 0xf2",
      "E                    -> 0xf3", "7                    -> 0xf4", "S                    -> 0xf5",
      "3                    -> 0xf6", "+                    -> 0xf7", "8                    -> 0xf8",
      "0                    -> 0xf9", "4                    -> 0xfa", "M                    -> 0xfb",
      "6                    -> 0xfc", "-                    -> 0xfd", "2                    -> 0xfe",
  };
  for (const std::string& line : lines) {
    std::stringstream in(line, std::ios::in | std::ios::out);
    std::string character;
    std::string arrow;
    int code = 0;
    in >> character >> arrow >> std::hex >> code;
    keyMap[code] = character;
  }
  return 1;
}

const int dummyVar = dummy();

}  // namespace

std::string ArduinoSerialPort::defaultDevice() {
  const char* fromEnvironment = std::getenv("PMCKEYS_DEVICE");
  if (fromEnvironment != nullptr && *fromEnvironment != '\0') return fromEnvironment;
  return PMCKEYS_DEFAULT_DEVICE;
}

std::string ArduinoSerialPort::keyCharacter(int keyCode) {
  auto found = keyMap.find(keyCode);
  return found == keyMap.end() ? std::string() : found->second;
}

ArduinoSerialPort::ArduinoSerialPort() : ArduinoSerialPort(defaultDevice(), BAUDRATE) {}

ArduinoSerialPort::ArduinoSerialPort(const std::string& port, int baudrate)
    : ArduinoSerialPort(port, baudrate, RealClock::instance()) {}

ArduinoSerialPort::ArduinoSerialPort(const std::string& port, int baudrate, const Clock& clock) : fClock(clock) {
  (void)dummyVar;
  try {
    fSerial = new ArduinoSerial(port, baudrate);
    startBoard();
  } catch (const ArduinoSerialException&) {
    fail();
  }
}

ArduinoSerialPort::~ArduinoSerialPort() { delete fSerial; }

void ArduinoSerialPort::send(int keyCode) {
  auto found = keyMap.find(keyCode);
  if (found == keyMap.end() || fSerial == nullptr) return;
  fSerial->writeString(found->second);
  sleepMs(REPLY_PAUSE_MS);
  readReply();
}

// Any line but `ready` completes the key press: a `ready` answers a probe,
// and a board still starting may answer the probes later than the first
// key. The board has REPLY_TIMEOUT_MS for the reply, however many it sends.
void ArduinoSerialPort::readReply() {
  using std::chrono::milliseconds;
  using std::chrono::steady_clock;
  const steady_clock::time_point giveUp = steady_clock::now() + milliseconds(ArduinoSerial::REPLY_TIMEOUT_MS);
  for (;;) {
    const long long leftMs = std::chrono::ceil<milliseconds>(giveUp - steady_clock::now()).count();
    if (!BoardProbe::isReady(fSerial->readUntil('\n', static_cast<int>(std::max(leftMs, 0LL))))) return;
  }
}

void ArduinoSerialPort::sleepMs(int ms) const { fClock.pause(ms); }

void ArduinoSerialPort::init() {
  if (fSerial == nullptr) return;  // a failed port has no line left to open
  try {
    fSerial->init();
    startBoard();
  } catch (const ArduinoSerialException&) {
    fail();
  }
}

// Opening the line may reset the board; whatever it printed meanwhile is no
// reply to a key.
void ArduinoSerialPort::startBoard() {
  BoardProbe(*fSerial, fClock).awaitReady(STARTUP_PAUSE_MS);
  fSerial->discardInput();
  fInitSucceeded = true;
}

// The driver has said why on standard error.
void ArduinoSerialPort::fail() {
  delete fSerial;
  fSerial = nullptr;
  fInitSucceeded = false;
}

void ArduinoSerialPort::setPort(const std::string& port) {
  if (fSerial != nullptr) fSerial->setPort(port);
}

void ArduinoSerialPort::setBaudrate(int baudrate) {
  if (fSerial != nullptr) fSerial->setBaudrate(baudrate);
}
