// Menus, icons, cursors, manifests and toolbar bitmaps through a whole build: a project made
// from a fixture, translated, saved and opened again, built into a German target that our
// reader and (except for toolbars, which it cannot read) the mingw-w64 decompiler read back.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "formats/layout/ResIcon.h"
#include "formats/layout/ResManifest.h"
#include "formats/layout/ResMenu.h"
#include "formats/layout/ResToolBar.h"
#include "peimage/PeFormat.h"
#include "peimage/PeImage.h"
#include "peimage/ResStream.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "project/TvlDoc.h"

namespace fs = std::filesystem;

namespace {

constexpr LANGID kGerman = 0x0407;

std::u16string U8(const std::string& s) { return tvl::FromUtf8(s); }

struct Project {
  Project(const char* fixture, int usesMfc) {
    tvl::SetProgramDirectory(U8(std::string(TVL_SOURCE_DIR) + "/data/"));
    fs::copy_file(FixturePath(fixture), dir.file("App.exe"));
    doc.SetPathName(U8(dir.file("App.tvl")));
    CLanguageArray languages;
    languages.Add(CLanguage(kGerman));
    auto m = std::make_unique<CModule>(U8(dir.file("App.exe")), 0x0409, usesMfc);
    m->SetDocument(&doc);
    EXPECT_TRUE(m->LoadFromFile());
    doc.InsertModule(std::move(m), 0x0409, languages);
  }
  ~Project() { tvl::SetProgramDirectory({}); }

  CResTable& Table() { return doc.m_modules.at(0)->m_resTable; }
  template <class T>
  T& Get(CResourceType& handler, const CResName& name) {
    auto* r = dynamic_cast<T*>(handler.FindResource(CResourceIdentifier(name)));
    EXPECT_NE(r, nullptr);
    return *r;
  }
  // Saves, opens the project in a fresh document and builds German from it.
  std::string BuildGerman() {
    EXPECT_TRUE(doc.OnSaveDocument(doc.GetPathName()));
    CTvlDoc reopened;
    EXPECT_TRUE(reopened.OnOpenDocument(doc.GetPathName()));
    EXPECT_TRUE(reopened.m_modules.at(0)->BuildLanguages({kGerman}));
    return dir.file("AppDEU.exe");
  }

  CScratchDir dir;
  CTvlDoc doc;
};

std::vector<BYTE> Bytes(const CPeImage& image, WORD type, const CResName& name) {
  const CPeResource* r = image.FindResourceEx(CResName(type), name, kGerman);
  EXPECT_NE(r, nullptr) << "type " << type;
  if (!r) return {};
  auto data = image.GetData(*r);
  return {data.begin(), data.end()};
}

}  // namespace

