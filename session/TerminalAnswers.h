// TerminalAnswers: the calibration's answers read from a terminal. While it
// lives the device model reads its answers here instead of std::cin. Before
// each prompt it drops what was typed ahead, both what the terminal holds
// and what it has read itself, so that only a word typed after a prompt
// answers it: a second word on the line of the first answers nothing, and an
// "ok" typed while keys were still being pressed does not store a pedal's
// position before the pedal was moved. Input that is no terminal is left to
// std::cin, read as it always was.
//
// Reads a descriptor it does not own; the caller keeps it open while the
// object lives.
#ifndef PMCKEYS_SESSION_TERMINALANSWERS_H
#define PMCKEYS_SESSION_TERMINALANSWERS_H

#include <string>

#include "commandmodel/Dad10.h"

class TerminalAnswers : public Dad10::Answers {
public:
  explicit TerminalAnswers(int terminal);
  ~TerminalAnswers() override;
  TerminalAnswers(const TerminalAnswers&) = delete;
  TerminalAnswers& operator=(const TerminalAnswers&) = delete;

  void dropTypedAhead() override;
  bool word(std::string& word) override;

private:
  int fTerminal;
  std::string fRead;      // read from the terminal, not yet taken
  bool fEnded = false;    // end of input (Ctrl-D) or an error: no more waiting
  Dad10::Answers* fReplaced;
};

#endif
