#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "platform/Profile.h"
#include "platform/Text.h"

using tvl::CProfileFile;
using Lines = std::vector<std::u16string>;

TEST(Profile, SectionsAndKeysIgnoreCaseAndBlanksAreTrimmed) {
  CProfileFile f = CProfileFile::FromBytes(
      "orphan=before any section\n"
      "[Other]\n"
      "a=1\n"
      "  [ languages ]  trailing text\r\n"
      "  1033 =  English  \r\n"
      "\t1031\t=\tGerman\t\r\n"
      "; 1036=French is commented out\n"
      "   ;also a comment\n"
      "\n"
      "   \n"
      "no equals sign here  \n"
      "1040=Italian = still the name\n"
      "=nameless\n"
      "[LANGUAGES]\n"
      "9999=second section of the same name\n");
  EXPECT_TRUE(f.HasSection(u"Languages"));
  EXPECT_FALSE(f.HasSection(u"Missing"));
  EXPECT_EQ(f.GetSectionLines(u"LANGUAGES"),
            (Lines{u"1033=English", u"1031=German", u"no equals sign here", u"1040=Italian = still the name",
                   u"=nameless"}));
  EXPECT_EQ(f.GetString(u"languages", u"1031"), u"German");
  EXPECT_EQ(f.GetString(u"Other", u"A"), u"1");
  EXPECT_FALSE(f.GetString(u"Other", u"orphan").has_value());
  EXPECT_FALSE(f.GetString(u"Languages", u"no equals sign here").has_value());
  EXPECT_FALSE(f.GetString(u"Languages", u"9999").has_value());  // only the first section counts
  EXPECT_TRUE(f.GetSectionLines(u"Missing").empty());
}

TEST(Profile, LineEndsOfEveryKind) {
  CProfileFile f = CProfileFile::FromBytes("[s]\ra=1\rb=2\nc=3\r\nd=4");
  EXPECT_EQ(f.GetSectionLines(u"s"), (Lines{u"a=1", u"b=2", u"c=3", u"d=4"}));
}

TEST(Profile, QuotedValuesLoseOnePairOfQuotesOnlyThroughGetString) {
  CProfileFile f = CProfileFile::FromBytes("[s]\nq=\"quoted\"\nr='x'\nu=\"unbalanced\n");
  EXPECT_EQ(f.GetString(u"s", u"q"), u"quoted");
  EXPECT_EQ(f.GetString(u"s", u"r"), u"x");
  EXPECT_EQ(f.GetString(u"s", u"u"), u"\"unbalanced");
  EXPECT_EQ(f.GetSectionLines(u"s")[0], u"q=\"quoted\"");
}

TEST(Profile, SectionBufferLayoutAndCut) {
  CProfileFile f = CProfileFile::FromBytes("[s]\nab=1\ncd=22\n");
  // "ab=1\0cd=22\0\0" is 12 characters.
  std::u16string buf;
  EXPECT_EQ(f.GetSection(u"s", buf, 12), 11u);
  EXPECT_EQ(buf, std::u16string(u"ab=1\0cd=22\0\0", 12));
  // One short: cut inside the last string, ended by two NULs.
  EXPECT_EQ(f.GetSection(u"s", buf, 11), 9u);
  EXPECT_EQ(buf, std::u16string(u"ab=1\0cd=2\0\0", 11));
  EXPECT_EQ(f.GetSectionLines(u"s", 11), (Lines{u"ab=1", u"cd=2"}));
  // The cut lands right after the first string.
  EXPECT_EQ(f.GetSectionLines(u"s", 7), (Lines{u"ab=1"}));
  EXPECT_EQ(f.GetSectionLines(u"s", 6), (Lines{u"ab=1"}));
  EXPECT_EQ(f.GetSectionLines(u"s", 4), (Lines{u"ab"}));
  EXPECT_EQ(f.GetSection(u"s", buf, 2), 0u);
  EXPECT_EQ(f.GetSection(u"s", buf, 1), 0u);
  EXPECT_EQ(f.GetSection(u"s", buf, 0), 0u);
  EXPECT_TRUE(f.GetSectionLines(u"s", 2).empty());
  // A missing section is an empty one.
  EXPECT_EQ(f.GetSection(u"none", buf, 12), 0u);
  EXPECT_EQ(buf, std::u16string(1, u'\0'));
}

