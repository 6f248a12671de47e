// Update Source, importing a translated executable and a translator's round trip, over the
// sample program, its second build (all32_v2.exe) and its French build (all32_fr.exe).
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>

#include "TestSupport.h"
#include "formats/layout/ResDialog.h"
#include "formats/layout/ResMenu.h"
#include "formats/text/ResVersion.h"
#include "platform/Text.h"
#include "project/TextItems.h"
#include "project/TvlDoc.h"

namespace fs = std::filesystem;

namespace {

constexpr LANGID kEnglish = 0x0409, kGerman = 0x0407, kFrench = 0x040C, kItalian = 0x0410;

std::u16string U8(const std::string& s) { return tvl::FromUtf8(s); }

CResourceIdentifier Id(WORD ordinal) {
  CResourceIdentifier id;
  id.SetOrdinal(ordinal);
  return id;
}

CResDialog* Dialog(CModule& m, const CResourceIdentifier& id) {
  return dynamic_cast<CResDialog*>(m.m_resTable.m_dialogs.FindResource(id));
}

CResDialogItem* Control(CResDialog& d, DWORD id) {
  for (auto& item : d.m_items)
    if (item->m_id == id) return item.get();
  return nullptr;
}

CResMenu* Menu(CModule& m, WORD id) { return dynamic_cast<CResMenu*>(m.m_resTable.m_menus.FindResource(Id(id))); }

CResMenuItem* MenuItem(CResMenu& menu, const std::u16string& sourceLabel) {
  for (CResMenuItem* item : menu.Flatten())
    if (item->m_label.m_text == sourceLabel) return item;
  return nullptr;
}

CLocalizedString* String(CModule& m, DWORD id) {
  CResString* s = m.m_resTable.m_stringTable.FindString(id);
  return s ? &s->m_value : nullptr;
}

CResVersion* Version(CModule& m) {
  return m.m_resTable.m_version.GetCount() ? dynamic_cast<CResVersion*>(m.m_resTable.m_version.GetResource(0)) : nullptr;
}

CLocalizedString* VersionText(CModule& m, const std::u16string& key) {
  StringValue* v = Version(m) ? Version(m)->FindValue(key) : nullptr;
  return v ? &v->m_value : nullptr;
}

// The translation node of a language, never the head.
const CLocalizedParam* Node(const CLocalizedParam& head, LANGID language) {
  const CLocalizedParam* n = head.FindValue(language);
  return n == &head ? nullptr : n;
}

// What the resource header would show for one item.
std::u16string ItemStatus(const CLocalizedString& value, LANGID language) {
  return StatusText(value.EffectiveStatus(language), Node(value, language) != nullptr);
}

std::optional<std::u16string> Translation(const CLocalizedString& value, LANGID language) {
  const auto* n = static_cast<const CLocalizedString*>(Node(value, language));
  if (!n) return std::nullopt;
  return n->m_text;
}

// The item's id without the module name, so that two builds of a module compare.
std::string ItemPath(const CExchangeItem& item) { return item.m_id.substr(item.m_id.find('/') + 1); }

// Every text item of a module by its path, for one language: the node's text and status.
using Snapshot = std::map<std::string, std::optional<std::pair<std::u16string, int>>>;
Snapshot Snap(CModule& m, LANGID language) {
  std::vector<CExchangeItem> items;
  tvl::CollectModuleItems(m, items);
  Snapshot out;
  for (const CExchangeItem& item : items) {
    const auto* n = static_cast<const CLocalizedString*>(Node(*item.m_value, language));
    out[ItemPath(item)] = n ? std::optional(std::make_pair(n->m_text, n->m_status)) : std::nullopt;
  }
  return out;
}

struct ScriptedChoices : CUserChoices {
  LANGID language = 0;
  std::vector<LANGID> scribe;
  LANGID ChooseImportLanguage(const CModule&, const std::u16string&, LANGID) override { return language; }
  std::vector<LANGID> ChooseScribeLanguages(const std::u16string&, const CLanguageArray&) override { return scribe; }
};

// A saved project of the sample program (copied as App.exe) with the given targets.
struct SampleProject {
  explicit SampleProject(std::vector<LANGID> targets) {
    fs::copy_file(FixturePath("all32.exe"), dir.file("App.exe"));
    doc.SetPathName(U8(dir.file("App.tvl")));
    CLanguageArray languages;
    for (LANGID l : targets) languages.Add(CLanguage(l));
    auto m = std::make_unique<CModule>(U8(dir.file("App.exe")), kEnglish, 0);
    m->SetDocument(&doc);
    EXPECT_TRUE(m->LoadFromFile());
    doc.InsertModule(std::move(m), kEnglish, languages);
  }
  CModule& M() { return *doc.m_modules.at(0); }
  void Save() { ASSERT_TRUE(doc.OnSaveDocument(doc.GetPathName())); }

