#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "archive/Archive.h"
#include "formats/text/PromptAndTips.h"
#include "formats/text/ResStringTable.h"
#include "resmodel/ResTable.h"

namespace {

constexpr LANGID kEnglish = 0x0409;
constexpr LANGID kGerman = 0x0407;
constexpr LANGID kFrench = 0x040C;
constexpr LANGID kItalian = 0x0410;

// A resource that issues commands, as menus and toolbars do; its status is that of the
// prompts of its commands.
class CCommandResource : public CResource {
 public:
  explicit CCommandResource(std::set<DWORD> ids, const CPromptAndTips* prompts = nullptr)
      : m_ids(std::move(ids)), m_prompts(prompts) {}
  void CollectCommandIds(std::set<DWORD>& ids) const override { ids.insert(m_ids.begin(), m_ids.end()); }
  int ComputeStatus(LANGID language) const override {
    int status = kStatusNothingToTranslate;
    for (DWORD id : m_ids)
      if (const CPromptAndTip* p = m_prompts ? m_prompts->Find(id) : nullptr) status = std::min(status, p->GetStatus(language));
    return status;
  }
  std::set<DWORD> m_ids;
  const CPromptAndTips* m_prompts;
};

std::u16string FixtureU(const std::string& name) {
  std::string p = FixturePath(name);
  return std::u16string(p.begin(), p.end());
}

CResString* AddString(CResTable& table, DWORD id, const std::u16string& text, LANGID language = kEnglish) {
  return table.m_stringTable.AddString(std::make_unique<CResString>(id, 1, text, language));
}

CCommandResource* AddCommands(CResourceType& handler, std::set<DWORD> ids, const CResTable& table) {
  auto r = std::make_unique<CCommandResource>(std::move(ids), &table.m_promptAndTips);
  r->m_statusChain.m_language = kEnglish;
  return static_cast<CCommandResource*>(handler.AddResourceObject(std::move(r)));
}

// An MFC-style table: two commands on a menu, one on a toolbar, their strings and a title.
struct CommandTable {
  explicit CommandTable(const std::u16string& openText = u"Open an existing document\nOpen") {
    table.m_promptAndTips.m_enabled = 1;
    AddString(table, 100, u"Create a new document\nNew");
    AddString(table, 101, openText);
    AddString(table, 102, u"Print the document\nPrint");
    AddString(table, 128, u"Application title");
    menu = AddCommands(table.m_menus, {100, 101}, table);
    toolbar = AddCommands(table.m_toolbars, {102}, table);
    table.m_promptAndTips.Build();
  }
  CPromptAndTip* Entry(DWORD id) const { return table.m_promptAndTips.Find(id); }
  CResTable table;
  CCommandResource* menu = nullptr;
  CCommandResource* toolbar = nullptr;
};

std::vector<BYTE> Store(const CResTable& table) {
  CArchive ar;
  ar.WriteObject(&table);
  return ar.GetStoredBytes();
}

}  // namespace

TEST(PromptAndTips, SplitTakesTheTextBeforeTheFirstAndBetweenTwoLineFeeds) {
  struct Case {
    std::u16string text, prompt, tooltip;
  } cases[] = {
      {u"Open a file\nOpen", u"Open a file", u"Open"},
      {u"No tooltip", u"No tooltip", u""},
      {u"Prompt\nTip\nRest\nMore", u"Prompt", u"Tip"},
      {u"\nOnly a tip", u"", u"Only a tip"},
      {u"Trailing\n", u"Trailing", u""},
      {u"", u"", u""},
  };
  for (const Case& c : cases) {
    std::u16string p = u"x", t = u"y";
    SplitPromptAndTip(c.text, p, t);
    EXPECT_EQ(p, c.prompt);
    EXPECT_EQ(t, c.tooltip);
  }
}

