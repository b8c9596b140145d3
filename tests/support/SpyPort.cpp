#include "tests/support/SpyPort.h"

void SpyPort::send(int keyCode) {
  fCalls.push_back("send " + std::to_string(keyCode));
  if (keyCode == 255) return;
  fKeys.push_back(keyCode);
  const MenuModel::Move move = fModel.press(keyCode);
  if (!move.performed.empty()) fPerformed.push_back(move.performed);
}

void SpyPort::clear() {
  fCalls.clear();
  fKeys.clear();
  fPerformed.clear();
  fModel = MenuModel();
}
