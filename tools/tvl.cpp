// tvl: projects from scripts.
#include <iostream>
#include <string>
#include <vector>

#include "cli/TvlCommands.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return RunTvl(args, std::cout, std::cerr);
}
