// Console: pmckeys --console. Opens the line once, then reads commands from
// the terminal one by one (# starts a comment, as in scripts), checks each
// from where the model says the device is and presses it at once. The
// prompt shows that place; after each command the places it passed through
// are shown in one line. Leaving with the device in the menus asks first.
#ifndef PMCKEYS_SESSION_CONSOLE_H
#define PMCKEYS_SESSION_CONSOLE_H

#include "session/CommandForms.h"

// forms: what the lines may hold.
int runConsole(const CommandForms& forms);

#endif
