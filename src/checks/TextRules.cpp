#include "checks/TextRules.h"

#include <algorithm>
#include <map>

#include <unicode/uchar.h>

#include "platform/Text.h"

namespace {

using tvl::ToUtf8;

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

constexpr std::u16string_view kPrintfFlags = u"-+ #0'";
constexpr std::u16string_view kPrintfConversions = u"diouxXcCsSfFeEgGaApn";

// The rest of a printf conversion after '%' and an optional "N$": flags, width, precision,
// length and the conversion letter. The length used, or 0 when it is not one.
size_t PrintfConversionLength(std::u16string_view s) {
  size_t i = 0;
  bool space = false;
  while (i < s.size() && kPrintfFlags.find(s[i]) != std::u16string_view::npos) space |= s[i++] == u' ';
  if (i < s.size() && s[i] == u'*') ++i;
  while (i < s.size() && IsDigit(s[i])) ++i;
  if (i < s.size() && s[i] == u'.') {
    ++i;
    if (i < s.size() && s[i] == u'*') ++i;
    while (i < s.size() && IsDigit(s[i])) ++i;
  }
  for (std::u16string_view length : {u"I64", u"I32", u"hh", u"ll", u"h", u"l", u"L", u"I", u"q", u"j", u"z", u"t", u"w"}) {
    if (s.substr(i).starts_with(length)) {
      i += length.size();
      break;
    }
  }
  if (i >= s.size() || kPrintfConversions.find(s[i]) == std::u16string_view::npos) return 0;
  // The blank flag only means something for signed numbers; "100% sure" is prose.
  if (space && std::u16string_view(u"dieEfFgGaA").find(s[i]) == std::u16string_view::npos) return 0;
  return i + 1;
}

// A placeholder starting at '%' (s[0]); its length, 0 when the '%' starts none.
size_t PercentPlaceholder(std::u16string_view s, bool& positional) {
  positional = false;
  if (s.size() < 2) return 0;
  if (s[1] == u'%') return 2;
  if (s[1] >= u'1' && s[1] <= u'9') {
    size_t digits = 1;
    while (1 + digits < s.size() && IsDigit(s[1 + digits]) && digits < 2) ++digits;
    size_t after = 1 + digits;
    if (after < s.size() && s[after] == u'$') {
      if (size_t n = PrintfConversionLength(s.substr(after + 1))) {
        positional = true;
        return after + 1 + n;
      }
    }
    if (after < s.size() && s[after] == u'!') {
      size_t close = s.find(u'!', after + 1);
      if (close != std::u16string_view::npos) {
        positional = true;
        return close + 1;
      }
    }
    if (size_t n = PrintfConversionLength(s.substr(1))) return 1 + n;  // a width: "%10d"
    positional = true;
    return after;  // a message insert: "%1"
  }
  if (size_t n = PrintfConversionLength(s.substr(1))) return 1 + n;
  if (std::u16string_view(u"0.!trb").find(s[1]) != std::u16string_view::npos) return 2;
  return 0;
}

// "{0}", "{1,-8}", "{2:N2}"; 0 when s (at '{') starts none.
size_t BracePlaceholder(std::u16string_view s) {
  size_t i = 1;
  if (i >= s.size() || !IsDigit(s[i])) return 0;
  while (i < s.size() && IsDigit(s[i])) ++i;
  if (i < s.size() && (s[i] == u',' || s[i] == u':')) {
    size_t close = s.find(u'}', i);
    return close == std::u16string_view::npos ? 0 : close + 1;
  }
  return i < s.size() && s[i] == u'}' ? i + 1 : 0;
}

std::string Quote(const std::u16string& text) { return "\"" + ToUtf8(text) + "\""; }

std::u16string_view TrimEnd(std::u16string_view s) {
  while (!s.empty() && (s.back() == u' ' || s.back() == u'\t' || s.back() == u'\r' || s.back() == u'\n'))
    s.remove_suffix(1);
  return s;
}

bool EndsWithEllipsis(std::u16string_view s) {
  s = TrimEnd(s);
  return s.ends_with(u"...") || s.ends_with(u"\u2026");
}

bool EndsWithColon(std::u16string_view s) {
  s = TrimEnd(s);
  return s.ends_with(u":") || s.ends_with(u"\uFF1A");
}

bool StartsBlank(std::u16string_view s) { return !s.empty() && (s.front() == u' ' || s.front() == u'\t'); }
bool EndsBlank(std::u16string_view s) { return !s.empty() && (s.back() == u' ' || s.back() == u'\t'); }

size_t LineBreaks(std::u16string_view s) { return static_cast<size_t>(std::count(s.begin(), s.end(), u'\n')); }

// Worth translating: a word of at least four letters.
bool IsNonTrivial(std::u16string_view s) {
  int run = 0;
  for (char16_t c : s) {
    run = u_isalpha(c) ? run + 1 : 0;
    if (run >= 4) return true;
  }
  return false;
}

}  // namespace