TEST(PromptAndTips, BuildKeepsCommandsWithStringsOutsideTheReservedRanges) {
  CResTable table;
  table.m_promptAndTips.m_enabled = 1;
  for (DWORD id : {0u, 100u, 101u, 102u, 0xF000u, 0xF1EFu, 0xF1F0u, 0xFEFFu, 0xFF00u, 0xFFFFu})
    AddString(table, id, u"Command " + std::u16string(1, static_cast<char16_t>(u'A' + id % 26)) + u"\nTip");
  AddCommands(table.m_menus, {0, 100, 101, 0xF000, 0xF1EF, 0xF1F0, 0xFF00, 0xFFFF, 5000}, table);
  AddCommands(table.m_toolbars, {102, 101, 0xFEFF}, table);
  table.m_promptAndTips.Build();

  std::vector<DWORD> keys = table.m_promptAndTips.m_map.GetKeys();
  std::sort(keys.begin(), keys.end());
  EXPECT_EQ(keys, (std::vector<DWORD>{100, 101, 102, 0xF1F0, 0xFEFF}));
  // Entries go in in ascending id order, which fixes their order in the map's chains.
  EXPECT_EQ(table.m_promptAndTips.m_map.GetKeys(), (std::vector<DWORD>{102, 101, 100, 0xF1F0, 0xFEFF}));
  const CPromptAndTip* entry = table.m_promptAndTips.Find(101);
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->m_commandId, 101u);
  EXPECT_EQ(entry->m_string, table.m_stringTable.FindString(101));
  EXPECT_EQ(entry->m_tooltip.m_text, u"Tip");
  EXPECT_EQ(entry->m_prompt.m_language, kEnglish);
  EXPECT_EQ(entry->m_prompt.m_status, 0);

  // Built again after a command went away: the map is recomputed, not added to.
  table.m_menus.m_resources.clear();
  table.m_promptAndTips.Build();
  keys = table.m_promptAndTips.m_map.GetKeys();
  std::sort(keys.begin(), keys.end());
  EXPECT_EQ(keys, (std::vector<DWORD>{101, 102, 0xFEFF}));
}

TEST(PromptAndTips, LoadBuildsPromptsOnlyForModulesThatUseMfc) {
  for (BYTE enabled : {BYTE{0}, BYTE{1}}) {
    CResTable table;
    table.m_promptAndTips.m_enabled = enabled;
    // A command source already in the table; loading adds the file's resources to it.
    AddCommands(table.m_menus, {100, 101}, table);
    ASSERT_TRUE(table.Load(FixtureU("mfc32.exe"), kEnglish));
    if (!enabled) {
      EXPECT_EQ(table.m_promptAndTips.GetCount(), 0u);
      // Every string counts in the string table's status.
      EXPECT_EQ(table.m_stringTable.GetStatus(kGerman), 0);
      continue;
    }
    ASSERT_NE(table.m_promptAndTips.Find(100), nullptr);
    EXPECT_EQ(table.m_promptAndTips.Find(100)->m_prompt.m_text, u"Create a new document");
    EXPECT_EQ(table.m_promptAndTips.Find(101)->m_tooltip.m_text, u"Open");
    // The remaining strings are the title and the print command, which no test menu uses.
    table.m_stringTable.FindString(128)->m_value.SetTranslation(u"Titel", kGerman);
    table.m_stringTable.FindString(102)->m_value.SetTranslation(u"Drucken\nDrucken", kGerman);
    EXPECT_EQ(table.m_stringTable.GetStatus(kGerman), 1);
  }
}

TEST(PromptAndTips, NewEntryTakesEveryLanguageOfTheString) {
  CResTable table;
  CResString* s = AddString(table, 101, u"Open\nOpen tip");
  s->m_value.SetTranslation(u"\u00d6ffnen\n\u00d6ffnen-Tipp", kGerman);
  s->m_value.SetTranslation(u"Ouvrir", kFrench);
  s->m_value.SetStatus(kFrench, 0);  // out of date in the string
  s->m_value.SetTranslation(u"\nSolo suggerimento", kItalian);
  s->m_value.SetStatus(0x0413, 1);  // a plain status node carries no text

  std::unique_ptr<CPromptAndTip> entry = CPromptAndTip::Create(*s);
  EXPECT_EQ(entry->m_commandId, 101u);
  EXPECT_EQ(entry->m_string, s);
  EXPECT_EQ(entry->m_prompt.m_text, u"Open");
  EXPECT_EQ(entry->m_tooltip.m_text, u"Open tip");
  EXPECT_EQ(entry->m_prompt.GetText(kGerman), u"\u00d6ffnen");
  EXPECT_EQ(entry->m_tooltip.GetText(kGerman), u"\u00d6ffnen-Tipp");
  EXPECT_EQ(entry->m_prompt.GetValueStatus(kGerman), 1);
  // Empty parts give no translation.
  EXPECT_EQ(entry->m_prompt.GetText(kFrench), u"Ouvrir");
  EXPECT_EQ(entry->m_tooltip.FindValue(kFrench), nullptr);
  EXPECT_EQ(entry->m_prompt.FindValue(kItalian), nullptr);
  EXPECT_EQ(entry->m_tooltip.GetText(kItalian), u"Solo suggerimento");
  EXPECT_EQ(entry->m_prompt.FindValue(0x0413), nullptr);

  EXPECT_EQ(entry->GetStatus(kGerman), 1);
  // The stale French translation stays stale in its prompt.
  EXPECT_EQ(entry->GetStatus(kFrench), 0);
  EXPECT_EQ(entry->m_prompt.GetValueStatus(kFrench), 0);
  EXPECT_EQ(entry->GetStatus(kItalian), 0);

  // Without a tooltip only the prompt counts.
  CResString* title = AddString(table, 102, u"Print");
  title->m_value.SetTranslation(u"Drucken", kGerman);
  EXPECT_EQ(CPromptAndTip::Create(*title)->GetStatus(kGerman), 1);
}

