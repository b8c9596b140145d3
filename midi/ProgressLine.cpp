#include "midi/ProgressLine.h"

#include <unistd.h>

#include <iostream>

ProgressLine::ProgressLine(const std::string& label)
    : fLabel(label), fOnTerminal(isatty(STDERR_FILENO) == 1), fStart(std::chrono::steady_clock::now()) {}

ProgressLine::~ProgressLine() {
  if (fShown) std::cerr << "\r\033[K" << std::flush;
}

void ProgressLine::show(std::size_t bytes, std::size_t messages) {
  if (!fOnTerminal) return;
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - fStart).count();
  const long rate = seconds > 0 ? static_cast<long>(static_cast<double>(bytes) / seconds) : 0;
  std::cerr << "\r\033[K" << fLabel << bytes << " bytes, " << messages << (messages == 1 ? " message, " : " messages, ")
            << rate << " bytes/s" << std::flush;
  fShown = true;
}
