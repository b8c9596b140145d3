// The three help screens: usage, cable wiring and the command listing. Each
// writes a fixed text on standard output and returns.
#ifndef PMCKEYS_FRONTEND_HELPSCREENS_H
#define PMCKEYS_FRONTEND_HELPSCREENS_H

class App;
class Dad10;

void displayUsage(App& app);
void displayCable();
// Reads the tables of the device model it is given.
void displayCommands(Dad10& model);

#endif
