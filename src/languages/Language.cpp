#include "languages/Language.h"

#include <cstdio>

#include "languages/AvailableLanguages.h"
#include "platform/LocaleTable.h"
#include "platform/Messages.h"
#include "platform/Text.h"

void CLanguage::SetLanguage(LANGID language) {
  m_language = language;
  m_charSet = LanguageCodePage(language).charSet;
}

void CLanguage::SetPreviewFont(const std::u16string& name, DWORD size) {
  m_fontName = name;
  m_fontSize = size;
}

PreviewFont CLanguage::GetPreviewFont() const {
  if (m_fontName.empty()) return DefaultPreviewFont(m_language);
  return {m_fontName, static_cast<WORD>(m_fontSize)};
}

std::u16string CLanguage::GetName() const { return GetLanguageName(m_language); }

int CLanguageArray::Find(LANGID language) const {
  for (size_t i = 0; i < m_items.size(); ++i)
    if (m_items[i].GetLanguage() == language) return static_cast<int>(i);
  return -1;
}

std::u16string FormatSourceLanguage(const std::u16string& name) {
  return FormatMessageText(u"%1 (Source)", {Arg(name)});
}

std::u16string FormatCodePage(UINT codePage) {
  std::u16string name;
  if (codePage == 0) {
    name = u"---";
  } else if (codePage == 1200) {
    name = u"Unicode";
  } else if (auto system = tvl::CodePageName(codePage)) {
    name = *system;
  }
  return FormatMessageText(u"Codepage: %1", {Arg(name)});
}

std::u16string FormatPreviewFont(const CLanguage& language) {
  if (language.GetFontName().empty()) return u"Default";
  return FormatMessageText(u"%1 (%2!u!pt)",
                           {Arg(language.GetFontName()), Arg(static_cast<std::int64_t>(language.GetFontSize()))});
}

std::u16string SystemLanguageName(LANGID language) {
  if (auto name = tvl::LocaleDisplayName(ResolveDefaultLanguage(language))) return *name;
  char buf[32];
  std::snprintf(buf, sizeof buf, "Unknown : 0x%04X", static_cast<unsigned>(language));
  return tvl::FromUtf8(buf);
}
