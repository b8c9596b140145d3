#include "tests/support/Terminal.h"

#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "tests/support/Process.h"

namespace {

template <typename Ready>
bool waitUntil(double seconds, Ready ready) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (!ready()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return true;
}

}  // namespace

Terminal::Terminal(const std::string& command) : fServer("pmckeys-test-" + std::to_string(getpid())) {
  static int count = 0;
  fServer += "-" + std::to_string(++count);
  tmux({"start-server", ";", "set-option", "-g", "remain-on-exit", "on", ";", "new-session", "-d", "-s", "t", "-x",
        "100", "-y", "40", command});
}

Terminal::~Terminal() { tmux({"kill-server"}); }

std::string Terminal::tmux(const std::vector<std::string>& args) {
  std::vector<std::string> all{"-L", fServer, "-f", "/dev/null"};
  all.insert(all.end(), args.begin(), args.end());
  return runProcess(PMCKEYS_TMUX, all).out;
}

void Terminal::type(const std::string& text) { tmux({"send-keys", "-t", "t", "-l", text}); }

void Terminal::press(const std::string& key) { tmux({"send-keys", "-t", "t", key}); }

std::string Terminal::screen() { return tmux({"capture-pane", "-p", "-N", "-S", "-", "-t", "t"}); }

bool Terminal::waitFor(const std::string& text, double seconds) {
  return waitUntil(seconds, [&] { return screen().find(text) != std::string::npos; });
}

bool waitForFile(const std::string& path, const std::string& text, double seconds) {
  return waitUntil(seconds, [&] {
    std::ifstream in(path);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str().find(text) != std::string::npos;
  });
}
