#include <gtest/gtest.h>

#include "TestSupport.h"
#include "archive/Archive.h"
#include "formats/layout/ResBinary.h"
#include "resmodel/ResTable.h"

namespace {

std::vector<BYTE> StoreTable(CResTable& table) {
  CArchive ar;
  ar.WriteObject(&table);
  return ar.GetStoredBytes();
}

std::unique_ptr<CResTable> LoadTable(const std::vector<BYTE>& bytes) {
  CArchive ar(bytes.data(), bytes.size(), u"p.tvl");
  auto table = ar.ReadObject<CResTable>();
  ar.Close();
  return table;
}

std::u16string FixtureU(const std::string& name) {
  std::string p = FixturePath(name);
  return std::u16string(p.begin(), p.end());
}

}  // namespace

TEST(ResTable, FixedHandlersInListOrderAndNamedTypesOnDemand) {
  CResTable table;
  ASSERT_TRUE(table.Load(FixtureU("all32.exe"), kNoLanguage));
  std::vector<std::u16string> names;
  for (const CResourceType* t : table.GetTypes()) names.push_back(t->GetDisplayName());
  ASSERT_GE(names.size(), 13u);
  std::vector<std::u16string> fixed(names.begin(), names.begin() + 11);
  EXPECT_EQ(fixed, (std::vector<std::u16string>{u"Dialogs", u"Menus", u"String Table", u"Message Table", u"Toolbars",
                                                u"Accelerators", u"Icons", u"Cursors", u"Bitmaps", u"Version",
                                                u"XP Manifests"}));
  // Named and unknown numbered types get handlers of their own, after the fixed ones.
  CResourceIdentifier settings;
  settings.SetString(u"SETTINGS");
  CResourceType* named = table.FindType(settings);
  ASSERT_NE(named, nullptr);
  EXPECT_EQ(named->m_createdOnDemand, 1);
  EXPECT_EQ(named->GetDisplayName(), u"\"SETTINGS\"");
  EXPECT_EQ(named->m_resourceClass, RUNTIME_CLASS(CResBinary));
  CResourceIdentifier html;
  html.SetOrdinal(23);
  ASSERT_NE(table.FindType(html), nullptr);
  EXPECT_EQ(table.FindType(html)->GetCount(), 1);
  EXPECT_EQ(table.m_bitmaps.GetCount(), 3);
  EXPECT_EQ(table.m_dialogs.GetCount(), 3);
  // Icon images and dialog init data never get handlers of their own.
  for (WORD skipped : {1, 3, 240, 255}) {
    CResourceIdentifier id;
    id.SetOrdinal(skipped);
    EXPECT_EQ(table.FindType(id), nullptr) << skipped;
  }
}

TEST(ResTable, OverrideLanguageRecordsEveryResourceUnderIt) {
  CResTable table;
  ASSERT_TRUE(table.Load(FixtureU("twolang.dll"), 0x0410));
  for (const CResourceType* t : table.GetTypes())
    for (const auto& r : t->m_resources) EXPECT_EQ(r->GetSourceLanguage(), 0x0410);
  CResTable plain;
  ASSERT_TRUE(plain.Load(FixtureU("twolang.dll"), kNoLanguage));
  CResourceIdentifier rcdata;
  rcdata.SetOrdinal(10);
  ASSERT_NE(plain.FindType(rcdata), nullptr);
  // The same name in two languages: one resource, the first language enumerated.
  EXPECT_EQ(plain.FindType(rcdata)->GetCount(), 1);
  EXPECT_EQ(plain.FindType(rcdata)->GetResource(0)->GetSourceLanguage(), 0x0407);
}

