#include "session/LineEditor.h"

#include <dlfcn.h>
#include <histedit.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "frontend/Conversions.h"

#ifndef PMCKEYS_LIBEDIT
#define PMCKEYS_LIBEDIT "libedit.so.2"
#endif

// The functions of libedit that the console calls, found by name.
struct LineEditor::Library {
  void* handle = nullptr;
  decltype(&el_init) init = nullptr;
  decltype(&el_end) end = nullptr;
  decltype(&el_set) set = nullptr;
  decltype(&el_wset) wset = nullptr;
  decltype(&el_gets) gets = nullptr;
  decltype(&el_line) line = nullptr;
  decltype(&el_insertstr) insertstr = nullptr;
  decltype(&history_init) historyInit = nullptr;
  decltype(&history_end) historyEnd = nullptr;
  decltype(&::history) historyCall = nullptr;

  template <typename F>
  bool find(F& function, const char* name) {
    function = reinterpret_cast<F>(dlsym(handle, name));
    return function != nullptr;
  }

  bool load() {
    handle = dlopen(PMCKEYS_LIBEDIT, RTLD_NOW | RTLD_LOCAL);
    return handle != nullptr && find(init, "el_init") && find(end, "el_end") && find(set, "el_set") && find(wset, "el_wset") &&
           find(gets, "el_gets") && find(line, "el_line") &&
           find(insertstr, "el_insertstr") && find(historyInit, "history_init") &&
           find(historyEnd, "history_end") && find(historyCall, "history");
  }
};

struct LineEditor::State {
  EditLine* editLine = nullptr;
  History* history = nullptr;
  std::string file;
};

namespace {

std::string homeFolder() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && *home != '\0') return home;
  const struct passwd* user = getpwuid(getuid());
  return user != nullptr && user->pw_dir != nullptr ? user->pw_dir : "";
}

// mkdir -p, private to the user as state folders are.
bool makeFolders(const std::string& path) {
  for (std::size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
    if (mkdir(path.substr(0, slash).c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  return true;
}

// libedit calls back without a pointer of ours; there is one console.
LineEditor* gEditor = nullptr;

}  // namespace

LineEditor::LineEditor(Completer completer)
    : fLib(new Library()), fState(new State()), fCompleter(std::move(completer)) {}

LineEditor::~LineEditor() {
  if (fState->editLine != nullptr) fLib->end(fState->editLine);
  if (fState->history != nullptr) fLib->historyEnd(fState->history);
  if (gEditor == this) gEditor = nullptr;
}

std::string LineEditor::historyFile() {
  const char* state = std::getenv("XDG_STATE_HOME");
  // The XDG rules: a relative path is invalid and ignored.
  if (state != nullptr && state[0] == '/') return std::string(state) + "/pmckeys/history";
  const std::string home = homeFolder();
  return home.empty() ? "" : home + "/.local/state/pmckeys/history";
}

bool LineEditor::open(std::string& error) {
  if (!fLib->load()) {
    const char* reason = dlerror();
    error = std::string("the console needs libedit (" PMCKEYS_LIBEDIT "): ") + (reason != nullptr ? reason : "");
    return false;
  }
  HistEvent event;
  fState->history = fLib->historyInit();
  fLib->historyCall(fState->history, &event, H_SETSIZE, 1000);
  fLib->historyCall(fState->history, &event, H_SETUNIQUE, 1);
  fState->file = historyFile();
  if (!fState->file.empty()) fLib->historyCall(fState->history, &event, H_LOAD, fState->file.c_str());
  EditLine* el = fLib->init("pmckeys", stdin, stdout, stderr);
  fState->editLine = el;
  gEditor = this;
  fLib->set(el, EL_EDITOR, "emacs");
  fLib->set(el, EL_SIGNAL, 1);
  fLib->set(el, EL_PROMPT, &LineEditor::prompt);
  fLib->set(el, EL_HIST, fLib->historyCall, fState->history);
  // The wide form: the narrow one copies the name and help and never frees them.
  fLib->wset(el, EL_ADDFN, L"pmckeys-complete", L"complete a keyword, key name or compound command",
             &LineEditor::completeWord);
  fLib->set(el, EL_BIND, "^I", "pmckeys-complete", nullptr);
  return true;
}

LineEditor::Read LineEditor::read(const std::string& promptText, std::string& line) {
  fPrompt = promptText;
  int count = 0;
  const char* text = fLib->gets(fState->editLine, &count);
  if (text == nullptr) {
    std::cout << std::endl;  // the cursor still stands after the prompt
    return count < 0 && errno == EINTR ? INTERRUPTED : END;
  }
  line = text;
  if (!line.empty() && line.back() == '\n') line.pop_back();
  return LINE;
}

void LineEditor::remember(const std::string& line) {
  HistEvent event;
  fLib->historyCall(fState->history, &event, H_ENTER, line.c_str());
  saveHistory();
}

void LineEditor::saveHistory() {
  const std::string& file = fState->file;
  HistEvent event;
  if (!file.empty() && makeFolders(file) && fLib->historyCall(fState->history, &event, H_SAVE, file.c_str()) != -1) {
    return;
  }
  if (!fSaveFailed) {
    std::cerr << "pmckeys: the history is not kept: cannot write <"
              << Conversions::shown(file, Conversions::Shown::FileName) << ">: " << std::strerror(errno)
              << std::endl;
  }
  fSaveFailed = true;
}

char* LineEditor::prompt(EditLine*) { return &gEditor->fPrompt[0]; }

unsigned char LineEditor::completeWord(EditLine* el, int) {
  const LineInfo* info = gEditor->fLib->line(el);
  const Completer::Completion completion =
      gEditor->fCompleter.complete(std::string(info->buffer, static_cast<std::size_t>(info->cursor - info->buffer)));
  if (!completion.insert.empty()) {
    gEditor->fLib->insertstr(el, completion.insert.c_str());
    return CC_REFRESH;
  }
  if (completion.choices.empty()) return CC_REFRESH_BEEP;
  std::cout << std::endl;
  for (const std::string& choice : completion.choices) std::cout << choice << "  ";
  std::cout << std::endl;
  return CC_REDISPLAY;
}
