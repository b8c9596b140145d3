#include "session/TerminalAnswers.h"

#include <termios.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>

TerminalAnswers::TerminalAnswers(int terminal) : fTerminal(terminal), fReplaced(Dad10::setAnswers(this)) {}

TerminalAnswers::~TerminalAnswers() { Dad10::setAnswers(fReplaced); }

void TerminalAnswers::dropTypedAhead() {
  tcflush(fTerminal, TCIFLUSH);
  fRead.clear();
}

// A word as formatted input reads one: white space, line ends included,
// skipped before it; the white space after it ends it.
bool TerminalAnswers::word(std::string& word) {
  word.clear();
  for (;;) {
    std::size_t taken = 0;
    for (; taken < fRead.size(); ++taken) {
      const auto c = static_cast<unsigned char>(fRead[taken]);
      if (std::isspace(c) == 0) {
        word += static_cast<char>(c);
      } else if (!word.empty()) {
        break;
      }
    }
    fRead.erase(0, taken);
    if (!fRead.empty() || fEnded) return !word.empty();
    char chunk[256];
    const ssize_t count = read(fTerminal, chunk, sizeof chunk);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) fEnded = true;
    if (count > 0) fRead.assign(chunk, static_cast<std::size_t>(count));
  }
}
