#include "session/Console.h"

#include <signal.h>
#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "frontend/Conversions.h"
#include "process/ExitStatus.h"
#include "process/StopRequest.h"
#include "session/BoardFailure.h"
#include "session/LineEditor.h"
#include "session/Script.h"
#include "session/ScriptCheck.h"
#include "session/Session.h"

namespace {

std::string promptFor(const MenuModel& model) {
  return (model.inPerformanceMode() ? std::string("performance") : model.place()) + "> ";
}

void showPlaces(const std::vector<std::string>& places) {
  if (places.empty()) return;
  std::string line;
  for (const std::string& place : places) line += (line.empty() ? "  " : " > ") + place;
  std::cout << line << std::endl;
}

// Checks and presses one command. Goes on (-1) unless the command failed
// while running, which leaves the device where the model cannot follow
// (EXIT_NOT_DONE), or a SIGTERM or SIGHUP stopped it (128 + the signal).
int runLine(const CommandForms& forms, Session& session, const std::vector<std::string>& words) {
  const ScriptCheck::Result checked = ScriptCheck(forms, session.model()).check(words);
  for (const std::string& message : checked.messages) std::cerr << "pmckeys: " << message << std::endl;
  if (!checked.messages.empty()) return -1;
  StopRequest::clear();  // a Ctrl-C at the prompt is spent
  try {
    const int status = session.run(words, checked.plan, "");
    showPlaces(session.takePlaces());
    return status == EXIT_DONE ? -1 : EXIT_NOT_DONE;
  } catch (const StopRequest::Stopped& stopped) {
    if (stopped.signal == SIGINT) std::cout << std::endl;  // after the ^C the terminal shows
    showPlaces(session.takePlaces());
    if (*stopped.what() == '\0') {
      std::cout << "stopped after the key in progress: the device is at " << session.model().place() << std::endl;
    } else if (stopped.signal == SIGINT) {
      std::cout << stopped.what() << std::endl;  // a form that stopped on its own terms
    } else {
      std::cerr << "pmckeys: " << stopped.what() << std::endl;
      return 128 + stopped.signal;
    }
  }
  return -1;
}

// Before leaving a device in the menus, say so once: quit (or Ctrl-D) again
// leaves it there.
std::string leavingQuestion(const MenuModel& model) {
  const std::string at = "the device is at " + model.place();
  const std::string again = ", or quit (or Ctrl-D) again to leave it there";
  if (!model.wayHome().refusal.empty()) return at + ", where home is refused: leave it by hand" + again;
  return at + ": type home to bring it back" + again;
}

// The forms it takes, in a few lines.
void showHelp(const CommandForms& forms) {
  std::cout << "One command a line, checked from where the device is; # starts a comment. The forms of the\n"
               "command line:\n";
  std::string line;
  for (const CommandForm& form : forms.all()) {
    if (form.kind != CommandForm::KEYWORD && form.kind != CommandForm::TRAIL_PREFIX) continue;
    const std::string synopsis = form.synopsis;
    if (!line.empty() && line.size() + synopsis.size() > 88) {
      std::cout << line << "," << std::endl;
      line.clear();
    }
    line += (line.empty() ? "  " : ", ") + synopsis;
  }
  std::cout << line << std::endl;
  CommandForms::writeKeysLine(std::cout);
  forms.writeLines(std::cout, {CommandForm::SESSION});
  std::cout << "Tab completes; Ctrl-C stops after the key in progress. More: pmckeys --help, man pmckeys."
            << std::endl;
}

}  // namespace

int runConsole(const CommandForms& forms) {
  if (isatty(STDIN_FILENO) == 0) {
    std::cerr << "pmckeys: --console needs a terminal on standard input; to run commands from a file or a pipe "
                 "use pmckeys --script FILE (- for standard input)"
              << std::endl;
    return EXIT_USAGE;
  }
  LineEditor editor{Completer(forms.words(true), forms.arguments())};
  std::string error;
  if (!editor.open(error)) {
    std::cerr << "pmckeys: " << error << "; pmckeys --script - runs commands without it" << std::endl;
    return EXIT_NOT_DONE;
  }
  Session session(forms);
  if (!session.open()) {
    std::cerr << "Error during initialization of WinIo." << std::endl;
    hintAtMissingBoard();
    return EXIT_NOT_DONE;
  }
  std::cout << "pmckeys console. The model assumes the device is in performance mode now; if it is not,\n"
               "bring it there by hand and type reset-model. Tab completes, help lists the forms,\n"
               "quit or Ctrl-D ends."
            << std::endl;
  StopRequest::onInterrupt();
  bool asked = false;  // the question before leaving the device in the menus
  for (std::string line;;) {
    const LineEditor::Read read = editor.read(promptFor(session.model()), line);
    const std::vector<std::string> words = Script::command(line);
    if (read == LineEditor::LINE && !words.empty()) editor.remember(line);
    std::string first = words.empty() ? "" : words.front();
    Conversions::toUpper(first);
    if (read == LineEditor::END || (read == LineEditor::LINE && first == "QUIT")) {
      if (asked || session.model().inPerformanceMode()) return EXIT_DONE;
      std::cout << leavingQuestion(session.model()) << std::endl;
      asked = true;
      continue;
    }
    if (read == LineEditor::INTERRUPTED || words.empty()) continue;
    asked = false;
    if (first == "HELP") {
      showHelp(forms);
    } else if (first == "RESET-MODEL") {
      session.resetModel();
      std::cout << "the model now says the device is in performance mode" << std::endl;
    } else if (const int status = runLine(forms, session, words); status >= 0) {
      return status;
    }
  }
}
