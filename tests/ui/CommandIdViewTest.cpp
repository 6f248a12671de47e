// The grid shared by the menu and toolbar views: refresh, the current cell's drawing, speed
// on a long menu, and a target built from what was translated in the views.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <QElapsedTimer>
#include <QImage>
#include <QComboBox>
#include <QRadioButton>
#include <QTest>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "ContentViewFixture.h"
#include "formats/layout/ResMenu.h"
#include "formats/text/ResAccelerator.h"
#include "platform/Text.h"
#include "project/Module.h"
#include "ui/dialogs/DialogAccelerator.h"
#include "ui/dialogs/DialogSupport.h"
#include "ui/views/AcceleratorView.h"
#include "ui/views/MenuView.h"

namespace {

constexpr int kLongMenu = 5000;

// Menu 200 with kLongMenu more items in the top level, opened anew.
struct LongMenuFixture : CContentViewFixture {
  LongMenuFixture() {
    menu = SelectByText<CResMenu>(u"4", u"200");
    if (!menu) return;
    for (int i = 0; i < kLongMenu; ++i) {
      auto item = std::make_unique<CResMenuItem>();
      item->m_id = static_cast<DWORD>(5000 + i);
      item->m_label.m_text = u"Item &" + tvl::FromUtf8(std::to_string(i));
      menu->m_root.m_items.Add(std::move(item));
    }
    Select(frame->Tree()->Root()->FindNode(module));
    QElapsedTimer timer;
    timer.start();
    SelectByText<CResMenu>(u"4", u"200");
    openMs = timer.elapsed();
  }
  CMenuView* view() const { return View<CMenuView>(); }
  int TopRow() const { return view()->indexAt(QPoint(1, 1)).row(); }

  CResMenu* menu = nullptr;
  qint64 openMs = 0;
};

}  // namespace

TEST(CCommandIdView, ALongMenuOpensAndRefreshesQuicklyKeepingItsPlace) {
  LongMenuFixture f;
  ASSERT_NE(f.view(), nullptr);
  ASSERT_EQ(f.view()->Model()->rowCount(), 10 + kLongMenu);
  f.view()->setFocus();
  f.view()->SelectCell(2500, CMenuModel::kShortcut);
  // The current row well inside the list, whatever height the panes below leave it.
  f.view()->scrollTo(f.view()->Model()->index(2497, 0), QAbstractItemView::PositionAtTop);
  ASSERT_EQ(f.TopRow(), 2497);
  QElapsedTimer timer;
  timer.start();
  f.doc.UpdateAllViews(HintRefreshAll);
  const qint64 refreshMs = timer.elapsed();
  EXPECT_EQ(f.view()->CurrentRow(), 2500);
  EXPECT_EQ(f.view()->CurrentColumn(), CMenuModel::kShortcut);
  EXPECT_EQ(f.TopRow(), 2497);
  // A commit refills the mnemonic marks of every level.
  f.view()->SelectCell(2500, CMenuModel::kText);
  timer.restart();
  f.TypeAndCommit(QStringLiteral("Article &2500"));
  const qint64 commitMs = timer.elapsed();
  std::printf("[ timing ] %d menu items: open %lld ms, refresh %lld ms, commit %lld ms\n", 10 + kLongMenu,
              static_cast<long long>(f.openMs), static_cast<long long>(refreshMs), static_cast<long long>(commitMs));
  EXPECT_LT(f.openMs, 3000);
  EXPECT_LT(refreshMs, 3000);
  EXPECT_LT(commitMs, 3000);
}

