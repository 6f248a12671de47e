#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "archive/Archive.h"
#include "formats/layout/ResMenu.h"
#include "peimage/PeImage.h"
#include "peimage/ResStream.h"
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

CResMenu& Menu(CResTable& table, const CResName& name) {
  auto* menu = dynamic_cast<CResMenu*>(table.m_menus.FindResource(CResourceIdentifier(name)));
  EXPECT_NE(menu, nullptr);
  return *menu;
}

std::vector<BYTE> Original(const std::string& file, const CResName& name) {
  CPeImage image;
  EXPECT_TRUE(image.LoadFile(FixturePath(file)));
  const CPeResource* r = image.FindResource(CResName(WORD{4}), name);
  if (!r) return {};
  auto data = image.GetData(*r);
  return {data.begin(), data.end()};
}

std::vector<BYTE> Written(CResMenu& menu, LANGID language) {
  CResourceData data;
  data.m_language = language;
  menu.WriteData(data);
  return data.GetBytes();
}

std::unique_ptr<CResMenu> Parse(const std::vector<BYTE>& bytes, LANGID language = kEnglish) {
  auto menu = std::make_unique<CResMenu>();
  CResStream stream(bytes.data(), static_cast<DWORD>(bytes.size()), language);
  menu->Parse(stream);
  return menu;
}

std::vector<BYTE> Store(const CObject& object) {
  CArchive ar;
  ar.WriteObject(&object);
  return ar.GetStoredBytes();
}

// A MENU template from items in pre-order; popups (flag 0x10) carry no id.
struct Item {
  WORD flags;
  WORD id;
  std::u16string text;
};
std::vector<BYTE> MenuBytes(const std::vector<Item>& items) {
  CResourceData data;
  data.WriteDword(0);
  for (const Item& i : items) {
    data.WriteWord(i.flags);
    if (!(i.flags & kMenuPopup)) data.WriteWord(i.id);
    data.WriteString(i.text);
  }
  return data.GetBytes();
}

// File > Open (1), Save as... (2), separator; Edit > Copy (3)
std::vector<BYTE> SmallMenu(const char16_t* open = u"&Open\tCtrl+O", WORD saveId = 2,
                            const char16_t* saveAs = u"Save &As...") {
  return MenuBytes({{kMenuPopup, 0, u"&File"},
                    {0, 1, open},
                    {0, saveId, saveAs},
                    {kMenuEnd, 0, u""},
                    {kMenuPopup | kMenuEnd, 0, u"&Edit"},
                    {kMenuEnd, 3, u"&Copy"}});
}

}  // namespace

TEST(MenuFixtures, ParsedStoredLoadedAndWrittenBackUnchanged) {
  for (const char* file : {"all32.exe", "all64.exe", "mfc32.exe"}) {
    auto table = LoadTable(file);
    for (const auto& r : table->m_menus.m_resources) {
      auto& menu = dynamic_cast<CResMenu&>(*r);
      const CResName name = menu.m_identifier.ToResName();
      std::vector<BYTE> stored = Store(menu);
      CArchive in(stored.data(), stored.size());
      auto loaded = in.ReadObject<CResMenu>();
      in.Close();
      ASSERT_NE(loaded, nullptr);
      EXPECT_EQ(Store(*loaded), stored) << file;
      EXPECT_EQ(Written(*loaded, kEnglish), Original(file, name)) << file << ' ' << tvl::ToUtf8(menu.m_identifier.GetText());
    }
  }

  auto table = LoadTable("all32.exe");
  CResMenu& classic = Menu(*table, CResName(WORD{200}));
  EXPECT_FALSE(classic.m_isExtended);
  const std::vector<CResMenuItem*> items = classic.Flatten();
  ASSERT_EQ(items.size(), 10u);  // File, Open, Save, sep, Recent, First, Second, Exit, Help, About
  EXPECT_EQ(items[1]->m_label.m_text, u"&Open...");
  EXPECT_EQ(items[1]->m_shortcut.m_text, u"Ctrl+O");
  EXPECT_EQ(items[1]->m_id, 1001u);
  EXPECT_EQ(items[3]->m_type, 0u);  // separator
  EXPECT_EQ(items[8]->m_type & 0x4000, 0x4000u);  // HELP
  EXPECT_NE(items[4]->m_popup, nullptr);

  CResMenu& extended = Menu(*table, CResName(WORD{201}));
  EXPECT_TRUE(extended.m_isExtended);
  const CResMenuItem* edit = extended.m_root.GetItem(0);
  EXPECT_EQ(edit->m_id, 2000u);
  ASSERT_NE(edit->m_popup, nullptr);
  EXPECT_EQ(edit->m_popup->m_helpId, 9000u);
  EXPECT_EQ(edit->m_popup->GetItem(0)->m_state, 3u);      // MFS_GRAYED
  EXPECT_EQ(edit->m_popup->GetItem(1)->m_type, 0x800u);   // MFT_SEPARATOR
  EXPECT_EQ(edit->m_popup->GetItem(2)->m_type, 0x200u);   // MFT_RADIOCHECK
}

