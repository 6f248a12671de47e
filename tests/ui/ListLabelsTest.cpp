#include <gtest/gtest.h>

#include <QHeaderView>
#include <QScrollBar>
#include <QSplitter>
#include <QTest>

#include "UiTestSupport.h"
#include "formats/text/ResStringTable.h"
#include "ui/views/ProjectResView.h"
#include "ui/views/StringTableView.h"
#include "workspace/ProjectNodes.h"

TEST(ListLabels, TreeLabelsHaveTheirTooltipAndScrollSideways) {
  CFrameFixture f;
  CProjectFile project;
  ASSERT_TRUE(f.Open(project.Path()));
  CProjectNode* strings = f.FindNode(u"String Table");
  ASSERT_NE(strings, nullptr);
  auto* item = CProjectResView::ItemOf(strings);
  ASSERT_NE(item, nullptr);
  // The full label first, then the counts of a translation language.
  EXPECT_EQ(item->toolTip(0).section(QLatin1Char('\n'), 0, 0), QStringLiteral("String Table"));
  // A tree narrower than its labels gets a horizontal scroll bar.
  f.frame->ColumnSplitter()->setSizes({40, 900});
  QTest::qWait(20);
  CProjectResView* tree = f.frame->Tree();
  EXPECT_GT(tree->header()->sectionSize(0), tree->viewport()->width());
  EXPECT_GT(tree->horizontalScrollBar()->maximum(), 0);
}

TEST(ListLabels, StringColumnFitsTheLongestTextWhenOpened) {
  CFrameFixture f;
  CProjectFile project;
  ASSERT_TRUE(f.Open(project.Path()));
  const std::u16string longText(150, u'W');
  f.doc.m_modules[0]->m_resTable.m_stringTable.FindString(2)->m_value.m_text = longText;
  f.Select(f.FindNode(u"String Table"));
  CStringTableView* view = f.StringView();
  ASSERT_NE(view, nullptr);
  int needed = view->fontMetrics().horizontalAdvance(QString(150, QLatin1Char('W')));
  EXPECT_GE(view->header()->sectionSize(1), needed);
  // Short texts keep the default width rather than shrinking it.
  f.doc.m_modules[0]->m_resTable.m_stringTable.FindString(2)->m_value.m_text = u"Two";
  f.Select(f.FindNode(u"Dialogs"));
  f.Select(f.FindNode(u"String Table"));
  EXPECT_EQ(f.StringView()->header()->sectionSize(1), 600);
}