TEST(CCommandIdView, TheCurrentCellStandsOutInTheSelectedRow) {
  CContentViewFixture f;
  ASSERT_NE(f.SelectByText<CResMenu>(u"4", u"200"), nullptr);
  auto* view = f.View<CMenuView>();
  ASSERT_NE(view, nullptr);
  view->setFocus();
  view->SelectCell(1, CMenuModel::kShortcut);
  // A point of each cell right of its text, where only the background shows.
  auto background = [&](int column) {
    QRect r = view->visualRect(view->Model()->index(1, column));
    return view->viewport()->grab().toImage().pixelColor(r.right() - 3, r.center().y());
  };
  // The style may shade its selection a little: near is within a few steps per channel.
  auto near = [](QColor a, QColor b) {
    return std::abs(a.red() - b.red()) <= 6 && std::abs(a.green() - b.green()) <= 6 &&
           std::abs(a.blue() - b.blue()) <= 6;
  };
  const QColor highlight = view->palette().color(QPalette::Active, QPalette::Highlight);
  const QColor grey = view->palette().color(QPalette::Active, QPalette::Mid);
  ASSERT_TRUE(view->hasFocus());
  EXPECT_TRUE(near(background(CMenuModel::kShortcut), highlight)) << background(CMenuModel::kShortcut).name().toStdString();
  EXPECT_FALSE(near(background(CMenuModel::kText), highlight));
  EXPECT_FALSE(near(background(CMenuModel::kId), highlight));
  // Without the focus: grey.
  f.frame->Tree()->setFocus();
  ASSERT_FALSE(view->hasFocus());
  EXPECT_TRUE(near(background(CMenuModel::kShortcut), grey)) << background(CMenuModel::kShortcut).name().toStdString();
  EXPECT_FALSE(near(background(CMenuModel::kText), grey));
  EXPECT_FALSE(near(background(CMenuModel::kText), highlight));
}

namespace {

int RunTvl(const std::string& args) {
  std::string command = std::string(TVL_BINARY_DIR) + "/tvl " + args + " >/dev/null 2>&1";
  int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

template <class T>
T* FindResource(CModule& module, const std::u16string& type, const std::u16string& id) {
  for (CResourceType* t : module.m_resTable.GetTypes()) {
    if (t->m_identifier.GetText() != type) continue;
    for (const auto& r : t->m_resources)
      if (r->m_identifier.GetText() == id) return dynamic_cast<T*>(r.get());
  }
  return nullptr;
}

}  // namespace

TEST(CommandViewsBuild, MenuAndAcceleratorTranslationsReachTheBuiltFile) {
  CContentViewFixture f;
  ASSERT_NE(f.SelectByText<CResMenu>(u"4", u"200"), nullptr);
  auto* menuView = f.View<CMenuView>();
  ASSERT_NE(menuView, nullptr);
  menuView->setFocus();
  menuView->SelectCell(1, CMenuModel::kText);
  f.TypeAndCommit(QStringLiteral("&Ouvrir..."));
  f.TypeAndCommit(QStringLiteral("Ctrl+U"));  // the shortcut comes next
  auto* table = f.SelectByText<CResAcceleratorTable>(u"9", u"300");
  ASSERT_NE(table, nullptr);
  table->SetTranslatable(true);
  f.doc.UpdateAllViews(HintRefreshAll);
  auto* accelView = f.View<CAcceleratorView>();
  ASSERT_NE(accelView, nullptr);
  // Ctrl+C becomes Ctrl+U in the key dialog.
  tvl::ui::SetModalRunner([](QDialog& d) {
    auto& dialog = static_cast<CDialogAccelerator&>(d);
    dialog.VirtKeyButton()->click();
    dialog.KeyList()->setCurrentIndex(dialog.KeyList()->findText(QStringLiteral("U")));
    dialog.accept();
    return dialog.result();
  });
  accelView->EditRow(0);
  tvl::ui::SetModalRunner(nullptr);
  const CLocalizedParam* french = table->GetEntry(0)->m_key.FindValue(CContentViewFixture::kFrench);
  ASSERT_TRUE(french && french != &table->GetEntry(0)->m_key);
  ASSERT_TRUE(f.doc.OnSaveDocument(f.project.Path()));

  ASSERT_EQ(RunTvl("build " + f.project.dir.file("App.tvl") + " --lang FRA"), 0);
  CModule built(tvl::FromUtf8(f.project.dir.file("AppFRA.exe")), CContentViewFixture::kFrench, 0);
  ASSERT_TRUE(built.LoadFromFile());
  auto* menu = FindResource<CResMenu>(built, u"4", u"200");
  ASSERT_NE(menu, nullptr);
  const std::vector<CResMenuItem*> items = menu->Flatten();
  ASSERT_GT(items.size(), 2u);
  EXPECT_EQ(items[1]->m_label.m_text, u"&Ouvrir...");
  EXPECT_EQ(items[1]->m_shortcut.m_text, u"Ctrl+U");
  EXPECT_EQ(items[2]->m_label.m_text, u"&Save");  // untranslated: the source
  auto* keys = FindResource<CResAcceleratorTable>(built, u"9", u"300");
  ASSERT_NE(keys, nullptr);
  EXPECT_EQ(keys->GetEntry(0)->m_key.m_key, 'U');
  EXPECT_EQ(keys->GetEntry(1)->m_key.m_key, 'a');  // untranslated: the source
}
