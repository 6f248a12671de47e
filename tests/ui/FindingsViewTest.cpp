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
#include "formats/layout/ResMenu.h"
#include "platform/Text.h"
#include "ui/views/AcceleratorView.h"
#include "ui/views/DialogView.h"
#include "ui/views/MenuView.h"
#include "ui/views/VersionInfoView.h"
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

namespace {

// Where the window stands after showing an item: the view's kind and its selected element.
struct Shown {
  std::string view;
  int element = -9;  // the menu or version item, the accelerator entry, the string id
  int column = -1;
};

Shown Selection(const CFrameFixture& f) {
  QWidget* view = f.frame->ResourcePane()->View();
  if (auto* menu = qobject_cast<CMenuView*>(view))
    return {"menu", menu->Model()->ItemAt(menu->CurrentRow()), menu->CurrentColumn()};
  if (auto* keys = qobject_cast<CAcceleratorView*>(view)) return {"keys", keys->Model()->EntryAt(keys->CurrentRow())};
  if (auto* version = qobject_cast<CVersionInfoView*>(view))
    return {"version", version->Model()->ItemAt(version->CurrentRow())};
  if (auto* strings = qobject_cast<CStringTableView*>(view))
    return {"strings", static_cast<int>(strings->Model()->StringAt(strings->CurrentRow())->m_id)};
  if (auto* dialog = qobject_cast<CDialogView*>(view)) return {"dialog", dialog->SelectedIndex(), dialog->SelectedString()};
  return {"none"};
}

}  // namespace

TEST(FindingsView, ShowItemSelectsTheElementInEveryView) {
  FindingsFixture f;
  const std::string module = tvl::ToUtf8(f.doc.m_modules[0]->GetName());
  // Hidden by the mode: translated items in "To be translated".
  f.doc.m_modules[0]->m_resTable.m_stringTable.FindString(16)->m_value.SetTranslation(u"Seize", kFrench);
  f.frame->ChooseModeEntry(2);
  const struct {
    const char* id;
    Shown expected;
  } cases[] = {
      {"/4/200/0.3.0/label", {"menu", 5, CMenuModel::kText}},
      {"/4/200/0.0/shortcut", {"menu", 1, CMenuModel::kShortcut}},
      {"/9/300/key/1004#0", {"keys", 3}},
      {"/16/1/FileVersion#fixed", {"version", -3}},
      {"/6/16/text", {"strings", 16}},
      {"/5/100/control/1001#0", {"dialog", 1, -1}},
  };
  for (const auto& c : cases) {
    EXPECT_TRUE(tvl::ui::ShowItem(*f.frame, module + c.id, kFrench)) << c.id;
    Shown shown = Selection(f);
    EXPECT_EQ(shown.view, c.expected.view) << c.id;
    EXPECT_EQ(shown.element, c.expected.element) << c.id;
    EXPECT_EQ(shown.column, c.expected.column) << c.id;
  }
  EXPECT_FALSE(tvl::ui::ShowItem(*f.frame, module + "/4/200/7.1/label", kFrench));
  EXPECT_FALSE(tvl::ui::ShowItem(*f.frame, module + "/9/300/key/1#0", kFrench));
}

TEST(FindingsView, AMnemonicFindingSelectsTheMenuItem) {
  FindingsFixture f;
  CResourceIdentifier id;
  id.SetOrdinal(200);
  auto* menu = dynamic_cast<CResMenu*>(f.doc.m_modules[0]->m_resTable.m_menus.FindResource(id));
  ASSERT_NE(menu, nullptr);
  // Open and Save both on 'o' in French.
  std::vector<CResMenuItem*> items = menu->Flatten();
  items[1]->m_label.SetTranslation(u"&Ouvrir...", kFrench);
  items[2]->m_label.SetTranslation(u"&Onregistrer", kFrench);
  f.Run("checkTranslations");
  int row = -1;
  for (size_t i = 0; i < f.view()->Findings().size(); ++i)
    if (f.view()->Findings()[i].m_id.find("/4/200/") != std::string::npos) row = static_cast<int>(i);
  ASSERT_GE(row, 0);
  QTreeWidgetItem* item = f.view()->topLevelItem(row);
  f.view()->scrollToItem(item);
  const QPoint at = f.view()->visualItemRect(item).center();
  QTest::mouseClick(f.view()->viewport(), Qt::LeftButton, {}, at);
  QTest::mouseDClick(f.view()->viewport(), Qt::LeftButton, {}, at);
  Shown shown = Selection(f);
  EXPECT_EQ(shown.view, "menu");
  EXPECT_TRUE(shown.element == 1 || shown.element == 2) << shown.element;
}
