// The help screens: usage and cable wiring, fixed texts, and the command
// listing and the --help screen, made from the tool's own tables. Each
// writes on standard output and returns.
#ifndef PMCKEYS_FRONTEND_HELPSCREENS_H
#define PMCKEYS_FRONTEND_HELPSCREENS_H

class App;
class Dad10;

void displayUsage(const App& app);
void displayHelp();
void displayCable();
// The commands screen: its heading, written before the device model is
// created (which opens the line, 2 s), and the listing from the tables of
// the model it is given.
void displayCommandsHeading();
void displayCommands(Dad10& model);

#endif
