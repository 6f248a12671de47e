#include <gtest/gtest.h>

#include <filesystem>

#include "TestSupport.h"
#include "platform/Text.h"
#include "project/Module.h"
#include "project/TextItems.h"
#include "project/TvlDoc.h"
#include "tm/ProjectMemory.h"

namespace {

constexpr LANGID kFrench = 0x040C, kGerman = 0x0407;

const CLocalizedString* TranslationOf(const CExchangeItem& item, LANGID language) {
  const CLocalizedParam* node = item.m_value->FindValue(language);
  return node && node != item.m_value ? static_cast<const CLocalizedString*>(node) : nullptr;
}

// The example project in a scratch folder, with a memory of its French translations.
class PretranslateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* f : {"Example.tvl", "Sample.exe"})
      std::filesystem::copy_file(std::string(TVL_SOURCE_DIR) + "/examples/" + f, dir.file(f));
    ASSERT_TRUE(doc.OnOpenDocument(tvl_test_u16(dir.file("Example.tvl"))));
    memory.Open(dir.file("memory.tm"));
    ASSERT_GT(memory.Add(tvl::ProjectSegments(doc, kFrench, 1)), 3u);
  }
  std::vector<unsigned char> Saved(const char* name) {
    EXPECT_TRUE(doc.OnSaveDocument(tvl_test_u16(dir.file(name))));
    return ReadFileBytes(dir.file(name));
  }
  CRecordingSink sink;
  CScratchDir dir;
  CTvlDoc doc;
  CTranslationMemory memory;
};

}  // namespace

// The next build of the program: its French translations gone, one sentence changed.
TEST_F(PretranslateTest, FillsTheNextBuildExactAndFuzzyAndUndoesInOneStep) {
  std::vector<CExchangeItem> items = tvl::CollectProjectItems(doc);
  std::map<const CLocalizedString*, std::u16string> translated;
  const CExchangeItem* changed = nullptr;
  for (const CExchangeItem& item : items) {
    const CLocalizedString* t = TranslationOf(item, kFrench);
    if (t && t->m_status >= kStatusTranslated) {
      translated[item.m_value] = t->m_text;
      if (!changed && item.m_value->m_text.find(u' ') != std::u16string::npos) changed = &item;
    }
    if (t) item.m_value->RemoveTranslation(kFrench, true);
  }
  ASSERT_NE(changed, nullptr);
  changed->m_value->m_text += u" now";
  for (const auto& m : doc.m_modules) m->m_resTable.UpdateStatus(kFrench);
  std::vector<unsigned char> before = Saved("before.tvl");
  std::vector<unsigned char> germanBefore;
  for (const CExchangeItem& item : items)
    if (const CLocalizedString* t = TranslationOf(item, kGerman)) germanBefore.insert(germanBefore.end(), t->m_text.begin(), t->m_text.end());

  CPretranslateResult result;
  EXPECT_EQ(tvl::Pretranslate(doc, memory, kGerman, 50, result), nullptr);  // a French memory has nothing for German
  auto action = tvl::Pretranslate(doc, memory, kFrench, 60, result);
  ASSERT_NE(action, nullptr);
  EXPECT_EQ(result.m_exact + result.m_fuzzy, translated.size());
  EXPECT_EQ(result.m_fuzzy, 1u);
  for (const CExchangeItem& item : items) {
    auto was = translated.find(item.m_value);
    const CLocalizedString* now = TranslationOf(item, kFrench);
    if (was == translated.end()) {
      EXPECT_EQ(now, nullptr) << item.m_id;
      continue;
    }
    ASSERT_NE(now, nullptr) << item.m_id;
    EXPECT_EQ(tvl::ToUtf8(now->m_text), tvl::ToUtf8(was->second)) << item.m_id;
    EXPECT_EQ(now->m_status, &item == changed ? kStatusNotTranslated : kStatusTranslated) << item.m_id;
  }
  std::vector<unsigned char> germanAfter;
  for (const CExchangeItem& item : items)
    if (const CLocalizedString* t = TranslationOf(item, kGerman)) germanAfter.insert(germanAfter.end(), t->m_text.begin(), t->m_text.end());
  EXPECT_EQ(germanAfter, germanBefore);

  std::vector<unsigned char> filled = Saved("filled.tvl");
  std::vector<CObject*> touched;
  action->Apply(touched);
  EXPECT_EQ(Saved("undone.tvl"), before);
  action->Apply(touched);
  EXPECT_EQ(Saved("redone.tvl"), filled);
}

TEST_F(PretranslateTest, TextsAlreadyTranslatedAndExactOnlyRunsAreLeftAlone) {
  std::vector<unsigned char> before = Saved("before.tvl");
  CPretranslateResult result;
  EXPECT_EQ(tvl::Pretranslate(doc, memory, kFrench, 100, result), nullptr);
  EXPECT_GT(result.m_remaining, 0u);
  EXPECT_EQ(Saved("after.tvl"), before);
  EXPECT_EQ(tvl::PretranslateSummary(result, kFrench, 100),
            "Pre-translated 0 texts into fr-FR: 0 exact matches (translated); " + std::to_string(result.m_remaining) +
                " texts left untranslated.");
}
