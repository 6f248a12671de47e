#include <gtest/gtest.h>

#include "platform/Messages.h"
#include "platform/Text.h"

using tvl::FromUtf8;
using tvl::ToUtf8;

TEST(Text, Utf8RoundTripKeepsSurrogatePairsAndReplacesBadBytes) {
  std::u16string s = u"a\u00e9\u4e2d\U0001F600";
  EXPECT_EQ(FromUtf8(ToUtf8(s)), s);
  EXPECT_EQ(ToUtf8(u"\u00e9"), "\xc3\xa9");
  EXPECT_EQ(FromUtf8("a\xff" "b"), u"a\uFFFDb");
  EXPECT_EQ(FromUtf8("\xe4\xb8"), u"\uFFFD\uFFFD");  // truncated sequence
  // Sequences that decode to no character: each lead byte and its tail become replacements,
  // so what is read writes out as valid UTF-8 that reads back the same.
  const char* const notCharacters[] = {
      "\xf4\xac\xac\xac",  // past U+10FFFF
      "\xed\xa0\x80",      // a surrogate
      "\xc0\xaf",          // overlong '/'
      "\xe0\x80\xaf",      // overlong '/'
  };
  for (const char* bytes : notCharacters) {
    std::u16string read = FromUtf8(bytes);
    EXPECT_EQ(read, std::u16string(std::char_traits<char>::length(bytes), u'\uFFFD')) << bytes;
    EXPECT_EQ(FromUtf8(ToUtf8(read)), read) << bytes;
  }
  EXPECT_EQ(FromUtf8("\xf4\x8f\xbf\xbf"), u"\U0010FFFF");
}

TEST(Text, WindowsCodePagesConvertBothWays) {
  EXPECT_EQ(tvl::MultiByteToWide(1252, "\x80\xe9"), u"\u20ac\u00e9");
  EXPECT_EQ(tvl::MultiByteToWide(932, "\x82\xa0"), u"\u3042");  // Shift-JIS hiragana a
  bool usedDefault = false;
  EXPECT_EQ(tvl::WideToMultiByte(1252, u"\u20ac", &usedDefault), "\x80");
  EXPECT_FALSE(usedDefault);
  EXPECT_EQ(tvl::WideToMultiByte(1252, u"\u3042", &usedDefault), "?");
  EXPECT_TRUE(usedDefault);
  EXPECT_TRUE(tvl::IsCodePageKnown(1251));
  EXPECT_FALSE(tvl::IsCodePageKnown(4711));
}

TEST(Text, CaseHelpers) {
  EXPECT_EQ(tvl::ToLowerAscii(u"BuildALL\u00C9"), u"buildall\u00C9");
  EXPECT_EQ(tvl::CompareNoCase(u"Setup.EXE", u"setup.exe"), 0);
  EXPECT_NE(tvl::CompareNoCase(u"a.exe", u"b.exe"), 0);
  EXPECT_EQ(tvl::Trim(u" \t x y \r\n"), u"x y");
}

TEST(Text, CollationOrdersLettersAndCaseAsAsked) {
  struct Case {
    const char16_t *a, *b;
    bool ignoreCase;
    int expected;
  } cases[] = {
      {u"apple", u"Banana", true, -1},  {u"apple", u"Banana", false, -1}, {u"ABC", u"abc", true, 0},
      {u"ABC", u"abc", false, 1},       {u"\u00e9", u"f", false, -1},      {u"same", u"same", false, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(tvl::CollateText(c.a, c.b, c.ignoreCase), c.expected) << tvl::ToUtf8(c.a) << " " << tvl::ToUtf8(c.b);
    EXPECT_EQ(tvl::CollateText(c.b, c.a, c.ignoreCase), -c.expected);
  }
}

TEST(MessageFormat, InsertsTextAndPrintfTypedNumbers) {
  EXPECT_EQ(FormatMessageText(u"%1 (%2!u!pt)", {Arg(u"Tahoma"), Arg(std::int64_t{8})}), u"Tahoma (8pt)");
  EXPECT_EQ(FormatMessageText(u"Unknown : 0x%1!04X!", {Arg(std::int64_t{0x409})}), u"Unknown : 0x0409");
  EXPECT_EQ(FormatMessageText(u"100%% of %1%0 ignored", {Arg(u"x")}), u"100% of x");
  EXPECT_EQ(FormatMessageText(u"missing %3 stays empty", {Arg(u"x")}), u"missing  stays empty");
  EXPECT_EQ(LoadResString(999999), u"???");
  EXPECT_EQ(LoadResString(IDS_LOG_ERROR), u"Error");
}
