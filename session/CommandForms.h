// CommandForms: the forms of pmckeys' command line as one table, and the
// running of a command given as words by it: a keyword form, an option, or,
// where the first word names no form, a key sequence. The same table drives
// the dispatch of the command line's arguments, a script's lines, the
// console's, the --help screen, the shell completions and the manual, so
// none of them can name a form the tool does not have.
//
// The command line owns the table (frontend/CommandLine) and hands it to
// the scripts and the console it starts: they run a line's words exactly as
// the command line runs its arguments, without calling back up into it.
#ifndef PMCKEYS_SESSION_COMMANDFORMS_H
#define PMCKEYS_SESSION_COMMANDFORMS_H

#include <iosfwd>
#include <map>
#include <set>
#include <string>
#include <vector>

// A command's words: the first names the form, the rest are its arguments.
using Words = std::vector<std::string>;

struct CommandForm {
  enum Kind { KEYWORD, TRAIL_PREFIX, OPTION, SESSION };
  Kind kind;
  const char* word;      // keywords and prefixes in upper case (the first word is
                         // folded before comparing); options exactly as typed
  const char* alias;     // another spelling of an option, or null
  const char* synopsis;  // the form as --help shows it
  const char* summary;   // what it does, in a few words
  int (*run)(const Words& words);  // null for the session forms, which scripts and the console run
  int maxArgs;           // options: arguments allowed after the option itself
  // Scripts and the console: the form walks from performance mode (its keys
  // or its return are a way from there), so it is refused elsewhere.
  bool fromPerformanceMode = false;
  // A script is checked by running each form on a device model that presses
  // nothing. A form that does more than press keys (files, MIDI) has a check
  // of its own instead: its refusals, and its keys on that model. written:
  // the files that earlier lines of the script will have written.
  int (*check)(const Words& words, std::set<std::string>& written) = nullptr;
  // The words the form's one argument may be, which the console's Tab
  // completion offers after it; null where any token may follow.
  std::vector<std::string> (*arguments)() = nullptr;
};

class CommandForms {
public:
  // forms: in the order they are tried and listed. keys: runs the words that
  // name no form, a key sequence.
  CommandForms(std::vector<CommandForm> forms, int (*keys)(const Words& words))
      : fForms(std::move(forms)), fKeys(keys) {}

  const std::vector<CommandForm>& all() const { return fForms; }
  // The option a word is, matched exactly, or null.
  const CommandForm* option(const std::string& word) const;
  // The keyword, trail prefix or session form a word names (in any case), or null.
  const CommandForm* named(const std::string& word) const;

  // Runs a command as the command line does when the words are its
  // arguments (a keyword form or a key sequence; not an option); given the
  // files a script writes, the form's own check where it has one. Throws
  // what the key port throws.
  int run(const Words& words, std::set<std::string>* written = nullptr) const;

  // The words that may stand first: the command keywords and the trail
  // prefixes R and RD (upper case, matched in any case), with the session
  // forms of scripts and the console when asked; and the options (matched
  // exactly).
  std::vector<std::string> words(bool session = false) const;
  std::vector<std::string> options() const;
  // The words a form's one argument may be, by the form's word, for the
  // forms that have such a list.
  std::map<std::string, std::vector<std::string>> arguments() const;

  // One line of a help screen: a form's synopsis and what it does.
  static void writeLine(std::ostream& out, const std::string& synopsis, const std::string& summary);
  // The line of the words that name no form: a key sequence.
  static void writeKeysLine(std::ostream& out);
  // The lines of the forms of these kinds, in table order.
  void writeLines(std::ostream& out, std::initializer_list<CommandForm::Kind> kinds) const;

private:
  std::vector<CommandForm> fForms;
  int (*fKeys)(const Words& words);
};

#endif
