#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QTest>
#include <QToolBar>
#include <vector>

#include "ContentViewFixture.h"
#include "UiTestSupport.h"
#include "formats/layout/ResMenu.h"
#include "formats/text/ResAccelerator.h"
#include "ui/views/AcceleratorView.h"
#include "ui/views/MenuView.h"
#include "formats/text/ResStringTable.h"
#include "ui/views/FindViews.h"
#include "ui/views/StringTableView.h"

namespace {

constexpr LANGID kFrench = 0x040C;

// The project open in French on its string table, the find bar open.
struct FindBarFixture : CFrameFixture {
  FindBarFixture() {
    EXPECT_TRUE(Open(project.Path()));
    SetLanguage(kFrench);
    Select(FindNode(u"String Table"));
  }
  CFindBar* bar() const { return frame->findChild<CFindBar*>(); }
  void OpenBar() const { frame->findChild<QAction*>("find")->trigger(); }
  void Type(const QString& text) const {
    QLineEdit* edit = bar()->Fields()->Edit();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
  }
  std::vector<DWORD> Listed() const {
    std::vector<DWORD> ids;
    CStringTableView* view = StringView();
    for (int r = 0; r < view->Model()->rowCount(); ++r) ids.push_back(view->Model()->StringAt(r)->m_id);
    return ids;
  }
  CProjectFile project;
};

using Ids = std::vector<DWORD>;

}  // namespace

TEST(FindBar, FiltersTheRowsAsYouTypeByEachOption) {
  FindBarFixture f;
  ASSERT_NE(f.bar(), nullptr);
  Ids all = f.Listed();
  ASSERT_GE(all.size(), 8u);
  f.OpenBar();
  EXPECT_TRUE(f.frame->findChild<QToolBar*>("findToolBar")->isVisibleTo(f.frame.get()));
  EXPECT_TRUE(f.bar()->Fields()->Edit()->hasFocus());

  // By source text, case ignored; then by id, where a whole word leaves out longer ids.
  f.Type(QStringLiteral("open"));
  EXPECT_EQ(f.Listed(), (Ids{1001}));
  f.Type(QStringLiteral("1"));
  EXPECT_EQ(f.Listed(), (Ids{1, 15, 16, 100, 1001}));
  f.bar()->Fields()->WholeWordBox()->setChecked(true);
  EXPECT_EQ(f.Listed(), (Ids{1}));
  f.Type(QStringLiteral("line"));
  EXPECT_EQ(f.Listed(), (Ids{100}));  // "newline" alone would not do
  f.bar()->Fields()->WholeWordBox()->setChecked(false);

  f.bar()->Fields()->RegexBox()->setChecked(true);
  f.Type(QStringLiteral("^(one|two)"));
  EXPECT_EQ(f.Listed(), (Ids{1, 2}));
  // A broken expression lists nothing rather than everything.
  f.Type(QStringLiteral("(one"));
  EXPECT_TRUE(f.Listed().empty());
  f.bar()->Fields()->RegexBox()->setChecked(false);

  // Hidden by other means than Escape (the tool bar menu), the bar stops filtering too.
  f.Type(QStringLiteral("open"));
  f.frame->findChild<QToolBar*>("findToolBar")->hide();
  EXPECT_EQ(f.Listed(), all);
  f.OpenBar();
  f.Type(QStringLiteral("open"));
  EXPECT_EQ(f.Listed(), (Ids{1001}));

  // Escape shows every row again.
  QTest::keyClick(f.bar()->Fields()->Edit(), Qt::Key_Escape);
  EXPECT_EQ(f.Listed(), all);
  EXPECT_FALSE(f.frame->findChild<QToolBar*>("findToolBar")->isVisibleTo(f.frame.get()));
}

