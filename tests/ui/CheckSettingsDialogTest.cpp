#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QTest>
#include <algorithm>

#include "UiTestSupport.h"
#include "checks/CheckSettings.h"
#include "formats/text/ResStringTable.h"
#include "platform/Profile.h"
#include "ui/dialogs/CheckSettingsDlg.h"
#include "ui/dialogs/DialogSupport.h"
#include "ui/views/FindingsView.h"

namespace {

constexpr LANGID kFrench = 0x040C;

// The fixture project with a French message that lost its insert and a French string equal
// to its source: one error and one warning.
struct CheckedFrame {
  explicit CheckedFrame(const std::string& settingsPath = {}) : f(settingsPath) {
    EXPECT_TRUE(f.Open(project.Path()));
    CResTable& table = f.doc.m_modules[0]->m_resTable;
    table.m_messageTable.FindString(1)->m_value.SetTranslation(u"Premier message.", kFrench);
    table.m_stringTable.FindString(15)->m_value.SetTranslation(u"Fifteen", kFrench);
  }
  CFindingsView* view() const { return f.frame->findChild<CFindingsView*>(); }
  void Run(const char* action) { f.frame->findChild<QAction*>(action)->trigger(); }
  std::vector<std::string> Rules() const {
    std::vector<std::string> rules;
    for (const CCheckFinding& finding : view()->Findings()) rules.push_back(finding.m_rule);
    std::sort(rules.begin(), rules.end());
    return rules;
  }
  CProjectFile project;
  CFrameFixture f;
};

}  // namespace

// "Check Settings..." shows the stored settings, writes what is chosen into the settings
// file at once, and the findings list follows.
TEST(CheckSettingsDialog, WritesTheSettingsAndTheListFollows) {
  CScratchDir dir;
  std::string ini = dir.file("Workspace.ini");
  {
    CheckedFrame c(ini);
    c.Run("checkTranslations");
    EXPECT_EQ(c.Rules(), (std::vector<std::string>{"placeholders", "text-shape"}));

    auto previous = tvl::ui::SetModalRunner([](QDialog& d) {
      auto& dialog = dynamic_cast<CDialogCheckSettings&>(d);
      EXPECT_TRUE(dialog.RuleBox("placeholders")->isChecked());
      EXPECT_TRUE(dialog.IdenticalBox()->isChecked());
      dialog.RuleBox("placeholders")->setChecked(false);
      dialog.SeverityList()->setCurrentIndex(1);  // errors only
      // Turning the rule off turns its option off with it.
      dialog.RuleBox("text-shape")->setChecked(false);
      EXPECT_FALSE(dialog.IdenticalBox()->isEnabled());
      dialog.RuleBox("text-shape")->setChecked(true);
      dialog.IdenticalBox()->setChecked(false);
      return static_cast<int>(QDialog::Accepted);
    });
    c.Run("checkSettings");
    tvl::ui::SetModalRunner(previous);
    EXPECT_TRUE(c.Rules().empty());

    // The file holds them as tvl check reads it.
    auto file = tvl::CProfileFile::Load(ini);
    ASSERT_TRUE(file.has_value());
    CCheckSettings stored;
    stored.Load(tvl::CProfileSettingsStore(std::move(*file)));
    EXPECT_EQ(stored.m_disabledRules, std::set<std::string>{"placeholders"});
    EXPECT_EQ(stored.m_minSeverity, ECheckSeverity::kError);
    EXPECT_FALSE(stored.m_identicalTranslation);
  }
  // The next start uses them; a dialog closed with Cancel changes nothing.
  CheckedFrame again(ini);
  EXPECT_EQ(again.view()->Settings().m_disabledRules, std::set<std::string>{"placeholders"});
  auto previous = tvl::ui::SetModalRunner([](QDialog& d) {
    dynamic_cast<CDialogCheckSettings&>(d).RuleBox("placeholders")->setChecked(true);
    return static_cast<int>(QDialog::Rejected);
  });
  again.Run("checkSettings");
  tvl::ui::SetModalRunner(previous);
  again.Run("checkTranslations");
  EXPECT_TRUE(again.Rules().empty());
}
