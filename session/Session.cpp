#include "session/Session.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>

#include "commandmodel/Dad10.h"
#include "frontend/Conversions.h"
#include "ports/HardwarePortFactory.h"
#include "process/ExitStatus.h"
#include "process/StopRequest.h"
#include "session/BoardFailure.h"
#include "session/TerminalAnswers.h"
#include "session/TrackedPort.h"

namespace {

// Hands the device model the port the default factory chooses, wrapped.
// Owned by nobody, like the default factory.
class TrackingFactory : public HardwarePortFactory {
public:
  HardwarePort* createPort() override {
    fPort = new TrackedPort(HardwarePortFactory::createPort());
    return fPort;
  }
  TrackedPort* fPort = nullptr;
};

TrackingFactory* gFactory = nullptr;

int home(const std::vector<std::string>& words, const MenuModel& where) {
  if (words.size() > 1) {
    std::cerr << "pmckeys: unexpected argument <" << Conversions::shown(words[1]) << ">" << std::endl;
    return EXIT_USAGE;
  }
  const MenuModel::WayHome way = where.wayHome();
  if (!way.refusal.empty()) {
    std::cerr << "pmckeys: " << way.refusal << std::endl;
    return EXIT_NOT_DONE;
  }
  if (way.keys.empty()) return EXIT_DONE;
  return Dad10::getInstance()->pressSequence(way.keys.begin(), way.keys.end(), false, false) ? EXIT_DONE
                                                                                            : EXIT_NOT_DONE;
}

// The calibration reads its answers from the terminal while it lives.
class AnswersFromTerminal {
public:
  AnswersFromTerminal() : fTerminal(open("/dev/tty", O_RDONLY | O_NOCTTY | O_CLOEXEC)), fAnswers(fTerminal) {}
  ~AnswersFromTerminal() {
    if (fTerminal >= 0) close(fTerminal);
  }
  AnswersFromTerminal(const AnswersFromTerminal&) = delete;
  AnswersFromTerminal& operator=(const AnswersFromTerminal&) = delete;
  bool good() const { return fTerminal >= 0; }

private:
  int fTerminal;
  TerminalAnswers fAnswers;
};

// Ends a command's output with a line end when it has none of its own (the
// trail a command shows), so that the next command's output starts a line.
class LineEnds : public std::streambuf {
public:
  LineEnds() : fBehind(std::cout.rdbuf(this)) {}
  ~LineEnds() override {
    if (fLast != '\n' && fLast != 0) fBehind->sputc('\n');
    std::cout.rdbuf(fBehind);
  }
  LineEnds(const LineEnds&) = delete;
  LineEnds& operator=(const LineEnds&) = delete;

protected:
  int overflow(int c) override {
    if (c != traits_type::eof()) fLast = static_cast<char>(c);
    return fBehind->sputc(static_cast<char>(c));
  }
  int sync() override { return fBehind->pubsync(); }

private:
  std::streambuf* fBehind;
  char fLast = 0;
};

// Puts where a script's line stands ("setup.txt:3: ") into the messages
// written while it runs: "pmckeys: " at the start of a line becomes
// "pmckeys: setup.txt:3: ". Everything else passes as it comes.
class MessagePrefix : public std::streambuf {
public:
  explicit MessagePrefix(const std::string& where)
      : fPrefix("pmckeys: " + where), fBehind(where.empty() ? nullptr : std::cerr.rdbuf(this)) {}
  ~MessagePrefix() override {
    if (fBehind == nullptr) return;
    pass();
    std::cerr.rdbuf(fBehind);
  }
  MessagePrefix(const MessagePrefix&) = delete;
  MessagePrefix& operator=(const MessagePrefix&) = delete;

protected:
  int overflow(int c) override {
    if (c == traits_type::eof()) return 0;
    fHeld += static_cast<char>(c);
    if (fAtLineStart && fHeld == kOwn) {
      fHeld = fPrefix;
      fAtLineStart = false;
    } else if (fAtLineStart && kOwn.compare(0, fHeld.size(), fHeld) == 0) {
      return c;  // may still become "pmckeys: "
    }
    fAtLineStart = c == '\n' || c == '\r';
    return pass() ? c : traits_type::eof();
  }
  int sync() override { return pass() && fBehind->pubsync() == 0 ? 0 : -1; }

private:
  bool pass() {
    const std::streamsize written = fBehind->sputn(fHeld.data(), static_cast<std::streamsize>(fHeld.size()));
    const bool whole = written == static_cast<std::streamsize>(fHeld.size());
    fHeld.clear();
    return whole;
  }

  const std::string kOwn = "pmckeys: ";
  std::string fPrefix;
  std::streambuf* fBehind;
  std::string fHeld;
  bool fAtLineStart = true;
};

}  // namespace

Session::Session(const CommandForms& forms) : fForms(forms) {
  if (gFactory != nullptr) return;
  gFactory = new TrackingFactory();
  HardwarePortFactory::setInstance(gFactory);
}

int Session::dispatch(const CommandForms& forms, const Words& words, const MenuModel& where,
                      std::set<std::string>* written) {
  if (forms.option(words.front()) != nullptr) {
    std::cerr << "pmckeys: " << Conversions::shown(words.front()) << " is an option of the command line, not a command"
              << std::endl;
    return EXIT_USAGE;
  }
  const CommandForm* form = forms.named(words.front());
  if (form != nullptr && form->kind == CommandForm::SESSION) {
    if (std::string(form->word) == "HOME") return home(words, where);
    std::cerr << "pmckeys: " << Conversions::shown(words.front()) << " is a command of the console only" << std::endl;
    return EXIT_USAGE;
  }
  if (form != nullptr && form->fromPerformanceMode && !where.inPerformanceMode()) {
    std::cerr << "pmckeys: refused: " << Conversions::shown(words.front())
              << " works from performance mode only, and the device is at "
              << where.place() << ": put home before it" << std::endl;
    return EXIT_NOT_DONE;
  }
  return forms.run(words, written);
}

int Session::run(const std::vector<std::string>& words, const Plan& plan, const std::string& where) {
  LineEnds lineEnds;
  MessagePrefix prefix(where);
  try {
    if (plan.keys > 0 && !open()) {
      std::cerr << "pmckeys: Error during initialization of WinIo." << std::endl;
      return EXIT_NOT_DONE;
    }
    if (!plan.readsAnswers) return dispatch(fForms, words, model());
    AnswersFromTerminal answers;
    if (!answers.good()) {
      std::cerr << "pmckeys: cannot read answers from /dev/tty: " << std::strerror(errno) << std::endl;
      return EXIT_NOT_DONE;
    }
    return dispatch(fForms, words, model());
  } catch (const StopRequest::Stopped&) {
    Dad10::getInstance()->forgetTrail();
    throw;
  } catch (const std::exception&) {
    if (port() != nullptr) Dad10::getInstance()->forgetTrail();
    return reportFailure();
  }
}

TrackedPort* Session::port() const { return gFactory->fPort; }

const MenuModel& Session::model() const { return port() != nullptr ? port()->model() : fBeforeOpening; }

void Session::resetModel() {
  if (port() != nullptr) port()->model() = MenuModel();
}

std::vector<std::string> Session::takePlaces() {
  return port() != nullptr ? port()->takePlaces() : std::vector<std::string>();
}

bool Session::open() { return Dad10::getInstance()->initSucceeded(); }
