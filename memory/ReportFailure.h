// reportFailure: how backup, restore and verify end when they fail: the
// reason as one line on standard error after "pmckeys: ", and the exit
// status that says the form was not done.
#ifndef PMCKEYS_MEMORY_REPORTFAILURE_H
#define PMCKEYS_MEMORY_REPORTFAILURE_H

#include <iostream>
#include <string>

#include "process/ExitStatus.h"

inline int reportFailure(const std::string& error) {
  std::cerr << "pmckeys: " << error << std::endl;
  return EXIT_NOT_DONE;
}

#endif
