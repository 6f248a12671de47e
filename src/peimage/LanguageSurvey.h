#pragma once
// CLanguageSurvey: a light walk over a file's resources that counts them per language,
// tells whether any resource exists in several languages, notices signs of MFC and
// guesses the file's source language.
#include <compare>
#include <map>
#include <string>
#include <vector>

#include "platform/Types.h"

class CPeImage;

class CLanguageSurvey {
 public:
  // A (type, name) pair: each an ordinal or a name.
  struct ResourceKey {
    bool typeIsName = false;
    WORD typeOrdinal = 0;
    std::u16string typeName;
    bool nameIsName = false;
    WORD nameOrdinal = 0;
    std::u16string nameName;
    auto operator<=>(const ResourceKey&) const = default;
  };

  // False when the file cannot be opened as a PE image. A file without resources
  // surveys successfully with a count of 0.
  bool Survey(const std::u16string& path);
  bool SurveyBytes(std::vector<BYTE> bytes);
  bool Survey(const CPeImage& module);

  // The first version language that is not neutral, else the most frequent resource
  // language that is not neutral, else the system default language.
  LANGID GuessSourceLanguage() const;

  // Languages in ascending LANGID order, each placed before the first one with a smaller
  // count: by descending count, ties in ascending LANGID order.
  static std::vector<LANGID> OrderByCount(const std::map<LANGID, int>& counts);

  bool m_singleLanguage = true;
  int m_resourceCount = 0;
  std::vector<LANGID> m_resourceLanguages;
  std::vector<LANGID> m_versionLanguages;
  bool m_mfcClue = false;
  std::map<LANGID, int> m_counts;
  std::map<ResourceKey, std::vector<LANGID>> m_keys;
};
