#pragma once
// The scripting command line: the program's project operations without a window.
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "platform/Types.h"

// Runs one `tvl` command (args without the program name). Messages go to err with the batch
// log's prefixes. Returns 0 on success, 1 on an error, 2 on bad usage.
int RunTvl(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// A language given as a LANGID (decimal or 0x hex), a tag (fr-FR) or an abbreviation (FRA).
std::optional<LANGID> ParseLanguageArgument(const std::string& text);

// A translators' file above this size is refused before reading: far beyond any real export,
// and a bound on what a hostile file can make an import allocate.
constexpr std::uint64_t kMaxExchangeFileSize = 256ull << 20;
