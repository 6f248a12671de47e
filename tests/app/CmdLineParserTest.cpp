#include <gtest/gtest.h>

#include "app/CmdLineParser.h"

namespace {
std::u16string Value(const CCmdLineParser& p, const std::u16string& name) {
  auto v = p.GetOptionValue(name);
  return v ? *v : u"<absent>";
}
}  // namespace

TEST(CmdLineParser, OptionsWithAndWithoutValues) {
  CCmdLineParser p(u"tvl.exe proj.tvl /build:Editor.exe:FRA -logfile:out.log /buildall", false);
  EXPECT_EQ(Value(p, u"build"), u"Editor.exe:FRA");
  EXPECT_EQ(Value(p, u"logfile"), u"out.log");
  EXPECT_TRUE(p.HasOption(u"buildall"));
  EXPECT_EQ(Value(p, u"buildall"), u"");
  EXPECT_EQ(Value(p, u"output"), u"<absent>");
  EXPECT_FALSE(p.HasOption(u"output"));
}

TEST(CmdLineParser, NamesAreCaseInsensitiveAndFirstValueWins) {
  CCmdLineParser p(u"x /BUILD:first /Build:second /LogFile:a.log", false);
  EXPECT_EQ(Value(p, u"build"), u"first");
  EXPECT_EQ(Value(p, u"LOGFILE"), u"a.log");
  CCmdLineParser sensitive(u"x /BUILD:first", true);
  EXPECT_FALSE(sensitive.HasOption(u"build"));
  EXPECT_TRUE(sensitive.HasOption(u"BUILD"));
}

TEST(CmdLineParser, QuotedValuesKeepSpacesUnquotedOnesEndAtSpace) {
  CCmdLineParser quoted(u"x /logfile:\"my build log.txt\" /buildall", false);
  EXPECT_EQ(Value(quoted, u"logfile"), u"my build log.txt");
  EXPECT_TRUE(quoted.HasOption(u"buildall"));

  CCmdLineParser plain(u"x /logfile:my build log.txt", false);
  EXPECT_EQ(Value(plain, u"logfile"), u"my");

  // A missing closing quote takes the rest of the text, without the opening quote.
  CCmdLineParser open(u"x /logfile:\"a b /buildall", false);
  EXPECT_EQ(Value(open, u"logfile"), u"a b /buildall");
  EXPECT_FALSE(open.HasOption(u"buildall"));
}

TEST(CmdLineParser, ValueSeparatedBySpaceIsNotAValue) {
  CCmdLineParser p(u"x /build Editor.exe", false);
  EXPECT_EQ(Value(p, u"build"), u"");
}

TEST(CmdLineParser, ColonAtTheVeryEndGivesEmptyValue) {
  CCmdLineParser p(u"x /build:a /output:", false);
  EXPECT_EQ(Value(p, u"output"), u"");
  EXPECT_EQ(Value(p, u"build"), u"a");
}

TEST(CmdLineParser, EmptyNamesAreNotStoredAndTrailingSlashStops) {
  CCmdLineParser p(u"x / /:value -", false);
  EXPECT_TRUE(p.Options().empty());
}

TEST(CmdLineParser, SlashesInPathsMakeSpuriousNamesOnly) {
  CCmdLineParser p(u"/usr/bin/tessalingvora /home/me/p.tvl /buildall", false);
  EXPECT_TRUE(p.HasOption(u"buildall"));
  EXPECT_TRUE(p.HasOption(u"usr/bin/tessalingvora"));  // spurious, never looked up
  EXPECT_FALSE(p.HasOption(u"build"));
}

// The arguments as the process gets them: each is read on its own, so what a path or a value
// holds never becomes an option, and a value may hold spaces without quotes.
TEST(CmdLineParser, SeparateArgumentsKeepPathsAndValuesWhole) {
  CCmdLineParser p({u"/opt/c -logfile:bin/tessalingvora", u"/home/c -logfile:elsewhere d/p.tvl", u"/buildall",
                    u"/logfile:my log.txt", u"/OUTPUT:\"quoted\" rest", u"/build Editor.exe", u"plain-name.tvl"},
                   false);
  EXPECT_EQ(Value(p, u"logfile"), u"my log.txt");
  EXPECT_EQ(Value(p, u"output"), u"quoted");
  EXPECT_TRUE(p.HasOption(u"buildall"));
  EXPECT_EQ(Value(p, u"build"), u"");  // a value after a space is no value, as on one line
  EXPECT_TRUE(p.HasOption(u"home/c"));  // a spurious name nothing looks up
  EXPECT_FALSE(p.HasOption(u"name.tvl"));
  EXPECT_EQ(p.Options().size(), 5u);
}
