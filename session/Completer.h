// Completer: Tab completion of the console, free of any line editor. The
// first word of a line may be a command keyword, a session form or a token;
// later words are tokens, except after a form whose one argument is one of
// a list of words (map's places). The completed part is in upper case when every
// letter typed so far is, otherwise in lower case; what was typed stays.
#ifndef PMCKEYS_SESSION_COMPLETER_H
#define PMCKEYS_SESSION_COMPLETER_H

#include <map>
#include <string>
#include <vector>

class Completer {
public:
  struct Completion {
    std::string insert;                // what to add at the cursor
    std::vector<std::string> choices;  // the words that fit, when more than one does
  };

  // The tool's own tables: key names and compound commands, the command
  // words (keywords, session forms) that may stand first, and the words
  // some of them take as their one argument, by command word.
  explicit Completer(const std::vector<std::string>& commandWords,
                     std::map<std::string, std::vector<std::string>> arguments = {});

  // before: the line's text up to the cursor.
  Completion complete(const std::string& before) const;

private:
  // The words that may stand where the cursor is, start: where its word begins.
  const std::vector<std::string>& candidates(const std::string& before, std::size_t start) const;

  std::vector<std::string> fFirst;  // upper case, sorted
  std::vector<std::string> fLater;
  std::map<std::string, std::vector<std::string>> fArguments;
};

#endif
