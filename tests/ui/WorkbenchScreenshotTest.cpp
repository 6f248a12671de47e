#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QLineEdit>
#include <QSplitter>
#include <QTest>

#include "ContentViewFixture.h"
#include "formats/layout/DlgInit.h"
#include "formats/layout/ResDialog.h"
#include "formats/layout/ResMenu.h"
#include "formats/text/ResStringTable.h"
#include "ui/views/FindViews.h"

// Pictures for a reviewer (TVL_SCREENSHOT_DIR): the tree's progress images with a count in
// a tooltip, and the menu grid filtered by the find bar.
TEST(Screenshots, TreeProgressAndFilteredMenu) {
  QString dir = qEnvironmentVariable("TVL_SCREENSHOT_DIR");
  if (dir.isEmpty()) GTEST_SKIP() << "TVL_SCREENSHOT_DIR is not set";
  CContentViewFixture f;
  f.frame->resize(1100, 720);
  f.frame->ColumnSplitter()->setSizes({260, 840});
  // Some strings done, one out of date, dialog 100 finished, the menu begun.
  CResStringTable& strings = f.module->m_resTable.m_stringTable;
  strings.FindString(1)->m_value.SetTranslation(u"Un", CContentViewFixture::kFrench);
  strings.FindString(2)->m_value.SetTranslation(u"Deux", CContentViewFixture::kFrench);
  strings.FindString(2)->m_value.SetStatus(CContentViewFixture::kFrench, 0);
  auto* dialog = f.SelectByText<CResDialog>(u"5", u"100");
  ASSERT_NE(dialog, nullptr);
  dialog->m_caption.SetTranslation(u"Titre", CContentViewFixture::kFrench);
  for (const auto& c : dialog->m_items) c->m_text.SetTranslation(u"Fait", CContentViewFixture::kFrench);
  for (const auto& e : dialog->m_dlgInit)
    if (CLocalizedString* t = e->GetText()) t->SetTranslation(u"Fait", CContentViewFixture::kFrench);
  dialog->UpdateStatus(CContentViewFixture::kFrench);
  auto* menu = f.SelectByText<CResMenu>(u"4", u"200");
  ASSERT_NE(menu, nullptr);
  menu->Flatten()[1]->m_label.SetTranslation(u"&Ouvrir...", CContentViewFixture::kFrench);
  f.doc.UpdateAllViews(HintRefreshAll);
  for (int i = 0; i < 3; ++i) f.frame->Tree()->expandAll();
  QTest::qWait(50);
  EXPECT_TRUE(f.frame->grab().save(QDir(dir).filePath(QStringLiteral("tvl-tree-progress.png"))));

  f.frame->findChild<QAction*>("find")->trigger();
  QTest::keyClicks(f.frame->findChild<CFindBar*>()->Fields()->Edit(), QStringLiteral("s"));
  QTest::qWait(50);
  EXPECT_TRUE(f.frame->grab().save(QDir(dir).filePath(QStringLiteral("tvl-menu-filtered.png"))));
}
