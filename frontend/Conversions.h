// Conversions: the text and number conversions shared by the command line,
// the key engine and the key ports, and the one way pmckeys' own messages
// show a word or a file name. Stateless; every operation is static.
//
// None of them reports bad input: a text that holds no number where one
// should begin (or a number outside the range of int) converts to 0, which
// every caller already treats as "no valid value" (no key has code 0, no
// channel or pedal is numbered 0).
#ifndef PMCKEYS_FRONTEND_CONVERSIONS_H
#define PMCKEYS_FRONTEND_CONVERSIONS_H

#include <cstddef>
#include <string>

class Conversions {
public:
  // How much of a word a message shows.
  static constexpr std::size_t WORD_SHOWN = 64;
  enum class Shown { Word, FileName };

  // Decimal: leading blanks skipped, optional sign, digits up to the first
  // non-digit; the rest of the text is ignored.
  static int str2int(const std::string& text);
  // As str2int, hexadecimal, with an optional "0x"/"0X" prefix.
  static int hexStr2int(const std::string& text);
  static std::string int2str(int value);
  // Folds a to z to upper case in place; every other byte, including the
  // bytes of non-ASCII characters, stays as it is.
  static void toUpper(std::string& text);
  // A word or file name as pmckeys' messages and result lines show it: each
  // byte 0x00 to 0x1f and 0x7f as \x and two lowercase hex digits, so that
  // none can end, split or rewrite the line; a word longer than WORD_SHOWN
  // bytes cut to its first WORD_SHOWN (less the start of a UTF-8 character
  // the cut would split) and marked with "…". A file name is never cut.
  static std::string shown(const std::string& text, Shown what = Shown::Word);
};

#endif
