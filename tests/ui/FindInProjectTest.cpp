#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QDockWidget>
#include <QLineEdit>
#include <QTest>
#include <set>

#include "UiTestSupport.h"
#include "formats/layout/ResDialog.h"
#include "ui/views/AcceleratorView.h"
#include "ui/views/DialogView.h"
#include "ui/views/MenuView.h"
#include "ui/views/FindViews.h"
#include "ui/views/ProjectResView.h"
#include "ui/views/ResourceAndHeaderViews.h"
#include "ui/views/StringTableView.h"
#include "workspace/ProjectNodes.h"

namespace {

constexpr LANGID kFrench = 0x040C;

struct FindInProjectFixture : CFrameFixture {
  FindInProjectFixture() {
    EXPECT_TRUE(Open(project.Path()));
    SetLanguage(kFrench);
    frame->findChild<QAction*>("findInProject")->trigger();
  }
  CFindResultsView* results() const { return frame->findChild<CFindResultsView*>(); }
  // Enters a pattern and presses Enter; the ids found, without the module name.
  std::set<std::string> Find(const QString& text) const {
    QLineEdit* edit = results()->Fields()->Edit();
    edit->setText(text);
    QTest::keyClick(edit, Qt::Key_Return);
    std::set<std::string> ids;
    for (const CFindHit& hit : results()->Hits()) ids.insert(hit.m_id.substr(hit.m_id.find('/')));
    EXPECT_EQ(results()->List()->topLevelItemCount(), static_cast<int>(results()->Hits().size()));
    return ids;
  }
  int RowOf(const std::string& idEnd) const {
    const auto& hits = results()->Hits();
    for (size_t i = 0; i < hits.size(); ++i)
      if (hits[i].m_id.size() >= idEnd.size() &&
          hits[i].m_id.compare(hits[i].m_id.size() - idEnd.size(), idEnd.size(), idEnd) == 0)
        return static_cast<int>(i);
    return -1;
  }
  CProjectFile project;
};

}  // namespace

TEST(FindInProject, ListsMatchesInStringsDialogsAndMenus) {
  FindInProjectFixture f;
  ASSERT_NE(f.results(), nullptr);
  EXPECT_TRUE(f.frame->findChild<QDockWidget*>("findResultsDock")->isVisibleTo(f.frame.get()));

  std::set<std::string> open = f.Find(QStringLiteral("open"));
  bool inStrings = false, inMenus = false;
  for (const std::string& id : open) {
    inStrings |= id.rfind("/6/", 0) == 0;
    inMenus |= id.rfind("/4/200/", 0) == 0;
  }
  EXPECT_TRUE(inStrings);
  EXPECT_TRUE(inMenus);

  f.results()->Fields()->RegexBox()->setChecked(true);
  std::set<std::string> sides = f.Find(QStringLiteral("^(left|right)"));
  EXPECT_EQ(sides, (std::set<std::string>{"/5/100/control/1000#0", "/5/100/control/1001#0"}));
  // Keys by their combination; a string's number is its id, the kind words of ids are not.
  f.results()->Fields()->RegexBox()->setChecked(false);
  EXPECT_EQ(f.Find(QStringLiteral("Ctrl+Shift+Delete")), (std::set<std::string>{"/9/300/key/1004#0"}));
  f.results()->Fields()->WholeWordBox()->setChecked(true);
  EXPECT_TRUE(f.Find(QStringLiteral("16")).count("/6/16/text"));
  EXPECT_LT(f.Find(QStringLiteral("text")).size(), 5u);
  EXPECT_TRUE(f.Find(QStringLiteral("no such text")).empty());
  f.results()->Fields()->RegexBox()->setChecked(true);
  EXPECT_TRUE(f.Find(QStringLiteral("[broken")).empty());
}

TEST(FindInProject, FindsTranslationsAndOpensTheItem) {
  FindInProjectFixture f;
  f.doc.m_modules[0]->m_resTable.m_stringTable.FindString(16)->m_value.SetTranslation(u"Seize", kFrench);
  std::set<std::string> found = f.Find(QStringLiteral("seize"));
  EXPECT_EQ(found, (std::set<std::string>{"/6/16/text"}));

  // The string opens in its table.
  f.results()->ShowHit(0);
  EXPECT_EQ(f.frame->Tree()->SelectedNode()->GetObject(), &f.doc.m_modules[0]->m_resTable.m_stringTable);
  CStringTableView* strings = f.StringView();
  ASSERT_NE(strings, nullptr);
  EXPECT_EQ(strings->currentIndex().row(), strings->RowOfId(16));

  // A dialog control opens the dialog with the control selected.
  f.Find(QStringLiteral("Right"));
  int row = f.RowOf("/5/100/control/1001#0");
  ASSERT_GE(row, 0);
  f.results()->ShowHit(row);
  auto* view = qobject_cast<CDialogView*>(f.frame->ResourcePane()->View());
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view->SelectedIndex(), 1);
}

TEST(FindInProject, OpensMenuItemsAndKeysAtTheirRow) {
  FindInProjectFixture f;
  f.Find(QStringLiteral("Second"));
  int row = f.RowOf("/4/200/0.3.1/label");
  ASSERT_GE(row, 0);
  // Activated from the keyboard, as a double click does.
  QTreeWidget* list = f.results()->List();
  list->setFocus();
  list->setCurrentItem(list->topLevelItem(row));
  QTest::keyClick(list, Qt::Key_Return);
  auto* menu = qobject_cast<CMenuView*>(f.frame->ResourcePane()->View());
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(menu->Model()->ItemAt(menu->CurrentRow()), 6);

  EXPECT_EQ(f.Find(QStringLiteral("Ctrl+Shift")), (std::set<std::string>{"/9/300/key/1004#0"}));
  f.results()->ShowHit(0);
  auto* keys = qobject_cast<CAcceleratorView*>(f.frame->ResourcePane()->View());
  ASSERT_NE(keys, nullptr);
  EXPECT_EQ(keys->Model()->EntryAt(keys->CurrentRow()), 3);
}
