// WholeFailure: an exception whose what() is already the whole line a run
// ends with, after "pmckeys: ", so that whoever reports failures writes it
// as it is. A form that adds to what a failing board said (restore's check)
// throws it; LEFT_IN_MENUS is what follows a board that failed between
// keys, wherever that is said.
#ifndef PMCKEYS_PROCESS_WHOLEFAILURE_H
#define PMCKEYS_PROCESS_WHOLEFAILURE_H

#include <stdexcept>

struct WholeFailure : std::runtime_error {
  using std::runtime_error::runtime_error;
  static constexpr const char* LEFT_IN_MENUS = " (the device may be left inside its menus: check its display)";
};

#endif
