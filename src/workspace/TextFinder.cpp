#include "workspace/TextFinder.h"

#include <unicode/regex.h>
#include <unicode/uchar.h>

#include <algorithm>
#include <unicode/unistr.h>

#include "formats/text/ResAccelerator.h"
#include "platform/Text.h"
#include "project/TextItems.h"
#include "project/TvlDoc.h"
#include "resmodel/LocalizedParam.h"
#include "workspace/AcceleratorRules.h"
#include "workspace/ElementIds.h"

namespace tvl {

struct CTextMatcher::Impl {
  std::unique_ptr<icu::RegexPattern> pattern;
  // Reset for each text; matching is single-threaded like the lists that use it.
  std::unique_ptr<icu::RegexMatcher> matcher;
};

namespace {

bool IsWordChar(UChar32 c) { return u_isalnum(c) || c == u'_'; }

icu::UnicodeString Wrap(std::u16string_view text) {
  // Read-only alias: no copy of each text searched.
  return icu::UnicodeString(false, text.data(), static_cast<int32_t>(text.size()));
}

}  // namespace

CTextMatcher::CTextMatcher(std::u16string_view pattern, CFindOptions options)
    : m_impl(std::make_unique<Impl>()), m_empty(pattern.empty()), m_wholeWord(options.wholeWord) {
  if (m_empty) return;
  uint32_t flags = 0;
  if (!options.matchCase) flags |= UREGEX_CASE_INSENSITIVE;
  if (!options.regularExpression) flags |= UREGEX_LITERAL;
  UErrorCode status = U_ZERO_ERROR;
  UParseError parseError;
  icu::UnicodeString source(pattern.data(), static_cast<int32_t>(pattern.size()));
  m_impl->pattern.reset(icu::RegexPattern::compile(source, flags, parseError, status));
  if (U_SUCCESS(status)) m_impl->matcher.reset(m_impl->pattern->matcher(status));
  m_valid = U_SUCCESS(status) && m_impl->matcher;
}

CTextMatcher::~CTextMatcher() = default;

bool CTextMatcher::Matches(std::u16string_view text) const {
  if (m_empty) return true;
  if (!m_valid) return false;
  icu::UnicodeString input = Wrap(text);
  icu::RegexMatcher& m = *m_impl->matcher;
  m.reset(input);
  UErrorCode status = U_ZERO_ERROR;
  int32_t from = 0;
  while (from <= input.length() && m.find(from, status) && U_SUCCESS(status)) {
    int32_t start = m.start(status);
    int32_t end = m.end(status);
    if (!m_wholeWord) return true;
    bool before = start > 0 && IsWordChar(input.char32At(start - 1));
    bool after = end < input.length() && IsWordChar(input.char32At(end));
    if (end > start && !before && !after) return true;
    from = start + 1;  // a later, overlapping occurrence may stand alone
  }
  return false;
}

bool CTextMatcher::MatchesAny(std::u16string_view id, std::u16string_view source,
                              std::u16string_view translation) const {
  return Matches(id) || Matches(source) || Matches(translation);
}

namespace {

std::u16string KeyText(const CLocalizedHotKey& key) {
  std::u16string modifiers = AcceleratorModifiersText(key.m_hotFlags);
  std::u16string name = AcceleratorKeyText(key.m_hotFlags, key.m_key);
  return modifiers.empty() ? name : modifiers + u"+" + name;
}

std::u16string IdText(unsigned long id) { return FromUtf8(std::to_string(id)); }

// The id a user knows an item by: a string's number, else its resource's name. The kind
// words of the item id ("text", "control") would match every item of their kind.
std::string ShownId(const CExchangeItem& item) {
  if (item.m_groupType != "x-stringtable" && item.m_groupType != "x-messagetable") return item.m_groupName;
  std::string rest = item.m_id.substr(std::min(item.m_id.size(), item.m_group.size() + 1));
  return rest.substr(0, rest.find('/'));
}

// Keys are no texts of the exchange formats, but a translator looks for "Ctrl+O" too.
void FindKeys(CModule& module, const CTextMatcher& matcher, LANGID language, std::vector<CFindMatch>& out) {
  CResourceType& type = module.m_resTable.m_accelerators;
  const std::string prefix = ToUtf8(module.GetName()) + "/" + ToUtf8(type.m_identifier.GetText(true)) + "/";
  for (const auto& r : type.m_resources) {
    const auto* table = dynamic_cast<const CResAcceleratorTable*>(r.get());
    if (!table) continue;
    for (size_t i = 0; i < table->GetCount(); ++i) {
      const CResAccelerator& entry = *table->GetEntry(i);
      const auto* own = static_cast<const CLocalizedHotKey*>(entry.m_key.FindValue(language));
      CFindMatch match{prefix + ToUtf8(r->m_identifier.GetText(true)) + "/" + AcceleratorElementId(*table, i),
                       KeyText(entry.m_key), own && own != &entry.m_key ? KeyText(*own) : std::u16string()};
      if (matcher.MatchesAny(IdText(entry.m_commandId), match.source, match.translation))
        out.push_back(std::move(match));
    }
  }
}

}  // namespace

std::vector<CFindMatch> FindInProject(CTvlDoc& doc, const CTextMatcher& matcher, LANGID language) {
  std::vector<CFindMatch> out;
  if (matcher.IsEmpty() || !matcher.IsValid()) return out;
  for (const auto& module : doc.m_modules) {
    std::vector<CExchangeItem> items;
    CollectModuleItems(*module, items);
    for (const CExchangeItem& item : items) {
      std::u16string_view translation = OwnTranslation(*item.m_value, language);
      if (matcher.MatchesAny(FromUtf8(ShownId(item)), item.m_value->m_text, translation))
        out.push_back({item.m_id, item.m_value->m_text, std::u16string(translation)});
    }
    FindKeys(*module, matcher, language, out);
  }
  return out;
}

std::u16string_view OwnTranslation(const CLocalizedString& value, LANGID language) {
  const CLocalizedString* entry = value.FindString(language);
  return entry && entry != &value ? std::u16string_view(entry->m_text) : std::u16string_view();
}

bool BeginsWithTyped(std::u16string_view text, std::u16string_view typed) {
  if (typed.empty()) return false;
  icu::UnicodeString shown;
  size_t i = 0;
  while (i < text.size() && text[i] == u' ') ++i;
  // Folding can lengthen a text; a few more characters than typed are enough to compare.
  for (; i < text.size() && static_cast<size_t>(shown.length()) < typed.size() * 2 + 4; ++i) {
    if (text[i] == u'&') {
      // "&&" is a literal ampersand, a single one marks the mnemonic.
      if (i + 1 >= text.size() || text[i + 1] != u'&') continue;
      ++i;
    }
    shown.append(static_cast<UChar>(text[i]));
  }
  icu::UnicodeString want = Wrap(typed);
  shown.foldCase();
  want.foldCase();
  return shown.startsWith(want);
}

}  // namespace tvl
