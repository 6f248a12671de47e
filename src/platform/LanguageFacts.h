#pragma once
// What the program knows of a LANGID without asking a catalogue: code page, character set,
// default preview font, and the system default language.
#include <string>

#include "platform/Types.h"

struct CodePageAndCharset {
  UINT codePage = 0;  // 0: unknown language; 1200: a language without ANSI code page
  UINT charSet = 1;   // DEFAULT_CHARSET unless the code page maps to a character set
};

constexpr UINT DEFAULT_CHARSET = 1;

// The ANSI code page and character set of a language.
CodePageAndCharset LanguageCodePage(LANGID language);

struct PreviewFont {
  std::u16string name;
  WORD size = 0;
};
PreviewFont DefaultPreviewFont(LANGID language);

// The system default language: from LC_ALL / LC_MESSAGES / LANG, 0x0409 when unknown.
LANGID SystemDefaultLanguage();

// The locale the platform answers for when asked about `language`: the neutral LANGID 0
// and the user/system default aliases (0x0400, 0x0800, 0x0C00, 0x1400) stand for the
// system default language; every other LANGID stands for itself.
LANGID ResolveDefaultLanguage(LANGID language);
