#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "DialogTestUtil.h"
#include "formats/layout/DlgInit.h"
#include "platform/Files.h"
#include "project/TvlDoc.h"

using namespace dlgtest;
using tvl::MulDiv;
namespace fs = std::filesystem;

namespace {

// A project with all32.exe (copied next to it), German and Japanese targets, and
// translations in the dialogs.
struct DialogProject {
  DialogProject() {
    tvl::SetProgramDirectory(tvl::FromUtf8(std::string(TVL_SOURCE_DIR) + "/data/"));
    fs::copy_file(FixturePath("all32.exe"), dir.file("App.exe"));
    doc.SetPathName(tvl::FromUtf8(dir.file("App.tvl")));
    CLanguageArray languages;
    languages.Add(CLanguage(kGerman));
    languages.Add(CLanguage(kJapanese));
    auto m = std::make_unique<CModule>(tvl::FromUtf8(dir.file("App.exe")), kEnglish, 0);
    m->SetDocument(&doc);
    EXPECT_TRUE(m->LoadFromFile());
    doc.InsertModule(std::move(m), kEnglish, languages);
    module = doc.m_modules[0].get();
    classic = FindDialog(module->m_resTable, CResName(WORD{100}));
    extended = FindDialog(module->m_resTable, CResName(WORD{101}));
    EXPECT_TRUE(classic && extended);

    classic->m_caption.SetTranslation(u"Klassischer Dialog", kGerman);
    Item(1000).m_text.SetTranslation(u"Linker Text mit viel mehr Inhalt:", kGerman);
    Item(1001).m_text.SetTranslation(u"Rechts ausgerichtet und lang", kGerman);
    Item(1).m_text.SetTranslation(u"Einverstanden und weiter", kGerman);
    Item(1004).m_text.SetTranslation(u"Kontrollkaestchen mit langem Text", kGerman);
    Item(1008).m_text.SetTranslation(u"Gruppe mit einem sehr langen Titel", kGerman);
    Item(1003).m_pos.SetPoint(kGerman, 9, 21);
    Item(1003).m_size.SetPoint(kGerman, 90, 15);
    classic->m_size.SetPoint(kGerman, 260, 190);
    extended->m_caption.SetTranslation(u"Erweiterter Dialog", kGerman);
    extended->m_font.SetFont(kGerman, u"Arial", 10, 400, 0, 0);
    extended->m_dlgInit[0]->GetText()->SetTranslation(u"\u00c4lpha", kGerman);
    extended->m_dlgInit[2]->GetText()->SetTranslation(u"Gammaaa", kGerman);
    extended->m_dlgInit[0]->GetText()->SetTranslation(u"\u30a2\u30eb\u30d5\u30a1", kJapanese);
    extended->m_caption.SetTranslation(u"\u62e1\u5f35", kJapanese);
  }
  ~DialogProject() { tvl::SetProgramDirectory({}); }

  CResDialogItem& Item(DWORD id) {
    for (auto& item : classic->m_items)
      if (item->m_id == id) return *item;
    throw std::runtime_error("no such control");
  }

  CScratchDir dir;
  CTvlDoc doc;
  CModule* module = nullptr;
  CResDialog* classic = nullptr;
  CResDialog* extended = nullptr;
};

std::unique_ptr<CResDialog> ReadDialog(const CPeImage& image, const CResName& name, LANGID language) {
  const CPeResource* r = image.FindResourceEx(CResName(WORD{5}), name, language);
  if (!r) return nullptr;
  auto data = image.GetData(*r);
  return Parse(std::vector<BYTE>(data.begin(), data.end()), language);
}

std::vector<std::unique_ptr<CDlgInitMsg>> ReadInit(const CPeImage& image, const CResName& name, LANGID language,
                                                   UINT codePage) {
  std::vector<std::unique_ptr<CDlgInitMsg>> entries;
  const CPeResource* r = image.FindResourceEx(CResName(WORD{RT_DLGINIT}), name, language);
  if (!r) return entries;
  auto data = image.GetData(*r);
  CResStream stream(data.data(), static_cast<DWORD>(data.size()), language);
  tvl::ReadDlgInitEntries(stream, codePage, entries);
  return entries;
}

const CResDialogItem* Find(const CResDialog& d, DWORD id) {
  for (const auto& item : d.m_items)
    if (item->m_id == id) return item.get();
  return nullptr;
}

// Widths from the font: MS Shell Dlg 8 is measured in Tahoma at 11 pixels, 6 x 13 base units.
int Px(const std::u16string& text) {
  auto font = tvl::CMeasureFont::Open(u"Tahoma", -11, 400, false);
  int w = 0;
  for (char16_t c : text) w += font->GetCharWidth(c);
  return w;
}
int Du(int pixels) { return MulDiv(pixels, 1000, 1500); }

}  // namespace