TEST(FindBar, MatchesTranslationsAndKeepsFilteringAfterCommits) {
  FindBarFixture f;
  ASSERT_EQ(f.StringView()->Model()->StringAt(f.StringView()->CurrentRow())->m_id, 1u);
  f.TypeAndCommit(QStringLiteral("Un"));
  f.OpenBar();
  f.bar()->Fields()->MatchCaseBox()->setChecked(true);
  f.Type(QStringLiteral("Un"));
  // The translation of 1 and the source of 4000; "Hundred" differs in case.
  EXPECT_EQ(f.Listed(), (Ids{1, 4000}));
  f.bar()->Fields()->MatchCaseBox()->setChecked(false);
  f.Type(QStringLiteral("t"));
  const Ids withT{2, 15, 16, 100, 65535};
  EXPECT_EQ(f.Listed(), withT);
  // The editor is offered a listed row, and a commit there keeps the filter and moves on
  // inside it.
  auto currentId = [&f] { return f.StringView()->Model()->StringAt(f.StringView()->CurrentRow())->m_id; };
  EXPECT_EQ(currentId(), 2u);
  f.TypeAndCommit(QStringLiteral("Deux"));
  EXPECT_EQ(f.Listed(), withT);
  EXPECT_EQ(currentId(), 15u);
  // A table opened again reads the same filter.
  f.Select(f.FindNode(u"Message Table"));
  f.Select(f.FindNode(u"String Table"));
  EXPECT_EQ(f.Listed(), withT);
}

namespace {

// The find bar over the menu, accelerator and version lists of the fixture.
struct ListFilterFixture : CContentViewFixture {
  void Filter(const QString& text) {
    frame->findChild<QAction*>("find")->trigger();
    QLineEdit* edit = frame->findChild<CFindBar*>()->Fields()->Edit();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
  }
  // The model items of the listed rows (captions left out).
  template <class V, class ItemAt>
  std::vector<int> Listed(ItemAt itemAt) const {
    std::vector<int> items;
    auto* view = View<V>();
    for (int r = 0; view && r < view->Model()->rowCount(); ++r)
      if (int item = itemAt(*view->Model(), r); item >= 0) items.push_back(item);
    return items;
  }
};

using Items = std::vector<int>;

}  // namespace

TEST(FindBar, FiltersTheMenuGridKeepingPopupsAsCaptions) {
  ListFilterFixture f;
  CResMenu* menu = f.SelectByText<CResMenu>(u"4", u"200");
  ASSERT_NE(menu, nullptr);
  auto menuItems = [&f] { return f.Listed<CMenuView>([](const CMenuModel& m, int r) { return m.ItemAt(r); }); };
  // Flatten order: File, Open, Save, separator, Recent, First, Second, Exit, Help, About.
  const struct {
    const char* pattern;
    Items items;
  } cases[] = {{"first", {5}}, {"ctrl+o", {1}}, {"1001", {1}}, {"about", {9}}, {"no such item", {}}};
  for (const auto& c : cases) {
    f.Filter(QString::fromLatin1(c.pattern));
    EXPECT_EQ(menuItems(), c.items) << c.pattern;
  }
  // The popups above a listed item stay as a caption row.
  f.Filter(QStringLiteral("first"));
  CMenuView* view = f.View<CMenuView>();
  ASSERT_EQ(view->Model()->rowCount(), 2);
  EXPECT_EQ(view->Model()->ItemAt(0), -1);
  EXPECT_TRUE(view->Model()->index(0, 0).data().toString().contains(QStringLiteral("Recent")));
  // Translations are matched too, and Escape lists everything again.
  menu->Flatten()[7]->m_label.SetTranslation(u"&Quitter", kFrench);
  f.Filter(QStringLiteral("quitter"));
  EXPECT_EQ(menuItems(), (Items{7}));
  QTest::keyClick(f.frame->findChild<CFindBar*>()->Fields()->Edit(), Qt::Key_Escape);
  EXPECT_EQ(menuItems().size(), 10u);
}

TEST(FindBar, FiltersAcceleratorsByKeyAndCommand) {
  ListFilterFixture f;
  ASSERT_NE(f.SelectByText<CResAcceleratorTable>(u"9", u"300"), nullptr);
  auto entries = [&f] {
    return f.Listed<CAcceleratorView>([](const CAcceleratorModel& m, int r) { return m.EntryAt(r); });
  };
  // Ctrl+C, Alt+a, F5, Ctrl+Shift+Delete, A, F1.
  const struct {
    const char* pattern;
    Items entries;
  } cases[] = {{"ctrl", {0, 3}}, {"F1", {5}}, {"1003", {2}}, {"shift+del", {3}}, {"Alt+Z", {}}};
  for (const auto& c : cases) {
    f.Filter(QString::fromLatin1(c.pattern));
    EXPECT_EQ(entries(), c.entries) << c.pattern;
  }
}
