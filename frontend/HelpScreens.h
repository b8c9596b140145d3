// The help screens: usage, cable wiring and the command listing, each a
// fixed text, and the --help screen, made from the tool's own tables. Each
// writes on standard output and returns.
#ifndef PMCKEYS_FRONTEND_HELPSCREENS_H
#define PMCKEYS_FRONTEND_HELPSCREENS_H

class App;

void displayUsage(const App& app);
void displayHelp(const App& app);
void displayCable();
// Creates the device model (and with it the key port) to read its tables.
void displayCommands();

#endif
