#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "archive/Archive.h"
#include "formats/layout/ResIcon.h"
#include "peimage/PeFormat.h"
#include "peimage/PeImage.h"
#include "platform/Text.h"
#include "resmodel/CompileContext.h"
#include "resmodel/ResTable.h"

namespace {

constexpr LANGID kEnglish = 0x0409;
constexpr LANGID kGerman = 0x0407;

std::unique_ptr<CResTable> LoadTable(const std::string& file) {
  auto table = std::make_unique<CResTable>();
  EXPECT_TRUE(table->Load(tvl::FromUtf8(FixturePath(file)), kNoLanguage));
  return table;
}

CResIconGroup& Group(CResIconTable& table, const CResName& name) {
  auto* group = dynamic_cast<CResIconGroup*>(table.FindResource(CResourceIdentifier(name)));
  EXPECT_NE(group, nullptr);
  return *group;
}

std::vector<BYTE> Original(const CPeImage& image, WORD type, const CResName& name) {
  const CPeResource* r = image.FindResource(CResName(type), name);
  if (!r) return {};
  auto data = image.GetData(*r);
  return {data.begin(), data.end()};
}

std::vector<CResourceEntry> WriteTable(CResIconTable& table, LANGID language, bool satellite = false) {
  CResourceWriter writer;
  CCompileContext context(kEnglish, language, &writer);
  context.m_data.m_language = language;
  context.m_data.m_satelliteDll = satellite;
  context.m_data.m_noDuplicateNeutral = satellite;
  table.Write(context);
  std::vector<CResourceEntry> out;
  for (const auto& e : writer.GetEntries()) out.push_back(*e);
  return out;
}

bool Equal(const CIcon& a, const CIcon& b, bool isIcon) { return a.IsEqual(b, isIcon); }

}  // namespace

TEST(IconFixtures, GroupsKeepTheirImagesThroughStoreAndLoadAndAreRenumberedOnWrite) {
  for (const char* file : {"all32.exe", "all64.exe"}) {
    CPeImage image;
    ASSERT_TRUE(image.LoadFile(FixturePath(file)));
    auto table = LoadTable(file);
    ASSERT_EQ(table->m_icons.GetCount(), 2);
    for (CResIconTable* handler : {&table->m_icons, &table->m_cursors}) {
      for (const auto& r : handler->m_resources) {
        auto& group = dynamic_cast<CResIconGroup&>(*r);
        EXPECT_EQ(group.m_doNotTranslate, 1);
        const CIcon& source = group.GetSourceImages();
        ASSERT_FALSE(source.m_images.empty());
        for (const CIconImage& i : source.m_images)
          EXPECT_EQ(i.m_bytes, Original(image, group.m_isIcon ? 3 : 1, CResName(i.GetImageId()))) << file;
        CArchive out;
        out.WriteObject(&group);
        std::vector<BYTE> stored = out.GetStoredBytes();
        CArchive in(stored.data(), stored.size());
        auto loaded = in.ReadObject<CResIconGroup>();
        in.Close();
        ASSERT_NE(loaded, nullptr);
        EXPECT_TRUE(Equal(loaded->GetSourceImages(), source, group.m_isIcon));
        CArchive again;
        again.WriteObject(loaded.get());
        EXPECT_EQ(again.GetStoredBytes(), stored);
      }
    }

    // Icons: images 1-5 in group order (SMALLICON comes first in the file), then the
    // directories, equal to the source's but for the image ids.
    std::vector<CResourceEntry> icons = WriteTable(table->m_icons, kEnglish);
    ASSERT_EQ(icons.size(), 7u);
    WORD id = 1;
    for (const auto& r : table->m_icons.m_resources)
      for (const CIconImage& i : dynamic_cast<CResIconGroup&>(*r).GetSourceImages().m_images) {
        EXPECT_EQ(icons[id - 1].m_type.m_ordinal, 3);
        EXPECT_EQ(icons[id - 1].m_name.m_ordinal, id);
        EXPECT_EQ(icons[id - 1].m_data, i.m_bytes);
        ++id;
      }
    std::vector<BYTE> small = Original(image, 14, CResName(u"SMALLICON"));
    std::vector<BYTE> big = Original(image, 14, CResName(WORD{400}));
    EXPECT_EQ(icons[5].m_name.m_name, u"SMALLICON");
    pe::Put16(small.data() + 6 + 12, 1);
    pe::Put16(small.data() + 6 + 14 + 12, 2);
    EXPECT_EQ(icons[5].m_data, small);
    for (WORD k = 0; k < 3; ++k) pe::Put16(big.data() + 6 + 14 * k + 12, static_cast<WORD>(3 + k));
    EXPECT_EQ(icons[6].m_data, big);
    // Cursors start from 1 again; here the ids happen to be the source's.
    std::vector<CResourceEntry> cursors = WriteTable(table->m_cursors, kEnglish);
    ASSERT_EQ(cursors.size(), 3u);
    EXPECT_EQ(cursors[0].m_type.m_ordinal, 1);
    EXPECT_EQ(cursors[1].m_data, Original(image, 1, CResName(WORD{2})));
    EXPECT_EQ(cursors[2].m_type.m_ordinal, 12);
    EXPECT_EQ(cursors[2].m_data, Original(image, 12, CResName(WORD{500})));
  }
}

