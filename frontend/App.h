// App: the command line of one run, as the operating system passed it.
// Holds copies of the program name and of the arguments (argv[1] onwards),
// each exactly as typed; the dispatch builds one and keeps it for the run.
#ifndef PMCKEYS_FRONTEND_APP_H
#define PMCKEYS_FRONTEND_APP_H

#include <string>
#include <utility>
#include <vector>

class App {
public:
  App(int argc, char** argv);
  // A command that comes from elsewhere than the command line (a script).
  App(std::string progName, std::vector<std::string> args)
      : fProgName(std::move(progName)), fArgs(std::move(args)) {}

  // Copies argv[1] .. argv[last]; last < 1 yields an empty list.
  static std::vector<std::string> readArgs(int last, char** argv);

  std::string progName() const { return fProgName; }
  std::vector<std::string> args() const { return fArgs; }

private:
  std::string fProgName;
  std::vector<std::string> fArgs;
};

#endif