TEST(Profile, DefaultBufferCutsALongSectionAt32767Characters) {
  // 4000 lines of "NNNNN=abcd\0" (11 characters each): 44000 characters, too many.
  std::string text = "[big]\n";
  for (int i = 0; i < 4000; ++i) text += std::to_string(10000 + i) + "=abcd\n";
  CProfileFile f = CProfileFile::FromBytes(text);
  std::u16string buf;
  EXPECT_EQ(f.GetSection(u"big", buf), 32765u);
  ASSERT_EQ(buf.size(), 32767u);
  EXPECT_EQ(buf[32765], u'\0');
  EXPECT_EQ(buf[32766], u'\0');
  Lines lines = f.GetSectionLines(u"big");
  // 32765 = 2978 * 11 + 7: 2978 whole lines and the first 7 characters of the next.
  ASSERT_EQ(lines.size(), 2979u);
  EXPECT_EQ(lines[2977], u"12977=abcd");
  EXPECT_EQ(lines.back(), u"12978=a");
}

TEST(Profile, Encodings) {
  const std::string body = "[s]\nname=caf\xC3\xA9 \xE2\x82\xAC\n";
  const std::u16string want = u"name=caf\u00e9 \u20ac";
  EXPECT_EQ(CProfileFile::FromBytes(body).GetSectionLines(u"s"), Lines{want});
  EXPECT_EQ(CProfileFile::FromBytes("\xEF\xBB\xBF" + body).GetSectionLines(u"s"), Lines{want});

  std::string le = "\xFF\xFE", be = "\xFE\xFF";
  for (char16_t c : u"[s]\r\nname=caf\u00e9 \u20ac\r\n") {
    if (c == 0) break;
    le += static_cast<char>(c & 0xFF), le += static_cast<char>(c >> 8);
    be += static_cast<char>(c >> 8), be += static_cast<char>(c & 0xFF);
  }
  EXPECT_EQ(CProfileFile::FromBytes(le).GetSectionLines(u"s"), Lines{want});
  EXPECT_EQ(CProfileFile::FromBytes(be).GetSectionLines(u"s"), Lines{want});
  // A UTF-16 file with an odd byte at its end loses only that byte.
  EXPECT_EQ(CProfileFile::FromBytes(le + "x").GetSectionLines(u"s"), Lines{want});

  // Not UTF-8: the system's ANSI code page.
  std::u16string ansi = CProfileFile::FromBytes("[s]\nname=caf\xE9\n").GetSectionLines(u"s").at(0);
  EXPECT_EQ(ansi, u"name=" + tvl::MultiByteToWide(tvl::SystemAnsiCodePage(), "caf\xE9"));
  EXPECT_EQ(ansi.find(u'\uFFFD'), std::u16string::npos);
}

TEST(Profile, Utf8Validation) {
  EXPECT_TRUE(tvl::IsValidUtf8(""));
  EXPECT_TRUE(tvl::IsValidUtf8("plain"));
  EXPECT_TRUE(tvl::IsValidUtf8("\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"));
  EXPECT_FALSE(tvl::IsValidUtf8("\xE9"));              // Latin-1 byte
  EXPECT_FALSE(tvl::IsValidUtf8("\xC0\x80"));          // overlong NUL
  EXPECT_FALSE(tvl::IsValidUtf8("\xE0\x80\xAF"));      // overlong '/'
  EXPECT_FALSE(tvl::IsValidUtf8("\xED\xA0\x80"));      // surrogate
  EXPECT_FALSE(tvl::IsValidUtf8("\xF4\x90\x80\x80"));  // beyond U+10FFFF
  EXPECT_FALSE(tvl::IsValidUtf8("\xE2\x82"));          // cut short
  EXPECT_FALSE(tvl::IsValidUtf8("\xC3\x28"));          // bad continuation
}

TEST(Profile, EmbeddedNulEndsTheLine) {
  using namespace std::string_literals;
  CProfileFile f = CProfileFile::FromBytes("[s]\na=1\0hidden\nb=2\n"s);
  EXPECT_EQ(f.GetSectionLines(u"s"), (Lines{u"a=1", u"b=2"}));
}

TEST(Profile, LoadReadsAFileAndReportsAMissingOne) {
  CScratchDir dir;
  std::string path = dir.file("x.ini");
  std::string text = "[s]\nk=v\n";
  WriteFileBytes(path, std::vector<unsigned char>(text.begin(), text.end()));
  auto f = CProfileFile::Load(path);
  ASSERT_TRUE(f.has_value());
  EXPECT_EQ(f->GetString(u"S", u"K"), u"v");
  EXPECT_FALSE(CProfileFile::Load(dir.file("missing.ini")).has_value());
}
