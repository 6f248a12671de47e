#pragma once
// What the commands of `tvl` share: their options, usage errors, the project they open and
// save, and where their output goes.
#include <algorithm>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/Types.h"

class CTvlDoc;

namespace tvl::cli {

// Usage errors end a command with exit status 2.
struct UsageError {
  std::string message;
};

// The parsed options of one command: repeated options keep every value.
struct Options {
  std::vector<std::string> positional;
  std::multimap<std::string, std::string> values;
  std::vector<std::string> flags;

  bool Has(const std::string& name) const {
    return values.count(name) || std::find(flags.begin(), flags.end(), name) != flags.end();
  }
  std::optional<std::string> Get(const std::string& name) const {
    auto it = values.find(name);
    if (it == values.end()) return std::nullopt;
    return it->second;
  }
  std::vector<std::string> All(const std::string& name) const {
    std::vector<std::string> v;
    for (auto [it, end] = values.equal_range(name); it != end; ++it) v.push_back(it->second);
    return v;
  }
};

// Options that take a value (the rest are flags). "--font" takes three.
Options Parse(const std::vector<std::string>& args, size_t from, const std::vector<std::string>& valued,
              const std::vector<std::string>& flagNames);
LANGID RequireLanguage(const std::string& text);
std::u16string Absolute(const std::string& path);
bool Open(CTvlDoc& doc, const std::string& project);
// False, with the message, when the language (given as text) is not a target of the project.
bool IsTargetLanguage(const CTvlDoc& doc, LANGID language, const std::string& text);
// Through the document's safe save: the file is replaced only when wholly written.
bool Save(CTvlDoc& doc);
// Standard output for "-" or no file; else the file, replaced only when wholly written.
int WriteOutput(const std::optional<std::string>& output, const std::string& text, std::ostream& out);

}  // namespace tvl::cli
