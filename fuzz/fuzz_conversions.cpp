// Conversions: numbers read from any text, and case folding of any bytes.
#include <cctype>
#include <cstdlib>
#include <string>

#include "frontend/Conversions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  for (int value : {Conversions::str2int(text), Conversions::hexStr2int(text)}) {
    if (Conversions::str2int(Conversions::int2str(value)) != value) abort();
  }
  std::string upper = text;
  Conversions::toUpper(upper);
  if (upper.size() != text.size()) abort();
  for (std::size_t i = 0; i < text.size(); ++i) {
    const unsigned char before = static_cast<unsigned char>(text[i]), after = static_cast<unsigned char>(upper[i]);
    const bool lower = before >= 'a' && before <= 'z';
    if (after != (lower ? before - 'a' + 'A' : before)) abort();
  }
  return 0;
}
