// PseudoTerminal: a pseudo-terminal pair on which a program plays the
// board's side of the serial line. The master end is the board's; the slave
// end's path is what pmckeys opens as its serial device.
//
// It keeps a slave descriptor of its own open for its whole life, so that
// the master does not see a hang-up between two clients, and the line
// settings a client made stay in place. Closes both on destruction.
#ifndef PMCKEYS_SIMULATOR_PSEUDOTERMINAL_H
#define PMCKEYS_SIMULATOR_PSEUDOTERMINAL_H

#include <termios.h>

#include <string>

class PseudoTerminal {
public:
  // Throws std::runtime_error when no pseudo-terminal can be had.
  PseudoTerminal();
  ~PseudoTerminal();
  PseudoTerminal(const PseudoTerminal&) = delete;
  PseudoTerminal& operator=(const PseudoTerminal&) = delete;

  int master() const { return fMaster; }
  const std::string& slavePath() const { return fSlavePath; }
  // Whether a client has changed the line settings since they were made
  // raw here: what a client that configures the line does right after
  // opening it.
  bool settingsChanged() const;
  // Closes the master end: every client of the slave end sees a hang-up.
  void hangUp();

private:
  int fMaster = -1;
  int fSlaveHold = -1;
  std::string fSlavePath;
  struct termios fRaw;
};

#endif