TEST(MenuIconBuild, TranslatedMenuIconCursorAndManifestReachTheTarget) {
  Project p("all32.exe", 0);
  CResTable& t = p.Table();
  std::vector<CResMenuItem*> items = p.Get<CResMenu>(t.m_menus, CResName(WORD{200})).Flatten();
  items[0]->m_label.SetTranslation(u"&Datei", kGerman);
  items[1]->m_label.SetTranslation(u"&Oeffnen...", kGerman);
  items[1]->m_shortcut.SetTranslation(u"Strg+O", kGerman);
  std::unique_ptr<CLocalizedParam> replaced;
  auto& icon = p.Get<CResIconGroup>(t.m_icons, CResName(WORD{400}));
  icon.SetTranslatable(true);
  ASSERT_TRUE(icon.SetData(ReadFileBytes(FixturePath("data/small.ico")), kGerman, replaced));
  auto& cursor = p.Get<CResIconGroup>(t.m_cursors, CResName(WORD{500}));
  cursor.SetTranslatable(true);
  std::vector<BYTE> cur = ReadFileBytes(FixturePath("data/arrow.cur"));
  pe::Put16(cur.data() + 6 + 4, 9);  // hotspot x of the first image
  ASSERT_TRUE(cursor.SetData(cur, kGerman, replaced));
  auto& manifest = dynamic_cast<CResManifest&>(*t.m_manifests.GetResource(0));
  manifest.SetTranslatable(true);
  std::string german = ReadFileText(FixturePath("data/app.manifest"));
  german.replace(german.find("Fixture manifest"), 16, "Deutsch");
  ASSERT_TRUE(manifest.SetData(std::vector<BYTE>(german.begin(), german.end()), kGerman, replaced));

  const std::string target = p.BuildGerman();
  CPeImage image;
  ASSERT_TRUE(image.LoadFile(target));
  std::vector<BYTE> menuBytes = Bytes(image, 4, CResName(WORD{200}));
  auto menu = std::make_unique<CResMenu>();
  CResStream stream(menuBytes.data(), static_cast<DWORD>(menuBytes.size()), kGerman);
  menu->Parse(stream);
  std::vector<CResMenuItem*> built = menu->Flatten();
  ASSERT_EQ(built.size(), 10u);
  EXPECT_EQ(built[0]->GetText(0), u"&Datei");
  EXPECT_EQ(built[1]->GetText(0), u"&Oeffnen...\tStrg+O");
  EXPECT_EQ(built[2]->GetText(0), u"&Save");

  // The group's directory points at the German images; the other group keeps the source's.
  std::vector<BYTE> dir = Bytes(image, 14, CResName(WORD{400}));
  const CIcon& smallIco = icon.GetImages(kGerman);
  ASSERT_EQ(dir.size(), 6u + 14 * smallIco.m_images.size());
  for (size_t i = 0; i < smallIco.m_images.size(); ++i)
    EXPECT_EQ(Bytes(image, 3, CResName(pe::Get16(dir.data() + 6 + 14 * i + 12))), smallIco.m_images[i].m_bytes);
  size_t iconImages = 0;
  for (const CPeResource& r : image.GetResources()) iconImages += r.type == CResName(WORD{3});
  EXPECT_EQ(iconImages, 4u);  // 2 of SMALLICON and 2 German ones; no stale source ids
  std::vector<BYTE> cursorDir = Bytes(image, 12, CResName(WORD{500}));
  ASSERT_EQ(cursorDir.size(), 34u);
  EXPECT_EQ(pe::Get16(Bytes(image, 1, CResName(pe::Get16(cursorDir.data() + 6 + 12))).data()), 9);
  EXPECT_EQ(Bytes(image, 24, CResName(WORD{1})), std::vector<BYTE>(german.begin(), german.end()));

  std::string script = DecompileModule(target);
  if (script.empty()) GTEST_SKIP() << "x86_64-w64-mingw32-windres is not available";
  EXPECT_NE(script.find("POPUP \"&Datei\""), std::string::npos);
  EXPECT_NE(script.find("MENUITEM \"&Oeffnen...\\tStrg+O\", 1001"), std::string::npos);
  EXPECT_NE(script.find("400 14 /* RT_GROUP_ICON */\nBEGIN\n   0, 1, 2,"), std::string::npos);
  EXPECT_NE(script.find("Hotspot x: 9, y: 2."), std::string::npos);
  EXPECT_NE(script.find("<description>Deutsch</description>"), std::string::npos);
}

TEST(MenuIconBuild, ToolbarBitmapReplacementReachesTheTarget) {
  Project p("mfc32.exe", 1);
  auto& toolbar = p.Get<CResToolBar>(p.Table().m_toolbars, CResName(WORD{128}));
  ASSERT_NE(toolbar.m_bitmap, nullptr);
  toolbar.m_bitmap->SetTranslatable(true);
  std::vector<BYTE> bmp = ReadFileBytes(FixturePath("data/toolbar.bmp"));
  bmp.back() ^= 0xFF;
  std::unique_ptr<CLocalizedParam> replaced;
  ASSERT_TRUE(toolbar.SetData(bmp, kGerman, replaced));

  CPeImage source;
  ASSERT_TRUE(source.LoadFile(FixturePath("mfc32.exe")));
  CPeImage image;
  ASSERT_TRUE(image.LoadFile(p.BuildGerman()));
  EXPECT_EQ(Bytes(image, 2, CResName(WORD{128})), std::vector<BYTE>(bmp.begin() + 14, bmp.end()));
  auto original = source.GetData(*source.FindResource(CResName(WORD{241}), CResName(WORD{128})));
  EXPECT_EQ(Bytes(image, 241, CResName(WORD{128})), std::vector<BYTE>(original.begin(), original.end()));
  size_t bitmaps = 0;
  for (const CPeResource& r : image.GetResources()) bitmaps += r.type == CResName(WORD{2});
  EXPECT_EQ(bitmaps, 1u);
}
