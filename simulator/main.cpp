#include "process/StandardStreams.h"
#include "simulator/SimulatorApp.h"

int main(int argc, char** argv) {
  ensureStandardStreams();
  return runSimulator(argc, argv);
}
