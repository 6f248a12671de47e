#include "languages/Language.h"

#include <cstdio>

#include "archive/Archive.h"
#include "languages/AvailableLanguages.h"
#include "platform/LocaleTable.h"
#include "platform/Messages.h"
#include "platform/Text.h"

IMPLEMENT_SERIAL(CLanguage, CObject, VERSIONABLE_SCHEMA | 1)

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

void CLanguage::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << m_language << m_fontName << m_fontSize;
    return;
  }
  // Schema 1 is the only layout there has been; a record read inside an array comes
  // without a schema.
  ar.GetObjectSchema();
  LANGID language = 0;
  std::u16string fontName;
  DWORD fontSize = 0;
  ar >> language >> fontName >> fontSize;
  m_fontName = std::move(fontName);
  m_fontSize = fontSize;
  SetLanguage(language);
}

int CLanguageArray::Find(LANGID language) const {
  for (size_t i = 0; i < m_items.size(); ++i)
    if (m_items[i].GetLanguage() == language) return static_cast<int>(i);
  return -1;
}

void CLanguageArray::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar.WriteCount(m_items.size());
    for (auto& l : m_items) l.Serialize(ar);
    return;
  }
  size_t count = ar.ReadCount();
  // A record is at least a WORD, an empty 8-bit string and a DWORD.
  ar.CheckAvailable(count, 2 + 1 + 4);
  std::vector<CLanguage> items(count);
  for (auto& l : items) l.Serialize(ar);
  m_items = std::move(items);
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