TEST(ResTable, StoresAndLoadsByteForByteAndKeepsOnDemandOrder) {
  CResTable table;
  ASSERT_TRUE(table.Load(FixtureU("all64.exe"), 0x0409));
  auto* bmp = static_cast<CResBinary*>(table.m_bitmaps.GetResource(1));
  std::unique_ptr<CLocalizedParam> replaced;
  std::vector<BYTE> file;
  ASSERT_TRUE(bmp->GetData(file, 0x0409));
  ASSERT_TRUE(bmp->SetData(file, 0x0407, replaced));
  table.UpdateStatus(0x0407);

  std::vector<BYTE> bytes = StoreTable(table);
  auto loaded = LoadTable(bytes);
  ASSERT_NE(loaded, nullptr);
  ASSERT_EQ(loaded->GetTypes().size(), table.GetTypes().size());
  for (size_t i = 0; i < table.GetTypes().size(); ++i) {
    EXPECT_TRUE(loaded->GetTypes()[i]->m_identifier == table.GetTypes()[i]->m_identifier) << i;
    EXPECT_EQ(loaded->GetTypes()[i]->GetCount(), table.GetTypes()[i]->GetCount()) << i;
    for (const auto& r : loaded->GetTypes()[i]->m_resources) EXPECT_EQ(r->m_owner, loaded->GetTypes()[i]);
  }
  EXPECT_EQ(loaded->m_bitmaps.GetResource(1)->GetStatus(0x0407), 1);
  EXPECT_EQ(StoreTable(*loaded), bytes);
}

TEST(ResTable, OlderSchemaWithoutClassTagsLoadsTheSame) {
  CResTable table;
  ASSERT_TRUE(table.Load(FixtureU("twolang.dll"), 0x0409));
  std::vector<BYTE> bytes = StoreTable(table);

  // Rewrite as schema 1: same content with every handler's class tag removed.
  std::vector<BYTE> old;
  {
    // Class record of CResTable with schema 1, then the content written without tags.
    const std::string name = "CResTable";
    std::vector<BYTE> head = {0xFF, 0xFF, 0x01, 0x00, static_cast<BYTE>(name.size()), 0x00};
    head.insert(head.end(), name.begin(), name.end());
    CArchive content;
    content.SetMapCountForTesting(3);  // the table's class took index 1, the table 2
    table.SerializeBase(content);
    for (CResourceType* h : {static_cast<CResourceType*>(&table.m_accelerators), static_cast<CResourceType*>(&table.m_dialogs),
                             static_cast<CResourceType*>(&table.m_menus), static_cast<CResourceType*>(&table.m_stringTable),
                             static_cast<CResourceType*>(&table.m_messageTable), static_cast<CResourceType*>(&table.m_icons),
                             static_cast<CResourceType*>(&table.m_cursors), static_cast<CResourceType*>(&table.m_bitmaps),
                             static_cast<CResourceType*>(&table.m_toolbars), static_cast<CResourceType*>(&table.m_version),
                             static_cast<CResourceType*>(&table.m_manifests)})
      h->Serialize(content);
    table.m_promptAndTips.Serialize(content);
    old = head;
    const auto& c = content.GetStoredBytes();
    old.insert(old.end(), c.begin(), c.end());
  }
  auto loaded = LoadTable(old);
  ASSERT_NE(loaded, nullptr);
  ASSERT_EQ(loaded->GetTypes().size(), table.GetTypes().size());
  for (size_t i = 0; i < table.GetTypes().size(); ++i)
    EXPECT_EQ(loaded->GetTypes()[i]->GetCount(), table.GetTypes()[i]->GetCount()) << i;
  EXPECT_EQ(StoreTable(*loaded), bytes);
}

TEST(ResTable, MergeUpdatesStatusesPerLanguage) {
  CResTable project, translated;
  ASSERT_TRUE(project.Load(FixtureU("all32.exe"), 0x0409));
  ASSERT_TRUE(translated.Load(FixtureU("all32.exe"), 0x0407));
  auto* r = static_cast<CResBinary*>(project.m_bitmaps.GetResource(0));
  r->SetTranslatable(true);
  // Import of a translated executable: the bitmap gets its German bytes (equal here).
  project.Merge(translated, false, false);
  EXPECT_TRUE(r->HasTranslation(0x0407));
  EXPECT_EQ(r->GetStatus(0x0407), 1);
  EXPECT_EQ(project.m_bitmaps.GetStatus(0x0407), 1);
}
