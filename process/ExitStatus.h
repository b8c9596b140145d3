// ExitStatus: what a run of pmckeys tells the shell, and what each of its
// forms returns to the dispatch that ends the process: done, not done (the
// reason is on standard error), or a usage error. A run stopped by a signal
// ends with 128 and the signal's number, as the shell reports one.
#ifndef PMCKEYS_PROCESS_EXITSTATUS_H
#define PMCKEYS_PROCESS_EXITSTATUS_H

enum ExitStatus {
  EXIT_DONE = 0,      // the request was carried out
  EXIT_NOT_DONE = 1,  // it was not (the reason is on standard error)
  EXIT_USAGE = 2,     // no arguments, or an option used wrongly
};

#endif