TEST(PromptAndTips, ComposeWritesPromptLineFeedTooltipIntoTheString) {
  CommandTable t;
  CPromptAndTip* print = t.Entry(102);
  ASSERT_NE(print, nullptr);
  print->m_prompt.SetTranslation(u"Dokument drucken", kGerman);
  print->m_tooltip.SetTranslation(u"Drucken", kGerman);
  print->Compose(kGerman);
  const CLocalizedString& value = t.table.m_stringTable.FindString(102)->m_value;
  EXPECT_EQ(value.GetText(kGerman), u"Dokument drucken\nDrucken");
  EXPECT_EQ(value.GetValueStatus(kGerman), 1);

  // Only the tooltip translated: the source prompt goes with it.
  print->m_tooltip.SetTranslation(u"Imprimer", kFrench);
  print->Compose(kFrench);
  EXPECT_EQ(value.GetText(kFrench), u"Print the document\nImprimer");

  // A prompt marked do not translate composes its source.
  print->m_prompt.SetDoNotTranslate(true);
  print->Compose(kGerman);
  EXPECT_EQ(value.GetText(kGerman), u"Print the document\nDrucken");
}

TEST(PromptAndTips, ComposeWithoutTranslationsLeavesTheStringUntranslated) {
  CommandTable t;
  CPromptAndTip* print = t.Entry(102);
  ASSERT_NE(print, nullptr);
  const CLocalizedString& value = t.table.m_stringTable.FindString(102)->m_value;
  print->m_prompt.SetTranslation(u"Dokument drucken", kGerman);
  print->Compose(kGerman);
  ASSERT_NE(value.FindValue(kGerman), nullptr);
  // As after undoing that translation.
  print->m_prompt.RemoveTranslation(kGerman, true);
  print->Compose(kGerman);
  EXPECT_EQ(value.FindValue(kGerman), nullptr);
  EXPECT_EQ(value.GetText(kGerman), u"Print the document\nPrint");
}

TEST(PromptAndTips, ComposeDropsWhatFollowsASecondLineFeedAndEmptyTooltips) {
  CResTable table;
  table.m_promptAndTips.m_enabled = 1;
  AddString(table, 200, u"Prompt\nTip\nExtra");
  AddString(table, 201, u"Prompt only");
  AddCommands(table.m_menus, {200, 201}, table);
  table.m_promptAndTips.Build();
  CPromptAndTip* three = table.m_promptAndTips.Find(200);
  three->m_prompt.SetTranslation(u"Aufforderung", kGerman);
  three->m_tooltip.SetTranslation(u"Tipp", kGerman);
  three->Compose(kGerman);
  EXPECT_EQ(table.m_stringTable.FindString(200)->m_value.GetText(kGerman), u"Aufforderung\nTipp");

  CPromptAndTip* single = table.m_promptAndTips.Find(201);
  EXPECT_EQ(single->GetStatus(kGerman), 0);
  single->m_prompt.SetTranslation(u"Nur Aufforderung", kGerman);
  EXPECT_EQ(single->GetStatus(kGerman), 1);  // the empty tooltip counts 2
  single->Compose(kGerman);
  EXPECT_EQ(table.m_stringTable.FindString(201)->m_value.GetText(kGerman), u"Nur Aufforderung");
}

