#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include "ContentViewFixture.h"
#include "formats/layout/ResMenu.h"
#include "formats/text/ResStringTable.h"
#include "ui/views/MenuView.h"
#include "ui/views/StringTableView.h"

namespace {

// Lets the typed text of one search lapse, so the next key starts another.
void Pause() { QTest::qWait(QApplication::keyboardInputInterval() + 100); }

}  // namespace

TEST(TypeAhead, StringsAreFoundByIdAndText) {
  CContentViewFixture f;
  f.Select(f.FindNode(u"String Table"));
  CStringTableView* view = f.StringView();
  ASSERT_NE(view, nullptr);
  view->setFocus();
  auto current = [&] { return view->Model()->StringAt(view->CurrentRow())->m_id; };
  ASSERT_EQ(current(), 1u);
  // Typed on, the id grows from the row found: 15, then 100.
  QTest::keyClicks(view, QStringLiteral("100"));
  EXPECT_EQ(current(), 100u);
  Pause();
  QTest::keyClicks(view, QStringLiteral("two"));
  EXPECT_EQ(current(), 2u);
  Pause();
  QTest::keyClicks(view, QStringLiteral("no such start"));
  EXPECT_EQ(current(), 2u);
}

TEST(TypeAhead, MenuItemsAreFoundPastTheirMarksAndOneLetterCycles) {
  CContentViewFixture f;
  f.SelectByText<CResMenu>(u"4", u"200");
  auto* view = f.View<CMenuView>();
  ASSERT_NE(view, nullptr);
  view->setFocus();
  auto item = [&] { return view->Model()->ItemAt(view->CurrentRow()); };
  // Flatten order: File, Open, Save, separator, Recent, First, Second, Exit, Help, About.
  const struct {
    const char* typed;
    int item;
  } steps[] = {{"ex", 7}, {"s", 2}, {"s", 6}, {"ss", 6}, {"1001", 1}, {"hel", 8}};
  for (const auto& s : steps) {
    Pause();
    QTest::keyClicks(view, QString::fromLatin1(s.typed));
    EXPECT_EQ(item(), s.item) << s.typed;
  }
  // The current column stays.
  EXPECT_EQ(view->CurrentColumn(), CMenuModel::kText);
}
