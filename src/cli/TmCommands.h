#pragma once
// `tvl tm ...` (the translation memory: add a project, import and export TMX, look up a text)
// and `tvl pretranslate`.
#include <iosfwd>
#include <string>
#include <vector>

#include "cli/CommandLine.h"

namespace tvl::cli {
extern const char* const kTmHelp;
extern const char* const kPretranslateHelp;
// args[0] is "tm".
int CmdTm(const std::vector<std::string>& args, std::ostream& out);
int CmdPretranslate(const Options& o, std::ostream& out);
}  // namespace tvl::cli
