#include "commandmodel/Dad10.h"

#include <iostream>
#include <sstream>

#include "frontend/Conversions.h"
#include "ports/HardwarePort.h"
#include "ports/HardwarePortFactory.h"

namespace {

const int MENU_KEY = 0xfb;
const int ENTER_KEY = 0xf3;

}  // namespace

Dad10* Dad10::fgInstance = nullptr;
std::map<std::string, int> Dad10::fgPmcKeyMap;
std::map<std::string, std::string> Dad10::fgPmcCompoundMap;

Dad10* Dad10::getInstance() {
  if (fgInstance == nullptr) fgInstance = new Dad10();
  return fgInstance;
}

Dad10* Dad10::setInstance(Dad10* dad10) {
  Dad10* replaced = fgInstance;
  fgInstance = dad10;
  return replaced;
}

Dad10::Dad10() : Dad10(HardwarePortFactory::instance()->createPort()) {}

Dad10::Dad10(HardwarePort* port)
    : fInitSucceeded(port != nullptr && port->initSucceeded()), fDelayMs(DEFAULT_DELAY_MS), fPort(port) {
  initMap();
  setDelayInMilliseconds(DEFAULT_DELAY_MS);
}

Dad10::~Dad10() { delete fPort; }

void Dad10::releaseKey() { fPort->send(RELEASE_KEY); }

void Dad10::innerPressKey(int code) {
  releaseKey();
  fPort->send(code);
  fPort->sleepMs(fDelayMs);
  releaseKey();
}

void Dad10::pressKey(int code) {
  innerPressKey(code);
  innerPressKey(RELEASE_KEY);
}

bool Dad10::pressKey(std::string token, bool record) {
  Conversions::toUpper(token);
  const int code = decodeSingleToken(token);
  if (code != 0) {
    pressKey(code);
    if (record && code == MENU_KEY) fTrail.push_front("PREV");
    if (record && code == ENTER_KEY) {
      fTrail.push_front("ENTER");
      fTrail.push_front("PREV");
    }
    return true;
  }
  const std::string expansion = decodeCompound(token);
  if (expansion.empty()) {
    std::cerr << "WARNING: unknown command: <" << token << ">" << std::endl;
    return false;
  }
  std::istringstream words(expansion);
  bool allKnown = true;
  std::string word;
  while (words >> word) {
    if (!pressKey(word, record)) allKnown = false;
  }
  return allKnown;
}

void Dad10::displayTrail() {
  for (const std::string& token : fTrail) std::cout << token << " ";
  std::cout << " ENTER";
}

void Dad10::returnFromTrail() {
  fTrail.push_back("ENTER");
  fPort->sleepMs(RETURN_PAUSE_MS);
  pressSequence(fTrail.begin(), fTrail.end(), false, false);
  fTrail.clear();
}

int Dad10::decodeSingleToken(const std::string& token) {
  if (token.size() > 2 && token.compare(0, 2, "0X") == 0) return Conversions::hexStr2int(token);
  return decodeDad10Key(token);
}

int Dad10::decodeDad10Key(const std::string& name) {
  auto found = fgPmcKeyMap.find(name);
  return found == fgPmcKeyMap.end() ? 0 : found->second;
}

std::string Dad10::decodeCompound(const std::string& name) {
  auto found = fgPmcCompoundMap.find(name);
  return found == fgPmcCompoundMap.end() ? std::string() : found->second;
}
