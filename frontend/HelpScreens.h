// The help screens: usage and cable wiring, fixed texts, and the command
// listing and the --help screen, made from the tool's own tables. Each
// writes on standard output and returns.
#ifndef PMCKEYS_FRONTEND_HELPSCREENS_H
#define PMCKEYS_FRONTEND_HELPSCREENS_H

class App;
class Dad10;

void displayUsage(const App& app);
void displayHelp(const App& app);
void displayCable();
// Reads the tables of the device model it is given.
void displayCommands(Dad10& model);

#endif
