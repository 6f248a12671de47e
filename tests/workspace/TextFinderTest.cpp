#include <gtest/gtest.h>

#include "workspace/TextFinder.h"

using namespace tvl;

namespace {

struct FindCase {
  const char16_t* pattern;
  CFindOptions options;
  const char16_t* text;
  bool expected;
};

constexpr CFindOptions kPlain{};
constexpr CFindOptions kWord{true, false, false};
constexpr CFindOptions kCase{false, true, false};
constexpr CFindOptions kRegex{false, false, true};
constexpr CFindOptions kRegexCaseWord{true, true, true};

}  // namespace

TEST(TextMatcher, MatchesByTheOptions) {
  const FindCase cases[] = {
      {u"encod", kPlain, u"Unknown ENCODING", true},
      {u"encod", kCase, u"Unknown ENCODING", false},
      {u"ENCOD", kCase, u"Unknown ENCODING", true},
      // Plain text is taken literally, not as an expression.
      {u"a.c", kPlain, u"abc", false},
      {u"(50%)", kPlain, u"Zoom (50%)", true},
      {u"a.c", kRegex, u"abc", true},
      {u"^Open", kRegex, u"Reopen", false},
      {u"^open", kRegex, u"Open file", true},
      // Whole words: not inside another word, a later standalone occurrence still counts.
      {u"file", kWord, u"Profile", false},
      {u"file", kWord, u"Profile and file", true},
      {u"file", kWord, u"file_name", false},
      {u"file", kWord, u"Save file.", true},
      {u"%s", kWord, u"Open %s now", true},
      {u"f.le", kRegexCaseWord, u"a File", false},
      {u"F.le", kRegexCaseWord, u"a File", true},
      // Case folding beyond ASCII.
      {u"éTÉ", kPlain, u"L'été", true},
      {u"", kPlain, u"anything", true},
  };
  for (const FindCase& c : cases) {
    CTextMatcher matcher(c.pattern, c.options);
    EXPECT_EQ(matcher.Matches(c.text), c.expected) << "pattern '" << std::string(c.pattern, c.pattern + std::char_traits<char16_t>::length(c.pattern)) << "'";
  }
}

TEST(TextMatcher, BadExpressionMatchesNothingAndAnyFieldCounts) {
  CTextMatcher bad(u"(unclosed", kRegex);
  EXPECT_FALSE(bad.IsValid());
  EXPECT_FALSE(bad.Matches(u"(unclosed"));
  CTextMatcher literal(u"(unclosed", kPlain);
  EXPECT_TRUE(literal.IsValid());
  EXPECT_TRUE(literal.Matches(u"an (unclosed one"));

  CTextMatcher matcher(u"102", kWord);
  EXPECT_TRUE(matcher.MatchesAny(u"102", u"Open", u"Ouvrir"));
  EXPECT_FALSE(matcher.MatchesAny(u"1020", u"Open", u"Ouvrir"));
  CTextMatcher french(u"ouvrir", kPlain);
  EXPECT_TRUE(french.MatchesAny(u"7", u"Open", u"Ouvrir"));
  EXPECT_FALSE(french.MatchesAny(u"7", u"Open", u""));
}

TEST(TextMatcher, TypeAheadComparesTheBeginningAsShown) {
  const struct {
    const char16_t* text;
    const char16_t* typed;
    bool expected;
  } cases[] = {
      {u"&Open...", u"op", true},   // the mnemonic mark is passed over
      {u"Op&en", u"ope", true},
      {u"  &Save", u"sa", true},    // so is a menu's indent
      {u"Save &As", u"as", false},  // the beginning only
      {u"R&&D", u"r&d", true},      // "&&" reads as one ampersand
      {u"1001", u"100", true},
      {u"ÉTÉ", u"été", true},
      {u"Open", u"", false},
      {u"Op", u"open", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(BeginsWithTyped(c.text, c.typed), c.expected)
        << std::string(c.text, c.text + std::char_traits<char16_t>::length(c.text));
}
