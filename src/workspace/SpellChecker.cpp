#include "workspace/SpellChecker.h"

#include <unicode/uchar.h>

#include "platform/LocaleTable.h"
#include "platform/SpellDictionary.h"

namespace {

// Enough for any project's vocabulary; past it the answers are asked again.
constexpr size_t kMostRemembered = 200000;

std::string FileTag(LANGID language) {
  const tvl::LocaleInfo* locale = tvl::FindLocale(language);
  if (!locale || !*locale->tag) return {};
  std::string tag = locale->tag;
  for (char& c : tag)
    if (c == '-') c = '_';
  return tag;
}

}  // namespace

CSpellChecker::CSpellChecker() : CSpellChecker(tvl::DictionaryFolders(), tvl::PersonalWordsFolder()) {}

CSpellChecker::CSpellChecker(std::vector<std::string> dictionaryFolders, std::string wordsFolder)
    : m_folders(std::move(dictionaryFolders)), m_wordsFolder(std::move(wordsFolder)) {}

std::string CSpellChecker::WordsFile(LANGID language) const {
  std::string tag = FileTag(language);
  return tag.empty() ? std::string() : m_wordsFolder + "/" + tag + ".txt";
}

bool CSpellChecker::SetLanguage(LANGID language) {
  m_language = language;
  auto it = m_languages.find(language);
  if (it == m_languages.end()) {
    CLanguageState state;
    if (const tvl::LocaleInfo* locale = tvl::FindLocale(language)) {
      std::string base = tvl::FindDictionary(locale->tag, m_folders);
      if (!base.empty()) state.dictionary = tvl::CSpellDictionary::Shared(base);
    }
    if (state.dictionary) state.words = tvl::CPersonalWords(WordsFile(language));
    it = m_languages.emplace(language, std::move(state)).first;
  }
  m_current = &it->second;
  return HasDictionary();
}

bool CSpellChecker::IsCorrect(std::u16string_view word) {
  if (!HasDictionary()) return true;
  std::u16string key(word);
  if (auto it = m_current->known.find(key); it != m_current->known.end()) return it->second;
  bool correct = m_current->words.Contains(word);
  if (!correct && !word.empty() && u_isupper(word[0])) {
    // A word added in lower case is also right at the start of a sentence.
    std::u16string lower = key;
    lower[0] = static_cast<char16_t>(u_tolower(lower[0]));
    correct = m_current->words.Contains(lower);
  }
  if (!correct) correct = m_current->dictionary->Check(word);
  if (m_current->known.size() >= kMostRemembered) m_current->known.clear();
  m_current->known.emplace(std::move(key), correct);
  return correct;
}

std::vector<CSpellWord> CSpellChecker::Misspelled(std::u16string_view text) {
  std::vector<CSpellWord> out;
  if (!HasDictionary()) return out;
  for (CSpellWord& w : WordsToCheck(text))
    if (!IsCorrect(w.word)) out.push_back(std::move(w));
  return out;
}

std::vector<std::u16string> CSpellChecker::Suggestions(std::u16string_view word, size_t most) {
  if (!HasDictionary()) return {};
  std::vector<std::u16string> all = m_current->dictionary->Suggest(word);
  if (all.size() > most) all.resize(most);
  return all;
}

bool CSpellChecker::AddWord(std::u16string_view word) {
  if (!HasDictionary() || word.empty()) return false;
  bool saved = m_current->words.Add(word);
  m_current->known.clear();
  return saved;
}