std::vector<CPlaceholder> ExtractPlaceholders(std::u16string_view text) {
  std::vector<CPlaceholder> out;
  for (size_t i = 0; i < text.size();) {
    size_t n = 0;
    bool positional = false;
    if (text[i] == u'%') {
      n = PercentPlaceholder(text.substr(i), positional);
    } else if (text[i] == u'{') {
      if (i + 1 < text.size() && text[i + 1] == u'{') {
        i += 2;  // an escaped brace
        continue;
      }
      n = BracePlaceholder(text.substr(i));
      positional = true;
    }
    if (n) {
      out.push_back({std::u16string(text.substr(i, n)), positional, i});
      i += n;
    } else {
      ++i;
    }
  }
  return out;
}

std::optional<char16_t> FindMnemonic(std::u16string_view text) {
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != u'&') continue;
    if (text[i + 1] == u'&') {
      ++i;
      continue;
    }
    if (text[i + 1] != u' ') return text[i + 1];
  }
  return std::nullopt;
}

void CPlaceholderRule::Check(const CTextPair& pair, CRuleHits& hits) const {
  std::vector<CPlaceholder> source = ExtractPlaceholders(pair.source);
  std::vector<CPlaceholder> translation = ExtractPlaceholders(pair.translation);
  std::map<std::u16string, int> count;
  for (const CPlaceholder& p : source) ++count[p.text];
  for (const CPlaceholder& p : translation) --count[p.text];
  bool differ = false;
  for (const auto& [text, n] : count) {
    if (n > 0) {
      hits.push_back({ECheckSeverity::kError, "Placeholder " + Quote(text) + " of the source is missing from the translation."});
    } else if (n < 0) {
      hits.push_back({ECheckSeverity::kError, "Placeholder " + Quote(text) + " of the translation is not in the source."});
    }
    differ |= n != 0;
  }
  if (differ) return;
  // Plain printf conversions take their arguments in order: they may not change places.
  auto sequence = [](const std::vector<CPlaceholder>& v) {
    std::vector<std::u16string> s;
    for (const CPlaceholder& p : v)
      if (!p.positional && p.text != u"%%") s.push_back(p.text);
    return s;
  };
  if (sequence(source) != sequence(translation))
    hits.push_back({ECheckSeverity::kError, "Placeholders that are not numbered changed their order."});
}

void CMnemonicPresenceRule::Check(const CTextPair& pair, CRuleHits& hits) const {
  if (!pair.label) return;
  bool source = FindMnemonic(pair.source).has_value();
  bool translation = FindMnemonic(pair.translation).has_value();
  if (source && !translation) {
    hits.push_back({ECheckSeverity::kWarning, "The source has a mnemonic ('&' letter); the translation has none."});
  } else if (!source && translation) {
    hits.push_back({ECheckSeverity::kWarning, "The translation has a mnemonic ('&' letter); the source has none."});
  }
}

void CTextShapeRule::Check(const CTextPair& pair, CRuleHits& hits) const {
  const std::u16string_view s = pair.source, t = pair.translation;
  auto warn = [&hits](const char* message) { hits.push_back({ECheckSeverity::kWarning, message}); };
  if (StartsBlank(s) != StartsBlank(t)) warn("Leading blanks differ from the source.");
  if (EndsBlank(s) != EndsBlank(t)) warn("Trailing blanks differ from the source.");
  if (LineBreaks(s) != LineBreaks(t))
    hits.push_back({ECheckSeverity::kWarning, "The source has " + std::to_string(LineBreaks(s)) +
                                                  " line breaks, the translation " + std::to_string(LineBreaks(t)) + "."});
  if (EndsWithEllipsis(s) != EndsWithEllipsis(t))
    warn(EndsWithEllipsis(s) ? "The source ends with \"...\"; the translation does not."
                             : "The translation ends with \"...\"; the source does not.");
  if (EndsWithColon(s) != EndsWithColon(t))
    warn(EndsWithColon(s) ? "The source ends with \":\"; the translation does not."
                          : "The translation ends with \":\"; the source does not.");
  if (s == t && IsNonTrivial(s)) warn("The translation is the same as the source.");
}

std::u16string UnrepresentableCharacters(std::u16string_view text, UINT codePage) {
  if (!tvl::IsCodePageKnown(codePage)) return {};
  bool lost = false;
  tvl::WideToMultiByte(codePage, text, &lost);
  std::u16string out;
  if (!lost) return out;
  for (size_t i = 0; i < text.size(); ++i) {
    // A surrogate pair is one character.
    size_t n = (text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < text.size()) ? 2 : 1;
    std::u16string_view c = text.substr(i, n);
    bool charLost = false;
    tvl::WideToMultiByte(codePage, c, &charLost);
    if (charLost && out.find(c) == std::u16string::npos) out += c;
    i += n - 1;
  }
  return out;
}
