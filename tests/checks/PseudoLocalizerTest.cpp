#include <gtest/gtest.h>

#include "checks/PseudoLocalizer.h"
#include "checks/TextRules.h"
#include "platform/LanguageFacts.h"
#include "platform/Text.h"

namespace {

std::vector<std::u16string> Tokens(std::u16string_view text) {
  std::vector<std::u16string> out;
  for (const CPlaceholder& p : ExtractPlaceholders(text)) out.push_back(p.text);
  return out;
}

}  // namespace

TEST(PseudoLocalizer, KeepsWhatTheProgramReadsAndLengthens) {
  const char* texts[] = {
      "&Open %s...", "Copy %1 to %2!s!", "{0} files in {1:N2}", "Tom && Jerry", "100%% done\\n",
      "  Name:  ", "E&xit\tAlt+F4", "Line one\r\nLine two %-5.2f", "%d of %ls",
  };
  for (LANGID language : {kPseudoLocale, kPseudoAsianLocale, kPseudoMirroredLocale}) {
    for (const char* t : texts) {
      std::u16string source = tvl::FromUtf8(t);
      std::u16string pseudo = PseudoLocalize(source, language, {});
      SCOPED_TRACE(tvl::ToUtf8(pseudo));
      EXPECT_EQ(Tokens(pseudo), Tokens(source));
      EXPECT_EQ(FindMnemonic(pseudo), FindMnemonic(source));
      EXPECT_GT(pseudo.size(), source.size() * 13 / 10);
      EXPECT_NE(pseudo, source);
      // Whatever the resource's encoding, nothing becomes '?'.
      EXPECT_EQ(UnrepresentableCharacters(pseudo, LanguageCodePage(language).codePage), u"")
          << LanguageCodePage(language).codePage;
    }
  }
}

TEST(PseudoLocalizer, OptionsAndShape) {
  EXPECT_EQ(PseudoLocalize(u"Open", kPseudoLocale, {0, true}), u"[Öpéñ]");
  EXPECT_EQ(PseudoLocalize(u"Open", kPseudoLocale, {0, false}), u"Öpéñ");
  EXPECT_EQ(PseudoLocalize(u"Open", kPseudoLocale, {50, false}), u"Öpéñ··");
  EXPECT_EQ(PseudoLocalize(u"  Open\n", kPseudoLocale, {0, true}), u"  [Öpéñ]\n");  // blanks stay outside
  EXPECT_EQ(PseudoLocalize(u"", kPseudoLocale, {}), u"");
  // An escape and the mnemonic letter keep their characters.
  EXPECT_EQ(PseudoLocalize(u"a\\nb &open", kPseudoLocale, {0, false}), u"å\\nb &opéñ");
  EXPECT_EQ(PseudoLocalize(u"ab", kPseudoAsianLocale, {0, false}), u"ａｂ");
  EXPECT_EQ(PseudoLocalize(u"ab", kPseudoMirroredLocale, {0, true}), u"\u200F[âb]\u200F");
  EXPECT_TRUE(IsPseudoLanguage(0x09FF));
  EXPECT_FALSE(IsPseudoLanguage(0x040C));
}
