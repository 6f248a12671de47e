#include <gtest/gtest.h>

#include <filesystem>

#include "TestSupport.h"
#include "checks/CheckSettings.h"
#include "checks/FindingTarget.h"
#include "checks/ProjectChecker.h"
#include "formats/text/ResAccelerator.h"
#include "platform/Text.h"
#include "project/TextItems.h"
#include "project/TvlDoc.h"

namespace fs = std::filesystem;

namespace {

constexpr LANGID kFrench = 0x040C, kRussian = 0x0419;

// all32.exe with French and Russian targets, nothing translated.
struct CheckedProject {
  CheckedProject() {
    fs::copy_file(FixturePath("all32.exe"), dir.file("App.exe"));
    doc.SetPathName(tvl::FromUtf8(dir.file("App.tvl")));
    CLanguageArray languages;
    languages.Add(CLanguage(kFrench));
    languages.Add(CLanguage(kRussian));
    auto m = std::make_unique<CModule>(tvl::FromUtf8(dir.file("App.exe")), 0x0409, 0);
    m->SetDocument(&doc);
    EXPECT_TRUE(m->LoadFromFile());
    doc.InsertModule(std::move(m), 0x0409, languages);
  }
  // Translates the item with that id (as the exchange formats name it).
  void Translate(const std::string& id, LANGID language, const std::string& text) {
    for (const CExchangeItem& item : tvl::CollectProjectItems(doc)) {
      if (item.m_id == id) {
        item.m_value->SetTranslation(tvl::FromUtf8(text), language);
        return;
      }
    }
    ADD_FAILURE() << "no item " << id;
  }
  std::vector<CCheckFinding> Run(std::vector<LANGID> languages = {}, const CCheckSettings& settings = {}) {
    CProjectChecker checker(doc);
    CCheckOptions options;
    options.languages = std::move(languages);
    settings.ApplyTo(options);
    return checker.Run(options);
  }
  CScratchDir dir;
  CTvlDoc doc;
};

size_t Count(const std::vector<CCheckFinding>& findings, const std::string& id, const std::string& rule) {
  size_t n = 0;
  for (const CCheckFinding& f : findings) n += f.m_id == id && f.m_rule == rule;
  return n;
}

}  // namespace

TEST(ProjectChecker, AnUntranslatedProjectHasNoFindings) {
  CheckedProject p;
  EXPECT_TRUE(p.Run().empty());
}

TEST(ProjectChecker, PlacesEachRuleOnItsItemAndLanguage) {
  CheckedProject p;
  p.Translate("App.exe/11/1/text", kFrench, "Premier message.");               // %1 lost
  p.Translate("App.exe/11/256/text", kRussian, "Кафе é");                    // ANSI, code page 1251
  p.Translate("App.exe/11/256/text", kFrench, "Café ANSI");                   // fine in 1252
  p.Translate("App.exe/5/101/init/1102#0", kRussian, "Альфа ü");             // combo entries are ANSI too
  p.Translate("App.exe/5/101/control/1100#0", kRussian, "Имя ü:");          // a control is UTF-16
  p.Translate("App.exe/6/100/text", kFrench, "Cent avec un saut de ligne");  // line break lost
  p.Translate("App.exe/4/200/0.0/label", kFrench, "&Ouvrir...");
  p.Translate("App.exe/4/200/0.1/label", kFrench, "&Ouvrir une copie");      // same mnemonic
  auto findings = p.Run();
  EXPECT_EQ(Count(findings, "App.exe/11/1/text", "placeholders"), 1u);
  EXPECT_EQ(Count(findings, "App.exe/11/256/text", "code-page"), 1u);
  EXPECT_EQ(Count(findings, "App.exe/5/101/init/1102#0", "code-page"), 1u);
  EXPECT_EQ(Count(findings, "App.exe/5/101/control/1100#0", "code-page"), 0u);
  EXPECT_EQ(Count(findings, "App.exe/6/100/text", "text-shape"), 1u);
  EXPECT_EQ(Count(findings, "App.exe/4/200/0.1/label", "mnemonics"), 1u);
  EXPECT_EQ(Count(findings, "App.exe/4/200/0.0/label", "mnemonics"), 0u);
  for (const CCheckFinding& f : findings) {
    if (f.m_rule == "code-page") {
      EXPECT_EQ(f.m_language, kRussian);
      EXPECT_EQ(f.m_severity, ECheckSeverity::kError);
    }
  }
  EXPECT_TRUE(HasErrors(findings));
  auto french = p.Run({kFrench});
  EXPECT_EQ(Count(french, "App.exe/11/256/text", "code-page"), 0u);
  auto errors = FilterFindings(french, ECheckSeverity::kError);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].m_rule, "placeholders");
}

TEST(ProjectChecker, ShortcutTextFollowsTheAccelerator) {
  CheckedProject p;
  // Command 1001 ("&Open...\tCtrl+O") gets Ctrl+O as its accelerator.
  CResAcceleratorTable* table = nullptr;
  for (CResourceType* type : p.doc.m_modules[0]->m_resTable.GetTypes())
    for (const auto& r : type->m_resources)
      if (auto* t = dynamic_cast<CResAcceleratorTable*>(r.get())) table = t;
  ASSERT_NE(table, nullptr);
  for (size_t i = 0; i < table->GetCount(); ++i)
    if (table->GetEntry(i)->m_commandId == 1001) table->GetEntry(i)->m_key.SetHotKey(0x0409, 0x09, 'O');
  p.Translate("App.exe/4/200/0.0/shortcut", kFrench, "Ctrl+O");
  p.Translate("App.exe/4/200/0.0/shortcut", kRussian, "Ctrl+P");
  auto findings = p.Run();
  EXPECT_EQ(Count(findings, "App.exe/4/200/0.0/shortcut", "shortcuts"), 1u);
  ASSERT_EQ(findings.size(), 1u);  // an unchanged shortcut is not "the same as the source"
  EXPECT_EQ(findings[0].m_language, kRussian);
}

