// The device's command tables, compiled in: the front-panel key names with
// their key codes, and the compound commands that name places in the
// device's menus.
//
// These arrays are the one copy of both tables. Dad10 fills its maps from
// them; the command listing, the simulator and the shell completion lists
// all read the same rows.
#ifndef PMCKEYS_COMMANDMODEL_COMMANDTABLE_H
#define PMCKEYS_COMMANDMODEL_COMMANDTABLE_H

#include <cstddef>

struct KeyName {
  const char* name;
  int code;
};

struct CompoundCommand {
  const char* name;
  const char* expansion;  // tokens separated by white space
};

// The 28 key names; thirteen of the fifteen keys have two.
extern const KeyName kKeyNames[];
extern const std::size_t kKeyNameCount;

// The 72 compound commands. Every token of an expansion is a key name or a
// compound command that stands earlier in the array, so there are no cycles.
extern const CompoundCommand kCompoundCommands[];
extern const std::size_t kCompoundCommandCount;

#endif
