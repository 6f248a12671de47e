// CResTableBase::Load: which resources reach AddRawResource, with which languages,
// code pages and bytes, and what the handlers can still fetch from the module.
#include <gtest/gtest.h>

#include <algorithm>

#include "ReaderTestHelpers.h"
#include "platform/LanguageFacts.h"
#include "platform/Text.h"

using namespace readertest;

namespace {

std::u16string Fixture(const std::string& name) { return tvl::FromUtf8(FixturePath(name)); }

bool IsSkippedType(const CResName& t) {
  return t.IsOrdinal() && (t.GetOrdinal() == 1 || t.GetOrdinal() == 3 || t.GetOrdinal() == 240 || t.GetOrdinal() == 255);
}

}  // namespace

TEST(ReaderLoad, HandsOnEveryNonEmptyResourceExceptImagesAndDialogInitData) {
  for (const std::string& f : kAllFixtures) {
    SCOPED_TRACE(f);
    CPeImage image;
    ASSERT_TRUE(image.LoadFile(FixturePath(f)));
    std::vector<Entry> expected;
    for (Entry& e : WalkEntries(image))
      if (!IsSkippedType(e.type) && !e.bytes.empty()) expected.push_back(std::move(e));

    CRecordingTable table;
    ASSERT_TRUE(table.Load(Fixture(f), kNoLanguage));
    EXPECT_FALSE(table.HoldsModule());
    EXPECT_EQ(table.m_path, Fixture(f));
    ASSERT_EQ(table.records.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
      const Recorded& r = table.records[i];
      EXPECT_EQ((Entry{r.type, r.name, r.language, r.bytes}), expected[i]) << Describe(expected[i]);
      EXPECT_EQ(r.fileLanguage, r.language);
    }
  }
}

TEST(ReaderLoad, All32HandsOnTwentySevenResourcesAndNoImages) {
  CRecordingTable table;
  ASSERT_TRUE(table.Load(Fixture("all32.exe"), kNoLanguage));
  // 35 entries: 5 icon images, 2 cursor images and the dialog init data stay behind.
  EXPECT_EQ(table.records.size(), 27u);
  for (const Recorded& r : table.records) EXPECT_FALSE(IsSkippedType(r.type)) << Describe(r.type);
  EXPECT_TRUE(std::any_of(table.records.begin(), table.records.end(),
                          [](const Recorded& r) { return IsId(r.type, 14); }));
}

TEST(ReaderLoad, OverrideLanguageRecordsEveryResourceUnderItAndKeepsTheFileLanguage) {
  for (LANGID override : {LANGID{0x0407}, LANGID{0x0411}, LANGID{0x0419}}) {
    SCOPED_TRACE(override);
    CRecordingTable table;
    ASSERT_TRUE(table.Load(Fixture("twolang.dll"), override));
    EXPECT_EQ(table.m_overrideLanguage, override);
    ASSERT_EQ(table.records.size(), 8u);
    const CodePageAndCharset cp = LanguageCodePage(override);
    int german = 0;
    for (const Recorded& r : table.records) {
      EXPECT_EQ(r.language, override);
      EXPECT_EQ(r.codePage, cp.codePage);
      EXPECT_EQ(r.charSet, cp.charSet);
      EXPECT_TRUE(r.fileLanguage == 0x0409 || r.fileLanguage == 0x0407);
      german += r.fileLanguage == 0x0407;
    }
    EXPECT_EQ(german, 3);
  }
  // Without override each stream carries its own language and that language's code page.
  CRecordingTable table;
  ASSERT_TRUE(table.Load(Fixture("twolang.dll"), kNoLanguage));
  for (const Recorded& r : table.records) {
    EXPECT_EQ(r.language, r.fileLanguage);
    EXPECT_EQ(r.codePage, LanguageCodePage(r.fileLanguage).codePage);
  }
  // Both languages of dialog 100 are handed on, German first as the directory lists it.
  std::vector<LANGID> dialogLanguages;
  for (const Recorded& r : table.records)
    if (IsId(r.type, 5)) dialogLanguages.push_back(r.fileLanguage);
  EXPECT_EQ(dialogLanguages, (std::vector<LANGID>{0x0407, 0x0409}));
}

