#include <gtest/gtest.h>

#include "project/TextExchange.h"

namespace {
// Texts that break naive writers: line ends kept as CR LF, characters XML cannot hold,
// quotes and backslashes, leading blanks, a character outside the basic plane.
const std::u16string kHard = u"  Line\r\nnext \"q\" \\ <&>\x01\x1B\t end \U0001F600";

ExchangeDocument Sample() {
  // A module name may hold quotes and backslashes too (it ends up in file headers).
  ExchangeDocument d{"en-US", "fr-FR", {{"m \"q\" \\.exe", {}}}};
  auto& u = d.m_groups[0].m_units;
  u.push_back({"m.exe/6/1/text", kHard, kHard + u"!", 1, false});
  u.push_back({"m.exe/6/2/text", u"Two\nlines\n", std::u16string(u"Deux\nlignes\n"), 0, false});
  u.push_back({"m.exe/6/3/text", u"Untranslated", std::nullopt, 0, false});
  u.push_back({"m.exe/6/4/text", u"Keep", std::u16string(u"Gardé"), 2, true});
  return d;
}
}  // namespace

TEST(TextExchange, EveryFormatReadsBackWhatItWrote) {
  for (ExchangeFormat format : {ExchangeFormat::kXliff, ExchangeFormat::kPo, ExchangeFormat::kJson}) {
    std::string text = tvl::WriteExchange(Sample(), format);
    EXPECT_EQ(tvl::GuessFormat(text), format);
    ImportFile file;
    std::string error;
    ASSERT_TRUE(tvl::ReadExchange(text, format, file, error)) << error << "\n" << text;
    EXPECT_EQ(file.m_targetTag, "fr-FR");
    // The untranslated unit and the one marked do not translate come back without translation.
    ASSERT_EQ(file.m_entries.size(), 2u) << text;
    EXPECT_EQ(file.m_entries[0].m_id, "m.exe/6/1/text");
    EXPECT_EQ(file.m_entries[0].m_translation, kHard + u"!");
    EXPECT_EQ(file.m_entries[0].m_source, kHard);
    EXPECT_FALSE(file.m_entries[0].m_fuzzy);
    EXPECT_EQ(file.m_entries[1].m_translation, u"Deux\nlignes\n");
    EXPECT_TRUE(file.m_entries[1].m_fuzzy);  // status 0 with a translation
  }
}

TEST(TextExchange, StatesAndFlagsOfTheWrittenFiles) {
  std::string xliff = tvl::WriteXliff(Sample());
  EXPECT_NE(xliff.find("state=\"translated\""), std::string::npos);
  EXPECT_NE(xliff.find("state=\"needs-review-translation\""), std::string::npos);
  EXPECT_NE(xliff.find("translate=\"no\""), std::string::npos);
  EXPECT_EQ(xliff.find("Gardé"), std::string::npos);
  std::string po = tvl::WritePo(Sample());
  EXPECT_NE(po.find("#, fuzzy\nmsgctxt \"m.exe/6/2/text\""), std::string::npos) << po;
  EXPECT_NE(po.find("msgctxt \"m.exe/6/3/text\"\nmsgid \"Untranslated\"\nmsgstr \"\""), std::string::npos);
}

TEST(TextExchange, ReadersRefuseBrokenInput) {
  const std::pair<ExchangeFormat, const char*> cases[] = {
      {ExchangeFormat::kXliff, "<xliff><file><body><trans-unit><source>x</source></trans-unit>"},
      {ExchangeFormat::kXliff, "<xliff><file><body><trans-unit><source>x</source></trans-unit></body></file></xliff>"},
      {ExchangeFormat::kXliff, "<html/>"},
      {ExchangeFormat::kPo, "msgid \"a\"\nmsgstr \"b"},
      {ExchangeFormat::kPo, "msgid \"a\"\nmsgstr[0] \"b\"\n"},
      {ExchangeFormat::kPo, "msgstr \"b\"\n"},
      {ExchangeFormat::kPo, "msgid \"a\" x\nmsgstr \"b\"\n"},
      {ExchangeFormat::kPo, "msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=ISO-8859-1\\n\"\n"},
      {ExchangeFormat::kJson, "{\"items\": {}}"},
      {ExchangeFormat::kJson, "{\"items\": [{\"translation\": \"x\"}]}"},
      {ExchangeFormat::kJson, "[1, 2"},
  };
  for (auto [format, text] : cases) {
    ImportFile file;
    std::string error;
    EXPECT_FALSE(tvl::ReadExchange(text, format, file, error)) << text;
    EXPECT_FALSE(error.empty()) << text;
  }
}
