#pragma once
// Reads "/name", "/name:value" and "/name:"quoted value"" options out of a whole command line.
#include <map>
#include <optional>
#include <string>
#include <vector>

class CCmdLineParser {
 public:
  CCmdLineParser(std::u16string cmdLine, bool caseSensitive = false);
  // The arguments as the process received them, the program path first: each is read on its
  // own, so text inside a path or a value can never start another option.
  CCmdLineParser(const std::vector<std::u16string>& args, bool caseSensitive = false);

  bool HasOption(const std::u16string& name) const;
  // The option's value; nullopt when the option was not given, empty when given without one.
  std::optional<std::u16string> GetOptionValue(const std::u16string& name) const;

  const std::map<std::u16string, std::u16string>& Options() const { return m_options; }
  const std::u16string& CommandLine() const { return m_cmdLine; }

 private:
  void Parse();
  void ParseArgument(const std::u16string& arg);
  void Store(std::u16string name, std::u16string value);
  std::u16string Key(const std::u16string& name) const;

  std::u16string m_cmdLine;
  bool m_caseSensitive;
  std::map<std::u16string, std::u16string> m_options;
};
