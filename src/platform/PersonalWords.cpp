#include "platform/PersonalWords.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/Text.h"

namespace tvl {

std::string PersonalWordsFolder() {
  const char* data = std::getenv("XDG_DATA_HOME");
  std::string base = data && *data == '/' ? std::string(data) : std::string();
  if (base.empty()) {
    const char* home = std::getenv("HOME");
    base = std::string(home ? home : "") + "/.local/share";
  }
  return base + "/tessalingvora/spelling";
}

CPersonalWords::CPersonalWords(std::string path) : m_path(std::move(path)) {
  std::ifstream in(m_path, std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) m_words.insert(FromUtf8(line));
  }
}

bool CPersonalWords::Contains(std::u16string_view word) const { return m_words.find(word) != m_words.end(); }

bool CPersonalWords::Add(std::u16string_view word) {
  if (word.empty() || word.find_first_of(u"\r\n") != std::u16string_view::npos) return false;
  if (!m_words.emplace(word).second) return true;
  if (m_path.empty()) return false;
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(m_path).parent_path(), ec);
  std::ofstream out(m_path, std::ios::binary | std::ios::app);
  out << ToUtf8(word) << '\n';
  out.flush();
  return static_cast<bool>(out);
}

}  // namespace tvl