  CScratchDir dir;
  CTvlDoc doc;
};

// The French and German work a translator did on the first build.
void TranslateFirstBuild(CModule& m) {
  for (auto [id, text] : {std::pair<DWORD, const char16_t*>{1, u"Un"}, {2, u"Deux\tTab"}, {15, u"Quinze"},
                          {16, u"Seize"}, {100, u"Cent\nseconde ligne"}})
    String(m, id)->SetTranslation(text, kFrench);
  String(m, 1)->SetTranslation(u"Eins", kGerman);
  String(m, 2)->SetTranslation(u"Zwei\tTab", kGerman);

  CResDialog& d = *Dialog(m, Id(100));
  d.m_caption.SetTranslation(u"Dialogue classique", kFrench);
  Control(d, 1000)->m_text.SetTranslation(u"&Texte :", kFrench);
  Control(d, 1004)->m_text.SetTranslation(u"Case", kFrench);
  Control(d, 2)->m_text.SetTranslation(u"Annuler", kFrench);
  Control(d, 2)->m_size.SetPoint(kFrench, 60, 14);
  Control(d, 1008)->m_text.SetTranslation(u"Groupe", kFrench);
  Control(d, 1008)->m_pos.SetPoint(kFrench, 9, 66);
  Control(*Dialog(m, Id(101)), 1100)->m_text.SetTranslation(u"Nom :", kFrench);
  Dialog(m, CResourceIdentifier(CResName(u"NAMEDDLG")))->m_caption.SetTranslation(u"Nomm\u00e9", kFrench);

  CResMenu& menu = *Menu(m, 200);
  MenuItem(menu, u"&File")->m_label.SetTranslation(u"&Fichier", kFrench);
  MenuItem(menu, u"&Open...")->m_label.SetTranslation(u"&Ouvrir...", kFrench);
  MenuItem(menu, u"&Save")->m_label.SetTranslation(u"&Enregistrer", kFrench);
  MenuItem(menu, u"E&xit")->m_label.SetTranslation(u"&Quitter", kFrench);

  VersionText(m, u"CompanyName")->SetTranslation(u"Fabricants", kFrench);
  VersionText(m, u"FileDescription")->SetTranslation(u"Toutes les ressources", kFrench);
  m.m_resTable.UpdateStatus(kFrench);
  m.m_resTable.UpdateStatus(kGerman);
}

// Replaces the project's source file by another build, one hour newer.
void ReplaceSource(SampleProject& p, const std::string& fixture) {
  auto time = fs::last_write_time(p.dir.file("App.exe"));
  fs::copy_file(FixturePath(fixture), p.dir.file("App.exe"), fs::copy_options::overwrite_existing);
  fs::last_write_time(p.dir.file("App.exe"), time + std::chrono::hours(1));
}

}  // namespace

