// ensureStandardStreams: makes sure descriptors 0, 1 and 2 are open before
// a program opens anything else. open() takes the lowest free descriptor, so
// a program started with one of them closed would otherwise find its serial
// line (or its pseudo-terminal) there and send its own text down the line as
// key presses. Each closed one gets /dev/null, as if it had been redirected
// there.
#ifndef PMCKEYS_PROCESS_STANDARDSTREAMS_H
#define PMCKEYS_PROCESS_STANDARDSTREAMS_H

// Call first thing in main(). When /dev/null cannot be opened the process
// ends with status 1: going on would risk exactly what this prevents.
void ensureStandardStreams();

#endif
