#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QTest>
#include <QToolBar>
#include <vector>

#include "UiTestSupport.h"
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
