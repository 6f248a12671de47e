#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "platform/LocaleTable.h"
#include "platform/Text.h"

using tvl::AllLocales;
using tvl::FindLocale;
using tvl::LocaleInfo;

namespace {
std::string LanguageSubtag(const char* tag) {
  std::string t = tag;
  return t.substr(0, t.find('-'));
}
}  // namespace

TEST(LocaleTable, EveryLangIdOnceAndEveryRowWellFormed) {
  std::set<LANGID> seen;
  const std::set<UINT> ansi = {0, 874, 932, 936, 949, 950, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258};
  for (const LocaleInfo& l : AllLocales()) {
    SCOPED_TRACE(l.tag);
    EXPECT_TRUE(seen.insert(l.langId).second) << "duplicate LANGID " << l.langId;
    std::string abbr = l.abbreviation;
    ASSERT_EQ(abbr.size(), 3u);
    for (char c : abbr) EXPECT_TRUE(c >= 'A' && c <= 'Z') << abbr;
    EXPECT_TRUE(ansi.count(l.ansiCodePage)) << l.ansiCodePage;
    if (l.ansiCodePage != 0) {
      EXPECT_TRUE(tvl::IsCodePageKnown(l.ansiCodePage)) << l.ansiCodePage;
      EXPECT_TRUE(tvl::CharsetFromCodePage(l.ansiCodePage).has_value());
      EXPECT_TRUE(tvl::CodePageName(l.ansiCodePage).has_value());
      EXPECT_NE(l.oemCodePage, 1u);
    } else {
      EXPECT_EQ(l.oemCodePage, 1u);  // no code page at all for a Unicode-only locale
    }
    EXPECT_TRUE(tvl::LocaleDisplayName(l.langId).has_value());
  }
  // The platform's list of locales runs to several hundred.
  EXPECT_GT(seen.size(), 350u);
}

TEST(LocaleTable, NeutralLocalesTakeTheirDefaultLocalesData) {
  size_t neutrals = 0;
  for (const LocaleInfo& l : AllLocales()) {
    if (l.specific == l.langId) continue;
    ++neutrals;
    SCOPED_TRACE(l.tag);
    const LocaleInfo* s = FindLocale(l.specific);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->specific, s->langId);  // a default is itself a specific locale
    EXPECT_EQ(PRIMARYLANGID(s->langId), PRIMARYLANGID(l.langId));
    std::string lang = LanguageSubtag(l.tag);
    if (lang == "no") lang = "nb";  // Norwegian stands for Bokmål
    EXPECT_EQ(LanguageSubtag(s->tag), lang);
    EXPECT_EQ(s->ansiCodePage, l.ansiCodePage);
    EXPECT_STREQ(s->abbreviation, l.abbreviation);
  }
  EXPECT_GT(neutrals, 100u);
}

TEST(LocaleTable, OneLanguageNeverSpreadsOverTwoPrimaryIds) {
  // A typo in a LANGID usually lands the locale under a wrong primary language.
  std::map<std::string, std::set<WORD>> primaries;
  for (const LocaleInfo& l : AllLocales())
    // The invariant locale and the pseudo locales stand outside the language numbering.
    if (l.langId != 0x007F && LanguageSubtag(l.tag) != "qps") primaries[LanguageSubtag(l.tag)].insert(PRIMARYLANGID(l.langId));
  for (const auto& [lang, ids] : primaries) EXPECT_EQ(ids.size(), 1u) << lang;
}

TEST(LocaleTable, PseudoLocalesAreKnownByTagAndCodePage) {
  const std::pair<const char*, UINT> expected[] = {{"qps-ploc", 1252}, {"qps-ploca", 932}, {"qps-plocm", 1256}};
  for (const auto& [tag, codePage] : expected) {
    const LocaleInfo* l = tvl::FindLocaleByTag(tag);
    ASSERT_NE(l, nullptr) << tag;
    EXPECT_EQ(l->ansiCodePage, codePage) << tag;
  }
  EXPECT_EQ(tvl::FindLocaleByTag("qps-ploc")->langId, 0x0501);
  EXPECT_EQ(tvl::FindLocaleByTag("qps-plocm")->langId, 0x09FF);
}

