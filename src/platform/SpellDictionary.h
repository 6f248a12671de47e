#pragma once
// The system's spelling dictionaries (Hunspell's .aff/.dic pairs): where they live, which one
// serves a locale, and checking words against one. Loaded dictionaries are kept for the
// process, since reading one takes a noticeable moment.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class Hunspell;

namespace tvl {

// The folders searched for dictionaries, in order: $DICPATH (':'-separated), hunspell/ under
// $XDG_DATA_HOME and each of $XDG_DATA_DIRS, then the usual system folders.
std::vector<std::string> DictionaryFolders();

// The path without extension of the dictionary for a locale tag ("fr-CA" or "fr_CA"): the
// exact name, else the language's own country (fr_FR), else the bare language (fr), else the
// first by name of the language's other dictionaries; at each step the folders in their
// order. Empty when there is none.
std::string FindDictionary(std::string_view tag, const std::vector<std::string>& folders);

class CSpellDictionary {
 public:
  ~CSpellDictionary();
  // The dictionary at `base` (.aff and .dic), or null when the files cannot be read.
  static std::unique_ptr<CSpellDictionary> Open(const std::string& base);
  // The same, loaded once for the whole process.
  static CSpellDictionary* Shared(const std::string& base);

  bool Check(std::u16string_view word) const;
  std::vector<std::u16string> Suggest(std::u16string_view word) const;
  const std::string& Base() const { return m_base; }

 private:
  CSpellDictionary() = default;
  // Words go to the dictionary in its own encoding.
  std::string Encode(std::u16string_view word, bool& ok) const;
  std::u16string Decode(const std::string& bytes) const;

  std::string m_base;
  std::string m_encoding;  // empty for UTF-8
  std::unique_ptr<Hunspell> m_hunspell;
};

}  // namespace tvl
