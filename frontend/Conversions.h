// Conversions: the text and number conversions shared by the command line,
// the key engine and the key ports. Stateless; every operation is static.
//
// None of them reports bad input: a text that holds no number where one
// should begin (or a number outside the range of int) converts to 0, which
// every caller already treats as "no valid value" (no key has code 0, no
// channel or pedal is numbered 0).
#ifndef PMCKEYS_FRONTEND_CONVERSIONS_H
#define PMCKEYS_FRONTEND_CONVERSIONS_H

#include <string>

class Conversions {
public:
  // Decimal: leading blanks skipped, optional sign, digits up to the first
  // non-digit; the rest of the text is ignored.
  static int str2int(const std::string& text);
  // As str2int, hexadecimal, with an optional "0x"/"0X" prefix.
  static int hexStr2int(const std::string& text);
  static std::string int2str(int value);
  // Folds a to z to upper case in place; every other byte, including the
  // bytes of non-ASCII characters, stays as it is.
  static void toUpper(std::string& text);
};

#endif
