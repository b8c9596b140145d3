#include "session/Completer.h"

#include <algorithm>
#include <cctype>
#include <iterator>
#include <sstream>

#include "commandmodel/CommandTable.h"
#include "frontend/Conversions.h"

namespace {

// Upper case when every letter typed is a capital (and one was typed), else
// lower case: "EDITB" gives EDITBANK, "Editb" and "editb" give editbank.
std::string inCaseOf(const std::string& typed, std::string word) {
  const auto isLetter = [](char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; };
  const auto isLower = [](char c) { return std::islower(static_cast<unsigned char>(c)) != 0; };
  const bool upper = std::any_of(typed.begin(), typed.end(), isLetter) && std::none_of(typed.begin(), typed.end(), isLower);
  if (upper) return word;
  std::transform(word.begin(), word.end(), word.begin(),
                 [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
  return word;
}

std::size_t commonLength(const std::vector<std::string>& words) {
  std::size_t length = words.front().size();
  for (const std::string& word : words) {
    length = std::min(length, word.size());
    while (word.compare(0, length, words.front(), 0, length) != 0) --length;
  }
  return length;
}

}  // namespace

Completer::Completer(const std::vector<std::string>& commandWords,
                     std::map<std::string, std::vector<std::string>> arguments)
    : fArguments(std::move(arguments)) {
  for (std::size_t i = 0; i < kKeyNameCount; ++i) fLater.emplace_back(kKeyNames[i].name);
  for (std::size_t i = 0; i < kCompoundCommandCount; ++i) fLater.emplace_back(kCompoundCommands[i].name);
  fFirst = commandWords;
  fFirst.insert(fFirst.end(), fLater.begin(), fLater.end());
  std::vector<std::vector<std::string>*> lists = {&fFirst, &fLater};
  for (auto& form : fArguments) lists.push_back(&form.second);
  for (std::vector<std::string>* words : lists) {
    std::sort(words->begin(), words->end());
    words->erase(std::unique(words->begin(), words->end()), words->end());
  }
}

// A form that takes one word from a list takes nothing after it.
const std::vector<std::string>& Completer::candidates(const std::string& before, std::size_t start) const {
  static const std::vector<std::string> none;
  std::istringstream in(before.substr(0, start));
  std::vector<std::string> words{std::istream_iterator<std::string>(in), {}};
  if (words.empty()) return fFirst;
  Conversions::toUpper(words.front());
  const auto form = fArguments.find(words.front());
  if (form == fArguments.end()) return fLater;
  return words.size() == 1 ? form->second : none;
}

Completer::Completion Completer::complete(const std::string& before) const {
  const std::size_t start = before.find_last_of(" \t") == std::string::npos ? 0 : before.find_last_of(" \t") + 1;
  const std::string typed = before.substr(start);
  std::string upper = typed;
  Conversions::toUpper(upper);
  std::vector<std::string> fitting;
  for (const std::string& word : candidates(before, start)) {
    if (word.compare(0, upper.size(), upper) == 0) fitting.push_back(inCaseOf(typed, word));
  }
  Completion completion;
  if (fitting.empty()) return completion;
  const std::size_t common = commonLength(fitting);
  completion.insert = fitting.front().substr(typed.size(), common - typed.size());
  if (fitting.size() == 1) {
    completion.insert += " ";
  } else {
    completion.choices = fitting;
  }
  return completion;
}
