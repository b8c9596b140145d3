// The three standard streams of a process. A program started with
// descriptor 0, 1 or 2 closed (`2>&-`, a cron job, a daemon) would hand that
// number to the next file it opens; for pmckeys and pmckeys-sim that is the
// serial line, and text meant for a stream would reach the board as keys.
#ifndef PMCKEYS_FRONTEND_STANDARDSTREAMS_H
#define PMCKEYS_FRONTEND_STANDARDSTREAMS_H

// Opens /dev/null onto each of descriptors 0, 1 and 2 that is closed, so
// that the run behaves as with that stream sent to /dev/null. Call it first
// thing in main(), before anything else opens a file. False when a closed
// descriptor could not be filled: the caller must then open nothing.
bool ensureStandardStreams();

#endif