TEST(LocaleTable, ScriptsAgreeWithCodePages) {
  for (const LocaleInfo& l : AllLocales()) {
    std::string tag = l.tag;
    SCOPED_TRACE(tag);
    if (tag.find("-Cyrl") != std::string::npos) {
      EXPECT_EQ(l.ansiCodePage, 1251u);
    }
    if (tag.rfind("zh", 0) == 0) {
      EXPECT_TRUE(l.ansiCodePage == 936 || l.ansiCodePage == 950);
    }
    if (tag.rfind("ar-", 0) == 0) {
      EXPECT_EQ(l.ansiCodePage, 1256u);
    }
  }
}

TEST(LocaleTable, WellKnownLocales) {
  struct Row {
    LANGID id;
    const char* abbr;
    UINT ansi;
    const char* tag;
  };
  const Row rows[] = {
      {0x0409, "ENU", 1252, "en-US"}, {0x0809, "ENG", 1252, "en-GB"}, {0x0407, "DEU", 1252, "de-DE"},
      {0x0807, "DES", 1252, "de-CH"}, {0x040C, "FRA", 1252, "fr-FR"}, {0x0C0C, "FRC", 1252, "fr-CA"},
      {0x0411, "JPN", 932, "ja-JP"},  {0x0804, "CHS", 936, "zh-CN"},  {0x0404, "CHT", 950, "zh-TW"},
      {0x0412, "KOR", 949, "ko-KR"},  {0x0419, "RUS", 1251, "ru-RU"}, {0x0405, "CSY", 1250, "cs-CZ"},
      {0x0408, "ELL", 1253, "el-GR"}, {0x041F, "TRK", 1254, "tr-TR"}, {0x040D, "HEB", 1255, "he-IL"},
      {0x0401, "ARA", 1256, "ar-SA"}, {0x0425, "ETI", 1257, "et-EE"}, {0x042A, "VIT", 1258, "vi-VN"},
      {0x041E, "THA", 874, "th-TH"},  {0x0439, "HIN", 0, "hi-IN"},    {0x0437, "KAT", 0, "ka-GE"},
      {0x042B, "HYE", 0, "hy-AM"},    {0x0C0A, "ESN", 1252, "es-ES"}, {0x081A, "SRL", 1250, "sr-Latn-CS"},
  };
  for (const Row& r : rows) {
    const LocaleInfo* l = FindLocale(r.id);
    ASSERT_NE(l, nullptr) << r.tag;
    EXPECT_STREQ(l->abbreviation, r.abbr);
    EXPECT_EQ(l->ansiCodePage, r.ansi) << r.tag;
    EXPECT_STREQ(l->tag, r.tag);
    EXPECT_EQ(tvl::FindLocaleByTag(r.tag), l);
  }
  EXPECT_EQ(FindLocale(0x0000), nullptr);  // the default aliases are not locales of their own
  EXPECT_EQ(FindLocale(0x0400), nullptr);
  EXPECT_EQ(FindLocale(0x1234), nullptr);
  EXPECT_EQ(tvl::FindLocaleByTag("de_de"), FindLocale(0x0407));
  EXPECT_EQ(tvl::FindLocaleByTag("xx-YY"), nullptr);
}

TEST(LocaleTable, CharsetOfCodePage) {
  const std::pair<UINT, UINT> map[] = {{1252, 0},   {1250, 238}, {1251, 204}, {1253, 161}, {1254, 162},
                                       {1255, 177}, {1256, 178}, {1257, 186}, {1258, 163}, {874, 222},
                                       {932, 128},  {936, 134},  {949, 129},  {950, 136},  {1361, 130}};
  for (auto [cp, cs] : map) {
    ASSERT_TRUE(tvl::CharsetFromCodePage(cp).has_value()) << cp;
    EXPECT_EQ(*tvl::CharsetFromCodePage(cp), cs) << cp;
  }
  EXPECT_FALSE(tvl::CharsetFromCodePage(0).has_value());
  EXPECT_FALSE(tvl::CharsetFromCodePage(1200).has_value());
  EXPECT_FALSE(tvl::CharsetFromCodePage(437).has_value());  // OEM code pages have no character set
  EXPECT_FALSE(tvl::CharsetFromCodePage(65001).has_value());
}

