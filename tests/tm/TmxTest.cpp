#include <gtest/gtest.h>

#include "platform/Text.h"
#include "tm/Tmx.h"

using tvl::FromUtf8;
using tvl::ToUtf8;

TEST(Tmx, WrittenAndReadBackUnchanged) {
  std::vector<CTmSegment> written = {
      {"en-US", u"Line one\r\nLine <two> & \"three\"", "fr-FR", u"Ligne un\r\nLigne <deux> & « trois »", "a.exe", "5/100",
       "control/1#0", 1765400000},
      {"en-US", u"&Save\tCtrl+S", "de-DE", u"&Speichern\tStrg+S", "", "", "", 0},
  };
  std::vector<CTmSegment> read;
  std::string error;
  ASSERT_TRUE(tvl::ReadTmx(tvl::WriteTmx(written), read, error)) << error;
  ASSERT_EQ(read.size(), written.size());
  for (size_t i = 0; i < read.size(); ++i) {
    EXPECT_EQ(read[i].m_sourceLanguage, written[i].m_sourceLanguage);
    EXPECT_EQ(ToUtf8(read[i].m_source), ToUtf8(written[i].m_source));
    EXPECT_EQ(read[i].m_targetLanguage, written[i].m_targetLanguage);
    EXPECT_EQ(ToUtf8(read[i].m_target), ToUtf8(written[i].m_target));
    EXPECT_EQ(read[i].m_module + "|" + read[i].m_resource + "|" + read[i].m_element,
              written[i].m_module + "|" + written[i].m_resource + "|" + written[i].m_element);
    EXPECT_EQ(read[i].m_time, written[i].m_time);
  }
}

// Laid out as the standard's own example: a header with notes, properties and a user-defined
// encoding, a unit with a note and properties per variant, a unit for every language
// ("*all*"), upper-case tags.
TEST(Tmx, ReadsAFileWrittenByHandInTheStandardsForm) {
  const char* file = R"(<?xml version="1.0"?>
<!-- A memory of another tool -->
<!DOCTYPE tmx SYSTEM "tmx14.dtd">
<tmx version="1.4">
 <header creationtool="SomeTool" creationtoolversion="2.0" datatype="PlainText" segtype="sentence"
  adminlang="en-us" srclang="EN" o-tmf="SomeMemory" creationdate="20020101T163812Z" o-encoding="iso-8859-1">
  <note>A note on the document.</note>
  <prop type="RTFPreamble">{\rtf1\ansi}</prop>
  <ude name="MacRoman" base="Macintosh"><map unicode="#xF8FF" code="#xF0" ent="Apple_logo" subst="[Apple]"/></ude>
 </header>
 <body>
  <tu tuid="0001" datatype="Text" usagecount="2" lastusagedate="19970314T023401Z">
   <note>A note on the unit.</note>
   <prop type="x-Domain">Computing</prop>
   <tuv xml:lang="EN" creationdate="19970212T153400Z" creationid="BobW">
    <seg>Click <bpt i="1" x="1">{\b </bpt>OK<ept i="1">}</ept> to close <ph x="2">%s</ph><ph x="3">&lt;br/&gt;</ph>.</seg>
   </tuv>
   <tuv xml:lang="FR-CA" changedate="19970314T023401Z" changeid="ManonD">
    <prop type="Origin">MT</prop>
    <seg>Cliquez sur <hi type="b">OK</hi> pour fermer <ph x="2">%s</ph>.<it pos="begin">{\i</it></seg>
   </tuv>
  </tu>
  <tu tuid="0002" srclang="*all*">
   <tuv xml:lang="EN"><seg>menu</seg></tuv>
   <tuv xml:lang="FR-CA"><seg>menu</seg></tuv>
   <tuv xml:lang="DE-DE"><seg>Menü</seg></tuv>
  </tu>
  <tu><tuv lang="EN"><seg>Older files say lang</seg></tuv><tuv lang="IT"><seg>I file vecchi</seg></tuv></tu>
 </body>
</tmx>
)";
  std::vector<CTmSegment> read;
  std::string error;
  ASSERT_TRUE(tvl::ReadTmx(file, read, error)) << error;
  ASSERT_EQ(read.size(), 4u);
  EXPECT_EQ(ToUtf8(read[0].m_source), "Click OK to close %s.");
  EXPECT_EQ(ToUtf8(read[0].m_target), "Cliquez sur OK pour fermer %s.");
  EXPECT_EQ(read[0].m_sourceLanguage + ">" + read[0].m_targetLanguage, "EN>FR-CA");
  EXPECT_EQ(read[0].m_time, 858306841);  // no date on the unit: its newest variant's
  EXPECT_EQ(read[1].m_targetLanguage + ":" + ToUtf8(read[1].m_target), "FR-CA:menu");
  EXPECT_EQ(read[2].m_targetLanguage + ":" + ToUtf8(read[2].m_target), "DE-DE:Menü");
  EXPECT_EQ(read[3].m_sourceLanguage + ">" + read[3].m_targetLanguage + ":" + ToUtf8(read[3].m_target), "EN>IT:I file vecchi");
}

TEST(Tmx, RefusesWhatIsNoMemory) {
  const char* files[] = {
      "<xliff version=\"1.2\"/>",
      "<tmx version=\"1.4\"><header/></tmx>",
      "<tmx version=\"1.4\"><body><tu>",
      "<!DOCTYPE tmx [<!ENTITY a \"aaaa\">]><tmx><body/></tmx>",
  };
  for (const char* f : files) {
    std::vector<CTmSegment> read;
    std::string error;
    EXPECT_FALSE(tvl::ReadTmx(f, read, error)) << f;
    EXPECT_FALSE(error.empty()) << f;
  }
}
