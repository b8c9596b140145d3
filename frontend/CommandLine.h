// The command line of pmckeys: decides from the first argument which form
// of invocation is meant and hands the work to the help screens, the device
// procedures, the key engine, the device's memory, or a script or the
// console. main() makes the process safe to run (standard streams, signals)
// and calls runCommandLine().
//
// The table of forms (commandForms()) is this file's: it drives the
// dispatch, the --help screen, the shell completions and the manual's
// lists, and is handed to the scripts and the console it starts.
#ifndef PMCKEYS_FRONTEND_COMMANDLINE_H
#define PMCKEYS_FRONTEND_COMMANDLINE_H

#include "session/CommandForms.h"

const CommandForms& commandForms();

// Runs one invocation and returns its exit status. Never throws. A failed
// write to standard output is reported after the work, and turns a status
// of 0 into 1.
int runCommandLine(int argc, char** argv);

// The interactive calibration of pedal 1 or 2 on the device model's
// instance, created only once the pedal number has been found valid.
bool calibratePedal(int pedal);

#endif
