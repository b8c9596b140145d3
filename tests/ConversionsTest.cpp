#include <gtest/gtest.h>

#include "frontend/Conversions.h"

namespace {

struct NumberCase { const char* text; int decimal; int hex; };

TEST(Conversions, ReadsNumbersAndGivesZeroWhereNoneBegins) {
  const NumberCase cases[] = {
      {"42", 42, 0x42},       {"  42", 42, 0x42},      {"-3", -3, -3},        {"12ab", 12, 0x12ab},
      {"0XFB", 0, 0xfb},      {"0xfb", 0, 0xfb},       {"fb", 0, 0xfb},       {"F0", 0, 0xf0},
      {"", 0, 0},             {"x1", 0, 0},            {"0xzz", 0, 0},        {"+7", 7, 7},
      {"2147483647", 2147483647, 0}, {"2147483648", 0, 0}, {"-2147483649", 0, 0}, {"99999999999", 0, 0},
      {"7fffffff", 7, 0x7fffffff},   {"100000000", 100000000, 0},
  };
  for (const NumberCase& c : cases) {
    EXPECT_EQ(Conversions::str2int(c.text), c.decimal) << "str2int of <" << c.text << ">";
    EXPECT_EQ(Conversions::hexStr2int(c.text), c.hex) << "hexStr2int of <" << c.text << ">";
  }
}

TEST(Conversions, FoldsOnlyAsciiLettersToUpperCase) {
  const std::pair<std::string, std::string> cases[] = {
      {"menu", "MENU"}, {"n-on", "N-ON"}, {"0xfb", "0XFB"}, {"+-09", "+-09"},
      {"\xc3\xa4", "\xc3\xa4"},  // UTF-8 a-umlaut: bytes above 127 stay as they are
      {"r\xff" "d", "R\xff" "D"},
  };
  for (const auto& c : cases) {
    std::string text = c.first;
    Conversions::toUpper(text);
    EXPECT_EQ(text, c.second);
  }
}

}  // namespace