TEST(FixturePair, UpdateSourceKeepsMarksAndBuildsTheRightTexts) {
  SampleProject p({kGerman, kFrench});
  TranslateFirstBuild(p.M());
  p.M().m_outputNames.SetAt(kFrench, u"fr\\App.exe");
  p.Save();
  ReplaceSource(p, "all32_v2.exe");
  {
    CRecordingSink sink;
    ASSERT_TRUE(p.doc.UpdateSource(&p.M()));
    EXPECT_EQ(sink.messages.at(0).text.rfind(u"Please confirm update of the source contents.", 0), 0u);
  }
  CModule& m = p.M();
  EXPECT_FALSE(p.doc.CanUndo());

  // Strings: unchanged keeps, edited is marked, removed is gone, added is new; German alike.
  EXPECT_EQ(ItemStatus(*String(m, 1), kFrench), u"Translated.");
  EXPECT_EQ(Translation(*String(m, 1), kFrench), u"Un");
  EXPECT_EQ(ItemStatus(*String(m, 1), kGerman), u"Translated.");
  EXPECT_EQ(ItemStatus(*String(m, 15), kFrench), u"Translated.");
  for (DWORD id : {2u, 100u}) {
    EXPECT_EQ(ItemStatus(*String(m, id), kFrench), u"Translation is not up-to-date.") << id;
    EXPECT_TRUE(Translation(*String(m, id), kFrench).has_value());
  }
  EXPECT_EQ(Translation(*String(m, 2), kFrench), u"Deux\tTab");
  EXPECT_EQ(String(m, 2)->m_text, u"Two\tTabs");
  EXPECT_EQ(ItemStatus(*String(m, 2), kGerman), u"Translation is not up-to-date.");
  EXPECT_EQ(String(m, 16), nullptr);
  for (DWORD id : {17u, 5000u}) {
    ASSERT_NE(String(m, id), nullptr) << id;
    EXPECT_EQ(ItemStatus(*String(m, id), kFrench), u"Not translated yet.") << id;
  }

  // Dialog 100: the inserted control is new, the others keep their translations; the edited
  // check box is marked; the moved group keeps its offset, marked for review.
  CResDialog& d = *Dialog(m, Id(100));
  ASSERT_EQ(d.m_items.size(), 23u);
  EXPECT_EQ(ItemStatus(d.m_caption, kFrench), u"Translated.");
  EXPECT_EQ(ItemStatus(Control(d, 1000)->m_text, kFrench), u"Translated.");
  EXPECT_EQ(ItemStatus(Control(d, 2)->m_text, kFrench), u"Translated.");
  EXPECT_EQ(Node(Control(d, 2)->m_size, kFrench)->m_status, 1);
  EXPECT_EQ(ItemStatus(Control(d, 1020)->m_text, kFrench), u"Not translated yet.");
  EXPECT_EQ(ItemStatus(Control(d, 1004)->m_text, kFrench), u"Translation is not up-to-date.");
  EXPECT_EQ(Translation(Control(d, 1004)->m_text, kFrench), u"Case");
  EXPECT_EQ(ItemStatus(Control(d, 1008)->m_text, kFrench), u"Translated.");
  const auto* groupPos = static_cast<const CLocalizedPoint*>(Node(Control(d, 1008)->m_pos, kFrench));
  ASSERT_NE(groupPos, nullptr);
  EXPECT_EQ(std::make_pair(groupPos->m_x, groupPos->m_y), std::make_pair(14, 69));
  EXPECT_EQ(groupPos->m_status, 0);
  EXPECT_EQ(d.GetStatus(kFrench), 0);
  EXPECT_EQ(StatusText(d.GetStatus(kFrench), d.HasTranslation(kFrench)), u"Translation is not up-to-date.");
  EXPECT_EQ(ItemStatus(Control(*Dialog(m, Id(101)), 1100)->m_text, kFrench), u"Translation is not up-to-date.");
  EXPECT_EQ(Dialog(m, CResourceIdentifier(CResName(u"NAMEDDLG"))), nullptr);

  // Menu 200: same texts under new ids keep their translations; the relabelled item is marked.
  CResMenu& menu = *Menu(m, 200);
  CResMenuItem* open = MenuItem(menu, u"&Open...");
  ASSERT_NE(open, nullptr);
  EXPECT_EQ(open->m_id, 1201u);
  EXPECT_EQ(ItemStatus(open->m_label, kFrench), u"Translated.");
  EXPECT_EQ(ItemStatus(MenuItem(menu, u"E&xit")->m_label, kFrench), u"Translated.");
  EXPECT_EQ(ItemStatus(MenuItem(menu, u"&Save all")->m_label, kFrench), u"Translation is not up-to-date.");
  EXPECT_EQ(ItemStatus(MenuItem(menu, u"&Recent")->m_label, kFrench), u"Not translated yet.");

  EXPECT_EQ(ItemStatus(*VersionText(m, u"CompanyName"), kFrench), u"Translated.");
  EXPECT_EQ(ItemStatus(*VersionText(m, u"FileDescription"), kFrench), u"Translation is not up-to-date.");
  EXPECT_EQ(*m.m_outputNames.Find(kFrench), u"fr\\App.exe");

  // A French target built now: translations with status 1, the new source elsewhere.
  {
    CRecordingSink sink;
    ASSERT_TRUE(m.BuildLanguages({kFrench}));
    EXPECT_TRUE(sink.messages.empty());
  }
  CModule built(U8(p.dir.file("fr/App.exe")), kFrench, 0);
  ASSERT_TRUE(built.LoadFromFile());
  EXPECT_EQ(String(built, 1)->m_text, u"Un");
  EXPECT_EQ(String(built, 15)->m_text, u"Quinze");
  EXPECT_EQ(String(built, 2)->m_text, u"Two\tTabs");
  EXPECT_EQ(String(built, 100)->m_text, u"Hundred with a newline\nthe second line");
  EXPECT_EQ(String(built, 17)->m_text, u"Seventeen");
  EXPECT_EQ(String(built, 5000)->m_text, u"Added in the second build");
  EXPECT_EQ(String(built, 16), nullptr);
  CResDialog& bd = *Dialog(built, Id(100));
  EXPECT_EQ(bd.m_caption.m_text, u"Dialogue classique");
  EXPECT_EQ(Control(bd, 1000)->m_text.m_text, u"&Texte :");
  EXPECT_EQ(Control(bd, 2)->m_text.m_text, u"Annuler");
  EXPECT_EQ(Control(bd, 2)->m_size.m_x, 60);
  EXPECT_EQ(Control(bd, 1004)->m_text.m_text, u"Check this");
  EXPECT_EQ(Control(bd, 1020)->m_text.m_text, u"Inserted label");
  EXPECT_EQ(Control(bd, 1008)->m_text.m_text, u"Groupe");
  EXPECT_EQ(std::make_pair(Control(bd, 1008)->m_pos.m_x, Control(bd, 1008)->m_pos.m_y), std::make_pair(12, 68));
  EXPECT_EQ(Dialog(built, CResourceIdentifier(CResName(u"NAMEDDLG"))), nullptr);
  CResMenu& bm = *Menu(built, 200);
  EXPECT_EQ(MenuItem(bm, u"&Ouvrir...")->m_id, 1201u);
  EXPECT_EQ(MenuItem(bm, u"&Quitter")->m_id, 1203u);
  EXPECT_NE(MenuItem(bm, u"&Save all"), nullptr);
  EXPECT_EQ(VersionText(built, u"CompanyName")->m_text, u"Fabricants");
  EXPECT_EQ(VersionText(built, u"FileDescription")->m_text, u"All resource kinds, second build");
  EXPECT_EQ(VersionText(built, u"FileVersion")->m_text, u"1.3.0.0");

  // And every other item: its translation where that is up to date, else the new source.
  std::vector<CExchangeItem> items, builtItems;
  tvl::CollectModuleItems(m, items);
  tvl::CollectModuleItems(built, builtItems);
  std::map<std::string, std::u16string> builtText;
  for (const CExchangeItem& item : builtItems) builtText[ItemPath(item)] = item.m_value->m_text;
  ASSERT_EQ(builtText.size(), items.size());
  for (const CExchangeItem& item : items) {
    const CLocalizedString& v = *item.m_value;
    const auto* n = static_cast<const CLocalizedString*>(Node(v, kFrench));
    EXPECT_EQ(builtText[ItemPath(item)], n && n->m_status >= 1 ? n->m_text : v.m_text) << item.m_id;
  }
}

