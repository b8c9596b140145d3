// ScriptRunner: pmckeys --script FILE. Reads every command of the script,
// checks them all from performance mode on before anything is pressed, then
// runs them one by one on one open line. Every message about a line starts
// "pmckeys: FILE:N: ".
#ifndef PMCKEYS_SESSION_SCRIPTRUNNER_H
#define PMCKEYS_SESSION_SCRIPTRUNNER_H

#include "session/CommandForms.h"

// args: --script and the FILE; forms: what its lines may hold.
int runScript(const Words& args, const CommandForms& forms);

#endif