TEST(IconExport, FilesRoundTripKeepHotspotsAndRefusedImportsChangeNothing) {
  auto table = LoadTable("all32.exe");
  CResIconGroup& icon = Group(table->m_icons, CResName(WORD{400}));
  CResIconGroup& cursor = Group(table->m_cursors, CResName(WORD{500}));
  icon.SetTranslatable(true);
  cursor.SetTranslatable(true);
  std::vector<BYTE> file;
  std::unique_ptr<CLocalizedParam> replaced;

  // The icon exports as the file it was compiled from, and comes back equal.
  ASSERT_TRUE(icon.GetData(file, kGerman));
  EXPECT_EQ(file, ReadFileBytes(FixturePath("data/app.ico")));
  ASSERT_TRUE(icon.SetData(file, kGerman, replaced));
  EXPECT_TRUE(Equal(icon.GetImages(kGerman), icon.GetSourceImages(), true));
  EXPECT_EQ(icon.ComputeStatus(kGerman), 1);

  // The compiled cursor file gives the same group as the compiler made; an exported one
  // keeps its hotspot.
  ASSERT_TRUE(cursor.SetData(ReadFileBytes(FixturePath("data/arrow.cur")), kGerman, replaced));
  EXPECT_TRUE(Equal(cursor.GetImages(kGerman), cursor.GetSourceImages(), false));
  CIconImage& moved = dynamic_cast<CIcon&>(*static_cast<CLocalizedObject*>(cursor.m_images.FindValue(kGerman))->m_object).m_images[0];
  pe::Put16(moved.m_bytes.data(), 7);  // hotspot x
  ASSERT_TRUE(cursor.GetData(file, kGerman));
  EXPECT_EQ(pe::Get16(file.data() + 6 + 4), 7);
  EXPECT_EQ(file[6], 32);  // width and height from the bitmap header, without the mask
  EXPECT_EQ(file[7], 32);
  ASSERT_TRUE(cursor.SetData(file, 0x040C, replaced));
  EXPECT_TRUE(Equal(cursor.GetImages(0x040C), cursor.GetImages(kGerman), false));
  EXPECT_EQ(cursor.GetImages(0x040C).m_images[0].m_bytes[0], 7);

  std::vector<BYTE> ico = ReadFileBytes(FixturePath("data/small.ico"));
  std::vector<BYTE> cut(ico.begin(), ico.end() - 1);
  std::vector<BYTE> none = {0, 0, 1, 0, 0, 0};
  std::vector<BYTE> header(ico.begin(), ico.begin() + 20);  // entries end early
  for (auto [group, bad] : {std::pair{&cursor, ico}, {&icon, ReadFileBytes(FixturePath("data/arrow.cur"))},
                            {&icon, cut}, {&icon, none}, {&icon, header}, {&icon, std::vector<BYTE>{}}}) {
    EXPECT_FALSE(group->SetData(bad, 0x0410, replaced));
    EXPECT_FALSE(group->HasTranslation(0x0410));
    EXPECT_EQ(group->m_statusChain.FindValue(0x0410), nullptr);
  }
}

TEST(IconWrite, TranslatedImagesUnlessMarkedDoNotTranslateAndBestImage) {
  auto table = LoadTable("all32.exe");
  CResIconGroup& icon = Group(table->m_icons, CResName(WORD{400}));
  std::unique_ptr<CLocalizedParam> replaced;
  ASSERT_TRUE(icon.SetData(ReadFileBytes(FixturePath("data/small.ico")), kGerman, replaced));
  const CIcon& german = icon.GetImages(kGerman);  // marked do not translate: the source
  EXPECT_TRUE(Equal(german, icon.GetSourceImages(), true));
  EXPECT_EQ(WriteTable(table->m_icons, kGerman).size(), 7u);
  EXPECT_EQ(WriteTable(table->m_icons, kGerman, true).size(), 0u);  // satellite without neutral copies

  icon.SetTranslatable(true);
  std::vector<CResourceEntry> written = WriteTable(table->m_icons, kGerman, true);
  ASSERT_EQ(written.size(), 3u);  // the two German images and the directory
  EXPECT_EQ(written[2].m_name.m_ordinal, 400);
  EXPECT_EQ(pe::Get16(written[2].m_data.data() + 4), 2);
  EXPECT_EQ(written[0].m_data, icon.GetImages(kGerman).m_images[0].m_bytes);
  EXPECT_EQ(icon.GetImages(kGerman).m_images.size(), 2u);

  // Update of the source: an unchanged group keeps the translation with its status.
  auto fresh = LoadTable("all32.exe");
  CResIconGroup& freshIcon = Group(fresh->m_icons, CResName(WORD{400}));
  freshIcon.Merge(icon, true, false);
  EXPECT_EQ(freshIcon.m_doNotTranslate, 0);
  EXPECT_EQ(freshIcon.ComputeStatus(kGerman), 1);
  EXPECT_TRUE(Equal(freshIcon.GetImages(kGerman), icon.GetImages(kGerman), true));

  // 32 x 32 wins; without it the largest image.
  const CIconImage* best = icon.GetSourceImages().GetBestImage(true);
  ASSERT_NE(best, nullptr);
  EXPECT_EQ(best->GetImageId(), 2);
  EXPECT_EQ(GetIconImageSize(*best, true).width, 32);
  const CIconImage* small = Group(table->m_icons, CResName(u"SMALLICON")).GetSourceImages().GetBestImage(true);
  ASSERT_NE(small, nullptr);
  EXPECT_EQ(GetIconImageSize(*small, true).height, 24);
  EXPECT_EQ(CIcon().GetBestImage(true), nullptr);
}
