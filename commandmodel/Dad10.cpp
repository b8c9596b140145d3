#include "commandmodel/Dad10.h"

#include <iostream>
#include <sstream>
#include <utility>

#include "commandmodel/CommandTable.h"
#include "frontend/Conversions.h"
#include "ports/HardwarePort.h"
#include "ports/HardwarePortFactory.h"

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
    : fInitSucceeded(port != nullptr && port->initSucceeded()), fPort(port) {
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
  const Keys keys = expand(std::move(token));
  for (const std::string& warning : keys.warnings) std::cerr << warning << std::endl;
  for (int code : keys.codes) {
    pressKey(code);
    if (record) recordWayBack(code, fTrail);
  }
  return keys.warnings.empty();
}

namespace {

const int FIRST_KEY = 0xf0;
const int LAST_KEY = 0xfe;

// Only a hex token decodes to a code that no front-panel key has; pressing
// it would put on the line what no key press sends.
std::string noKeyWarning(int code) {
  std::ostringstream text;
  text << "WARNING: no key has the code <0x" << std::hex << code << ">";
  return text.str();
}

void expandInto(std::string token, Dad10::Keys& keys) {
  Conversions::toUpper(token);
  const int code = Dad10::decodeSingleToken(token);
  if (code != 0 && (code < FIRST_KEY || code > LAST_KEY)) {
    keys.warnings.push_back(noKeyWarning(code));
  } else if (code != 0) {
    keys.codes.push_back(code);
  }
  if (code != 0) return;
  const std::string expansion = Dad10::decodeCompound(token);
  if (expansion.empty()) {
    keys.warnings.push_back("WARNING: unknown command: <" + token + ">");
    return;
  }
  std::istringstream words(expansion);
  std::string word;
  while (words >> word) expandInto(word, keys);
}

}  // namespace

Dad10::Keys Dad10::expand(std::string token) {
  if (fgPmcKeyMap.empty()) initMap();
  Keys keys;
  expandInto(std::move(token), keys);
  return keys;
}

void Dad10::recordWayBack(int code, std::list<std::string>& trail) {
  if (code == KeyCode::MENU) trail.push_front("PREV");
  if (code == KeyCode::ENTER) {
    trail.push_front("ENTER");
    trail.push_front("PREV");
  }
}

std::list<std::string> Dad10::wayBack(const std::list<std::string>& trail) {
  std::list<std::string> tokens = trail;
  tokens.push_back("ENTER");
  return tokens;
}

void Dad10::displayTrail() {
  for (const std::string& token : fTrail) std::cout << token << " ";
  std::cout << " ENTER";
}

void Dad10::returnFromTrail() {
  const std::list<std::string> tokens = wayBack(fTrail);
  fPort->sleepMs(RETURN_PAUSE_MS);
  pressSequence(tokens.begin(), tokens.end(), false, false);
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