TEST(DialogBuild, TranslatedTargetHoldsTextsRectanglesFontsAndListEntries) {
  DialogProject p;
  CRecordingSink sink;
  ASSERT_TRUE(p.module->BuildLanguages({kGerman, kJapanese}));
  EXPECT_TRUE(sink.messages.empty());
  CPeImage german;
  ASSERT_TRUE(german.LoadFile(p.dir.file("AppDEU.exe")));

  auto d = ReadDialog(german, CResName(WORD{100}), kGerman);
  ASSERT_TRUE(d);
  EXPECT_EQ(d->m_caption.m_text, u"Klassischer Dialog");
  EXPECT_EQ(d->m_size.m_x, 260);
  EXPECT_EQ(d->m_size.m_y, 190);
  EXPECT_EQ(d->m_font.m_text, u"MS Shell Dlg");
  const int left = std::max(60, Du(Px(u"Linker Text mit viel mehr Inhalt:") + 3));
  const int right = std::max(40, Du(Px(u"Rechts ausgerichtet und lang") + 3));
  const int ok = std::max(50, Du(Px(u"Einverstanden und weiter") + 6 + 3));
  const int check = std::max(60, Du(13 + Px(u" Kontrollkaestchen mit langem Text") + 3));
  ASSERT_GT(left, 60);
  ASSERT_GT(right, 40);
  ASSERT_GT(ok, 50);
  ASSERT_GT(check, 60);
  auto rect = [&](DWORD id) {
    const CResDialogItem* i = Find(*d, id);
    return i ? tvl::Rect{i->m_pos.m_x, i->m_pos.m_y, i->m_pos.m_x + i->m_size.m_x, i->m_pos.m_y + i->m_size.m_y}
             : tvl::Rect{};
  };
  EXPECT_EQ(rect(1000), (tvl::Rect{7, 7, 7 + left, 15}));
  EXPECT_EQ(rect(1001), (tvl::Rect{110 - right, 7, 110, 15}));  // right-aligned: grows left
  EXPECT_EQ(rect(1), (tvl::Rect{183, 7, 183 + ok, 21}));
  EXPECT_EQ(rect(1004), (tvl::Rect{7, 40, 7 + check, 50}));
  EXPECT_EQ(rect(1008), (tvl::Rect{7, 65, 127, 105}));  // a group box never grows
  EXPECT_EQ(rect(1003), (tvl::Rect{9, 21, 99, 36}));
  EXPECT_EQ(Find(*d, 1000)->m_text.m_text, u"Linker Text mit viel mehr Inhalt:");
  EXPECT_EQ(Find(*d, 2)->m_text.m_text, u"Cancel");

  auto ex = ReadDialog(german, CResName(WORD{101}), kGerman);
  ASSERT_TRUE(ex);
  EXPECT_EQ(ex->m_caption.m_text, u"Erweiterter Dialog");
  EXPECT_EQ(ex->m_font.m_text, u"Arial");
  EXPECT_EQ(ex->m_font.m_pointSize, 10);
  EXPECT_EQ(ex->m_font.m_weight, 400);
  EXPECT_EQ(ex->m_helpId, 5001u);
  auto init = ReadInit(german, CResName(WORD{101}), kGerman, 1252);
  ASSERT_EQ(init.size(), 5u);
  EXPECT_EQ(init[0]->GetText()->m_text, u"\u00c4lpha");
  EXPECT_EQ(init[1]->GetText()->m_text, u"Beta");
  EXPECT_EQ(init[2]->GetText()->m_text, u"Gammaaa");
  EXPECT_EQ(init[4]->GetBlob()->m_data, (std::vector<BYTE>{1, 2, 3, 4}));
  // The named dialog, untranslated, is the source's template in German.
  const CPeResource* named = german.FindResourceEx(CResName(WORD{5}), CResName(u"NAMEDDLG"), kGerman);
  ASSERT_NE(named, nullptr);
  auto bytes = german.GetData(*named);
  EXPECT_TRUE(SameTemplate(std::vector<BYTE>(bytes.begin(), bytes.end()),
                           SourceBytes("all32.exe", CResName(WORD{5}), CResName(u"NAMEDDLG"))));

  // Japanese: Segoe UI has no Japanese character set, so the language's preview font stands in.
  CPeImage japanese;
  ASSERT_TRUE(japanese.LoadFile(p.dir.file("AppJPN.exe")));
  auto ja = ReadDialog(japanese, CResName(WORD{101}), kJapanese);
  ASSERT_TRUE(ja);
  EXPECT_EQ(ja->m_caption.m_text, u"\u62e1\u5f35");
  EXPECT_EQ(ja->m_font.m_text, u"MS UI Gothic");
  EXPECT_EQ(ja->m_font.m_pointSize, 9);
  EXPECT_EQ(ja->m_font.m_weight, 400);
  EXPECT_EQ(ja->m_font.m_italic, 0);
  EXPECT_EQ(ja->m_font.m_charSet, 128);
  auto jaInit = ReadInit(japanese, CResName(WORD{101}), kJapanese, 932);
  ASSERT_EQ(jaInit.size(), 5u);
  EXPECT_EQ(jaInit[0]->GetText()->m_text, u"\u30a2\u30eb\u30d5\u30a1");
  auto jaClassic = ReadDialog(japanese, CResName(WORD{100}), kJapanese);
  ASSERT_TRUE(jaClassic);
  EXPECT_EQ(jaClassic->m_font.m_text, u"MS Shell Dlg");
  EXPECT_EQ(jaClassic->m_caption.m_text, u"Classic dialog");

  // What the resource compiler's own decompiler reads from the German target.
  const std::string rc = DecompileModule(p.dir.file("AppDEU.exe"));
  ASSERT_NE(rc.find("100 DIALOG"), std::string::npos) << rc.substr(0, 2000);
  EXPECT_NE(rc.find("CAPTION \"Klassischer Dialog\""), std::string::npos);
  EXPECT_NE(rc.find("LTEXT \"Linker Text mit viel mehr Inhalt:\", 1000, 7, 7, " + std::to_string(left) + ", 8,"),
            std::string::npos);
  EXPECT_NE(rc.find("RTEXT \"Rechts ausgerichtet und lang\", 1001, " + std::to_string(110 - right) + ", 7, " +
                    std::to_string(right) + ", 8,"),
            std::string::npos);
  EXPECT_NE(rc.find("DEFPUSHBUTTON \"Einverstanden und weiter\", 1, 183, 7, " + std::to_string(ok) + ", 14,"),
            std::string::npos);
  EXPECT_NE(rc.find("CHECKBOX \"Kontrollkaestchen mit langem Text\", 1004, 7, 40, " + std::to_string(check) + ", 10,"),
            std::string::npos);
  EXPECT_NE(rc.find("GROUPBOX \"Gruppe mit einem sehr langen Titel\", 1008, 7, 65, 120, 40,"), std::string::npos);
  EXPECT_NE(rc.find("EDITTEXT 1003, 9, 21, 90, 15,"), std::string::npos);
  EXPECT_NE(rc.find("CAPTION \"Erweiterter Dialog\""), std::string::npos);
  EXPECT_NE(rc.find("FONT 10, \"Arial\""), std::string::npos);
  EXPECT_NE(rc.find("101 240"), std::string::npos);
  EXPECT_NE(rc.find("LANGUAGE 7, 1"), std::string::npos);
}

TEST(DialogBuild, BatchBuildFromTheSavedProject) {
  DialogProject p;
  ASSERT_TRUE(p.doc.OnSaveDocument(p.doc.GetPathName()));
  CRecordingSink sink;
  CTvlDoc batch;
  ASSERT_TRUE(batch.RunBatchBuild(p.doc.GetPathName(), u"*:DEU", {}, {}));
  CPeImage german;
  ASSERT_TRUE(german.LoadFile(p.dir.file("AppDEU.exe")));
  auto d = ReadDialog(german, CResName(WORD{100}), kGerman);
  ASSERT_TRUE(d);
  EXPECT_EQ(d->m_caption.m_text, u"Klassischer Dialog");
  EXPECT_EQ(Find(*d, 1000)->m_size.m_x, std::max(60, Du(Px(u"Linker Text mit viel mehr Inhalt:") + 3)));
  auto init = ReadInit(german, CResName(WORD{101}), kGerman, 1252);
  ASSERT_EQ(init.size(), 5u);
  EXPECT_EQ(init[0]->GetText()->m_text, u"\u00c4lpha");
}
