// BoardFailure: how a run says that the board failed it: a serial line that
// broke while keys were pressed, a device another run holds, or no board at
// all. The command line, scripts and the console say it alike. Free
// functions; they keep nothing.
#ifndef PMCKEYS_SESSION_BOARDFAILURE_H
#define PMCKEYS_SESSION_BOARDFAILURE_H

// Inside a catch block: writes why the run stopped on standard error and
// returns the exit status.
int reportFailure();
// On a terminal, after a run that found no board: where pmckeys looked.
void hintAtMissingBoard();

#endif
