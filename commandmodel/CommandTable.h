// The device's command tables, compiled in: the front-panel key names with
// their key codes, and the compound commands that name places in the
// device's menus.
//
// These arrays are the one copy of both tables. Dad10 fills its maps from
// them; the command listing, --help, the manual, the shell completions and
// the simulator's trace all read the same rows.
#ifndef PMCKEYS_COMMANDMODEL_COMMANDTABLE_H
#define PMCKEYS_COMMANDMODEL_COMMANDTABLE_H

#include <cstddef>
#include <string>

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

// The keys that move through the menus, by name, for the engine's trail and
// the menu model. MENU and NEXT are one key.
namespace KeyCode {
const int ENTER = 0xf3;
const int PREV = 0xf5;
const int NEXT = 0xfb;
const int MENU = NEXT;
}  // namespace KeyCode

// Every name of a key code, in ASCII order, joined by "/" ("MENU/NEXT",
// "9/MODE"); "" for a code that is no key.
std::string keyDisplayName(int code);

// The 72 compound commands. Every token of an expansion is a key name or a
// compound command that stands earlier in the array, so there are no cycles.
extern const CompoundCommand kCompoundCommands[];
extern const std::size_t kCompoundCommandCount;

#endif
