#include "frontend/Conversions.h"

#include <cctype>
#include <ios>
#include <sstream>

namespace {

int readInt(const std::string& text, std::ios_base& (*base)(std::ios_base&)) {
  std::istringstream in(text);
  int value = 0;
  if (!(in >> base >> value)) return 0;  // no digits, or out of range
  return value;
}

}  // namespace

int Conversions::str2int(const std::string& text) { return readInt(text, std::dec); }

int Conversions::hexStr2int(const std::string& text) { return readInt(text, std::hex); }

std::string Conversions::int2str(int value) {
  std::ostringstream out;
  out << value;
  return out.str();
}

void Conversions::toUpper(std::string& text) {
  for (char& c : text) {
    // toupper is only defined for values of unsigned char (and EOF).
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
}
