// Session: many commands on one open serial line, one after another, as a
// script or the console gives them. The line is opened when the first
// command that presses keys runs and stays open; each command keeps the
// timing it has alone. The device model's port is a TrackedPort, so the
// session knows where the device is after every key.
//
// dispatch() is the one place that turns a line's words into what they do:
// the command line's forms, and the session form home. The script check runs
// the same dispatch on a model that presses nothing.
#ifndef PMCKEYS_SESSION_SESSION_H
#define PMCKEYS_SESSION_SESSION_H

#include <set>
#include <string>
#include <vector>

#include "commandmodel/MenuModel.h"
#include "session/CommandForms.h"

class TrackedPort;

class Session {
public:
  // What the check learnt about a line before it runs.
  struct Plan {
    int keys = 0;               // keys it presses: 0 when it needs no board
    bool readsAnswers = false;  // it reads from standard input, which is then the terminal
  };

  // Installs the port factory that wraps the device's port in a
  // TrackedPort: create the session before anything creates the device
  // model. forms: what the lines may hold.
  explicit Session(const CommandForms& forms);

  // Runs a line's words by the forms, on the device model getInstance()
  // returns, with the device at where; given the files a script writes (see
  // CommandForms::run()), the checks of the forms that have their own.
  // Writes its own messages; throws what the port throws.
  static int dispatch(const CommandForms& forms, const Words& words, const MenuModel& where,
                      std::set<std::string>* written = nullptr);

  // Runs a checked line on the device. Its messages on standard error say
  // "pmckeys: " + where + the usual message; a failure gives status 1.
  // Throws StopRequest::Stopped when a stop was requested, after the key in
  // progress.
  int run(const std::vector<std::string>& words, const Plan& plan, const std::string& where);

  // Where the model says the device is; performance mode until the line is open.
  const MenuModel& model() const;
  void resetModel();
  // The places the keys led through since the last call.
  std::vector<std::string> takePlaces();
  // Opens the line (the 2 s pause) if it is not open; false without a board.
  bool open();

private:
  TrackedPort* port() const;

  const CommandForms& fForms;
  MenuModel fBeforeOpening;
};

#endif
