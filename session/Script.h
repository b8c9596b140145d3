// Script: the commands of a script, one per line, each in a form of the
// command line: the line's words, split at white space (no quoting: no word
// of pmckeys contains a blank). A word starting with # begins a comment that
// runs to the end of the line; lines with no command are left out. Every
// command keeps its line number for the messages about it.
#ifndef PMCKEYS_SESSION_SCRIPT_H
#define PMCKEYS_SESSION_SCRIPT_H

#include <istream>
#include <string>
#include <vector>

class Script {
public:
  struct Line {
    int number;
    std::vector<std::string> words;
  };

  // The words of one line before its comment.
  static std::vector<std::string> command(const std::string& text);
  static std::vector<Line> parse(std::istream& in);
  // The commands of FILE, "-" meaning standard input, after a UTF-8
  // byte-order mark. False, with the message in error, when it cannot be
  // read or holds more than 1 MiB (read no further).
  static bool read(const std::string& file, std::vector<Line>& lines, std::string& error);
};

#endif
