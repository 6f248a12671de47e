#include "peimage/LanguageSurvey.h"

#include "peimage/PeImage.h"
#include "peimage/VersionInfoWalker.h"
#include "platform/Files.h"
#include "platform/LanguageFacts.h"

namespace {

constexpr WORD kRtCursor = 1;
constexpr WORD kRtIcon = 3;
constexpr WORD kRtVersion = 16;
constexpr WORD kRtDlgInit = 240;
constexpr WORD kRtToolbar = 241;
constexpr WORD kVersionInfoId = 1;  // the name under which the version functions look

}  // namespace

bool CLanguageSurvey::Survey(const std::u16string& path) {
  CPeImage module;
  if (!module.LoadFile(tvl::NativePath(path))) return false;
  return Survey(module);
}

bool CLanguageSurvey::SurveyBytes(std::vector<BYTE> bytes) {
  CPeImage module;
  if (!module.LoadBytes(std::move(bytes))) return false;
  return Survey(module);
}

bool CLanguageSurvey::Survey(const CPeImage& module) {
  if (!module.IsLoaded()) return false;
  m_mfcClue = false;
  for (const CPeResource& r : module.GetResources()) {
    if (r.type.IsOrdinal()) {
      const WORD t = r.type.GetOrdinal();
      if (t == kRtCursor || t == kRtIcon || t == 255) continue;
      if (t == kRtDlgInit || t == kRtToolbar) m_mfcClue = true;
    }
    ResourceKey key;
    key.typeIsName = r.type.IsName();
    key.typeOrdinal = r.type.GetOrdinal();
    key.typeName = r.type.GetName();
    key.nameIsName = r.name.IsName();
    key.nameOrdinal = r.name.GetOrdinal();
    key.nameName = r.name.GetName();
    auto [it, inserted] = m_keys.try_emplace(std::move(key));
    if (!inserted) m_singleLanguage = false;
    it->second.push_back(r.language);
    ++m_resourceCount;
    ++m_counts[r.language];
  }
  m_resourceLanguages = OrderByCount(m_counts);

  if (const CPeResource* version = module.FindResource(CResName(kRtVersion), CResName(kVersionInfoId))) {
    for (LANGID language : CVersionInfoWalker::TranslationLanguages(module.GetData(*version)))
      m_versionLanguages.push_back(language);
  }
  return true;
}

std::vector<LANGID> CLanguageSurvey::OrderByCount(const std::map<LANGID, int>& counts) {
  std::vector<LANGID> ordered;
  for (const auto& [language, count] : counts) {  // ascending LANGID
    auto it = ordered.begin();
    while (it != ordered.end() && counts.at(*it) >= count) ++it;
    ordered.insert(it, language);
  }
  return ordered;
}

LANGID CLanguageSurvey::GuessSourceLanguage() const {
  for (LANGID language : m_versionLanguages)
    if (PRIMARYLANGID(language) != 0) return language;
  for (LANGID language : m_resourceLanguages)
    if (PRIMARYLANGID(language) != 0) return language;
  return SystemDefaultLanguage();
}
