#include "workspace/TextFinder.h"

#include <unicode/regex.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

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

}  // namespace tvl
