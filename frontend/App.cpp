#include "frontend/App.h"

App::App(int argc, char** argv)
    : fProgName(argc > 0 && argv[0] != nullptr ? argv[0] : ""), fArgs(readArgs(argc - 1, argv)) {}

std::vector<std::string> App::readArgs(int last, char** argv) {
  std::vector<std::string> args;
  for (int i = 1; i <= last; ++i) args.emplace_back(argv[i]);
  return args;
}
