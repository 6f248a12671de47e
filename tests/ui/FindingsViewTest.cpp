#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDockWidget>
#include <QSpinBox>
#include <QTest>

#include "UiTestSupport.h"
#include "formats/text/ResStringTable.h"
#include "ui/dialogs/DialogSupport.h"
#include "formats/layout/ResDialog.h"
#include "ui/views/DialogView.h"
#include "ui/views/FindingsView.h"
#include "ui/views/ProjectResView.h"
#include "ui/views/ResourceAndHeaderViews.h"
#include "ui/views/StringTableView.h"
#include "workspace/ProjectNodes.h"

namespace {

constexpr LANGID kFrench = 0x040C;

// The project open in French on its string table, its first message translated without
// its insert.
struct FindingsFixture : CFrameFixture {
  FindingsFixture() {
    EXPECT_TRUE(Open(project.Path()));
    doc.m_modules[0]->m_resTable.m_messageTable.FindString(1)->m_value.SetTranslation(u"Premier message.", kFrench);
    SetLanguage(kFrench);
    Select(FindNode(u"String Table"));
  }
  CFindingsView* view() const { return frame->findChild<CFindingsView*>(); }
  void Run(const char* action) { frame->findChild<QAction*>(action)->trigger(); }
  int RowOf(const std::string& idEnd) const {
    for (size_t i = 0; i < view()->Findings().size(); ++i) {
      const std::string& id = view()->Findings()[i].m_id;
      if (id.size() >= idEnd.size() && id.compare(id.size() - idEnd.size(), idEnd.size(), idEnd) == 0)
        return static_cast<int>(i);
    }
    return -1;
  }
  CProjectFile project;
};

}  // namespace

TEST(FindingsView, ListsFollowsCommitsAndLeadsToTheItem) {
  FindingsFixture f;
  ASSERT_NE(f.view(), nullptr);
  EXPECT_FALSE(f.frame->findChild<QDockWidget*>("findingsDock")->isVisibleTo(f.frame.get()));
  f.Run("checkTranslations");
  EXPECT_TRUE(f.frame->findChild<QDockWidget*>("findingsDock")->isVisibleTo(f.frame.get()));
  ASSERT_EQ(f.view()->topLevelItemCount(), 1);
  EXPECT_EQ(f.view()->topLevelItem(0)->text(2), QStringLiteral("placeholders"));
  EXPECT_EQ(f.view()->topLevelItem(0)->text(1), QStringLiteral("fr-FR"));

  // A translation committed in the editor shows up without asking: "One" becomes "Un %s".
  f.TypeAndCommit(QStringLiteral("Un %s"));
  QTest::qWait(10);
  EXPECT_EQ(f.view()->topLevelItemCount(), 2);
  ASSERT_GE(f.RowOf("/6/1/text"), 0);

  // A double click on the message's finding opens the message table at the message.
  int row = f.RowOf("/11/1/text");
  ASSERT_GE(row, 0);
  f.view()->ShowFinding(row);
  CProjectNode* node = f.frame->Tree()->SelectedNode();
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(node->GetObject(), &f.doc.m_modules[0]->m_resTable.m_messageTable);
  CStringTableView* strings = f.StringView();
  ASSERT_NE(strings, nullptr);
  EXPECT_EQ(strings->currentIndex().row(), strings->RowOfId(1));
  EXPECT_EQ(f.frame->GetSelectedLanguage(), kFrench);
}

TEST(FindingsView, PseudoTranslateFillsThePseudoLanguage) {
  FindingsFixture f;
  auto previous = tvl::ui::SetModalRunner([](QDialog& d) {
    auto& dialog = dynamic_cast<CPseudoTranslateDlg&>(d);
    dialog.LanguageBox()->setCurrentIndex(1);  // qps-ploca
    dialog.ExpandBox()->setValue(100);
    dialog.BracketsBox()->setChecked(false);
    return static_cast<int>(QDialog::Accepted);
  });
  f.Run("pseudoTranslate");
  tvl::ui::SetModalRunner(previous);
  ASSERT_GE(f.doc.m_languages.Find(kPseudoAsianLocale), 0);
  const CLocalizedString& one = f.doc.m_modules[0]->m_resTable.m_stringTable.FindString(1)->m_value;
  EXPECT_EQ(one.GetText(kPseudoAsianLocale), u"Ｏｎｅ表ポあ");
  // The real languages keep what they had.
  EXPECT_EQ(one.FindValue(kFrench), nullptr);
}

TEST(FindingsView, LayoutFindingSelectsTheControlInTheDialog) {
  FindingsFixture f;
  // "Right" (control 1001, the second) grows left into "Left &text:".
  CResourceIdentifier id;
  id.SetOrdinal(100);
  auto* dialog = static_cast<CResDialog*>(f.doc.m_modules[0]->m_resTable.m_dialogs.FindResource(id));
  ASSERT_NE(dialog, nullptr);
  dialog->m_items[1]->m_text.SetTranslation(u"Aligné à droite", kFrench);
  f.Run("checkTranslations");
  int row = f.RowOf("/5/100/control/1001#0");
  ASSERT_GE(row, 0);
  EXPECT_EQ(f.view()->Findings()[static_cast<size_t>(row)].m_rule, "layout");
  f.view()->ShowFinding(row);
  auto* view = qobject_cast<CDialogView*>(f.frame->ResourcePane()->View());
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(f.frame->Tree()->SelectedNode()->GetObject(), dialog);
  EXPECT_EQ(view->SelectedIndex(), 1);
}