TEST(MenuParse, MalformedTemplatesAreDroppedAndOddHeadersNormalised) {
  std::vector<BYTE> good = SmallMenu();
  std::vector<BYTE> version2 = good;
  version2[0] = 2;
  std::vector<BYTE> cut(good.begin(), good.end() - 5);  // ends inside the last text
  std::vector<BYTE> noEnd = MenuBytes({{0, 1, u"A"}, {0, 2, u"B"}});
  std::vector<Item> deep;  // popups nested far beyond any real menu
  for (int i = 0; i < 500; ++i) deep.push_back({WORD(kMenuPopup | kMenuEnd), 0, u"p"});
  deep.push_back({kMenuEnd, 1, u"x"});
  CResTable table;
  for (const auto& bad : {version2, cut, noEnd, MenuBytes(deep), std::vector<BYTE>{0, 0}}) {
    CRecordingSink sink;
    CResStream stream(nullptr, CResName(WORD{4}), CResName(WORD{9}), kEnglish, kEnglish, bad.data(),
                      static_cast<DWORD>(bad.size()));
    EXPECT_FALSE(table.m_menus.AddResource(stream));
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].text, u"Error parsing resource (type 4 - Id 9) : Invalid Format");
  }
  EXPECT_EQ(table.m_menus.GetCount(), 0);

  // A MENUEX header whose offset is 8 is read from 4 + 8 and written with offset 4.
  CResourceData ex;
  for (WORD w : {WORD{1}, WORD{8}}) ex.WriteWord(w);
  ex.WriteDword(77);         // help id of the whole menu
  ex.WriteDword(0xDEADBEEF);  // skipped by the offset
  ex.WriteDword(0);          // type
  ex.WriteDword(0);          // state
  ex.WriteDword(5);          // id
  ex.WriteWord(kMenuEnd);
  ex.WriteString(u"Only\tF5");
  auto menu = Parse(ex.GetBytes());
  EXPECT_EQ(menu->m_root.m_helpId, 77u);
  ASSERT_EQ(menu->m_root.GetCount(), 1u);
  EXPECT_EQ(menu->m_root.GetItem(0)->m_shortcut.m_text, u"F5");
  std::vector<BYTE> expected = ex.GetBytes();
  expected.erase(expected.begin() + 8, expected.begin() + 12);
  expected[2] = 4;
  EXPECT_EQ(Written(*menu, kEnglish), expected);
}

TEST(MenuWrite, TranslatedTextsWithTheirStatusAndTheSourceOtherwise) {
  auto menu = Parse(MenuBytes({{kMenuPopup | kMenuEnd, 0, u"&File"},
                               {0, 1, u"&Open...\tCtrl+O"},
                               {0, 2, u"Two\tTabs\tHere"},
                               {0, 0, u""},
                               {kMenuEnd, 3, u"E&xit"}}));
  const std::vector<CResMenuItem*> items = menu->Flatten();
  EXPECT_EQ(items[2]->m_shortcut.m_text, u"Tabs\tHere");
  items[0]->m_label.SetTranslation(u"&Datei", kGerman);
  items[1]->m_label.SetTranslation(u"Ö&ffnen...", kGerman);  // the shortcut stays the source's
  items[4]->m_label.SetTranslation(u"&Beenden", kGerman);
  items[4]->m_label.SetStatus(kGerman, 0);  // not up to date: the source is written
  EXPECT_EQ(menu->ComputeStatus(kGerman), 0);

  auto german = Parse(Written(*menu, kGerman), kGerman);
  const std::vector<CResMenuItem*> out = german->Flatten();
  ASSERT_EQ(out.size(), 5u);
  EXPECT_EQ(out[0]->m_label.m_text, u"&Datei");
  EXPECT_EQ(out[1]->GetText(0), u"Ö&ffnen...\tCtrl+O");
  EXPECT_EQ(out[2]->GetText(0), u"Two\tTabs\tHere");
  EXPECT_EQ(out[3]->m_type, 0u);
  EXPECT_EQ(out[3]->m_id, 0u);
  EXPECT_EQ(out[4]->m_label.m_text, u"E&xit");

  // Separators and items marked do not translate never hold the status down.
  items[1]->m_shortcut.SetTranslation(u"Strg+O", kGerman);
  items[2]->m_label.SetDoNotTranslate(true);
  items[2]->m_shortcut.SetDoNotTranslate(true);
  items[4]->m_label.SetStatus(kGerman, 1);
  EXPECT_EQ(menu->ComputeStatus(kGerman), 1);
  // Do not translate on the whole menu is the source everywhere.
  menu->SetTranslatable(false);
  EXPECT_EQ(Parse(Written(*menu, kGerman))->m_root.GetItem(0)->m_label.m_text, u"&File");
}

