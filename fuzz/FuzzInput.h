// Splits a fuzzer's bytes into the words of a command line: words end at a
// NUL or a line end. Bounded, so that one input cannot press for minutes.
#ifndef PMCKEYS_FUZZ_FUZZINPUT_H
#define PMCKEYS_FUZZ_FUZZINPUT_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

inline std::vector<std::string> splitWords(const uint8_t* data, std::size_t size, std::size_t maxWords) {
  std::vector<std::string> words(1);
  for (std::size_t i = 0; i < size && words.size() <= maxWords; ++i) {
    const char c = static_cast<char>(data[i]);
    if (c == '\0' || c == '\n') {
      words.emplace_back();
    } else {
      words.back() += c;
    }
  }
  if (words.size() > maxWords) words.resize(maxWords);
  return words;
}

#endif
