#pragma once
// Spelling for the translation editor: the system dictionary of the language being
// translated and the user's own words, with the answers remembered while the language stays.
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/PersonalWords.h"
#include "platform/Types.h"
#include "workspace/SpellingWords.h"

namespace tvl {
class CSpellDictionary;
}

class CSpellChecker {
 public:
  // Dictionaries and personal word lists from the usual places of this user.
  CSpellChecker();
  CSpellChecker(std::vector<std::string> dictionaryFolders, std::string wordsFolder);

  // The language to check from now on; false when no dictionary serves it.
  bool SetLanguage(LANGID language);
  LANGID Language() const { return m_language; }
  bool HasDictionary() const { return m_current && m_current->dictionary; }

  bool IsCorrect(std::u16string_view word);
  // The words of `text` that are neither in the dictionary nor in the user's words.
  std::vector<CSpellWord> Misspelled(std::u16string_view text);
  std::vector<std::u16string> Suggestions(std::u16string_view word, size_t most = 6);
  // Into the user's words of the language; false when they could not be saved.
  bool AddWord(std::u16string_view word);
  // The file the language's own words are kept in.
  std::string WordsFile(LANGID language) const;

 private:
  struct CLanguageState {
    tvl::CSpellDictionary* dictionary = nullptr;
    tvl::CPersonalWords words;
    std::unordered_map<std::u16string, bool> known;
  };

  std::vector<std::string> m_folders;
  std::string m_wordsFolder;
  std::map<LANGID, CLanguageState> m_languages;
  CLanguageState* m_current = nullptr;
  LANGID m_language = 0;
};
