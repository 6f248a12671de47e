#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "archive/Archive.h"
#include "formats/layout/ResMenu.h"
#include "formats/layout/ResToolBar.h"
#include "peimage/PeFormat.h"
#include "peimage/PeImage.h"
#include "peimage/ResStream.h"
#include "platform/Text.h"
#include "project/Module.h"
#include "resmodel/CompileContext.h"

namespace {

constexpr LANGID kEnglish = 0x0409;
constexpr LANGID kGerman = 0x0407;

std::unique_ptr<CModule> LoadModule(const std::string& file, int usesMfc) {
  auto module = std::make_unique<CModule>(tvl::FromUtf8(FixturePath(file)), kEnglish, usesMfc);
  EXPECT_TRUE(module->LoadFromFile());
  return module;
}

CResToolBar& Toolbar(CModule& module) {
  auto* toolbar = dynamic_cast<CResToolBar*>(module.m_resTable.m_toolbars.FindResource(CResourceIdentifier(CResName(WORD{128}))));
  EXPECT_NE(toolbar, nullptr);
  return *toolbar;
}

std::vector<BYTE> Original(const std::string& file, WORD type) {
  CPeImage image;
  EXPECT_TRUE(image.LoadFile(FixturePath(file)));
  const CPeResource* r = image.FindResource(CResName(type), CResName(WORD{128}));
  if (!r) return {};
  auto data = image.GetData(*r);
  return {data.begin(), data.end()};
}

// A 24-bit .bmp file of the given size.
std::vector<BYTE> BmpFile(int width, int height) {
  const size_t row = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
  std::vector<BYTE> file(54 + row * static_cast<size_t>(height), 0x5A);
  pe::Put16(file.data(), 0x4D42);
  pe::Put32(file.data() + 2, static_cast<DWORD>(file.size()));
  pe::Put32(file.data() + 6, 0);
  pe::Put32(file.data() + 10, 54);
  pe::Put32(file.data() + 14, 40);
  pe::Put32(file.data() + 18, static_cast<DWORD>(width));
  pe::Put32(file.data() + 22, static_cast<DWORD>(height));
  pe::Put16(file.data() + 26, 1);
  pe::Put16(file.data() + 28, 24);
  for (size_t i = 30; i < 54; ++i) file[i] = 0;
  return file;
}

std::vector<BYTE> ToolbarBytes(WORD version, WORD width, WORD height, const std::vector<WORD>& ids) {
  CResourceData data;
  for (WORD w : {version, width, height, static_cast<WORD>(ids.size())}) data.WriteWord(w);
  for (WORD id : ids) data.WriteWord(id);
  return data.GetBytes();
}

// Everything the toolbar handler writes for a language, as (type, name) in order.
std::vector<CResourceEntry> WriteToolbars(CResToolbarTable& table, LANGID language, bool satellite = false) {
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

}  // namespace

TEST(ToolbarFixtures, TakeTheirBitmapAndAreStoredLoadedAndWrittenBack) {
  for (const char* file : {"mfc32.exe", "mfc64.exe"}) {
    auto module = LoadModule(file, 1);
    CResToolBar& toolbar = Toolbar(*module);
    EXPECT_EQ(toolbar.m_width, 16);
    EXPECT_EQ(toolbar.m_height, 15);
    EXPECT_EQ(toolbar.m_items.m_data, (std::vector<WORD>{100, 101, 0, 102}));
    ASSERT_NE(toolbar.m_bitmap, nullptr);
    EXPECT_EQ(module->m_resTable.m_bitmaps.GetCount(), 0);  // no longer listed among the bitmaps
    EXPECT_TRUE(module->m_resTable.HasMfcClues());

    CArchive out;
    out.WriteObject(&toolbar);
    std::vector<BYTE> stored = out.GetStoredBytes();
    CArchive in(stored.data(), stored.size());
    auto loaded = in.ReadObject<CResToolBar>();
    in.Close();
    ASSERT_NE(loaded, nullptr);
    ASSERT_NE(loaded->m_bitmap, nullptr);
    CArchive again;
    again.WriteObject(loaded.get());
    EXPECT_EQ(again.GetStoredBytes(), stored);

    // The toolbar, then its bitmap, each once and as in the file.
    std::vector<CResourceEntry> written = WriteToolbars(module->m_resTable.m_toolbars, kEnglish);
    ASSERT_EQ(written.size(), 2u) << file;
    EXPECT_EQ(written[0].m_type.m_ordinal, 241);
    EXPECT_EQ(written[0].m_data, Original(file, 241));
    EXPECT_EQ(written[1].m_type.m_ordinal, 2);
    EXPECT_EQ(written[1].m_name.m_ordinal, 128);
    EXPECT_EQ(written[1].m_data, Original(file, 2));
  }
}

TEST(ToolbarStatus, CommandPromptsAndBitmapCountInAModuleThatUsesMfc) {
  auto module = LoadModule("mfc32.exe", 1);
  CResToolBar& toolbar = Toolbar(*module);
  auto& menu = dynamic_cast<CResMenu&>(*module->m_resTable.m_menus.GetResource(0));
  CPromptAndTips& prompts = module->m_resTable.m_promptAndTips;
  ASSERT_EQ(prompts.GetCount(), 3u);
  std::set<DWORD> ids;
  toolbar.CollectCommandIds(ids);
  EXPECT_EQ(ids, (std::set<DWORD>{100, 101, 102}));

  // The bitmap is marked do not translate: only the prompts count.
  EXPECT_EQ(toolbar.ComputeStatus(kGerman), 0);
  for (CResMenuItem* item : menu.Flatten()) item->m_label.SetTranslation(u"x", kGerman);
  EXPECT_EQ(menu.ComputeStatus(kGerman), 0);  // the prompts still hold it down
  for (DWORD id : {100u, 101u, 102u}) {
    prompts.Find(id)->m_prompt.SetTranslation(u"Hinweis", kGerman);
    prompts.Find(id)->m_tooltip.SetTranslation(u"Tipp", kGerman);
  }
  EXPECT_EQ(toolbar.ComputeStatus(kGerman), 1);
  EXPECT_EQ(menu.ComputeStatus(kGerman), 1);

  // A translatable bitmap counts too, once a replacement is given.
  toolbar.m_bitmap->SetTranslatable(true);
  toolbar.UpdateStatus(kGerman);
  EXPECT_EQ(toolbar.GetStatus(kGerman), 0);
  std::unique_ptr<CLocalizedParam> replaced;
  ASSERT_TRUE(toolbar.SetData(BmpFile(48, 15), kGerman, replaced));
  toolbar.UpdateStatus(kGerman);
  EXPECT_EQ(toolbar.GetStatus(kGerman), 1);
  EXPECT_EQ(toolbar.m_bitmap->GetStatus(kGerman), 1);

  // Without "Uses MFC" the prompts do not exist.
  auto plain = LoadModule("mfc32.exe", 0);
  EXPECT_EQ(Toolbar(*plain).ComputeStatus(kGerman), 2);
}

TEST(ToolbarImport, BitmapMustFitTheButtonsAndRefusalsChangeNothing) {
  CResToolBar toolbar;
  std::vector<BYTE> bytes = ToolbarBytes(1, 16, 15, {1, 2, 0, 3, 4, 5, 0, 6, 7, 8});
  CResStream stream(bytes.data(), static_cast<DWORD>(bytes.size()));
  toolbar.Parse(stream);
  std::vector<BYTE> file;
  std::unique_ptr<CLocalizedParam> replaced;
  EXPECT_FALSE(toolbar.GetData(file, kGerman));  // no bitmap: no export, no import
  EXPECT_FALSE(toolbar.SetData(BmpFile(128, 15), kGerman, replaced));

  toolbar.m_bitmap = std::make_unique<CResBitmap>();
  ASSERT_TRUE(CResBitmap::FileToBitmap(BmpFile(128, 15), toolbar.m_bitmap->m_data.m_data));
  std::vector<BYTE> shortFile = BmpFile(128, 15);
  shortFile.resize(53);
  pe::Put32(shortFile.data() + 2, 53);
  std::vector<BYTE> topDown = BmpFile(130, 15);
  pe::Put32(topDown.data() + 22, static_cast<DWORD>(-15));
  for (const auto& bad : {BmpFile(127, 15), BmpFile(128, 16), BmpFile(128, 14), shortFile}) {
    EXPECT_FALSE(toolbar.SetData(bad, kGerman, replaced));
    EXPECT_FALSE(toolbar.HasTranslation(kGerman));
    EXPECT_FALSE(toolbar.m_bitmap->HasTranslation(kGerman));
  }
  EXPECT_TRUE(toolbar.SetData(topDown, kGerman, replaced));
  EXPECT_TRUE(toolbar.SetData(BmpFile(200, 15), kGerman, replaced));
  EXPECT_NE(replaced, nullptr);  // the earlier replacement, for undo
  ASSERT_TRUE(toolbar.GetData(file, kGerman));
  EXPECT_EQ(file, BmpFile(200, 15));

  // Detaching and attaching again (undo and redo).
  std::unique_ptr<CLocalizedParam> detached = toolbar.DetachTranslation(kGerman);
  ASSERT_NE(detached, nullptr);
  EXPECT_FALSE(toolbar.HasTranslation(kGerman));
  toolbar.AttachTranslation(std::move(detached), 1);
  EXPECT_EQ(toolbar.GetStatus(kGerman), 1);
  ASSERT_TRUE(toolbar.GetData(file, kGerman));
  EXPECT_EQ(file, BmpFile(200, 15));
}

TEST(ToolbarParse, LayoutIsCheckedStrictly) {
  CResToolbarTable table;
  table.m_identifier.SetOrdinal(241);
  table.m_resourceClass = RUNTIME_CLASS(CResToolBar);
  std::vector<BYTE> longer = ToolbarBytes(1, 16, 15, {1, 2});
  longer.push_back(0);
  std::vector<BYTE> shorter = ToolbarBytes(1, 16, 15, {1, 2, 3});
  shorter.resize(shorter.size() - 2);
  for (const auto& bad : {ToolbarBytes(2, 16, 15, {1, 2}), longer, shorter, std::vector<BYTE>(6, 0)}) {
    CRecordingSink sink;
    CResStream stream(nullptr, CResName(WORD{241}), CResName(WORD{128}), kEnglish, kEnglish, bad.data(),
                      static_cast<DWORD>(bad.size()));
    EXPECT_FALSE(table.AddResource(stream));
    EXPECT_EQ(sink.messages.size(), 1u);
  }
  EXPECT_EQ(table.GetCount(), 0);
}

TEST(ToolbarWrite, BitmapReplacementAndTheSatelliteRule) {
  auto module = LoadModule("mfc32.exe", 1);
  CResToolBar& toolbar = Toolbar(*module);
  CResToolbarTable& table = module->m_resTable.m_toolbars;
  std::unique_ptr<CLocalizedParam> replaced;
  ASSERT_TRUE(toolbar.SetData(BmpFile(48, 15), kGerman, replaced));
  std::vector<BYTE> german;
  ASSERT_TRUE(CResBitmap::FileToBitmap(BmpFile(48, 15), german));

  // Marked do not translate: the source bitmap in full targets, nothing in satellites.
  EXPECT_EQ(WriteToolbars(table, kGerman)[1].m_data, Original("mfc32.exe", 2));
  EXPECT_TRUE(WriteToolbars(table, kGerman, true).empty());
  toolbar.m_bitmap->SetTranslatable(true);
  std::vector<CResourceEntry> written = WriteToolbars(table, kGerman, true);
  ASSERT_EQ(written.size(), 2u);
  EXPECT_EQ(written[0].m_language, kGerman);
  EXPECT_EQ(written[1].m_data, german);
  // Not up to date: the source again.
  toolbar.SetTranslationStatus(kGerman, 0);
  EXPECT_EQ(WriteToolbars(table, kGerman)[1].m_data, Original("mfc32.exe", 2));
}
