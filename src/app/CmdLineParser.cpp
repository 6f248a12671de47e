#include "app/CmdLineParser.h"

#include "platform/Text.h"

CCmdLineParser::CCmdLineParser(std::u16string cmdLine, bool caseSensitive)
    : m_cmdLine(std::move(cmdLine)), m_caseSensitive(caseSensitive) {
  Parse();
}

CCmdLineParser::CCmdLineParser(const std::vector<std::u16string>& args, bool caseSensitive)
    : m_caseSensitive(caseSensitive) {
  for (size_t i = 0; i < args.size(); ++i) {
    if (i) m_cmdLine += u' ';
    m_cmdLine += args[i];
    if (i) ParseArgument(args[i]);
  }
}

// The option grammar within one argument: only a leading '-' or '/' starts an option, and the
// value runs to the argument's end (or to its closing quote), spaces included.
void CCmdLineParser::ParseArgument(const std::u16string& arg) {
  if (arg.size() < 2 || (arg[0] != u'-' && arg[0] != u'/')) return;
  const size_t npos = std::u16string::npos;
  size_t sep = arg.find_first_of(u" :", 1);
  if (sep == npos) return Store(arg.substr(1), {});
  std::u16string name = arg.substr(1, sep - 1);
  if (arg[sep] == u' ' || sep + 1 == arg.size()) return Store(std::move(name), {});
  size_t valueStart = sep + 1;
  if (arg[valueStart] != u'"') return Store(std::move(name), arg.substr(valueStart));
  size_t end = arg.find(u'"', valueStart + 1);
  Store(std::move(name), arg.substr(valueStart + 1, end == npos ? npos : end - valueStart - 1));
}

std::u16string CCmdLineParser::Key(const std::u16string& name) const {
  return m_caseSensitive ? name : tvl::ToLowerAscii(name);
}

void CCmdLineParser::Store(std::u16string name, std::u16string value) {
  if (name.empty()) return;
  // The first value given for an option wins.
  m_options.emplace(Key(name), std::move(value));
}

void CCmdLineParser::Parse() {
  const std::u16string& t = m_cmdLine;
  const size_t npos = std::u16string::npos;
  size_t pos = 0;
  for (;;) {
    size_t flag = t.find_first_of(u"-/", pos);
    if (flag == npos) return;
    size_t nameStart = flag + 1;
    if (nameStart >= t.size()) return;

    size_t sep = t.find_first_of(u" :", nameStart);
    if (sep == npos) {
      Store(t.substr(nameStart), {});
      return;
    }
    std::u16string name = t.substr(nameStart, sep - nameStart);
    if (t[sep] == u' ' || sep + 1 == t.size()) {
      Store(std::move(name), {});
      pos = sep + 1;
      continue;
    }

    size_t valueStart = sep + 1;
    size_t end;
    if (t[valueStart] == u'"') {
      ++valueStart;
      end = t.find(u'"', valueStart);
    } else {
      end = t.find(u' ', valueStart);
    }
    if (end == npos) {
      Store(std::move(name), t.substr(valueStart));
      return;
    }
    Store(std::move(name), t.substr(valueStart, end - valueStart));
    pos = end + 1;
  }
}

bool CCmdLineParser::HasOption(const std::u16string& name) const { return m_options.count(Key(name)) != 0; }

std::optional<std::u16string> CCmdLineParser::GetOptionValue(const std::u16string& name) const {
  auto it = m_options.find(Key(name));
  if (it == m_options.end()) return std::nullopt;
  return it->second;
}
