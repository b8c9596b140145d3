// Completer: Tab completion of the console, free of any line editor. The
// first word of a line may be a command keyword, a session form or a token;
// later words are tokens. The completed part is in upper case when every
// letter typed so far is, otherwise in lower case; what was typed stays.
#ifndef PMCKEYS_SESSION_COMPLETER_H
#define PMCKEYS_SESSION_COMPLETER_H

#include <string>
#include <vector>

class Completer {
public:
  struct Completion {
    std::string insert;                // what to add at the cursor
    std::vector<std::string> choices;  // the words that fit, when more than one does
  };

  // The tool's own tables: key names and compound commands, and the
  // command words (keywords, session forms) that may stand first.
  explicit Completer(const std::vector<std::string>& commandWords);

  // before: the line's text up to the cursor.
  Completion complete(const std::string& before) const;

private:
  std::vector<std::string> fFirst;  // upper case, sorted
  std::vector<std::string> fLater;
};

#endif
