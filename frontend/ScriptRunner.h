// ScriptRunner: pmckeys --script FILE. Reads every command of the script,
// checks them all from performance mode on before anything is pressed, then
// runs them one by one on one open line. Every message about a line starts
// "pmckeys: FILE:N: ".
#ifndef PMCKEYS_FRONTEND_SCRIPTRUNNER_H
#define PMCKEYS_FRONTEND_SCRIPTRUNNER_H

class App;

int runScript(const App& app);

#endif