TEST(LocaleTable, CodePageNamesPadTheNumberToSixColumns) {
  EXPECT_EQ(tvl::CodePageName(1252), u"1252  (ANSI - Latin I)");
  EXPECT_EQ(tvl::CodePageName(1250), u"1250  (ANSI - Central Europe)");
  EXPECT_EQ(tvl::CodePageName(1251), u"1251  (ANSI - Cyrillic)");
  EXPECT_EQ(tvl::CodePageName(932), u"932   (ANSI/OEM - Japanese Shift-JIS)");
  EXPECT_EQ(tvl::CodePageName(437), u"437   (OEM - United States)");
  EXPECT_EQ(tvl::CodePageName(37), u"37    (IBM EBCDIC - U.S./Canada)");
  EXPECT_EQ(tvl::CodePageName(65001), u"65001 (UTF-8)");
  EXPECT_FALSE(tvl::CodePageName(0).has_value());
  EXPECT_FALSE(tvl::CodePageName(1200).has_value());  // the platform's code page query refuses UTF-16
  EXPECT_FALSE(tvl::CodePageName(4711).has_value());
}

TEST(LocaleTable, DisplayNamesInEnglish) {
  EXPECT_EQ(tvl::LocaleDisplayName(0x0409), u"English (United States)");
  EXPECT_EQ(tvl::LocaleDisplayName(0x0407), u"German (Germany)");
  EXPECT_EQ(tvl::LocaleDisplayName(0x0C0C), u"French (Canada)");
  EXPECT_EQ(tvl::LocaleDisplayName(0x0009), u"English");
  EXPECT_EQ(tvl::LocaleDisplayName(0x040A), u"Spanish (Spain, Traditional Sort)");
  EXPECT_EQ(tvl::LocaleDisplayName(0x0C0A), u"Spanish (Spain)");
  EXPECT_EQ(tvl::LocaleDisplayName(0x081A), u"Serbian (Latin, Serbia and Montenegro (Former))");
  EXPECT_EQ(tvl::LocaleDisplayName(0x241A), u"Serbian (Latin, Serbia)");
  EXPECT_FALSE(tvl::LocaleDisplayName(0x1234).has_value());
}

TEST(LocaleTable, PosixLocaleNames) {
  using tvl::LanguageFromPosixLocale;
  EXPECT_EQ(LanguageFromPosixLocale("de_DE.UTF-8"), 0x0407);
  EXPECT_EQ(LanguageFromPosixLocale("de_CH.UTF-8"), 0x0807);
  EXPECT_EQ(LanguageFromPosixLocale("en_GB"), 0x0809);
  EXPECT_EQ(LanguageFromPosixLocale("fr_CA.ISO-8859-1"), 0x0C0C);
  EXPECT_EQ(LanguageFromPosixLocale("es_ES.UTF-8"), 0x0C0A);  // not the traditional sort
  EXPECT_EQ(LanguageFromPosixLocale("zh_TW.UTF-8"), 0x0404);
  EXPECT_EQ(LanguageFromPosixLocale("zh_CN.GB18030"), 0x0804);
  EXPECT_EQ(LanguageFromPosixLocale("sr_RS"), 0x281A);  // glibc's Serbian is Cyrillic
  EXPECT_EQ(LanguageFromPosixLocale("sr_RS@latin"), 0x241A);
  EXPECT_EQ(LanguageFromPosixLocale("uz_UZ@cyrillic"), 0x0843);
  EXPECT_EQ(LanguageFromPosixLocale("ca_ES.UTF-8@valencia"), 0x0803);
  EXPECT_EQ(LanguageFromPosixLocale("nb_NO.UTF-8"), 0x0414);
  EXPECT_EQ(LanguageFromPosixLocale("no_NO"), 0x0414);
  EXPECT_EQ(LanguageFromPosixLocale("iw_IL"), 0x040D);
  EXPECT_EQ(LanguageFromPosixLocale("de"), 0x0407);       // language alone: its default locale
  EXPECT_EQ(LanguageFromPosixLocale("de_XX.UTF-8"), 0x0407);
  EXPECT_EQ(LanguageFromPosixLocale("es"), 0x0C0A);
  EXPECT_EQ(LanguageFromPosixLocale("C"), 0);
  EXPECT_EQ(LanguageFromPosixLocale("C.UTF-8"), 0);
  EXPECT_EQ(LanguageFromPosixLocale("POSIX"), 0);
  EXPECT_EQ(LanguageFromPosixLocale(""), 0);
  EXPECT_EQ(LanguageFromPosixLocale("xx_YY"), 0);
}