TEST(MenuMerge, UpdateSourceKeepsTranslationsThroughIdAndHotKeyChanges) {
  auto old = Parse(SmallMenu());
  std::vector<CResMenuItem*> o = old->Flatten();
  o[0]->m_label.SetTranslation(u"&Datei", kGerman);
  o[1]->m_label.SetTranslation(u"Ö&ffnen", kGerman);
  o[1]->m_shortcut.SetTranslation(u"Strg+O", kGerman);
  o[2]->m_label.SetTranslation(u"Speichern &unter...", kGerman);
  o[5]->m_label.SetTranslation(u"&Kopieren", kGerman);
  old->m_statusChain.SetStatus(kGerman, 1);

  // Open moved to id 9; Save As lost its marker and dots and moved to id 7; Copy became
  // "Copy all".
  auto fresh = Parse(MenuBytes({{kMenuPopup, 0, u"&File"},
                                {0, 9, u"&Open\tCtrl+O"},
                                {0, 7, u"Save As"},
                                {kMenuEnd, 0, u""},
                                {kMenuPopup | kMenuEnd, 0, u"&Edit"},
                                {kMenuEnd, 3, u"Copy &all"}}));
  fresh->Merge(*old, true, false);
  std::vector<CResMenuItem*> f = fresh->Flatten();
  EXPECT_EQ(f[0]->m_label.GetText(kGerman), u"&Datei");
  EXPECT_EQ(f[0]->m_label.GetValueStatus(kGerman), 1);
  EXPECT_EQ(f[1]->m_label.GetText(kGerman), u"Ö&ffnen");
  EXPECT_EQ(f[1]->m_label.GetValueStatus(kGerman), 1);  // same texts under a new id
  EXPECT_EQ(f[1]->m_shortcut.GetText(kGerman), u"Strg+O");
  EXPECT_EQ(f[2]->m_label.GetText(kGerman), u"Speichern &unter...");
  EXPECT_EQ(f[2]->m_label.GetValueStatus(kGerman), 0);  // the source text changed
  EXPECT_EQ(f[5]->m_label.GetText(kGerman), u"&Kopieren");  // the only item with id 3
  EXPECT_EQ(f[5]->m_label.GetValueStatus(kGerman), 0);
  EXPECT_NE(fresh->m_statusChain.FindValue(kGerman), nullptr);
}

TEST(MenuMerge, TranslatedExecutablePairsByIdPositionAndAcrossPopups) {
  auto project = Parse(SmallMenu());
  project->Flatten()[1]->m_label.SetTranslation(u"Mein Öffnen", kGerman);
  // The translation moved Copy into File, dropped Edit and added a popup with Save As.
  auto translated = Parse(MenuBytes({{kMenuPopup, 0, u"&Datei"},
                                     {0, 1, u"Ö&ffnen\tStrg+O"},
                                     {kMenuEnd, 3, u"&Kopieren"},
                                     {kMenuPopup | kMenuEnd, 0, u"&Mehr"},
                                     {kMenuPopup | kMenuEnd, 0, u"&Tief"},
                                     {kMenuEnd, 2, u"Speichern &unter..."}}),
                          kGerman);
  project->Merge(*translated, false, false);
  std::vector<CResMenuItem*> p = project->Flatten();
  EXPECT_EQ(p[0]->m_label.GetText(kGerman), u"&Datei");           // id 0 with text, by position
  EXPECT_EQ(p[1]->m_label.GetText(kGerman), u"Mein Öffnen");       // existing translations stay
  EXPECT_EQ(p[1]->m_shortcut.GetText(kGerman), u"Strg+O");
  EXPECT_EQ(p[5]->m_label.GetText(kGerman), u"&Kopieren");         // menu-wide search
  EXPECT_EQ(p[2]->m_label.GetText(kGerman), u"Speichern &unter...");  // from a queued popup
  EXPECT_EQ(p[4]->m_label.GetText(kGerman), u"&Mehr");             // second popup by position
  EXPECT_EQ(p[3]->m_label.FindValue(kGerman), nullptr);            // separator untouched
  for (CResMenuItem* i : p) EXPECT_EQ(i->m_label.GetValueStatus(kGerman), i->m_label.m_text.empty() ? 0 : 1);
}