TEST(FixturePair, UpdatingAgainFromTheSameBuildKeepsEveryTranslation) {
  SampleProject p({kFrench});
  TranslateFirstBuild(p.M());
  ReplaceSource(p, "all32_v2.exe");
  CRecordingSink sink;
  ASSERT_TRUE(p.doc.UpdateSource(&p.M()));
  Snapshot once = Snap(p.M(), kFrench);
  sink.answers = {IDOK};
  ASSERT_TRUE(p.doc.UpdateSource(&p.M()));
  EXPECT_EQ(sink.messages.back().text.rfind(u"The updated source file seems identical", 0), 0u);
  // Nothing changed in the source: every translation stays with its status, so what the
  // first update marked out of date is still waiting for review.
  Snapshot twice = Snap(p.M(), kFrench);
  ASSERT_EQ(twice.size(), once.size());
  int outdated = 0;
  for (const auto& [path, value] : once) {
    ASSERT_EQ(twice.at(path).has_value(), value.has_value()) << path;
    if (value) {
      EXPECT_EQ(twice.at(path)->first, value->first) << path;
      EXPECT_EQ(twice.at(path)->second, value->second) << path;
      outdated += value->second == 0;
    }
  }
  EXPECT_GT(outdated, 0);
}

TEST(FixturePair, ImportingTheFrenchBuildFillsExactlyTheUntranslatedItems) {
  SampleProject p({kGerman, kFrench});
  CModule& m = p.M();
  // Translations typed before the import, which it must not touch.
  String(m, 1)->SetTranslation(u"Un (saisi)", kFrench);
  String(m, 1)->SetTranslation(u"Eins", kGerman);
  Control(*Dialog(m, Id(100)), 1004)->m_text.SetTranslation(u"Cochez", kFrench);
  CResMenuItem* file = MenuItem(*Menu(m, 200), u"&File");
  file->m_label.SetTranslation(u"&Dossier", kFrench);
  Snapshot frenchBefore = Snap(m, kFrench);
  Snapshot germanBefore = Snap(m, kGerman);

  CModule translated(U8(FixturePath("all32_fr.exe")), kFrench, 0);
  ASSERT_TRUE(translated.LoadFromFile());
  std::map<std::string, std::u16string> deliveredText;
  {
    std::vector<CExchangeItem> items;
    tvl::CollectModuleItems(translated, items);
    for (const CExchangeItem& item : items) deliveredText[ItemPath(item)] = item.m_value->m_text;
  }

  ScriptedChoices choices;
  choices.language = kFrench;
  CRecordingSink sink;
  ASSERT_TRUE(p.doc.ImportTranslation(&m, U8(FixturePath("all32_fr.exe")), choices));
  EXPECT_TRUE(sink.messages.empty());

  Snapshot frenchAfter = Snap(m, kFrench);
  size_t filled = 0;
  for (const auto& [path, before] : frenchBefore) {
    const auto& after = frenchAfter.at(path);
    if (before) {
      EXPECT_EQ(after, before) << path;
    } else {
      ASSERT_TRUE(deliveredText.count(path)) << path;
      ASSERT_TRUE(after.has_value()) << path;
      EXPECT_EQ(after->first, deliveredText[path]) << path;
      EXPECT_EQ(after->second, 1) << path;
      ++filled;
    }
  }
  EXPECT_EQ(filled, frenchBefore.size() - 3);  // all but the three typed ones
  EXPECT_EQ(Snap(m, kGerman), germanBefore);

  // A few by name, from the translated resource scripts.
  CResDialog& d = *Dialog(m, Id(100));
  EXPECT_EQ(Translation(d.m_caption, kFrench), u"Dialogue classique");
  EXPECT_EQ(Translation(Control(d, 1000)->m_text, kFrench), u"&Texte \u00e0 gauche :");
  EXPECT_EQ(Translation(Control(d, 1004)->m_text, kFrench), u"Cochez");
  const auto* cancelSize = static_cast<const CLocalizedPoint*>(Node(Control(d, 2)->m_size, kFrench));
  ASSERT_NE(cancelSize, nullptr);
  EXPECT_EQ(cancelSize->m_x, 55);
  // A size equal to the source adds nothing.
  EXPECT_EQ(Node(Control(d, 1000)->m_size, kFrench), nullptr);
  EXPECT_EQ(Translation(*String(m, 1), kFrench), u"Un (saisi)");
  EXPECT_EQ(Translation(*String(m, 15), kFrench), u"Quinze");
  EXPECT_EQ(Translation(MenuItem(*Menu(m, 200), u"&Open...")->m_label, kFrench), u"&Ouvrir...");
  EXPECT_EQ(Translation(file->m_label, kFrench), u"&Dossier");
  EXPECT_EQ(Translation(*VersionText(m, u"CompanyName"), kFrench), u"Fabricants de fichiers d\u2019essai");

  // A French target built now carries, item for item, the typed or the imported text.
  ASSERT_TRUE(m.BuildLanguages({kFrench}));
  CModule built(U8(p.dir.file("AppFRA.exe")), kFrench, 0);
  ASSERT_TRUE(built.LoadFromFile());
  std::vector<CExchangeItem> builtItems;
  tvl::CollectModuleItems(built, builtItems);
  ASSERT_EQ(builtItems.size(), frenchAfter.size());
  for (const CExchangeItem& item : builtItems) {
    const auto& expected = frenchAfter.at(ItemPath(item));
    ASSERT_TRUE(expected.has_value()) << item.m_id;
    EXPECT_EQ(item.m_value->m_text, expected->first) << item.m_id;
  }
}

