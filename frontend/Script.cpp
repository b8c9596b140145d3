#include "frontend/Script.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>

std::vector<std::string> Script::split(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> words;
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

std::vector<Script::Line> Script::parse(std::istream& in) {
  std::vector<Line> lines;
  int number = 0;
  for (std::string text; std::getline(in, text);) {
    ++number;
    std::vector<std::string> words = split(text);
    words.erase(std::find_if(words.begin(), words.end(), [](const std::string& word) { return word[0] == '#'; }),
                words.end());
    if (!words.empty()) lines.push_back({number, std::move(words)});
  }
  return lines;
}

bool Script::read(const std::string& file, std::vector<Line>& lines, std::string& error) {
  if (file == "-") {
    lines = parse(std::cin);
    if (!std::cin.bad()) return true;
    error = std::strerror(errno);
    return false;
  }
  std::ifstream in(file);
  if (in) lines = parse(in);
  if (in.is_open() && !in.bad()) return true;
  error = std::strerror(errno);
  return false;
}
