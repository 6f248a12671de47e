#include "tm/ProjectMemory.h"

#include <map>
#include <optional>

#include "checks/CheckFinding.h"
#include "checks/CheckReport.h"
#include "formats/text/PromptAndTips.h"
#include "platform/Messages.h"
#include "platform/Text.h"
#include "project/Module.h"
#include "project/TextItems.h"
#include "project/TvlDoc.h"

IMPLEMENT_DYNAMIC(CUndoPretranslate, CUndoTranslate)

namespace {

bool Keeps(const CExchangeItem& item) { return item.m_kind != TextItemKind::kVersion && !item.m_doNotTranslate; }

// The translation of a language that is there, or nullptr (the head stands for the source).
const CLocalizedString* Translation(const CLocalizedString& head, LANGID language) {
  const CLocalizedParam* node = head.FindValue(language);
  return node && node != &head ? static_cast<const CLocalizedString*>(node) : nullptr;
}

}  // namespace

void CUndoPretranslate::Apply(std::vector<CObject*>& touched) {
  std::vector<CObject*> ignored;
  for (auto& step : m_steps) step->Apply(ignored);
  if (m_document)
    for (const auto& m : m_document->m_modules) m->m_resTable.UpdateStatus(m_language);
  (void)touched;  // the tables' statuses are recomputed above; the views refresh everything
  if (m_afterApply) m_afterApply();
}

namespace tvl {

bool MakeSegment(LANGID sourceLanguage, const std::u16string& source, LANGID targetLanguage,
                 const std::u16string& target, const std::string& id, std::int64_t time, CTmSegment& segment) {
  if (source.empty() || target.empty() || !sourceLanguage || !targetLanguage) return false;
  CCheckFinding place;
  place.m_id = id;
  segment = {LanguageTag(sourceLanguage), source, LanguageTag(targetLanguage), target,
             place.Module(), place.Resource(), place.Element(), time};
  return true;
}

std::vector<CTmSegment> ProjectSegments(CTvlDoc& doc, LANGID language, std::int64_t time) {
  std::vector<CTmSegment> segments;
  for (const auto& module : doc.m_modules) {
    std::vector<CExchangeItem> items;
    CollectModuleItems(*module, items);
    for (const CExchangeItem& item : items) {
      if (!Keeps(item)) continue;
      for (const CLanguage& l : doc.m_languages) {
        LANGID target = l.GetLanguage();
        if (language && target != language) continue;
        const CLocalizedString* node = Translation(*item.m_value, target);
        CTmSegment s;
        if (node && node->m_status >= kStatusTranslated &&
            MakeSegment(module->m_sourceLanguage, item.m_value->m_text, target, node->m_text, item.m_id, time, s))
          segments.push_back(std::move(s));
      }
    }
  }
  return segments;
}

std::unique_ptr<CUndoPretranslate> Pretranslate(CTvlDoc& doc, const CTranslationMemory& memory, LANGID language,
                                                int minMatch, CPretranslateResult& result) {
  result = {};
  const std::string target = LanguageTag(language);
  // Everything is looked up first: a memory that fails to read leaves the project as it was.
  struct Fill {
    const CExchangeItem* item;
    std::u16string text;
    bool exact;
  };
  std::vector<CExchangeItem> items;
  std::vector<LANGID> sources;  // each item's module's language
  for (const auto& module : doc.m_modules) {
    CollectModuleItems(*module, items);
    sources.resize(items.size(), module->m_sourceLanguage);
  }
  std::vector<Fill> fills;
  std::map<std::pair<LANGID, std::u16string>, std::optional<CTmMatch>> seen;  // a repeated text is looked up once
  CTranslationMemory::CReading reading(memory);
  for (size_t i = 0; i < items.size(); ++i) {
    const CExchangeItem& item = items[i];
    if (!Keeps(item) || Translation(*item.m_value, language)) continue;
    auto key = std::make_pair(sources[i], item.m_value->m_text);
    auto found = seen.find(key);
    if (found == seen.end()) {
      std::vector<CTmMatch> matches = memory.Lookup(LanguageTag(sources[i]), target, key.second, minMatch, 1, item.m_id);
      found = seen.emplace(key, matches.empty() ? std::nullopt : std::optional<CTmMatch>(matches.front())).first;
    }
    if (found->second)
      fills.push_back({&item, found->second->m_suggestion, found->second->m_percent == 100});
    else
      ++result.m_remaining;
  }
  if (fills.empty()) return nullptr;
  auto action = std::make_unique<CUndoPretranslate>();
  action->m_document = &doc;
  action->m_language = language;
  action->m_object = action.get();  // no node of the tree stands for the whole project's texts
  for (const Fill& fill : fills) {
    CLocalizedString& value = *fill.item->m_value;
    auto step = std::make_unique<CUndoTranslateString>();
    step->m_head = &value;
    step->m_language = language;
    step->m_promptLink = fill.item->m_kind == TextItemKind::kPrompt ? fill.item->m_prompt : nullptr;
    step->m_status = value.FindValue(language) ? value.FindValue(language)->m_status : 0;
    value.SetTranslation(fill.text, language);
    value.SetStatus(language, fill.exact ? kStatusTranslated : kStatusNotTranslated);
    if (step->m_promptLink) step->m_promptLink->Compose(language);
    action->m_steps.push_back(std::move(step));
    ++(fill.exact ? result.m_exact : result.m_fuzzy);
  }
  for (const auto& m : doc.m_modules) m->m_resTable.UpdateStatus(language);
  doc.SetModifiedFlag();
  return action;
}

}  // namespace tvl

namespace tvl {

std::u16string MemoryErrorText(const CTranslationMemory& memory, const CTmError& error) {
  std::string text = error.what();
  if (text.rfind(memory.GetPath() + ": ", 0) != 0) text = memory.GetPath() + ": " + text;  // Open names it already
  return FormatMessageText(u"Cannot use the translation memory %1", {Arg(FromUtf8(text))});
}

std::string PretranslateSummary(const CPretranslateResult& result, LANGID language, int minMatch) {
  auto count = [](size_t n, const char* one, const char* many) { return std::to_string(n) + " " + (n == 1 ? one : many); };
  std::string text = "Pre-translated " + count(result.m_exact + result.m_fuzzy, "text", "texts") + " into " +
                     LanguageTag(language) + ": " + count(result.m_exact, "exact match", "exact matches") + " (translated)";
  if (minMatch < 100)
    text += ", " + count(result.m_fuzzy, "match", "matches") + " of " + std::to_string(minMatch) + " % or more (to review)";
  return text + "; " + count(result.m_remaining, "text", "texts") + " left untranslated.";
}

}  // namespace tvl
