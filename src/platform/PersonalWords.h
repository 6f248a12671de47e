#pragma once
// The words a user added to the spelling dictionary of one language: a UTF-8 file with one
// word a line, kept across runs.
#include <set>
#include <string>
#include <string_view>

namespace tvl {

// $XDG_DATA_HOME (or ~/.local/share) / tessalingvora / spelling, read when asked so a
// changed environment is honoured.
std::string PersonalWordsFolder();

class CPersonalWords {
 public:
  CPersonalWords() = default;
  // The list kept in `path`; a missing file is an empty list.
  explicit CPersonalWords(std::string path);

  bool Contains(std::u16string_view word) const;
  // Adds the word and appends it to the file; false when the file cannot be written (the word
  // is still known for this run).
  bool Add(std::u16string_view word);
  const std::string& Path() const { return m_path; }
  size_t Size() const { return m_words.size(); }

 private:
  std::string m_path;
  std::set<std::u16string, std::less<>> m_words;
};

}  // namespace tvl