TEST(FixturePair, ScribeRoundTripChangesOnlyTheExportedLanguages) {
  SampleProject p({kGerman, kFrench, kItalian});
  CModule& m = p.M();
  TranslateFirstBuild(m);
  String(m, 1)->SetTranslation(u"Uno", kItalian);
  Dialog(m, Id(100))->m_caption.SetTranslation(u"Dialogo classico", kItalian);
  p.Save();
  Snapshot german = Snap(m, kGerman), french = Snap(m, kFrench), italian = Snap(m, kItalian);

  ASSERT_TRUE(p.doc.ExportScribe(u"translator.tvl", {kGerman, kFrench}));
  {
    CTvlDoc copy;
    ASSERT_TRUE(copy.OnOpenDocument(U8(p.dir.file("translator.tvl"))));
    CModule& c = *copy.m_modules.at(0);
    EXPECT_EQ(Translation(*String(c, 1), kItalian), std::nullopt);
    // The translator's work: German and French edits, and an Italian one the copy cannot hold.
    String(c, 1)->SetTranslation(u"Eins!", kGerman);
    String(c, 15)->SetTranslation(u"F\u00fcnfzehn", kGerman);
    Dialog(c, Id(100))->m_caption.SetTranslation(u"Le dialogue", kFrench);
    String(c, 1)->SetTranslation(u"Uno!", kItalian);
    ASSERT_TRUE(copy.OnSaveDocument(U8(p.dir.file("back.tvl"))));
  }
  ScriptedChoices choices;
  choices.scribe = {kGerman, kFrench};
  CRecordingSink sink;
  sink.answers = {IDYES};
  ASSERT_TRUE(p.doc.ImportScribe(U8(p.dir.file("back.tvl")), choices));

  EXPECT_EQ(Snap(m, kItalian), italian);
  Snapshot germanAfter = Snap(m, kGerman), frenchAfter = Snap(m, kFrench);
  // Exactly the translator's edits differ; every other item keeps its text.
  size_t germanChanged = 0, frenchChanged = 0;
  for (const auto& [path, value] : germanAfter)
    if (!(value == german.at(path))) ++germanChanged;
  for (const auto& [path, value] : frenchAfter)
    if (!(value == french.at(path))) ++frenchChanged;
  EXPECT_EQ(germanChanged, 2u);
  EXPECT_EQ(frenchChanged, 1u);
  EXPECT_EQ(Translation(*String(m, 1), kGerman), u"Eins!");
  EXPECT_EQ(Translation(*String(m, 15), kGerman), u"F\u00fcnfzehn");
  EXPECT_EQ(Translation(Dialog(m, Id(100))->m_caption, kFrench), u"Le dialogue");
  EXPECT_EQ(Translation(*String(m, 1), kItalian), u"Uno");
  EXPECT_FALSE(p.doc.CanUndo());
}