TEST(ReaderLoad, EmptyResourceNeverReachesTheTable) {
  CRecordingTable table;
  ASSERT_TRUE(table.Load(Fixture("empty64.dll"), kNoLanguage));
  ASSERT_EQ(table.records.size(), 2u);
  EXPECT_EQ(table.records[0].name, CResName(WORD{300}));
  EXPECT_EQ(table.records[1].name, CResName(WORD{302}));
  EXPECT_EQ(std::string(table.records[1].bytes.begin(), table.records[1].bytes.end()), "after");
  // The walk itself does see it.
  CPeImage image;
  ASSERT_TRUE(image.LoadFile(FixturePath("empty64.dll")));
  ASSERT_EQ(image.GetResources().size(), 3u);
  EXPECT_EQ(image.GetResources()[1].size, 0u);
}

TEST(ReaderLoad, IconAndCursorImagesWithoutGroupsGiveNothing) {
  CRecordingTable table;
  EXPECT_TRUE(table.Load(Fixture("icononly32.dll"), kNoLanguage));
  EXPECT_TRUE(table.records.empty());
}

TEST(ReaderLoad, HandlerCanFetchFurtherResourcesFromTheModule) {
  // A group icon's entries name its images; the handler finds them while the walk runs.
  CRecordingTable table;
  int groupsChecked = 0;
  table.onResource = [&](CResStream& s) {
    ASSERT_NE(s.m_module, nullptr);
    if (!(IsId(s.m_type, 14))) return;
    s.Read(4);
    const WORD count = s.ReadWord();
    for (WORD i = 0; i < count; ++i) {
      s.Read(8);
      const DWORD bytes = s.ReadDword();
      const WORD id = s.ReadWord();
      const CPeResource* image = s.m_module->FindResourceEx(CResName(WORD{3}), CResName(id), s.m_fileLanguage);
      ASSERT_NE(image, nullptr) << id;
      EXPECT_EQ(s.m_module->GetData(*image).size(), bytes);
    }
    EXPECT_TRUE(s.AtEnd());
    ++groupsChecked;
  };
  // Under an override the images are still found by the file language.
  ASSERT_TRUE(table.Load(Fixture("all64.exe"), 0x0411));
  EXPECT_EQ(groupsChecked, 2);
}

TEST(ReaderLoad, ParseFailureDoesNotStopTheWalk) {
  CRecordingTable table;
  table.onResource = [](CResStream& s) { s.Read(s.m_size + 1); };
  ASSERT_TRUE(table.Load(Fixture("all32.exe"), kNoLanguage));
  EXPECT_EQ(table.records.size(), 27u);
}

TEST(ReaderLoad, FilesThatCannotBeLoaded) {
  CScratchDir dir;
  CRecordingTable table;
  EXPECT_FALSE(table.Load(tvl::FromUtf8(dir.file("missing.exe")), kNoLanguage));
  WriteFileBytes(dir.file("text.exe"), std::vector<BYTE>(4000, 'A'));
  EXPECT_FALSE(table.Load(tvl::FromUtf8(dir.file("text.exe")), kNoLanguage));
  WriteFileBytes(dir.file("empty.exe"), {});
  EXPECT_FALSE(table.Load(tvl::FromUtf8(dir.file("empty.exe")), kNoLanguage));

  // A valid image without a resource directory: nothing to enumerate.
  std::vector<BYTE> bytes = ReadFileBytes(FixturePath("all32.exe"));
  CPeImage image;
  ASSERT_TRUE(image.LoadBytes(bytes));
  const size_t dd = image.GetOptionalHeaderOffset() + pe::kOhDataDirectory32 + pe::kDirResource * 8;
  pe::Put32(&bytes[dd], 0);
  pe::Put32(&bytes[dd + 4], 0);
  EXPECT_FALSE(table.LoadBytes(bytes, kNoLanguage));
  EXPECT_TRUE(table.records.empty());

  // The same table loads a good file afterwards.
  EXPECT_TRUE(table.Load(Fixture("neutral64.dll"), kNoLanguage));
  EXPECT_EQ(table.records.size(), 2u);
  EXPECT_FALSE(table.HoldsModule());
}
