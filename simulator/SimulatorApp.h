// SimulatorApp: the pmckeys-sim command line. Either runs one command with
// PMCKEYS_DEVICE pointing at a simulated board and reports what the device
// went through, or serves the simulated board until interrupted.
#ifndef PMCKEYS_SIMULATOR_SIMULATORAPP_H
#define PMCKEYS_SIMULATOR_SIMULATORAPP_H

// Returns the exit status: the wrapped command's (128 + N when signal N ended
// it; SIGINT and SIGTERM are passed on to it), or 128 + N after serving until
// signal N, or 1 when the trace could not be written or the command not
// started, or 2 for a usage error.
int runSimulator(int argc, char** argv);

#endif
