#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "platform/LanguageFacts.h"

namespace {

// Sets the locale variables for one test and puts the old values back.
class LocaleEnvironment {
 public:
  LocaleEnvironment() {
    for (int i = 0; i < 3; ++i) {
      const char* v = std::getenv(kNames[i]);
      m_saved[i] = v ? std::optional<std::string>(v) : std::nullopt;
      ::unsetenv(kNames[i]);
    }
  }
  ~LocaleEnvironment() {
    for (int i = 0; i < 3; ++i) {
      if (m_saved[i])
        ::setenv(kNames[i], m_saved[i]->c_str(), 1);
      else
        ::unsetenv(kNames[i]);
    }
  }
  void Set(const char* name, const char* value) { ::setenv(name, value, 1); }

 private:
  static constexpr const char* kNames[3] = {"LC_ALL", "LC_MESSAGES", "LANG"};
  std::optional<std::string> m_saved[3];
};

void ExpectCodePage(LANGID id, UINT codePage, UINT charSet) {
  CodePageAndCharset r = LanguageCodePage(id);
  EXPECT_EQ(r.codePage, codePage) << std::hex << id;
  EXPECT_EQ(r.charSet, charSet) << std::hex << id;
}

}  // namespace

TEST(LanguageFacts, CodePageAndCharacterSetOfALanguage) {
  ExpectCodePage(0x0409, 1252, 0);
  ExpectCodePage(0x0407, 1252, 0);
  ExpectCodePage(0x0405, 1250, 238);
  ExpectCodePage(0x0419, 1251, 204);
  ExpectCodePage(0x0408, 1253, 161);
  ExpectCodePage(0x041F, 1254, 162);
  ExpectCodePage(0x040D, 1255, 177);
  ExpectCodePage(0x0401, 1256, 178);
  ExpectCodePage(0x0427, 1257, 186);
  ExpectCodePage(0x042A, 1258, 163);
  ExpectCodePage(0x041E, 874, 222);
  ExpectCodePage(0x0411, 932, 128);
  ExpectCodePage(0x0804, 936, 134);
  ExpectCodePage(0x0412, 949, 129);
  ExpectCodePage(0x0404, 950, 136);
  ExpectCodePage(0x0009, 1252, 0);  // a neutral language answers for its default locale
}

TEST(LanguageFacts, UnicodeOnlyLanguagesAreUnicodeWithDefaultCharset) {
  ExpectCodePage(0x0439, 1200, DEFAULT_CHARSET);  // Hindi
  ExpectCodePage(0x0437, 1200, DEFAULT_CHARSET);  // Georgian
  ExpectCodePage(0x042B, 1200, DEFAULT_CHARSET);  // Armenian
}

TEST(LanguageFacts, UnknownLanguagesHaveNoCodePage) {
  ExpectCodePage(0x1234, 0, DEFAULT_CHARSET);
  ExpectCodePage(0x0811, 0, DEFAULT_CHARSET);  // a sublanguage Japanese does not have
  ExpectCodePage(0xFFFF, 0, DEFAULT_CHARSET);
  ExpectCodePage(0x1000, 0, DEFAULT_CHARSET);  // the unspecified custom locale
}

TEST(LanguageFacts, NeutralAndDefaultAliasesFollowTheSystemLanguage) {
  LocaleEnvironment env;
  env.Set("LANG", "ru_RU.UTF-8");
  for (LANGID alias : {0x0000, 0x0400, 0x0800}) ExpectCodePage(alias, 1251, 204);
  env.Set("LANG", "ja_JP.UTF-8");
  ExpectCodePage(0x0000, 932, 128);
  EXPECT_EQ(ResolveDefaultLanguage(0x0000), 0x0411);
  EXPECT_EQ(ResolveDefaultLanguage(0x0407), 0x0407);
}

TEST(LanguageFacts, DefaultPreviewFontDependsOnJapaneseOnly) {
  for (LANGID id : {0x0411, 0x0011, 0x0811}) {
    PreviewFont f = DefaultPreviewFont(id);
    EXPECT_EQ(f.name, u"MS UI Gothic") << std::hex << id;
    EXPECT_EQ(f.size, 9);
  }
  for (LANGID id : {0x0804, 0x0404, 0x0C04, 0x0412, 0x0409, 0x0000}) {
    PreviewFont f = DefaultPreviewFont(id);
    EXPECT_EQ(f.name, u"Tahoma") << std::hex << id;
    EXPECT_EQ(f.size, 8);
  }
}

TEST(LanguageFacts, SystemDefaultLanguageFromTheEnvironment) {
  LocaleEnvironment env;
  EXPECT_EQ(SystemDefaultLanguage(), 0x0409);  // nothing set
  env.Set("LANG", "de_DE.UTF-8");
  EXPECT_EQ(SystemDefaultLanguage(), 0x0407);
  env.Set("LC_MESSAGES", "fr_CA.UTF-8");
  EXPECT_EQ(SystemDefaultLanguage(), 0x0C0C);  // LC_MESSAGES before LANG
  env.Set("LC_ALL", "ja_JP.eucJP");
  EXPECT_EQ(SystemDefaultLanguage(), 0x0411);  // LC_ALL before both
  env.Set("LC_ALL", "");
  EXPECT_EQ(SystemDefaultLanguage(), 0x0C0C);  // an empty variable counts as unset
  env.Set("LC_MESSAGES", "C");
  EXPECT_EQ(SystemDefaultLanguage(), 0x0409);
  env.Set("LC_MESSAGES", "POSIX");
  EXPECT_EQ(SystemDefaultLanguage(), 0x0409);
  env.Set("LC_MESSAGES", "xx_YY.UTF-8");
  EXPECT_EQ(SystemDefaultLanguage(), 0x0409);
}
