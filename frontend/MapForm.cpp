#include "frontend/MapForm.h"

#include <iostream>

#include "commandmodel/MenuMap.h"
#include "frontend/Conversions.h"
#include "process/ExitStatus.h"

namespace {

const char* const kUsage = "pmckeys: usage: pmckeys map [PLACE]";

}  // namespace

int runMap(const Words& words) {
  if (words.size() > 2) {
    std::cerr << kUsage << std::endl;
    return EXIT_USAGE;
  }
  std::string place = words.size() == 2 ? words[1] : "";
  Conversions::toUpper(place);
  if (words.size() == 2 && !MenuMap::isPlace(place)) {
    std::cerr << "pmckeys: map: unknown place <" << words[1] << ">" << std::endl << kUsage << std::endl;
    return EXIT_NOT_DONE;
  }
  MenuMap::write(std::cout, place);
  return EXIT_DONE;
}
