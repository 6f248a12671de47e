// Seed version: the locale table replaces this.
#include "languages/LanguageFacts.h"

CodePageAndCharset LanguageCodePage(LANGID language) {
  CodePageAndCharset r;
  if (PRIMARYLANGID(language) == 0x09) r = {1252, 0};
  return r;
}

PreviewFont DefaultPreviewFont(LANGID language) {
  if (PRIMARYLANGID(language) == 0x11) return {u"MS UI Gothic", 9};
  return {u"Tahoma", 8};
}

LANGID SystemDefaultLanguage() { return 0x0409; }
