// The board's end of a pseudo-terminal, for tests that play the board by
// hand: what the line has sent, and an answer to it.
#ifndef PMCKEYS_TESTS_SUPPORT_PSEUDOTERMINALIO_H
#define PMCKEYS_TESTS_SUPPORT_PSEUDOTERMINALIO_H

#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <string>

#include "simulator/PseudoTerminal.h"

// What the board's end has received, waiting up to waitMs for each piece.
inline std::string drain(const PseudoTerminal& pty, int waitMs = 100) {
  std::string received;
  struct pollfd pfd = {pty.master(), POLLIN, 0};
  char buffer[512];
  ssize_t n = 0;
  while (poll(&pfd, 1, waitMs) > 0 && (n = read(pty.master(), buffer, sizeof buffer)) > 0) {
    received.append(buffer, static_cast<std::size_t>(n));
  }
  return received;
}

inline void answer(const PseudoTerminal& pty, const std::string& text) {
  ASSERT_EQ(write(pty.master(), text.data(), text.size()), static_cast<ssize_t>(text.size()));
}

#endif
