// ScriptCheck: learns what lines would do before anything is pressed, by
// running them through Session::dispatch on a device model of its own whose
// port presses nothing and only follows the keys through the menu model,
// with the standard streams caught. So every message a line gives is the
// one the same command gives alone, and the device is followed from line to
// line as the keys will move it.
#ifndef PMCKEYS_SESSION_SCRIPTCHECK_H
#define PMCKEYS_SESSION_SCRIPTCHECK_H

#include <set>
#include <string>
#include <vector>

#include "commandmodel/Dad10.h"
#include "session/CommandForms.h"
#include "session/Session.h"

class TrackedPort;

class ScriptCheck {
public:
  struct Result {
    std::vector<std::string> messages;  // why the line must not run, each without "pmckeys: "
    Session::Plan plan;
  };

  // forms: what the lines may hold. start: where the device is before the
  // first line checked.
  explicit ScriptCheck(const CommandForms& forms, const MenuModel& start = MenuModel());
  ScriptCheck(const ScriptCheck&) = delete;
  ScriptCheck& operator=(const ScriptCheck&) = delete;

  Result check(const std::vector<std::string>& words);
  const MenuModel& model() const;

private:
  const CommandForms& fForms;
  TrackedPort* fPort;  // owned by fDad10
  Dad10 fDad10;
  std::set<std::string> fWritten;  // the files the lines checked so far write
};

#endif
