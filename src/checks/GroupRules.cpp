#include "checks/GroupRules.h"

#include <map>

#include <unicode/uchar.h>
#include <unicode/ustring.h>

#include "checks/TextRules.h"
#include "platform/Text.h"

namespace {

constexpr WORD kVirtKey = 0x01, kShift = 0x04, kControl = 0x08, kAlt = 0x10;

std::u16string Lower(std::u16string_view s) {
  std::u16string out(s);
  for (char16_t& c : out) c = static_cast<char16_t>(u_tolower(c));
  return out;
}

std::u16string_view Trim(std::u16string_view s) {
  while (!s.empty() && s.front() == u' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == u' ') s.remove_suffix(1);
  return s;
}

// Modifier names as keyboards of the common languages print them.
WORD ModifierFlag(std::u16string_view word) {
  static const std::map<std::u16string, WORD> kNames = {
      {u"ctrl", kControl},  {u"strg", kControl},   {u"control", kControl}, {u"ctl", kControl},
      {u"ktrl", kControl},  {u"shift", kShift},    {u"umschalt", kShift},  {u"maj", kShift},
      {u"mayús", kShift},   {u"mayus", kShift},    {u"skift", kShift},     {u"vaihto", kShift},
      {u"alt", kAlt},       {u"option", kAlt},
  };
  auto it = kNames.find(Lower(word));
  return it == kNames.end() ? 0 : it->second;
}

// The virtual-key code a key name stands for; 0 when unknown.
WORD KeyCode(std::u16string_view name) {
  if (name.size() == 1) {
    char16_t c = static_cast<char16_t>(u_toupper(name[0]));
    if ((c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9')) return c;
    if (c == u'+') return 0x6B;
    if (c == u'-') return 0x6D;
    return 0;
  }
  std::u16string lower = Lower(name);
  if (lower.size() <= 3 && lower[0] == u'f') {
    int n = 0;
    for (size_t i = 1; i < lower.size(); ++i) {
      if (lower[i] < u'0' || lower[i] > u'9') return 0;
      n = n * 10 + (lower[i] - u'0');
    }
    return n >= 1 && n <= 24 ? static_cast<WORD>(0x6F + n) : 0;
  }
  static const std::map<std::u16string, WORD> kNames = {
      {u"del", 0x2E},       {u"delete", 0x2E},    {u"entf", 0x2E},      {u"suppr", 0x2E},   {u"supr", 0x2E},
      {u"canc", 0x2E},      {u"ins", 0x2D},       {u"insert", 0x2D},    {u"einfg", 0x2D},   {u"inser", 0x2D},
      {u"home", 0x24},      {u"pos1", 0x24},      {u"début", 0x24},     {u"inicio", 0x24},  {u"end", 0x23},
      {u"ende", 0x23},      {u"fin", 0x23},       {u"esc", 0x1B},       {u"escape", 0x1B},  {u"échap", 0x1B},
      {u"enter", 0x0D},     {u"return", 0x0D},    {u"eingabe", 0x0D},   {u"entrée", 0x0D},  {u"tab", 0x09},
      {u"space", 0x20},     {u"leertaste", 0x20}, {u"espace", 0x20},    {u"backspace", 0x08},
      {u"back", 0x08},      {u"rücktaste", 0x08}, {u"left", 0x25},      {u"right", 0x27},   {u"up", 0x26},
      {u"down", 0x28},      {u"pgup", 0x21},      {u"pgdn", 0x22},      {u"page up", 0x21}, {u"page down", 0x22},
      {u"bild auf", 0x21},  {u"bild ab", 0x22},   {u"num +", 0x6B},     {u"num -", 0x6D},
  };
  auto it = kNames.find(lower);
  return it == kNames.end() ? 0 : it->second;
}

// The key an accelerator entry stands for as a virtual key with Ctrl, Shift and Alt.
CAcceleratorKey AsVirtualKey(const CAcceleratorKey& key) {
  if (key.flags & kVirtKey) return {static_cast<WORD>(key.flags & (kShift | kControl | kAlt)), key.key};
  // A character entry: ^A..^Z are Ctrl and the letter; the case of a letter is not a Shift.
  if (key.key >= 1 && key.key <= 26) return {static_cast<WORD>(kControl | (key.flags & kAlt)), static_cast<WORD>(key.key + 64)};
  return {static_cast<WORD>(key.flags & kAlt), static_cast<WORD>(u_toupper(key.key))};
}

}  // namespace

std::u16string FoldMnemonic(char16_t letter, const char* locale) {
  UChar in[1] = {letter};
  UChar out[8];
  UErrorCode status = U_ZERO_ERROR;
  int32_t n = u_strToLower(out, 8, in, 1, locale, &status);
  if (U_FAILURE(status) || n > 8) return std::u16string(1, letter);
  return std::u16string(reinterpret_cast<const char16_t*>(out), static_cast<size_t>(n));
}

std::vector<std::pair<size_t, CRuleHit>> CMnemonicConflictRule::Check(const std::vector<CLabelPair>& labels,
                                                                      const char* sourceLocale,
                                                                      const char* targetLocale) const {
  std::vector<std::pair<size_t, CRuleHit>> out;
  std::map<std::u16string, size_t> first;  // folded letter -> first label with it
  for (size_t i = 0; i < labels.size(); ++i) {
    auto letter = FindMnemonic(labels[i].translation);
    if (!letter) continue;
    auto [it, added] = first.emplace(FoldMnemonic(*letter, targetLocale), i);
    if (added) continue;
    // A clash the source already has is the program's own choice.
    auto a = FindMnemonic(labels[it->second].source), b = FindMnemonic(labels[i].source);
    if (a && b && FoldMnemonic(*a, sourceLocale) == FoldMnemonic(*b, sourceLocale)) continue;
    out.push_back({i, {ECheckSeverity::kWarning, "Mnemonic '" + tvl::ToUtf8(std::u16string(1, *letter)) +
                                                     "' is also used by \"" + tvl::ToUtf8(labels[it->second].translation) +
                                                     "\"."}});
  }
  return out;
}

std::optional<bool> CShortcutRule::Names(std::u16string_view text, const CAcceleratorKey& key) {
  text = Trim(text);
  if (text.empty()) return std::nullopt;
  std::vector<std::u16string_view> parts;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    // A '+' right after a separator is the key itself ("Ctrl++").
    if (text[i] == u'+' && i > start) {
      parts.push_back(Trim(text.substr(start, i - start)));
      start = i + 1;
    }
  }
  parts.push_back(Trim(text.substr(start)));
  WORD code = KeyCode(parts.back());
  if (!code) return std::nullopt;
  WORD modifiers = 0;
  for (size_t i = 0; i + 1 < parts.size(); ++i) {
    WORD flag = ModifierFlag(parts[i]);
    if (!flag) return std::nullopt;
    modifiers |= flag;
  }
  CAcceleratorKey want = AsVirtualKey(key);
  bool sameKey = want.key == code || (code == 0x6B && want.key == 0xBB) || (code == 0x6D && want.key == 0xBD);
  return sameKey && want.flags == modifiers;
}

std::optional<CRuleHit> CShortcutRule::Check(std::u16string_view sourceText,
                                             const std::vector<CAcceleratorKey>& sourceKeys,
                                             std::u16string_view translatedText,
                                             const std::vector<CAcceleratorKey>& translatedKeys) const {
  auto namesAny = [](std::u16string_view text, const std::vector<CAcceleratorKey>& keys) -> std::optional<bool> {
    std::optional<bool> result;
    for (const CAcceleratorKey& k : keys) {
      std::optional<bool> r = CShortcutRule::Names(text, k);
      if (!r) return std::nullopt;
      result = result.value_or(false) || *r;
    }
    return result;
  };
  // Only where the source shows its own key does a different translation mean a fault.
  if (sourceKeys.empty() || namesAny(sourceText, sourceKeys) != true) return std::nullopt;
  std::optional<bool> translated = namesAny(translatedText, translatedKeys);
  if (translated.value_or(true)) return std::nullopt;
  return CRuleHit{ECheckSeverity::kWarning,
                  "The shortcut \"" + tvl::ToUtf8(translatedText) + "\" does not name the command's accelerator."};
}
