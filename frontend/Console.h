// Console: pmckeys --console. Opens the line once, then reads commands from
// the terminal one by one (# starts a comment, as in scripts), checks each
// from where the model says the device is and presses it at once. The
// prompt shows that place; after each command the places it passed through
// are shown in one line. Leaving with the device in the menus asks first.
#ifndef PMCKEYS_FRONTEND_CONSOLE_H
#define PMCKEYS_FRONTEND_CONSOLE_H

class App;

int runConsole(const App& app);

#endif