TEST(PromptAndTips, UpdateOfTheSourceKeepsPromptTranslations) {
  // The project's version, with German prompts for New and Open.
  CommandTable project;
  project.Entry(100)->m_prompt.SetTranslation(u"Neues Dokument erstellen", kGerman);
  project.Entry(100)->m_tooltip.SetTranslation(u"Neu", kGerman);
  project.Entry(100)->Compose(kGerman);
  project.Entry(101)->m_prompt.SetTranslation(u"Vorhandenes Dokument \u00f6ffnen", kGerman);
  project.Entry(101)->m_tooltip.SetTranslation(u"\u00d6ffnen", kGerman);
  project.Entry(101)->Compose(kGerman);

  // The freshly read file: the Open prompt changed.
  CommandTable fresh(u"Open a document\nOpen");
  ASSERT_FALSE(fresh.menu->HasTranslation(kGerman));
  fresh.table.Merge(project.table, true, false);

  EXPECT_EQ(fresh.Entry(100)->m_prompt.GetText(kGerman), u"Neues Dokument erstellen");
  EXPECT_EQ(fresh.Entry(100)->GetStatus(kGerman), 1);
  EXPECT_EQ(fresh.Entry(101)->m_prompt.m_text, u"Open a document");
  EXPECT_EQ(fresh.Entry(101)->m_prompt.GetText(kGerman), u"Vorhandenes Dokument \u00f6ffnen");
  EXPECT_EQ(fresh.Entry(101)->m_prompt.GetValueStatus(kGerman), 0);
  EXPECT_EQ(fresh.Entry(101)->m_tooltip.GetValueStatus(kGerman), 1);
  // The strings themselves merged too; the changed one is out of date.
  EXPECT_EQ(fresh.table.m_stringTable.FindString(101)->m_value.GetValueStatus(kGerman), 0);
  // The command resources got their status for every language met.
  EXPECT_TRUE(fresh.menu->HasTranslation(kGerman));
  EXPECT_EQ(fresh.menu->GetStatus(kGerman), 0);
  EXPECT_EQ(fresh.toolbar->GetStatus(kGerman), 0);
}

TEST(PromptAndTips, ImportSplitsCommandStringsNotCoveredByPrompts) {
  CommandTable project;
  project.Entry(100)->m_prompt.SetTranslation(u"Nouveau document", kFrench);

  // A translated file: its heads carry the target language, it has no prompts.
  CResTable translated;
  AddString(translated, 100, u"Cr\u00e9er un document\nNouveau", kFrench);
  AddString(translated, 101, u"Ouvrir un document\nOuvrir", kFrench);
  project.table.Merge(translated, false, false);
  // Existing translations stay, missing ones are taken, both parts.
  EXPECT_EQ(project.Entry(100)->m_prompt.GetText(kFrench), u"Nouveau document");
  EXPECT_EQ(project.Entry(100)->m_tooltip.GetText(kFrench), u"Nouveau");
  EXPECT_EQ(project.Entry(101)->m_prompt.GetText(kFrench), u"Ouvrir un document");
  EXPECT_EQ(project.Entry(101)->GetStatus(kFrench), 1);
  EXPECT_EQ(project.Entry(102)->m_prompt.FindValue(kFrench), nullptr);
  EXPECT_EQ(project.menu->GetStatus(kFrench), 1);
  EXPECT_EQ(project.toolbar->GetStatus(kFrench), 0);

  // A translator's copy in import mode: its prompts win over its strings, which are only
  // split for commands its prompts do not cover.
  CommandTable translator;
  translator.Entry(100)->m_prompt.SetTranslation(u"Prompt from prompts", kItalian);
  translator.Entry(100)->m_tooltip.SetTranslation(u"Tip", kItalian);
  translator.table.m_stringTable.FindString(100)->m_value.SetTranslation(u"From string\nString", kItalian);
  translator.table.m_promptAndTips.m_map.RemoveKey(102);
  translator.table.m_stringTable.FindString(102)->m_value.SetTranslation(u"Stampa\nStampa", kItalian);
  project.table.Merge(translator.table, false, true);
  EXPECT_EQ(project.Entry(100)->m_prompt.GetText(kItalian), u"Prompt from prompts");
  EXPECT_EQ(project.Entry(102)->m_prompt.GetText(kItalian), u"Stampa");
  EXPECT_EQ(project.toolbar->GetStatus(kItalian), 1);
}

TEST(PromptAndTips, MergeDoesNothingWhenPromptsAreOff) {
  CommandTable project;
  project.table.m_promptAndTips.m_enabled = 0;
  CResTable translated;
  AddString(translated, 101, u"Ouvrir un document\nOuvrir", kFrench);
  project.table.Merge(translated, false, false);
  EXPECT_EQ(project.Entry(101)->m_prompt.FindValue(kFrench), nullptr);
  // The string table merged as always.
  EXPECT_EQ(project.table.m_stringTable.FindString(101)->m_value.GetText(kFrench), u"Ouvrir un document\nOuvrir");
}

