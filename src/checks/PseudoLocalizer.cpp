#include "checks/PseudoLocalizer.h"

#include <unordered_set>

#include "checks/TextRules.h"
#include "formats/layout/ResMenu.h"
#include "formats/text/PromptAndTips.h"
#include "project/TextItems.h"
#include "project/TvlDoc.h"

namespace {

// a..z as each pseudo language writes them; each table keeps to its language's code page
// (1252, 932 and 1256), so ANSI resources never get '?'.
constexpr std::u16string_view kLatinLower = u"åbçðéfghîjklmñöpqršþüvwxýž";
constexpr std::u16string_view kLatinUpper = u"ÅBÇÐÉFGHÎJKLMÑÖPQRŠTÜVWXÝŽ";
constexpr std::u16string_view kArabicLower = u"âbçdéfghîjklmnôpqrstûvwxyz";

char16_t MapLetter(char16_t c, LANGID language) {
  const bool lower = c >= u'a' && c <= u'z', upper = c >= u'A' && c <= u'Z';
  if (!lower && !upper) return c;
  const size_t i = static_cast<size_t>(lower ? c - u'a' : c - u'A');
  switch (language) {
    case kPseudoAsianLocale:
      return static_cast<char16_t>(c + 0xFEE0);  // the full-width form
    case kPseudoMirroredLocale:
      return lower ? kArabicLower[i] : c;
    default:
      return lower ? kLatinLower[i] : kLatinUpper[i];
  }
}

std::u16string_view Padding(LANGID language) {
  switch (language) {
    case kPseudoAsianLocale:
      return u"表ポあ叶";
    default:
      return u"·";
  }
}

// Lengths of the parts that must stay as they are: placeholders, "&x" mnemonics, "\x"
// escapes. Indexed by start position; 0 where nothing is protected.
std::vector<size_t> ProtectedSpans(std::u16string_view text) {
  std::vector<size_t> spans(text.size() + 1, 0);
  for (const CPlaceholder& p : ExtractPlaceholders(text)) spans[p.offset] = p.text.size();
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (spans[i]) {
      i += spans[i] - 1;
    } else if (text[i] == u'&' || text[i] == u'\\') {
      spans[i] = 2;  // the mnemonic letter keeps its key; an escape keeps its meaning
      ++i;
    }
  }
  return spans;
}

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

}  // namespace

bool IsPseudoLanguage(LANGID language) {
  return language == kPseudoLocale || language == kPseudoAsianLocale || language == kPseudoMirroredLocale;
}

std::u16string PseudoLocalize(std::u16string_view text, LANGID language, const CPseudoOptions& options) {
  // Surrounding blanks stay outside, where the layout expects them.
  size_t begin = 0, end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  if (begin == end) return std::u16string(text);
  std::u16string_view core = text.substr(begin, end - begin);
  std::vector<size_t> spans = ProtectedSpans(core);
  std::u16string body;
  for (size_t i = 0; i < core.size(); ++i) {
    if (spans[i]) {
      body += core.substr(i, spans[i]);
      i += spans[i] - 1;
    } else {
      body += MapLetter(core[i], language);
    }
  }
  const size_t extra = (core.size() * static_cast<size_t>(std::max(options.expandPercent, 0)) + 99) / 100;
  std::u16string_view pad = Padding(language);
  for (size_t i = 0; i < extra; ++i) body += pad[i % pad.size()];
  if (options.brackets) body = u"[" + body + u"]";
  // Right-to-left marks: unlike the embedding controls, code page 1256 holds them.
  if (language == kPseudoMirroredLocale) body = u"\u200F" + body + u"\u200F";
  return std::u16string(text.substr(0, begin)) + body + std::u16string(text.substr(end));
}

int PseudoLocalizeProject(CTvlDoc& doc, LANGID language, const CPseudoOptions& options) {
  if (!IsPseudoLanguage(language)) return -1;
  if (doc.m_languages.Find(language) < 0) {
    CLanguageArray working = doc.m_languages;
    working.Add(CLanguage(language));
    doc.ApplyLanguages(working);
  }
  // Shortcut texts name keys, which stay the same in every language.
  std::unordered_set<const CLocalizedString*> shortcuts;
  for (const auto& module : doc.m_modules)
    for (CResourceType* type : module->m_resTable.GetTypes())
      for (const auto& r : type->m_resources)
        if (auto* menu = dynamic_cast<CResMenu*>(r.get()))
          for (CResMenuItem* item : menu->Flatten()) shortcuts.insert(&item->m_shortcut);
  int count = 0;
  for (const CExchangeItem& item : tvl::CollectProjectItems(doc)) {
    if (item.m_kind == TextItemKind::kVersion || item.m_doNotTranslate || shortcuts.count(item.m_value)) continue;
    item.m_value->SetTranslation(PseudoLocalize(item.m_value->m_text, language, options), language);
    if (item.m_kind == TextItemKind::kPrompt && item.m_prompt) item.m_prompt->Compose(language);
    ++count;
  }
  for (const auto& m : doc.m_modules) m->m_resTable.UpdateStatus(language);
  doc.SetModifiedFlag();
  return count;
}
