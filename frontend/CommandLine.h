// The command line of pmckeys: decides from the first argument which form
// of invocation is meant and hands the work to the help screens, the device
// procedures or the key engine. main() makes the process safe to run
// (standard streams, signals) and calls runCommandLine().
//
// One table of forms (commandForms()) drives the dispatch, the --help screen,
// the shell completions and the manual's lists, so none of them can name a
// form the tool does not have.
#ifndef PMCKEYS_FRONTEND_COMMANDLINE_H
#define PMCKEYS_FRONTEND_COMMANDLINE_H

#include <set>
#include <string>
#include <vector>

class App;

// Exit statuses.
enum ExitStatus {
  EXIT_DONE = 0,       // the request was carried out
  EXIT_NOT_DONE = 1,   // it was not (the reason is on standard error)
  EXIT_USAGE = 2,      // no arguments, or an option used wrongly
};

struct CommandForm {
  enum Kind { KEYWORD, TRAIL_PREFIX, OPTION, SESSION };
  Kind kind;
  const char* word;      // keywords and prefixes in upper case (the first argument is
                         // folded before comparing); options exactly as typed
  const char* alias;     // another spelling of an option, or null
  const char* synopsis;  // the form as --help shows it
  const char* summary;   // what it does, in a few words
  int (*run)(const App& app);  // null for the session forms, which scripts and the console run
  int maxArgs;           // options: arguments allowed after the option itself
  // Scripts and the console: the form walks from performance mode (its keys
  // or its return are a way from there), so it is refused elsewhere.
  bool fromPerformanceMode = false;
  // A script is checked by running each form on a device model that presses
  // nothing. A form that does more than press keys (files, MIDI) has a check
  // of its own instead: its refusals, and its keys on that model. written:
  // the files that earlier lines of the script will have written.
  int (*check)(const App& app, std::set<std::string>& written) = nullptr;
};

const std::vector<CommandForm>& commandForms();

// Runs one invocation and returns its exit status. Never throws. A failed
// write to standard output is reported after the work, and turns a status
// of 0 into 1.
int runCommandLine(int argc, char** argv);

// Runs a command given as words, as the command line does when they are its
// arguments (a keyword form or a key sequence; not an option); given the
// files a script writes, the form's own check where it has one. Throws what
// the key port throws.
int runWords(const std::vector<std::string>& words, std::set<std::string>* written = nullptr);
bool isOption(const std::string& word);
// The keyword, trail prefix or session form a word names (in any case), or null.
const CommandForm* findForm(const std::string& word);

// Inside a catch block: writes why the run stopped on standard error and
// returns the exit status.
int reportFailure();
// On a terminal, after a run that found no board: where pmckeys looked.
void hintAtMissingBoard();

// The words that may stand first: the command keywords and the trail
// prefixes R and RD (upper case, matched in any case), with the session
// forms of scripts and the console when asked; and the options (matched
// exactly).
std::vector<std::string> commandWords(bool session = false);
std::vector<std::string> commandOptions();

// The interactive calibration of pedal 1 or 2 on the device model's
// instance, created only once the pedal number has been found valid.
bool calibratePedal(int pedal);

#endif