TEST(PromptAndTips, CommandsUsingAnIdAreUpdatedExceptTheEditedOne) {
  CommandTable t;
  CCommandResource* second = AddCommands(t.table.m_menus, {101, 102}, t.table);
  CCommandResource* otherBar = AddCommands(t.table.m_toolbars, {100}, t.table);
  t.Entry(101)->m_prompt.SetTranslation(u"\u00d6ffnen", kGerman);
  t.Entry(101)->m_tooltip.SetTranslation(u"\u00d6ffnen", kGerman);

  std::vector<CResource*> changed;
  t.table.m_promptAndTips.UpdateCommandsUsing(101, kGerman, t.menu, changed);
  EXPECT_EQ(changed, (std::vector<CResource*>{second}));
  EXPECT_FALSE(t.menu->HasTranslation(kGerman));
  EXPECT_FALSE(otherBar->HasTranslation(kGerman));
  EXPECT_EQ(second->GetStatus(kGerman), 0);  // 102 is not translated

  t.Entry(102)->m_prompt.SetTranslation(u"Drucken", kGerman);
  t.Entry(102)->m_tooltip.SetTranslation(u"Drucken", kGerman);
  changed.clear();
  t.table.m_promptAndTips.UpdateCommandsUsing(102, kGerman, nullptr, changed);
  EXPECT_EQ(changed, (std::vector<CResource*>{second, t.toolbar}));
  EXPECT_EQ(second->GetStatus(kGerman), 1);
  // Nothing changed since: nothing is reported.
  changed.clear();
  t.table.m_promptAndTips.UpdateCommandsUsing(102, kGerman, nullptr, changed);
  EXPECT_TRUE(changed.empty());
}

TEST(PromptAndTips, StoredWithTheTableAndPointingAtItsStrings) {
  CommandTable t;
  t.Entry(100)->m_prompt.SetTranslation(u"Neu", kGerman);
  t.Entry(102)->m_tooltip.SetDoNotTranslate(true);
  // The test's command resources are no stored class of the program.
  t.table.m_menus.m_resources.clear();
  t.table.m_toolbars.m_resources.clear();
  std::vector<BYTE> bytes = Store(t.table);

  CArchive in(bytes.data(), bytes.size(), u"p.tvl");
  std::unique_ptr<CResTable> loaded = in.ReadObject<CResTable>();
  in.Close();
  ASSERT_NE(loaded, nullptr);
  const CPromptAndTips& prompts = loaded->m_promptAndTips;
  // Stored newest first within a bucket and inserted in file order, a bucket's chain comes
  // back reversed, as the framework's map does.
  ASSERT_EQ(t.table.m_promptAndTips.m_map.GetKeys(), (std::vector<DWORD>{102, 101, 100}));
  EXPECT_EQ(prompts.m_map.GetKeys(), (std::vector<DWORD>{100, 101, 102}));
  for (DWORD id : {100u, 101u, 102u}) {
    ASSERT_NE(prompts.Find(id), nullptr) << id;
    EXPECT_EQ(prompts.Find(id)->m_string, loaded->m_stringTable.FindString(id)) << id;
    EXPECT_EQ(prompts.Find(id)->m_commandId, id);
  }
  EXPECT_EQ(prompts.Find(100)->m_prompt.GetText(kGerman), u"Neu");
  EXPECT_TRUE(prompts.Find(102)->m_tooltip.IsDoNotTranslate());
  // Not stored: the enabled flag follows the module.
  EXPECT_EQ(prompts.m_enabled, 0);
  // Loaded once more, the order and so every byte is the original's.
  std::vector<BYTE> again = Store(*loaded);
  EXPECT_NE(again, bytes);
  CArchive in2(again.data(), again.size(), u"p.tvl");
  std::unique_ptr<CResTable> reloaded = in2.ReadObject<CResTable>();
  in2.Close();
  ASSERT_NE(reloaded, nullptr);
  EXPECT_EQ(Store(*reloaded), bytes);

  // Composing through a loaded entry changes the loaded table's string.
  prompts.Find(101)->m_prompt.SetTranslation(u"\u00d6ffnen", kGerman);
  prompts.Find(101)->Compose(kGerman);
  EXPECT_EQ(loaded->m_stringTable.FindString(101)->m_value.GetText(kGerman), u"\u00d6ffnen\nOpen");
}
