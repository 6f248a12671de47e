#include "workspace/SpellingWords.h"

#include <algorithm>

#include <unicode/uchar.h>
#include <unicode/utf16.h>

#include "checks/TextRules.h"

namespace {

constexpr std::u16string_view kEscapes = u"ntrabfv0\\\"'";
constexpr std::u16string_view kGlue = u"_@/\\";

bool IsHex(char16_t c) { return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F'); }

// Length of the backslash escape at i, 0 when there is none: "\n", "\x1B", "\u00E9".
size_t EscapeLength(std::u16string_view s, size_t i) {
  if (s[i] != u'\\' || i + 1 >= s.size()) return 0;
  char16_t c = s[i + 1];
  if (c == u'x' || c == u'u') {
    size_t n = 2, most = c == u'u' ? 6 : 4;
    while (i + n < s.size() && n < most && IsHex(s[i + n])) ++n;
    return n > 2 ? n : 0;
  }
  return kEscapes.find(c) != std::u16string_view::npos ? 2 : 0;
}

// For each position, the length of the protected part starting there.
std::vector<size_t> ProtectedParts(std::u16string_view text) {
  std::vector<size_t> parts(text.size(), 0);
  for (const CPlaceholder& p : ExtractPlaceholders(text)) parts[p.offset] = p.text.size();
  for (size_t i = 0; i < text.size(); ++i) {
    if (parts[i]) {
      i += parts[i] - 1;
    } else if (size_t n = EscapeLength(text, i)) {
      parts[i] = n;
      i += n - 1;
    }
  }
  return parts;
}

UChar32 At(std::u16string_view s, size_t i) {
  UChar32 c = 0;
  U16_GET(s.data(), 0, i, s.size(), c);
  return c;
}

bool IsLetter(UChar32 c) {
  int8_t type = u_charType(c);
  return u_isalpha(c) || type == U_NON_SPACING_MARK || type == U_COMBINING_SPACING_MARK;
}

// Identifiers, file names and addresses: names with digits, inner capitals ("MyApp"), or
// touching '_', '@', '/', a lone '\' or a dot between letters ("readme.txt"). A lone letter
// is a key or a variable more often than a word.
bool IsNotProse(std::u16string_view text, const std::vector<size_t>& parts, const CSpellWord& w) {
  if (w.word.size() < 2) return true;
  bool lower = false;
  for (char16_t c : w.word) {
    if (u_isdigit(c)) return true;
    if (lower && u_isupper(c)) return true;
    lower = u_islower(c);
  }
  size_t end = w.start + w.length;
  auto alnum = [&](size_t i) { return i < text.size() && u_isalnum(text[i]); };
  if (w.start > 0) {
    char16_t before = text[w.start - 1];
    if (before == u'&' && w.start > 1) before = text[w.start - 2];
    if (kGlue.find(before) != std::u16string_view::npos) return true;
    if (before == u'.' && w.start > 1 && alnum(w.start - 2)) return true;
  }
  if (end < text.size() && !parts[end]) {
    char16_t after = text[end];
    if (kGlue.find(after) != std::u16string_view::npos) return true;
    if (after == u'.' && alnum(end + 1)) return true;
  }
  return false;
}

}  // namespace

std::vector<CSpellWord> WordsToCheck(std::u16string_view text) {
  std::vector<size_t> parts = ProtectedParts(text);
  std::vector<CSpellWord> words;
  CSpellWord current;
  bool inWord = false;
  auto finish = [&] {
    if (inWord && !IsNotProse(text, parts, current)) words.push_back(current);
    inWord = false;
    current = CSpellWord();
  };
  auto letterAt = [&](size_t i) { return i < text.size() && !parts[i] && (IsLetter(At(text, i)) || u_isdigit(At(text, i))); };
  for (size_t i = 0; i < text.size();) {
    if (parts[i]) {
      finish();
      i += parts[i];
      continue;
    }
    UChar32 c = At(text, i);
    size_t n = U16_LENGTH(c);
    bool joins = IsLetter(c) || u_isdigit(c);
    if (c == u'&' && letterAt(i + 1)) {
      // A mnemonic marker: part of the word, never of what is asked or marked.
      if (!inWord) current.start = i + 1;
      inWord = true;
      i += 1;
      continue;
    }
    if (!joins && inWord && (c == u'\'' || c == u'\u2019' || c == u'-') && letterAt(i + 1)) joins = true;
    if (!joins) {
      finish();
      i += c == u'&' && i + 1 < text.size() && text[i + 1] == u'&' ? 2 : n;
      continue;
    }
    if (!inWord) current.start = i;
    inWord = true;
    current.word.append(text.substr(i, n));
    i += n;
    current.length = i - current.start;
  }
  finish();
  return words;
}

std::u16string KeepMnemonic(std::u16string_view original, std::u16string_view replacement) {
  size_t amp = original.find(u'&');
  std::u16string out(replacement);
  if (amp == std::u16string_view::npos) return out;
  out.insert(std::min(amp, out.size()), 1, u'&');
  return out;
}
