#pragma once
// Runs the `tvl` command line in process and keeps what it printed.
#include <sstream>
#include <string>
#include <vector>

#include "cli/TvlCommands.h"

struct TvlRun {
  int rc;
  std::string out, err;
};

inline TvlRun Tvl(std::vector<std::string> args) {
  std::ostringstream out, err;
  int rc = RunTvl(args, out, err);
  return {rc, out.str(), err.str()};
}
