#include <gtest/gtest.h>

#include <cstdlib>

#include "languages/Language.h"

TEST(Language, NewRecordAndCharacterSetFollowingTheLanguage) {
  CLanguage l;
  EXPECT_EQ(l.GetLanguage(), 0);
  EXPECT_TRUE(l.GetFontName().empty());
  EXPECT_EQ(l.GetFontSize(), 0u);
  EXPECT_EQ(l.GetCharSet(), DEFAULT_CHARSET);

  l.SetLanguage(0x0411);
  EXPECT_EQ(l.GetCharSet(), 128u);
  l.SetLanguage(0x0419);
  EXPECT_EQ(l.GetCharSet(), 204u);
  l.SetLanguage(0x0439);  // Unicode only
  EXPECT_EQ(l.GetCharSet(), DEFAULT_CHARSET);
  l.SetLanguage(0x1234);  // unknown
  EXPECT_EQ(l.GetCharSet(), DEFAULT_CHARSET);
  EXPECT_EQ(CLanguage(0x0408).GetCharSet(), 161u);
}

TEST(Language, PreviewFontStoredOrTheLanguageDefault) {
  CLanguage jp(0x0411);
  PreviewFont f = jp.GetPreviewFont();
  EXPECT_EQ(f.name, u"MS UI Gothic");
  EXPECT_EQ(f.size, 9);
  // A size without a name does not override the default font.
  jp.SetPreviewFont(u"", 12);
  EXPECT_EQ(jp.GetPreviewFont().name, u"MS UI Gothic");
  EXPECT_EQ(jp.GetPreviewFont().size, 9);
  jp.SetPreviewFont(u"Meiryo", 10);
  EXPECT_EQ(jp.GetPreviewFont().name, u"Meiryo");
  EXPECT_EQ(jp.GetPreviewFont().size, 10);

  CLanguage zh(0x0804);
  EXPECT_EQ(zh.GetPreviewFont().name, u"Tahoma");
  EXPECT_EQ(zh.GetPreviewFont().size, 8);
}

TEST(Language, DisplayForms) {
  CLanguage l(0x0407);
  EXPECT_EQ(FormatPreviewFont(l), u"Default");
  l.SetPreviewFont(u"", 9);
  EXPECT_EQ(FormatPreviewFont(l), u"Default");  // an empty name shows Default whatever the size
  l.SetPreviewFont(u"Arial", 10);
  EXPECT_EQ(FormatPreviewFont(l), u"Arial (10pt)");

  EXPECT_EQ(FormatSourceLanguage(u"German"), u"German (Source)");

  EXPECT_EQ(FormatCodePage(0), u"Codepage: ---");
  EXPECT_EQ(FormatCodePage(1200), u"Codepage: Unicode");
  EXPECT_EQ(FormatCodePage(1252), u"Codepage: 1252  (ANSI - Latin I)");
  EXPECT_EQ(FormatCodePage(932), u"Codepage: 932   (ANSI/OEM - Japanese Shift-JIS)");
  EXPECT_EQ(FormatCodePage(4711), u"Codepage: ");
  // What the views show for a language: its code page through the same rule.
  EXPECT_EQ(FormatCodePage(LanguageCodePage(0x0439).codePage), u"Codepage: Unicode");
  EXPECT_EQ(FormatCodePage(LanguageCodePage(0x1234).codePage), u"Codepage: ---");
}

TEST(Language, SystemNameOfALanguage) {
  EXPECT_EQ(SystemLanguageName(0x0409), u"English (United States)");
  EXPECT_EQ(SystemLanguageName(0x0407), u"German (Germany)");
  EXPECT_EQ(SystemLanguageName(0x0404), u"Chinese (Taiwan)");
  EXPECT_EQ(SystemLanguageName(0x1234), u"Unknown : 0x1234");
  EXPECT_EQ(SystemLanguageName(0x00FF), u"Unknown : 0x00FF");
  EXPECT_EQ(SystemLanguageName(0xFFFF), u"Unknown : 0xFFFF");
}

TEST(LanguageArray, FindGivesTheFirstRecordOfALanguage) {
  CLanguageArray a;
  EXPECT_EQ(a.Find(0x0407), -1);
  a.Add(CLanguage(0x0407));
  a.Add(CLanguage(0x040C));
  CLanguage second(0x0407);
  second.SetPreviewFont(u"Arial", 9);
  a.Add(second);
  EXPECT_EQ(a.GetSize(), 3);
  EXPECT_EQ(a.Find(0x0407), 0);
  EXPECT_EQ(a.Find(0x040C), 1);
  EXPECT_EQ(a.Find(0x0409), -1);
  a.RemoveAt(0);
  EXPECT_EQ(a.Find(0x0407), 1);
  EXPECT_EQ(a[1].GetFontName(), u"Arial");
}