TEST(ProjectChecker, GrownControlOverlapsItsNeighbour) {
  CheckedProject p;
  // "Left &text:" (7, 7, 60 x 8) grows to the right into "Right" at x 70.
  p.Translate("App.exe/5/100/control/1000#0", kFrench, "&Texte aligné à gauche avec beaucoup de mots :");
  auto findings = p.Run({kFrench});
  // It runs into "Right" and "Center"; both findings sit on the grown control.
  EXPECT_EQ(Count(findings, "App.exe/5/100/control/1000#0", "layout"), 2u);
  EXPECT_EQ(findings.size(), 2u);
  CProjectChecker checker(p.doc);
  auto withoutLayout = checker.Run({{kFrench}, false});
  EXPECT_EQ(Count(withoutLayout, "App.exe/5/100/control/1000#0", "layout"), 0u);
}

TEST(CheckFinding, SplitsItsId) {
  CCheckFinding f;
  f.m_id = "App.exe/5/100/control/1000#0";
  EXPECT_EQ(f.Module(), "App.exe");
  EXPECT_EQ(f.Resource(), "5/100");
  EXPECT_EQ(f.Element(), "control/1000#0");
}

TEST(FindingTarget, LeadsFromAnIdToItsResourceAndElement) {
  CheckedProject p;
  CResTable& table = p.doc.m_modules[0]->m_resTable;
  auto text = LocateFinding(p.doc, "App.exe/6/100/text");
  ASSERT_TRUE(text.has_value());
  EXPECT_EQ(text->type, &table.m_stringTable);
  EXPECT_EQ(text->resource, nullptr);
  EXPECT_EQ(text->stringId, 100u);
  auto message = LocateFinding(p.doc, "App.exe/11/256/text");
  ASSERT_TRUE(message.has_value());
  EXPECT_EQ(message->type, &table.m_messageTable);
  auto control = LocateFinding(p.doc, "App.exe/5/100/control/1001#0");
  ASSERT_TRUE(control.has_value());
  ASSERT_NE(control->resource, nullptr);
  EXPECT_EQ(control->control, 1);
  EXPECT_EQ(LocateFinding(p.doc, "App.exe/5/100/caption")->control, -1);
  EXPECT_EQ(LocateFinding(p.doc, "App.exe/5/100/control/1001#1")->control, -2);  // no second one
  EXPECT_NE(LocateFinding(p.doc, "App.exe/4/200/0.0/label")->resource, nullptr);
  EXPECT_FALSE(LocateFinding(p.doc, "Other.exe/6/100/text").has_value());
  EXPECT_FALSE(LocateFinding(p.doc, "App.exe/5/999/caption").has_value());
  EXPECT_FALSE(LocateFinding(p.doc, "App.exe").has_value());
}

TEST(ProjectChecker, SettingsTurnRulesAndTheIdenticalWarningOff) {
  CheckedProject p;
  p.Translate("App.exe/11/1/text", kFrench, "Premier message.");      // placeholders
  p.Translate("App.exe/11/256/text", kRussian, "Кафе é");           // code-page
  p.Translate("App.exe/6/100/text", kFrench, "Cent");                 // text-shape: line break
  p.Translate("App.exe/4/200/0.0/label", kFrench, "&Ouvrir...");
  p.Translate("App.exe/4/200/0.1/label", kFrench, "&Ouvrir une copie");  // mnemonics
  p.Translate("App.exe/6/15/text", kFrench, "Fifteen");             // the source again
  auto identical = [](const std::vector<CCheckFinding>& findings) {
    size_t n = 0;
    for (const CCheckFinding& f : findings) n += f.m_message == "The translation is the same as the source.";
    return n;
  };
  auto all = p.Run();
  EXPECT_EQ(identical(all), 1u);
  EXPECT_EQ(Count(all, "App.exe/11/1/text", "placeholders"), 1u);
  EXPECT_EQ(Count(all, "App.exe/4/200/0.1/label", "mnemonics"), 1u);

  CCheckSettings settings;
  settings.m_disabledRules = {"placeholders", "mnemonics", "layout"};
  settings.m_identicalTranslation = false;
  auto some = p.Run({}, settings);
  EXPECT_EQ(Count(some, "App.exe/11/1/text", "placeholders"), 0u);
  EXPECT_EQ(Count(some, "App.exe/4/200/0.1/label", "mnemonics"), 0u);
  EXPECT_EQ(identical(some), 0u);
  // The rules left on report as before.
  EXPECT_EQ(Count(some, "App.exe/11/256/text", "code-page"), 1u);
  EXPECT_EQ(Count(some, "App.exe/6/100/text", "text-shape"), 1u);
  for (const CCheckFinding& f : some) EXPECT_FALSE(settings.m_disabledRules.count(f.m_rule)) << f.m_id;
}
