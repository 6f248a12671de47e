#pragma once
// Pseudo-localization: texts made longer and accented, with every placeholder, mnemonic,
// escape and shortcut kept, so a build shows where layouts break before any translator
// has started. Only the platform's pseudo locales receive such text.
#include <string>
#include <string_view>

#include "platform/Types.h"

class CTvlDoc;

constexpr LANGID kPseudoLocale = 0x0501;          // qps-ploc: accented Latin
constexpr LANGID kPseudoAsianLocale = 0x05FE;     // qps-ploca: East Asian characters
constexpr LANGID kPseudoMirroredLocale = 0x09FF;  // qps-plocm: right to left

bool IsPseudoLanguage(LANGID language);

struct CPseudoOptions {
  int expandPercent = 40;
  bool brackets = true;
};

// The pseudo text of one source text for a pseudo language. Letters change only to
// characters the language's ANSI code page holds.
std::u16string PseudoLocalize(std::u16string_view text, LANGID language, const CPseudoOptions& options);

// Fills a pseudo language, adding it to the project when missing, with the pseudo text of
// every translatable text (shortcut texts and version numbers stay as the source has them).
// The number of texts written; -1 when the language is not a pseudo language.
int PseudoLocalizeProject(CTvlDoc& doc, LANGID language, const CPseudoOptions& options);
