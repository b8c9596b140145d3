#include "session/ScriptCheck.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <sstream>

#include "frontend/Conversions.h"
#include "session/TrackedPort.h"

namespace {

// The standard streams of a dry run: output dropped, errors kept, and
// answers ready for any question.
class CaughtStreams {
public:
  CaughtStreams()
      : fAnswers("ok\nok\nok\nok\n"),
        fOut(std::cout.rdbuf(fDropped.rdbuf())),
        fErr(std::cerr.rdbuf(fErrors.rdbuf())),
        fIn(std::cin.rdbuf(fAnswers.rdbuf())) {}
  ~CaughtStreams() {
    std::cout.rdbuf(fOut);
    std::cerr.rdbuf(fErr);
    std::cin.rdbuf(fIn);
    std::cin.clear();
  }
  CaughtStreams(const CaughtStreams&) = delete;
  CaughtStreams& operator=(const CaughtStreams&) = delete;

  std::string errors() const { return fErrors.str(); }
  bool answersRead() { return fAnswers.tellg() != 0; }

private:
  std::ostringstream fDropped;
  std::ostringstream fErrors;
  std::istringstream fAnswers;
  std::streambuf* fOut;
  std::streambuf* fErr;
  std::streambuf* fIn;
};

// Makes getInstance() return a given model while it lives.
class InstanceSwap {
public:
  explicit InstanceSwap(Dad10* dad10) : fSaved(Dad10::setInstance(dad10)) {}
  ~InstanceSwap() { Dad10::setInstance(fSaved); }
  InstanceSwap(const InstanceSwap&) = delete;
  InstanceSwap& operator=(const InstanceSwap&) = delete;

private:
  Dad10* fSaved;
};

std::vector<std::string> messageLines(const std::string& text) {
  const std::string own = "pmckeys: ";
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (line.compare(0, own.size(), own) == 0) line.erase(0, own.size());
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

std::string terminalProblem() {
  const int fd = open("/dev/tty", O_RDWR | O_NOCTTY);
  if (fd < 0) return std::strerror(errno);
  close(fd);
  return "";
}

}  // namespace

ScriptCheck::ScriptCheck(const CommandForms& forms, const MenuModel& start)
    : fForms(forms), fPort(new TrackedPort(nullptr)), fDad10(fPort) {
  fPort->model() = start;
}

const MenuModel& ScriptCheck::model() const { return fPort->model(); }

ScriptCheck::Result ScriptCheck::check(const std::vector<std::string>& words) {
  Result result;
  int status = 0;
  {
    CaughtStreams streams;
    InstanceSwap swap(&fDad10);
    status = Session::dispatch(fForms, words, fPort->model(), &fWritten);
    result.messages = messageLines(streams.errors());
    result.plan.readsAnswers = streams.answersRead();
  }
  fDad10.forgetTrail();
  fPort->takePlaces();
  result.plan.keys = fPort->takeKeyCount();
  if (status != 0 && result.messages.empty()) result.messages.push_back("the command would fail");
  if (result.plan.readsAnswers) {
    const std::string problem = terminalProblem();
    if (!problem.empty()) {
      result.messages.push_back(Conversions::shown(words.front()) + " reads its answers from /dev/tty: " + problem);
    }
  }
  return result;
}
