// LineEditor: the console's line editing, history and Tab completion, by
// libedit. pmckeys does not link libedit: it loads it when the console
// starts, because loading it and the libraries it needs would cost every
// start of every other form more than the rest of its start-up.
//
// Owns the libedit state and the history, which it saves to the history
// file after every line.
#ifndef PMCKEYS_SESSION_LINEEDITOR_H
#define PMCKEYS_SESSION_LINEEDITOR_H

#include <memory>
#include <string>

#include "session/Completer.h"

class LineEditor {
public:
  enum Read { LINE, INTERRUPTED, END };

  explicit LineEditor(Completer completer);
  ~LineEditor();
  LineEditor(const LineEditor&) = delete;
  LineEditor& operator=(const LineEditor&) = delete;

  // Loads libedit and the history; false, with the reason in error, when
  // libedit cannot be loaded.
  bool open(std::string& error);
  // One line, without its line end. INTERRUPTED: Ctrl-C dropped the line.
  Read read(const std::string& prompt, std::string& line);
  // Adds a line to the history and saves it.
  void remember(const std::string& line);

  // $XDG_STATE_HOME/pmckeys/history, or ~/.local/state/pmckeys/history.
  static std::string historyFile();

private:
  struct Library;
  struct State;
  static unsigned char completeWord(struct editline* el, int key);
  static char* prompt(struct editline* el);
  void saveHistory();

  std::unique_ptr<Library> fLib;
  std::unique_ptr<State> fState;
  Completer fCompleter;
  std::string fPrompt;
  bool fSaveFailed = false;
};

#endif
