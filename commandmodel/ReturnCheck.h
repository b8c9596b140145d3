// ReturnCheck: follows a key sequence and the return along its trail
// through the menu model before anything is pressed, and refuses the
// return unless it ends in performance mode touching nothing on the way.
//
// The trail undoes every ENTER with PREV ENTER. That leaves menus and items,
// but on an item's steps PREV edits the value and ENTER stores it (or
// confirms an operation), and a sequence with more ENTERs than the menus
// moved sends the return astray into other items. A return is asked for as
// the way home, never as an edit or an operation, so such a sequence is
// refused whole; the user's own keys are not judged, they may carry out
// what they name. Tokens that name nothing are skipped here without a word:
// the engine warns about them when it presses.
//
// Keys are decoded and the trail recorded by the engine's own static
// functions, so the check follows exactly the keys the engine would press.
// The caller owns the models: it passes where the device is and gets back
// where it will be, so that several sequences can be followed in turn.
#ifndef PMCKEYS_COMMANDMODEL_RETURNCHECK_H
#define PMCKEYS_COMMANDMODEL_RETURNCHECK_H

#include <optional>
#include <string>
#include <vector>

#include "commandmodel/MenuModel.h"

class ReturnCheck {
public:
  struct Result {
    // Why the sequence must not be pressed ("refused: ..."), or nothing.
    std::optional<std::string> refusal;
    // Where the device is after the sequence and its return; the starting
    // place when refused, since nothing is pressed then.
    MenuModel model;
  };

  // The tokens as the command line gives them, with the trail's return.
  static Result check(const MenuModel& start, const std::vector<std::string>& tokens);
};

#endif
