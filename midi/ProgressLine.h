// ProgressLine: how far a transfer has come, as one line on standard error
// redrawn in place (bytes, messages, bytes per second). Only on a terminal:
// on a pipe or a file it writes nothing. The line is erased when the
// transfer is over, so that the result line stands alone.
#ifndef PMCKEYS_MIDI_PROGRESSLINE_H
#define PMCKEYS_MIDI_PROGRESSLINE_H

#include <chrono>
#include <cstddef>
#include <string>

class ProgressLine {
public:
  explicit ProgressLine(const std::string& label);
  ~ProgressLine();
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  void show(std::size_t bytes, std::size_t messages);

private:
  std::string fLabel;
  bool fOnTerminal;
  bool fShown = false;
  std::chrono::steady_clock::time_point fStart;
};

#endif
