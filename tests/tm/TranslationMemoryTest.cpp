#include <gtest/gtest.h>

#include <fstream>

#include "TestSupport.h"
#include "platform/Text.h"
#include "tm/TmText.h"
#include "tm/TranslationMemory.h"

using tvl::FromUtf8;
using tvl::ToUtf8;

namespace {

CTmSegment Segment(const char* source, const char* target, const char* targetLanguage = "fr-FR") {
  return {"en-US", FromUtf8(source), targetLanguage, FromUtf8(target), "m.exe", "6/1", "text", 1000};
}

class TranslationMemoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    memory.Open(dir.file("memory.tm"));
    memory.Add({Segment("&Open the file", "&Ouvrir le fichier"), Segment("Cannot open %s: %d", "Impossible d'ouvrir %s : %d"),
                Segment("Copy %1 to %2", "Copier %1 vers %2"), Segment("Save\tCtrl+S", "Enregistrer\tCtrl+S"),
                Segment("File not found.", "Fichier introuvable."),
                Segment("The quick brown fox jumps over the lazy dog today", "Le renard saute"),
                Segment("&Open the file", "&Datei öffnen", "de-DE")});
  }
  CScratchDir dir;
  CTranslationMemory memory;
};

struct MatchCase {
  const char* lookup;
  int low, high;           // the best match's percentage; 0, 0: none at 50 % or more
  const char* suggestion;  // nullptr: not checked
};

}  // namespace

TEST_F(TranslationMemoryTest, MatchesWhatMustMatchAndNotWhatMustNot) {
  const MatchCase cases[] = {
      {"&Open the file", 100, 100, "&Ouvrir le fichier"},
      {"Open the &file", 100, 100, "&Ouvrir le fichier"},  // the mark moved: the translator's stays
      {"Open the file", 100, 100, "Ouvrir le fichier"},    // no mark: none in the suggestion
      {"open the file", 90, 99, nullptr},                  // case is a difference, a small one
      {"File not found", 80, 99, "Fichier introuvable."},  // punctuation too
      {"Cannot open %d: %s", 100, 100, "Impossible d'ouvrir %d : %s"},
      {"Cannot open %1: %2", 50, 99, nullptr},             // positional inserts are another text
      {"Copy {0} to {1}", 100, 100, "Copier {0} vers {1}"},
      {"Copy %2 to %1", 0, 0, nullptr},                    // the inserts swapped: says something else
      {"Save\tCtrl+Shift+S", 100, 100, "Enregistrer\tCtrl+Shift+S"},
      {"Save", 100, 100, "Enregistrer"},
      {"The quick brown fox jumps over the lazy cat today", 90, 90, "Le renard saute"},
      {"Something entirely different", 0, 0, nullptr},
  };
  for (const MatchCase& c : cases) {
    SCOPED_TRACE(c.lookup);
    auto matches = memory.Lookup("en-US", "fr-FR", FromUtf8(c.lookup), c.low ? std::min(c.low, 50) : 50, 3);
    if (c.high == 0) {
      EXPECT_TRUE(matches.empty() || matches.front().m_percent < 60) << matches.front().m_percent;
      continue;
    }
    ASSERT_FALSE(matches.empty());
    EXPECT_GE(matches.front().m_percent, c.low);
    EXPECT_LE(matches.front().m_percent, c.high);
    if (c.suggestion) {
      EXPECT_EQ(ToUtf8(matches.front().m_suggestion), c.suggestion);
    }
  }
}

TEST_F(TranslationMemoryTest, LanguagesMatchByTheirPrimaryPart) {
  EXPECT_EQ(ToUtf8(memory.Lookup("en-GB", "fr-CA", u"&Open the file", 100, 3).at(0).m_suggestion), "&Ouvrir le fichier");
  EXPECT_EQ(ToUtf8(memory.Lookup("en-US", "de-DE", u"&Open the file", 100, 3).at(0).m_suggestion), "&Datei öffnen");
  EXPECT_TRUE(memory.Lookup("en-US", "ja-JP", u"&Open the file", 50, 3).empty());
  EXPECT_TRUE(memory.Lookup("de-DE", "fr-FR", u"&Open the file", 50, 3).empty());
}

TEST_F(TranslationMemoryTest, AddingAgainKeepsOneSegmentAndReopeningKeepsThemAll) {
  size_t count = memory.Count();
  EXPECT_EQ(memory.Add({Segment("File not found.", "Fichier introuvable.")}), 0u);
  EXPECT_EQ(memory.Add({Segment("File not found.", "Fichier non trouvé.")}), 1u);  // another translation is kept too
  CTranslationMemory again;
  again.Open(dir.file("memory.tm"));
  EXPECT_EQ(again.Count(), count + 1);
}

TEST_F(TranslationMemoryTest, DifferencesAreMarkedInTheStoredSource) {
  CTmText shown = tvl::AnalyseTmText(u"The quick brown fox jumps over the lazy dog today");
  CTmText wanted = tvl::AnalyseTmText(u"The quick brown fox jumps over the lazy cat today");
  auto spans = tvl::DifferingSpans(shown, wanted);
  ASSERT_EQ(spans.size(), 1u);
  EXPECT_EQ(spans[0], std::make_pair(size_t{40}, size_t{43}));  // "dog"
}

TEST(TranslationMemory, DamagedOrForeignFilesAreRefused) {
  CScratchDir dir;
  {
    CTranslationMemory memory;
    memory.Open(dir.file("good.tm"));
    memory.Add({Segment("Open", "Ouvrir")});
  }
  std::vector<unsigned char> bytes = ReadFileBytes(dir.file("good.tm"));
  ASSERT_GT(bytes.size(), 100u);
  std::vector<unsigned char> header = bytes;
  std::fill(header.begin(), header.begin() + 16, 'x');
  WriteFileBytes(dir.file("header.tm"), header);
  std::vector<unsigned char> half(bytes.begin(), bytes.begin() + static_cast<long>(bytes.size() / 2));
  WriteFileBytes(dir.file("half.tm"), half);
  std::ofstream(dir.file("text.tm")) << "not a database, only some text that is long enough to look like one\n";
  // A database of another program.
  RunCommand("sqlite3 " + dir.file("foreign.tm") + " 'CREATE TABLE t(a)'");
  for (const char* name : {"header.tm", "half.tm", "text.tm", "foreign.tm"}) {
    SCOPED_TRACE(name);
    CTranslationMemory memory;
    try {
      memory.Open(dir.file(name));
      ADD_FAILURE() << "opened";
    } catch (const CTmError& e) {
      EXPECT_NE(std::string(e.what()).find(name), std::string::npos) << e.what();
      EXPECT_FALSE(memory.IsOpen());
    }
  }
}