TEST(FixturePair, UpdateSourceAllUpdatesWhatLoadsAndKeepsTheRest) {
  SampleProject p({kFrench});
  fs::copy_file(FixturePath("all32.exe"), p.dir.file("Second.exe"));
  auto second = std::make_unique<CModule>(U8(p.dir.file("Second.exe")), kEnglish, 0);
  second->SetDocument(&p.doc);
  ASSERT_TRUE(second->LoadFromFile());
  p.doc.InsertModule(std::move(second), kEnglish, {});
  String(*p.doc.m_modules[1], 16)->SetTranslation(u"Seize", kFrench);
  TranslateFirstBuild(p.M());
  CModule* secondBefore = p.doc.m_modules[1].get();
  ReplaceSource(p, "all32_v2.exe");
  fs::remove(p.dir.file("Second.exe"));

  CRecordingSink sink;
  sink.answers = {IDOK};
  ASSERT_TRUE(p.doc.UpdateSourceAll());
  ASSERT_EQ(sink.messages.size(), 2u);
  EXPECT_EQ(sink.messages[0].text.rfind(u"Are you sure you want to update the source contents of every module", 0), 0u);
  EXPECT_EQ(sink.messages[1].text, u"Failed to load updated source file.");
  EXPECT_EQ(sink.messages[1].type & MB_ICONMASK, MB_ICONERROR);

  // The first module is the second build now, in its place; the other one is untouched.
  ASSERT_EQ(p.doc.m_modules.size(), 2u);
  EXPECT_EQ(p.M().GetName(), u"App.exe");
  ASSERT_NE(String(p.M(), 5000), nullptr);
  EXPECT_EQ(ItemStatus(*String(p.M(), 2), kFrench), u"Translation is not up-to-date.");
  EXPECT_EQ(p.doc.m_modules[1].get(), secondBefore);
  EXPECT_EQ(Translation(*String(*secondBefore, 16), kFrench), u"Seize");
  EXPECT_FALSE(p.doc.CanUndo());
  EXPECT_TRUE(p.doc.IsModified());
}
