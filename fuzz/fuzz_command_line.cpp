// The command line as a whole, on the recording port: the first words are
// the arguments; what follows a "|" word feeds the interactive calibration.
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <iostream>
#include <sstream>

#include "frontend/CommandLine.h"
#include "fuzz/FuzzInput.h"
#include "ports/FakeHardwarePort.h"

namespace {

std::ostringstream gDiscard;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setenv("PMCKEYS_DEVICE", "/nonexistent/pmckeys-fuzz", 1);  // never a real board
  setenv("PMCKEYS_MIDI_API", "none", 1);                     // nor a MIDI system
  // --console and --script /dev/stdin must not wait for a person at the terminal.
  const int null = open("/dev/null", O_RDONLY);
  dup2(null, STDIN_FILENO);
  close(null);
  std::cout.rdbuf(gDiscard.rdbuf());
  std::cerr.rdbuf(gDiscard.rdbuf());
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string> words = splitWords(data, size, 64);
  std::string input;
  for (std::size_t i = 0; i < words.size(); ++i) {
    if (words[i] != "|") continue;
    for (std::size_t j = i + 1; j < words.size(); ++j) input += words[j] + "\n";
    words.resize(i);
    break;
  }
  std::istringstream stdinText(input);
  std::streambuf* oldIn = std::cin.rdbuf(stdinText.rdbuf());
  std::vector<char*> argv;
  std::string program = "pmckeys";
  argv.push_back(&program[0]);
  for (std::string& word : words) argv.push_back(&word[0]);
  argv.push_back(nullptr);
  const int status = runCommandLine(static_cast<int>(argv.size()) - 1, argv.data());
  std::cin.rdbuf(oldIn);
  std::cin.clear();
  gDiscard.str("");
  FakeHardwarePort::instance()->resetSequence();  // it records every key of every run
  if (status < 0 || status > 2) abort();
  return 0;
}
