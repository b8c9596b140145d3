// SimulatorApp: the pmckeys-sim command line. Either runs one command with
// PMCKEYS_DEVICE pointing at a simulated board and reports what the device
// went through, or serves the simulated board until interrupted.
#ifndef PMCKEYS_SIMULATOR_SIMULATORAPP_H
#define PMCKEYS_SIMULATOR_SIMULATORAPP_H

// Returns the exit status: the wrapped command's, or 0 after serving, or 2
// for a usage error.
int runSimulator(int argc, char** argv);

#endif
