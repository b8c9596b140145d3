// A program on a terminal of its own (a pane of a private tmux server), driven as a person at the keyboard drives
// it, its screen read back. The pane stays after the program ends, so its last screen can be read.
#ifndef PMCKEYS_TESTS_SUPPORT_TERMINAL_H
#define PMCKEYS_TESTS_SUPPORT_TERMINAL_H

#include <string>
#include <vector>

class Terminal {
public:
  explicit Terminal(const std::string& shellCommand);
  ~Terminal();
  Terminal(const Terminal&) = delete;
  Terminal& operator=(const Terminal&) = delete;

  void type(const std::string& text);  // literally
  void press(const std::string& key);  // a tmux key name: Enter, Tab, Up, C-c, C-d
  bool waitFor(const std::string& text, double seconds = 20);
  // With what scrolled off the top: tmux's "Pane is dead" scrolls a line off.
  std::string screen();

private:
  std::string tmux(const std::vector<std::string>& args);

  std::string fServer;
};

// Both wait until the text shows, or give false after the timeout.
bool waitForFile(const std::string& path, const std::string& text, double seconds = 20);

#endif
