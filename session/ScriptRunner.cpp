#include "session/ScriptRunner.h"

#include <iostream>
#include <string>
#include <vector>

#include "frontend/Conversions.h"
#include "process/ExitStatus.h"
#include "process/StopRequest.h"
#include "session/BoardFailure.h"
#include "session/Script.h"
#include "session/ScriptCheck.h"
#include "session/Session.h"

namespace {

std::string where(const std::string& file, const Script::Line& line) {
  return Conversions::shown(file, Conversions::Shown::FileName) + ":" + std::to_string(line.number) + ": ";
}

// Checks every line; true when all may run. Writes one line per problem.
bool checkAll(const CommandForms& forms, const std::string& file, const std::vector<Script::Line>& lines,
              std::vector<Session::Plan>& plans) {
  ScriptCheck check(forms);
  bool good = true;
  for (const Script::Line& line : lines) {
    const ScriptCheck::Result result = check.check(line.words);
    for (const std::string& message : result.messages) std::cerr << "pmckeys: " << where(file, line) << message << std::endl;
    good = good && result.messages.empty();
    plans.push_back(result.plan);
  }
  return good;
}

int runAll(const CommandForms& forms, const std::string& file, const std::vector<Script::Line>& lines,
           const std::vector<Session::Plan>& plans) {
  Session session(forms);
  StopRequest::onInterrupt();
  for (std::size_t i = 0; i < lines.size(); ++i) {
    try {
      if (session.run(lines[i].words, plans[i], where(file, lines[i])) != EXIT_DONE) return EXIT_NOT_DONE;
    } catch (const StopRequest::Stopped& stopped) {
      std::cerr << "pmckeys: " << where(file, lines[i]);
      if (*stopped.what() != '\0') {
        std::cerr << stopped.what() << std::endl;  // a form that stopped on its own terms
      } else {
        std::cerr << "stopped by Ctrl-C after the key in progress; the device is at " << session.model().place()
                  << std::endl;
      }
      return EXIT_NOT_DONE;
    }
  }
  return EXIT_DONE;
}

}  // namespace

int runScript(const Words& args, const CommandForms& forms) {
  if (args.size() < 2) {
    std::cerr << "pmckeys: --script needs a FILE (- for standard input)" << std::endl;
    return EXIT_USAGE;
  }
  const std::string& file = args[1];
  std::vector<Script::Line> lines;
  std::string error;
  if (!Script::read(file, lines, error)) {
    std::cerr << "pmckeys: " << error << std::endl;
    return EXIT_NOT_DONE;
  }
  std::vector<Session::Plan> plans;
  if (!checkAll(forms, file, lines, plans)) return EXIT_NOT_DONE;
  const int status = runAll(forms, file, lines, plans);
  hintAtMissingBoard();
  return status;
}
