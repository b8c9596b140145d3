// The device model's tables: filling the maps and listing them.
#include <iomanip>
#include <iostream>

#include "commandmodel/CommandTable.h"
#include "commandmodel/Dad10.h"

void Dad10::initMap() {
  for (std::size_t i = 0; i < kKeyNameCount; ++i) fgPmcKeyMap[kKeyNames[i].name] = kKeyNames[i].code;
  for (std::size_t i = 0; i < kCompoundCommandCount; ++i) {
    fgPmcCompoundMap[kCompoundCommands[i].name] = kCompoundCommands[i].expansion;
  }
}

void Dad10::displayCommands() {
  for (const auto& key : fgPmcKeyMap) {
    std::cout << "  " << std::setw(20) << std::left << key.first << " -> 0x" << std::hex << key.second
              << std::dec << std::endl;
  }
  std::cout << std::endl << "  Compound commands" << std::endl;
  for (const auto& compound : fgPmcCompoundMap) {
    std::cout << "  " << std::setw(20) << std::left << compound.first << " -> " << compound.second
              << std::endl;
  }
}
