#include <gtest/gtest.h>

#include <chrono>
#include <fstream>

#include "TestSupport.h"
#include "project/TextExchange.h"

namespace {
// Texts that break naive writers: line ends kept as CR LF, characters XML cannot hold,
// quotes and backslashes, leading blanks, a character outside the basic plane.
const std::u16string kHard = u"  Line\r\nnext \"q\" \\ <&>\x01\x1B\t end \U0001F600";

ExchangeUnit Unit(const std::string& id, const std::u16string& source, std::optional<std::u16string> translation,
                  int status, bool doNotTranslate) {
  ExchangeUnit u;
  u.m_id = id;
  u.m_source = source;
  u.m_translation = std::move(translation);
  u.m_status = status;
  u.m_doNotTranslate = doNotTranslate;
  return u;
}

ExchangeDocument Sample() {
  // A module name may hold quotes and backslashes too (it ends up in file headers).
  ExchangeDocument d{"en-US", "fr-FR", {{"m \"q\" \\.exe", {}}}};
  auto& u = d.m_groups[0].m_units;
  u.push_back(Unit("m.exe/6/1/text", kHard, kHard + u"!", 1, false));
  u.push_back(Unit("m.exe/6/2/text", u"Two\nlines\n", std::u16string(u"Deux\nlignes\n"), 0, false));
  u.push_back(Unit("m.exe/6/3/text", u"Untranslated", std::nullopt, 0, false));
  u.push_back(Unit("m.exe/6/4/text", u"Keep", std::u16string(u"Gardé"), 2, true));
  return d;
}
}  // namespace

