#include "platform/LanguageFacts.h"

#include <cstdlib>

#include "platform/LocaleTable.h"

LANGID ResolveDefaultLanguage(LANGID language) {
  switch (language) {
    case 0x0000:  // LANG_NEUTRAL: the user's default locale
    case 0x0400:  // LOCALE_USER_DEFAULT
    case 0x0800:  // LOCALE_SYSTEM_DEFAULT
    case 0x0C00:  // LOCALE_CUSTOM_DEFAULT
    case 0x1400:  // LOCALE_CUSTOM_UI_DEFAULT
      return SystemDefaultLanguage();
    default:
      return language;
  }
}

CodePageAndCharset LanguageCodePage(LANGID language) {
  CodePageAndCharset r;
  const tvl::LocaleInfo* locale = tvl::FindLocale(ResolveDefaultLanguage(language));
  if (!locale) return r;  // unknown to the system: code page 0
  r.codePage = locale->ansiCodePage == 0 ? 1200 : locale->ansiCodePage;
  if (r.codePage != 1200) {
    if (auto cs = tvl::CharsetFromCodePage(r.codePage)) r.charSet = *cs;
  }
  return r;
}

PreviewFont DefaultPreviewFont(LANGID language) {
  if (PRIMARYLANGID(language) == 0x11) return {u"MS UI Gothic", 9};
  return {u"Tahoma", 8};
}

LANGID SystemDefaultLanguage() {
  // The first of these that is set decides, as for the messages locale.
  for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(var);
    if (!value || !*value) continue;
    LANGID id = tvl::LanguageFromPosixLocale(value);
    return id ? id : LANGID{0x0409};
  }
  return 0x0409;
}
