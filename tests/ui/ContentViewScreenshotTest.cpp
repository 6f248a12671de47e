#include <gtest/gtest.h>

#include <QDir>
#include <QTest>

#include "ContentViewFixture.h"
#include "formats/layout/ResBinary.h"
#include "formats/layout/ResIcon.h"
#include "formats/layout/ResManifest.h"
#include "formats/layout/ResMenu.h"
#include "formats/text/ResAccelerator.h"
#include "formats/text/ResVersion.h"
#include "ui/views/MenuView.h"

// Pictures of each content view, written only when TVL_SCREENSHOT_DIR names a folder.
TEST(Screenshots, ContentViews) {
  QString dir = qEnvironmentVariable("TVL_SCREENSHOT_DIR");
  if (dir.isEmpty()) GTEST_SKIP() << "TVL_SCREENSHOT_DIR is not set";
  CContentViewFixture f;
  f.frame->resize(1100, 720);
  f.frame->ChooseModeEntry(0);
  auto shoot = [&](const char* name) {
    QTest::qWait(50);
    EXPECT_TRUE(f.frame->grab().save(QDir(dir).filePath(QStringLiteral("tvl-view-%1.png").arg(QLatin1String(name)))));
  };
  ASSERT_NE(f.SelectResource<CResVersion>(u"Version", u"1"), nullptr);
  shoot("version");
  ASSERT_NE(f.SelectResource<CResIconGroup>(u"Icons", u"400"), nullptr);
  shoot("icon");
  ASSERT_NE(f.SelectResource<CResIconGroup>(u"Cursors", u"500"), nullptr);
  shoot("cursor");
  ASSERT_NE(f.SelectResource<CResBitmap>(u"Bitmaps", u"\"LOGO\""), nullptr);
  shoot("bitmap");
  ASSERT_NE(f.SelectResource<CResManifest>(u"XP Manifests", u"1"), nullptr);
  shoot("manifest");
  ASSERT_NE(f.SelectByText<CResBinary>(u"10", u"700"), nullptr);
  shoot("binary");
  ASSERT_NE(f.SelectByText<CResBinary>(u"23", u"INDEX.HTM"), nullptr);
  shoot("html");
  auto* accelerators = f.SelectByText<CResAcceleratorTable>(u"9", u"300");
  ASSERT_NE(accelerators, nullptr);
  accelerators->SetTranslatable(true);
  accelerators->GetEntry(4)->m_key.SetHotKey(CContentViewFixture::kFrench, 1 | 8, 'C');
  f.doc.UpdateAllViews(HintRefreshAll);
  shoot("accelerator");
  auto* menu = f.SelectByText<CResMenu>(u"4", u"200");
  ASSERT_NE(menu, nullptr);
  std::vector<CResMenuItem*> items = menu->Flatten();
  items[1]->m_label.SetTranslation(u"&Ouvrir...", CContentViewFixture::kFrench);
  items[2]->m_label.SetTranslation(u"&Oublier", CContentViewFixture::kFrench);
  f.doc.UpdateAllViews(HintRefreshAll);
  shoot("menu");
  // The grid with the focus: the shortcut of Open is the current cell.
  auto* view = f.View<CMenuView>();
  ASSERT_NE(view, nullptr);
  view->setFocus();
  view->SelectCell(1, CMenuModel::kShortcut);
  shoot("menu-focused");
}