TEST(TextExchange, EveryFormatReadsBackWhatItWrote) {
  for (ExchangeFormat format :
       {ExchangeFormat::kXliff, ExchangeFormat::kPo, ExchangeFormat::kJson, ExchangeFormat::kXliff2}) {
    std::string text = tvl::WriteExchange(Sample(), format);
    EXPECT_EQ(tvl::GuessFormat(text), format == ExchangeFormat::kXliff2 ? ExchangeFormat::kXliff : format);
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

namespace {
void WriteText(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

std::string XliffWith(const std::string& doctype, const std::string& target) {
  return "<?xml version=\"1.0\"?>\n" + doctype +
         "\n<xliff version=\"1.2\" xmlns=\"urn:oasis:names:tc:xliff:document:1.2\">"
         "<file original=\"m.exe\" target-language=\"fr-FR\"><body>"
         "<trans-unit id=\"m.exe/6/1/text\" resname=\"" + target + "\"><source>One</source><target>" + target +
         "</target></trans-unit></body></file></xliff>\n";
}

// Ten levels of ten references each: 10^10 characters if anything expanded them.
std::string Laughs() {
  std::string dtd = "<!DOCTYPE xliff [\n<!ENTITY l0 \"laugh\">\n";
  for (int i = 1; i <= 10; ++i) {
    dtd += "<!ENTITY l" + std::to_string(i) + " \"";
    for (int k = 0; k < 10; ++k) dtd += "&l" + std::to_string(i - 1) + ";";
    dtd += "\">\n";
  }
  return dtd + "]>";
}
}  // namespace

TEST(TextExchange, XliffEntitiesAreRefusedNeverExpandedOrLoaded) {
  CScratchDir dir;
  // Were the document type definition read, the entity it declares would be the one refused.
  WriteText(dir.file("outside.dtd"), "<!ENTITY outside \"Un\">");
  const std::string secret = dir.file("secret.txt");
  WriteText(secret, "Un");
  const struct {
    const char* name;
    std::string text;
    const char* refusal;  // part of the message; null when the file is read
  } cases[] = {
      {"billion laughs", XliffWith(Laughs(), "&l10;"), "entity declaration of l0 "},
      {"internal entity", XliffWith("<!DOCTYPE xliff [<!ENTITY un \"Un\">]>", "&un;"), "entity declaration of un "},
      {"external entity", XliffWith("<!DOCTYPE xliff [<!ENTITY ext SYSTEM \"file://" + secret + "\">]>", "&ext;"),
       "entity declaration of ext "},
      {"external definition", XliffWith("<!DOCTYPE xliff SYSTEM \"file://" + dir.file("outside.dtd") + "\">", "&outside;"),
       "reference to the entity outside "},
      {"definition without entities", XliffWith("<!DOCTYPE xliff SYSTEM \"file://" + dir.file("outside.dtd") + "\">",
                                                "Un &amp; &#x55;n"), nullptr},
  };
  for (const auto& c : cases) {
    ImportFile file;
    std::string error;
    const auto start = std::chrono::steady_clock::now();
    const bool read = tvl::ReadExchange(c.text, ExchangeFormat::kXliff, file, error);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500)) << c.name;
    if (!c.refusal) {
      ASSERT_TRUE(read) << c.name << ": " << error;
      ASSERT_EQ(file.m_entries.size(), 1u);
      EXPECT_EQ(file.m_entries[0].m_translation, u"Un & Un");
      continue;
    }
    EXPECT_FALSE(read) << c.name;
    EXPECT_NE(error.find(c.refusal), std::string::npos) << c.name << ": " << error;
    EXPECT_NE(error.find("XLIFF files need no document type declaration"), std::string::npos) << error;
    EXPECT_TRUE(file.m_entries.empty()) << c.name;
  }
}

TEST(TextExchange, PoAndJsonReadersStayLinearOnLargeFlatOrDeepInput) {
  // 200,000 strings joined on one line, and arrays nested 200,000 deep: no expansion, no
  // recursion that grows with the input.
  std::string joined = "msgctxt \"m.exe/6/1/text\"\nmsgid \"One\"\nmsgstr";
  for (int i = 0; i < 200000; ++i) joined += " \"a\"";
  ImportFile po;
  std::string error;
  ASSERT_TRUE(tvl::ReadExchange(joined + "\n", ExchangeFormat::kPo, po, error)) << error;
  ASSERT_EQ(po.m_entries.size(), 1u);
  EXPECT_EQ(po.m_entries[0].m_translation.size(), 200000u);

  ImportFile json;
  EXPECT_FALSE(tvl::ReadExchange(std::string(200000, '[') + std::string(200000, ']'), ExchangeFormat::kJson, json, error));
  EXPECT_FALSE(error.empty());
}

TEST(TextExchange, XliffStatesReadBackAsStatuses) {
  const struct {
    const char* unitAttributes;
    const char* targetAttributes;
    bool fuzzy;
    bool final;
  } cases[] = {
      {"", "state=\"translated\"", false, false},
      {"", "state=\"needs-review-translation\"", true, false},
      {"", "state=\"needs-translation\"", true, false},
      {"", "state=\"new\"", true, false},
      {"", "state=\"final\"", false, true},
      {"", "state=\"signed-off\"", false, true},
      {"approved=\"no\"", "", true, false},  // converters mark a fuzzy unit only so
      {"approved=\"yes\"", "", false, false},
      {"", "", false, false},
  };
  for (const auto& c : cases) {
    std::string xliff = std::string("<xliff version=\"1.2\" xmlns=\"urn:oasis:names:tc:xliff:document:1.2\"><file>") +
                        "<body><trans-unit id=\"m.exe/6/1/text\" " + c.unitAttributes + "><source>One</source><target " +
                        c.targetAttributes + ">Un</target></trans-unit></body></file></xliff>";
    ImportFile file;
    std::string error;
    ASSERT_TRUE(tvl::ReadXliff(xliff, file, error)) << error;
    ASSERT_EQ(file.m_entries.size(), 1u);
    EXPECT_EQ(file.m_entries[0].m_fuzzy, c.fuzzy) << c.unitAttributes << c.targetAttributes;
    EXPECT_EQ(file.m_entries[0].m_final, c.final) << c.unitAttributes << c.targetAttributes;
  }
}

TEST(TextExchange, IdsComeBackFromConvertedFiles) {
  // Converters renumber XLIFF units (keeping the id as location) or drop msgctxt from PO
  // (keeping it, escaped, as the reference); their header units are no translations.
  const std::pair<ExchangeFormat, std::string> cases[] = {
      {ExchangeFormat::kXliff,
       "<xliff version=\"1.1\" xmlns=\"urn:oasis:names:tc:xliff:document:1.1\"><file><body>"
       "<trans-unit id=\"1\" restype=\"x-gettext-domain-header\"><source>h</source><target>h</target></trans-unit>"
       "<trans-unit id=\"2\"><source>One</source><target>Un</target><context-group purpose=\"location\">"
       "<context context-type=\"sourcefile\">m.exe/5/%22A%20B%22/control/1%230</context></context-group>"
       "</trans-unit></body></file></xliff>"},
      // A unit of ours keeps its id whatever location a tool added.
      {ExchangeFormat::kXliff,
       "<xliff version=\"1.2\" xmlns=\"urn:oasis:names:tc:xliff:document:1.2\"><file><body>"
       "<trans-unit id=\"m.exe/5/&quot;A B&quot;/control/1#0\"><source>One</source><target>Un</target>"
       "<context-group purpose=\"location\"><context context-type=\"sourcefile\">x.rc</context></context-group>"
       "</trans-unit></body></file></xliff>"},
      {ExchangeFormat::kPo, "#: m.exe/5/%22A%20B%22/control/1%230\nmsgid \"One\"\nmsgstr \"Un\"\n"},
      {ExchangeFormat::kPo,
       "#: m.exe/5/x\nmsgctxt \"m.exe/5/\\\"A B\\\"/control/1#0\"\nmsgid \"One\"\nmsgstr \"Un\"\n"},
  };
  for (const auto& [format, text] : cases) {
    ImportFile file;
    std::string error;
    ASSERT_TRUE(tvl::ReadExchange(text, format, file, error)) << error;
    ASSERT_EQ(file.m_entries.size(), 1u) << text;
    EXPECT_EQ(file.m_entries[0].m_id, "m.exe/5/\"A B\"/control/1#0") << text;
  }
  // The references written are the ids, with blanks escaped.
  ExchangeDocument doc{"en-US", "fr-FR", {{"m.exe", {Unit("m.exe/5/\"A B\"/control/1#0", u"One", u"Un", 1, false)}}}};
  EXPECT_NE(tvl::WritePo(doc).find("\n#: m.exe/5/\"A%20B\"/control/1#0\n"), std::string::npos) << tvl::WritePo(doc);
}
