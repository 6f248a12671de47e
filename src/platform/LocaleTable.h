#pragma once
// The locale database: what the platform's national language support would answer about
// a LANGID (abbreviated name, default code pages, locale name), the character set of a
// code page, and code page names. Built in, so answers do not depend on the machine.
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/Types.h"

namespace tvl {

struct LocaleInfo {
  LANGID langId = 0;
  const char* abbreviation = "";  // three letters, as LOCALE_SABBREVLANGNAME gives them
  UINT ansiCodePage = 0;          // 0 for a locale that has no ANSI code page
  UINT oemCodePage = 0;           // 1 for a locale that has no OEM code page
  const char* tag = "";           // locale name in BCP 47 form, as ICU reads it
  LANGID specific = 0;            // for a neutral (language-only) locale: its default locale; else langId
};

// Every locale the table knows, specific locales and then neutral ones.
std::span<const LocaleInfo> AllLocales();

// The locale of exactly that LANGID, or nullptr. Aliases of the default locale
// (0x0000, 0x0400, 0x0800 ...) are not resolved here.
const LocaleInfo* FindLocale(LANGID langId);

// The locale whose name matches `tag` (case-insensitive, '_' or '-'), or nullptr.
const LocaleInfo* FindLocaleByTag(std::string_view tag);

// The LANGID for a POSIX locale name such as "de_DE.UTF-8" or "sr_RS@latin";
// 0 for "C", "POSIX", an empty name or a language the table lacks.
LANGID LanguageFromPosixLocale(std::string_view name);

// The character set TranslateCharsetInfo(TCI_SRCCODEPAGE) gives for a code page.
std::optional<UINT> CharsetFromCodePage(UINT codePage);

// The code page's name as GetCPInfoEx reports it, e.g. "1252  (ANSI - Latin I)";
// nullopt when the platform does not know the code page.
std::optional<std::u16string> CodePageName(UINT codePage);

// The English display name of a locale from ICU ("English (United States)"), as the
// platform's LOCALE_SLANGUAGE; nullopt when the table does not know the LANGID.
std::optional<std::u16string> LocaleDisplayName(LANGID langId);

}  // namespace tvl
