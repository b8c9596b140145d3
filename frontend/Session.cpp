#include "frontend/Session.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>

#include "commandmodel/Dad10.h"
#include "frontend/CommandLine.h"
#include "frontend/Conversions.h"
#include "frontend/TrackedPort.h"
#include "ports/HardwarePortFactory.h"

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
    std::cerr << "pmckeys: unexpected argument <" << words[1] << ">" << std::endl;
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

// Reads standard input from the terminal while it lives.
class AnswersFromTerminal {
public:
  AnswersFromTerminal() : fTerminal("/dev/tty"), fSaved(std::cin.rdbuf(fTerminal.rdbuf())) {}
  ~AnswersFromTerminal() {
    std::cin.rdbuf(fSaved);
    std::cin.clear();
  }
  AnswersFromTerminal(const AnswersFromTerminal&) = delete;
  AnswersFromTerminal& operator=(const AnswersFromTerminal&) = delete;
  bool good() const { return fTerminal.is_open(); }

private:
  std::ifstream fTerminal;
  std::streambuf* fSaved;
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

}  // namespace

Session::Session() {
  if (gFactory != nullptr) return;
  gFactory = new TrackingFactory();
  HardwarePortFactory::setInstance(gFactory);
}

int Session::dispatch(const std::vector<std::string>& words, const MenuModel& where) {
  std::string first = words.front();
  Conversions::toUpper(first);
  if (isOption(words.front())) {
    std::cerr << "pmckeys: " << words.front() << " is an option of the command line, not a command" << std::endl;
    return EXIT_USAGE;
  }
  if (first == "HOME") return home(words, where);
  if (first == "RESET-MODEL" || first == "QUIT") {
    std::cerr << "pmckeys: " << words.front() << " is a command of the console only" << std::endl;
    return EXIT_USAGE;
  }
  if ((first == "R" || first == "RD") && !where.inPerformanceMode()) {
    std::cerr << "pmckeys: refused: the way back along the trail leads to performance mode only from there, and "
                 "the device is at "
              << where.place() << ": put home before it" << std::endl;
    return EXIT_NOT_DONE;
  }
  return runWords(words);
}

int Session::run(const std::vector<std::string>& words, const Plan& plan, const std::string& where) {
  LineEnds lineEnds;
  try {
    if (plan.keys > 0 && !open()) {
      std::cerr << "pmckeys: " << where << "Error during initialization of WinIo." << std::endl;
      return EXIT_NOT_DONE;
    }
    if (!plan.readsAnswers) return dispatch(words, model());
    AnswersFromTerminal answers;
    if (!answers.good()) {
      std::cerr << "pmckeys: " << where << "cannot read answers from /dev/tty: " << std::strerror(errno)
                << std::endl;
      return EXIT_NOT_DONE;
    }
    return dispatch(words, model());
  } catch (const TrackedPort::Stopped&) {
    Dad10::getInstance()->forgetTrail();
    throw;
  } catch (const std::exception&) {
    if (port() != nullptr) Dad10::getInstance()->forgetTrail();
    return reportFailure(where);
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
