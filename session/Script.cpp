#include "session/Script.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>

#include "frontend/Conversions.h"

namespace {

std::vector<std::string> split(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> words;
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

const std::size_t kLargest = std::size_t{1024} * 1024;

// Reads at most one byte past the limit, so that /dev/zero or a runaway
// pipe cannot fill the memory. False when the stream failed.
bool readAtMost(std::istream& in, std::string& text) {
  char chunk[8192];
  while (text.size() <= kLargest && in.read(chunk, sizeof chunk)) text.append(chunk, sizeof chunk);
  if (text.size() <= kLargest) text.append(chunk, static_cast<std::size_t>(in.gcount()));
  return !in.bad();
}

}  // namespace

std::vector<std::string> Script::command(const std::string& text) {
  std::vector<std::string> words = split(text);
  words.erase(std::find_if(words.begin(), words.end(), [](const std::string& word) { return word[0] == '#'; }),
              words.end());
  return words;
}

std::vector<Script::Line> Script::parse(std::istream& in) {
  std::vector<Line> lines;
  int number = 0;
  for (std::string text; std::getline(in, text);) {
    ++number;
    std::vector<std::string> words = command(text);
    if (!words.empty()) lines.push_back({number, std::move(words)});
  }
  return lines;
}

bool Script::read(const std::string& file, std::vector<Line>& lines, std::string& error) {
  std::string text;
  std::ifstream named;
  if (file != "-") named.open(file, std::ios::binary);
  std::istream& in = file == "-" ? std::cin : named;
  if ((file != "-" && !named.is_open()) || !readAtMost(in, text)) {
    error = "cannot read the script <" + Conversions::shown(file, Conversions::Shown::FileName) + ">: " +
            std::strerror(errno);
    return false;
  }
  if (text.size() > kLargest) {
    error = "the script <" + Conversions::shown(file, Conversions::Shown::FileName) + "> is larger than 1 MiB: refused";
    return false;
  }
  const std::string byteOrderMark = "\xEF\xBB\xBF";  // UTF-8's, which some editors put first
  std::istringstream content(text.compare(0, 3, byteOrderMark) == 0 ? text.substr(3) : text);
  lines = parse(content);
  return true;
}
