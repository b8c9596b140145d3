// The three help screens: usage, cable wiring and the command listing. Each
// writes a fixed text on standard output and returns.
#ifndef PMCKEYS_FRONTEND_HELPSCREENS_H
#define PMCKEYS_FRONTEND_HELPSCREENS_H

class App;

void displayUsage(App& app);
void displayCable();
// What --help adds below the usage screen, whose text stays as it is: the
// forms over MIDI and their environment variables.
void displayMidiHelp();
// Creates the device model (and with it the key port) to read its tables.
void displayCommands();

#endif
