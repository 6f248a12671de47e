#include <gtest/gtest.h>

#include "checks/ConsistencyRule.h"

TEST(ConsistencyRule, ReportsASourceTranslatedTwoWays) {
  struct Text {
    const char16_t* source;
    const char16_t* translation;
    const char* id;
  };
  const Text texts[] = {
      {u"&Open", u"&Ouvrir", "a"},
      {u"Open", u"Ouvri&r", "b"},       // another mnemonic, the same words: consistent
      {u"&Open", u"Ouvrez", "c"},       // another word: reported against the first
      {u"Close", u"Fermer", "d"},
      {u"close", u"fermer", "e"},       // another source (case)
      {u"R&&D", u"R&&D", "f"},
      {u"R&D", u"R et D", "g"},         // "&&" is an ampersand: another source
  };
  CConsistencyRule rule;
  for (const Text& t : texts) rule.Add(t.source, t.translation, t.id);
  auto hits = rule.Check();
  ASSERT_EQ(hits.size(), 1u);
  EXPECT_EQ(hits[0].first, "c");
  EXPECT_EQ(hits[0].second.m_severity, ECheckSeverity::kWarning);
  EXPECT_EQ(hits[0].second.m_message, "\"&Open\" is translated \"Ouvrez\" here and \"&Ouvrir\" in a.");
}
