// The language survey over the fixtures, its ordering and the source language guess.
#include <gtest/gtest.h>

#include "ReaderTestHelpers.h"
#include "peimage/LanguageSurvey.h"
#include "platform/LanguageFacts.h"
#include "platform/Text.h"

using namespace readertest;

namespace {

CLanguageSurvey SurveyOf(const std::string& fixture) {
  CLanguageSurvey s;
  EXPECT_TRUE(s.Survey(tvl::FromUtf8(FixturePath(fixture))));
  return s;
}

}  // namespace

TEST(Survey, AllKindsInOneLanguage) {
  CLanguageSurvey s = SurveyOf("all32.exe");
  EXPECT_TRUE(s.m_singleLanguage);
  // 35 entries less 5 icon and 2 cursor images; dialog init data counts.
  EXPECT_EQ(s.m_resourceCount, 28);
  EXPECT_EQ(s.m_resourceLanguages, (std::vector<LANGID>{0x0409}));
  EXPECT_EQ(s.m_counts.at(0x0409), 28);
  EXPECT_EQ(s.m_versionLanguages, (std::vector<LANGID>{0x0409, 0x0407, 0x040C}));
  EXPECT_TRUE(s.m_mfcClue);  // RT_DLGINIT
  EXPECT_EQ(s.GuessSourceLanguage(), 0x0409);
  EXPECT_EQ(s.m_keys.size(), 28u);
  CLanguageSurvey::ResourceKey named;
  named.typeIsName = true;
  named.typeName = u"SETTINGS";
  named.nameIsName = true;
  named.nameName = u"NAMEDDATA";
  ASSERT_EQ(s.m_keys.count(named), 1u);
  EXPECT_EQ(s.m_keys.at(named), (std::vector<LANGID>{0x0409}));
}

TEST(Survey, ToolbarIsAnMfcClue) {
  CLanguageSurvey s = SurveyOf("mfc64.exe");
  EXPECT_TRUE(s.m_mfcClue);
  EXPECT_TRUE(s.m_singleLanguage);
  CLanguageSurvey plain = SurveyOf("twolang.dll");
  EXPECT_FALSE(plain.m_mfcClue);
}

TEST(Survey, SameResourceInTwoLanguages) {
  CLanguageSurvey s = SurveyOf("twolang.dll");
  EXPECT_FALSE(s.m_singleLanguage);
  EXPECT_EQ(s.m_resourceCount, 8);
  EXPECT_EQ(s.m_counts.at(0x0409), 5);
  EXPECT_EQ(s.m_counts.at(0x0407), 3);
  EXPECT_EQ(s.m_resourceLanguages, (std::vector<LANGID>{0x0409, 0x0407}));
  CLanguageSurvey::ResourceKey dialog;
  dialog.typeOrdinal = 5;
  dialog.nameOrdinal = 100;
  EXPECT_EQ(s.m_keys.at(dialog), (std::vector<LANGID>{0x0407, 0x0409}));
  EXPECT_EQ(s.GuessSourceLanguage(), 0x0409);
}

TEST(Survey, NeutralOnlyWithoutVersionGuessesTheSystemDefault) {
  CLanguageSurvey s = SurveyOf("neutral64.dll");
  EXPECT_EQ(s.m_resourceLanguages, (std::vector<LANGID>{0x0000}));
  EXPECT_TRUE(s.m_versionLanguages.empty());
  EXPECT_EQ(s.GuessSourceLanguage(), SystemDefaultLanguage());
}

TEST(Survey, VersionWithNeutralThenRealLanguage) {
  CLanguageSurvey s = SurveyOf("neutralver32.dll");
  EXPECT_EQ(s.m_versionLanguages, (std::vector<LANGID>{0x0000, 0x0407}));
  EXPECT_EQ(s.m_resourceLanguages, (std::vector<LANGID>{0x0000}));
  EXPECT_EQ(s.GuessSourceLanguage(), 0x0407);
}

TEST(Survey, ImagesAloneCountNothing) {
  CLanguageSurvey s = SurveyOf("icononly32.dll");
  EXPECT_EQ(s.m_resourceCount, 0);
  EXPECT_TRUE(s.m_resourceLanguages.empty());
  EXPECT_TRUE(s.m_singleLanguage);
  EXPECT_EQ(s.GuessSourceLanguage(), SystemDefaultLanguage());
}

TEST(Survey, FrenchFileWithOverlay) {
  CLanguageSurvey s = SurveyOf("overlay32.exe");
  EXPECT_EQ(s.m_resourceLanguages, (std::vector<LANGID>{0x040C}));
  EXPECT_EQ(s.m_versionLanguages, (std::vector<LANGID>{0x040C}));
  EXPECT_EQ(s.GuessSourceLanguage(), 0x040C);
}

TEST(Survey, FilesThatCannotBeLoaded) {
  CLanguageSurvey s;
  EXPECT_FALSE(s.Survey(u"/nonexistent/dir/file.exe"));
  EXPECT_FALSE(s.SurveyBytes(std::vector<BYTE>(512, 0)));
}

TEST(Survey, OrderByDescendingCountTiesByLanguage) {
  EXPECT_EQ(CLanguageSurvey::OrderByCount({{0x0409, 2}, {0x0407, 2}, {0x040C, 5}, {0x0411, 1}, {0x0000, 2}}),
            (std::vector<LANGID>{0x040C, 0x0000, 0x0407, 0x0409, 0x0411}));
  EXPECT_EQ(CLanguageSurvey::OrderByCount({{0x0411, 1}, {0x0409, 3}}), (std::vector<LANGID>{0x0409, 0x0411}));
  EXPECT_TRUE(CLanguageSurvey::OrderByCount({}).empty());
}

TEST(Survey, GuessSkipsLanguagesWhosePrimaryLanguageIsNeutral) {
  CLanguageSurvey s;
  // 0x0400 and 0x0800 have a sublanguage but primary language 0.
  s.m_versionLanguages = {0x0400, 0x0C00};
  s.m_resourceLanguages = {0x0800, 0x0411, 0x0409};
  EXPECT_EQ(s.GuessSourceLanguage(), 0x0411);
  s.m_versionLanguages.push_back(0x0419);
  EXPECT_EQ(s.GuessSourceLanguage(), 0x0419);
  s.m_versionLanguages.clear();
  s.m_resourceLanguages = {0x0000, 0x0400};
  EXPECT_EQ(s.GuessSourceLanguage(), SystemDefaultLanguage());
}
