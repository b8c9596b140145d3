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

std::string Conversions::shown(const std::string& text, Shown what) {
  std::size_t end = text.size();
  if (what == Shown::Word && end > WORD_SHOWN) {
    end = WORD_SHOWN;
    // A UTF-8 character is at most four bytes: at most three continue it.
    for (int back = 0; back < 3 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80; ++back) --end;
  }
  static const char kHex[] = "0123456789abcdef";
  std::string out;
  for (std::size_t i = 0; i < end; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c >= 0x20 && c != 0x7f) {
      out += static_cast<char>(c);
    } else {
      out += {'\\', 'x', kHex[c >> 4], kHex[c & 0xf]};
    }
  }
  return end < text.size() ? out + "\xE2\x80\xA6" : out;  // U+2026
}
