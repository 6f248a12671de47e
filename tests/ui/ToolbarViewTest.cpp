#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QTest>
#include <algorithm>
#include <set>
#include <filesystem>

#include "UiTestSupport.h"
#include "formats/layout/ResMenu.h"
#include "formats/layout/ResToolBar.h"
#include "formats/text/PromptAndTips.h"
#include "platform/Text.h"
#include "project/Module.h"
#include "resmodel/ResTable.h"
#include "resmodel/ResourceType.h"
#include "ui/views/ProjectResView.h"
#include "ui/views/ResourceAndHeaderViews.h"
#include "ui/views/ResourceHeaderView.h"
#include "ui/views/FindViews.h"
#include "ui/views/FindingsView.h"
#include "ui/views/MenuView.h"
#include "ui/views/ToolbarView.h"
#include "ui/views/TranslationView.h"

namespace {

constexpr LANGID kFrench = 0x040C;

// mfc32.exe in French: toolbar 128 with the buttons 100, 101, a separator and 102, which
// are New, Open and Print of the File menu, each with a prompt and a tooltip.
struct ToolbarFixture : CFrameFixture {
  ToolbarFixture() {
    std::filesystem::copy_file(FixturePath("mfc32.exe"), dir.file("Mfc.exe"));
    {
      CTvlDoc maker;
      CLanguageArray languages;
      languages.Add(CLanguage(kFrench));
      // As a module inserted with MFC checked: prompts built and counted in the statuses.
      auto m = std::make_unique<CModule>(tvl::FromUtf8(dir.file("Mfc.exe")), 0x0409, 1);
      m->SetDocument(&maker);
      EXPECT_TRUE(m->LoadFromFile());
      maker.InsertModule(std::move(m), 0x0409, languages);
      EXPECT_TRUE(maker.OnSaveDocument(tvl::FromUtf8(dir.file("Mfc.tvl"))));
    }
    EXPECT_TRUE(Open(tvl::FromUtf8(dir.file("Mfc.tvl"))));
    module = doc.m_modules[0].get();
    SetLanguage(kFrench);
    for (CResourceType* t : module->m_resTable.GetTypes())
      for (const auto& r : t->m_resources)
        if (auto* tb = dynamic_cast<CResToolBar*>(r.get())) toolbar = tb;
    EXPECT_NE(toolbar, nullptr);
    if (toolbar) Select(frame->Tree()->Root()->FindNode(toolbar));
  }
  CToolbarView* view() const { return dynamic_cast<CToolbarView*>(frame->ResourcePane()->View()); }
  QString Cell(int row, int column) const { return view()->Model()->index(row, column).data().toString(); }
  CPromptAndTip* Prompt(DWORD id) const { return module->m_resTable.m_promptAndTips.Find(id); }

  CScratchDir dir;
  CModule* module = nullptr;
  CResToolBar* toolbar = nullptr;
};

}  // namespace

TEST(CToolbarView, ButtonsShowTheirPictureMenuTextAndPrompts) {
  ToolbarFixture f;
  ASSERT_NE(f.view(), nullptr);
  f.frame->ChooseModeEntry(1);
  ASSERT_EQ(f.view()->Model()->rowCount(), 4);
  ASSERT_EQ(f.view()->Model()->columnCount(), 4);
  EXPECT_EQ(f.Cell(0, 0), QStringLiteral("&File > &New"));
  EXPECT_EQ(f.Cell(0, 1), QStringLiteral("100"));
  EXPECT_EQ(f.Cell(1, 2), QStringLiteral("Open an existing document"));
  EXPECT_EQ(f.Cell(1, 3), QStringLiteral("Open"));
  EXPECT_EQ(f.Cell(2, 0), QStringLiteral("------------"));
  EXPECT_EQ(f.Cell(3, 0), QStringLiteral("&File > &Print"));
  // Each button has its own picture of the button size.
  QVariant picture = f.view()->Model()->index(0, 0).data(Qt::DecorationRole);
  ASSERT_TRUE(picture.canConvert<QImage>());
  EXPECT_EQ(picture.value<QImage>().size(), QSize(16, 15));
  EXPECT_FALSE(f.view()->Model()->index(2, 0).data(Qt::DecorationRole).isValid());
  // The first prompt to translate is offered.
  EXPECT_EQ(f.frame->Editor()->LastRequest().m_element, &f.Prompt(100)->m_prompt);
  EXPECT_FALSE(f.view()->Model()->index(3, 0).data(Qt::ForegroundRole).isValid());
  // A command no menu item carries.
  f.toolbar->m_items.m_data[3] = 999;
  f.doc.UpdateAllViews(HintRefreshAll);
  EXPECT_EQ(f.Cell(3, 0), QStringLiteral("(No menu item)"));
  EXPECT_TRUE(f.view()->Model()->index(3, 0).data(Qt::ForegroundRole).isValid());
}

TEST(CToolbarView, APromptCommitAndItsUndo) {
  ToolbarFixture f;
  ASSERT_NE(f.view(), nullptr);
  CScratchDir files;
  auto saved = [&](const std::string& name) {
    EXPECT_TRUE(f.doc.OnSaveDocument(tvl::FromUtf8(files.file(name))));
    return ReadFileBytes(files.file(name));
  };
  const std::vector<unsigned char> before = saved("before.tvl");
  f.view()->setFocus();
  f.view()->SelectCell(1, CToolbarModel::kTooltip);
  f.TypeAndCommit(QStringLiteral("Ouvrir"));
  const CLocalizedString& tooltip = f.Prompt(101)->m_tooltip;
  ASSERT_NE(tooltip.FindValue(kFrench), nullptr);
  EXPECT_EQ(f.Cell(1, 3), QStringLiteral("Ouvrir"));
  // On to the next row's prompt.
  EXPECT_EQ(f.view()->CurrentColumn(), CToolbarModel::kPrompt);
  EXPECT_EQ(f.Prompt(101)->m_string->m_value.GetText(kFrench), u"Open an existing document\nOuvrir");
  f.doc.Undo();
  EXPECT_EQ(tooltip.FindValue(kFrench), nullptr);
  EXPECT_EQ(f.Prompt(101)->m_string->m_value.FindValue(kFrench), nullptr);
  EXPECT_EQ(f.view()->CurrentRow(), 1);
  EXPECT_EQ(f.view()->CurrentColumn(), CToolbarModel::kTooltip);
  EXPECT_EQ(saved("undone.tvl"), before);
}


TEST(CToolbarView, FilteredModesListButtonsByTheirPromptsAndNoPromptsLeaveTwoColumns) {
  ToolbarFixture f;
  ASSERT_NE(f.view(), nullptr);
  f.frame->ChooseModeEntry(2);  // to be translated: the separator goes
  ASSERT_NE(f.view(), nullptr);
  EXPECT_EQ(f.view()->Model()->rowCount(), 3);
  for (CLocalizedString* value : {&f.Prompt(101)->m_prompt, &f.Prompt(101)->m_tooltip}) {
    value->SetTranslation(u"x", kFrench);
    value->SetStatus(kFrench, 1);
  }
  f.doc.UpdateAllViews(HintRefreshAll);
  ASSERT_EQ(f.view()->Model()->rowCount(), 2);
  EXPECT_EQ(f.Cell(1, 1), QStringLiteral("102"));
  f.frame->ChooseModeEntry(3);  // to be edited: translated buttons come back
  EXPECT_EQ(f.view()->Model()->rowCount(), 3);

  // Without command prompts: button and identifier only, listed in the all-items mode.
  f.module->SetUsesMfc(0);
  f.module->m_resTable.UpdateStatus(kFrench);
  f.frame->ChooseModeEntry(0);
  f.Select(f.frame->Tree()->Root()->FindNode(f.module));
  f.Select(f.frame->Tree()->Root()->FindNode(f.toolbar));
  ASSERT_NE(f.view(), nullptr);
  EXPECT_EQ(f.view()->Model()->columnCount(), 2);
  EXPECT_EQ(f.view()->Model()->rowCount(), 4);
  EXPECT_EQ(f.frame->Editor()->LastRequest().m_element, nullptr);
  QTest::keyClick(f.view(), Qt::Key_Right);  // no cell to move to
  EXPECT_EQ(f.view()->CurrentRow(), 0);
}

TEST(CToolbarView, TheBitmapCheckBoxIsRecordedAndUndone) {
  ToolbarFixture f;
  ASSERT_NE(f.view(), nullptr);
  ASSERT_NE(f.toolbar->m_bitmap, nullptr);
  CScratchDir files;
  auto saved = [&](const std::string& name) {
    EXPECT_TRUE(f.doc.OnSaveDocument(tvl::FromUtf8(files.file(name))));
    return ReadFileBytes(files.file(name));
  };
  const std::vector<unsigned char> before = saved("before.tvl");
  QCheckBox* box = f.frame->ResourcePane()->Header()->DoNotTranslateBox();
  ASSERT_TRUE(box->isEnabled());
  const bool translatable = f.toolbar->m_bitmap->IsTranslatable();
  EXPECT_EQ(box->isChecked(), !translatable);
  EXPECT_EQ(box->text(), QStringLiteral("&Do not translate toolbar bitmap"));
  box->click();
  EXPECT_EQ(f.toolbar->m_bitmap->IsTranslatable(), !translatable);
  EXPECT_TRUE(f.toolbar->IsTranslatable());  // the toolbar itself is left alone
  // The prompts were not touched; the pictures are cut again.
  EXPECT_EQ(f.Prompt(100)->m_prompt.FindValue(kFrench), nullptr);
  EXPECT_TRUE(f.view()->Model()->index(0, 0).data(Qt::DecorationRole).isValid());
  EXPECT_NE(saved("toggled.tvl"), before);
  f.doc.Undo();
  EXPECT_EQ(f.toolbar->m_bitmap->IsTranslatable(), translatable);
  EXPECT_EQ(box->isChecked(), !translatable);
  EXPECT_EQ(saved("undone.tvl"), before);
  f.doc.Redo();
  EXPECT_EQ(f.toolbar->m_bitmap->IsTranslatable(), !translatable);
}

namespace {

// Every hint the document sends, with its object.
struct CHintSpy : CDocumentView {
  explicit CHintSpy(CTvlDoc& d) : doc(d) { doc.AddView(this); }
  ~CHintSpy() override { doc.RemoveView(this); }
  void OnUpdate(int hint, const void* object) override { hints.emplace_back(hint, object); }
  bool Saw(int hint, const void* object) const {
    return std::find(hints.begin(), hints.end(), std::make_pair(hint, object)) != hints.end();
  }
  CTvlDoc& doc;
  std::vector<std::pair<int, const void*>> hints;
};

}  // namespace

TEST(CToolbarView, APromptChangeAndItsUndoReachTheMenusWithTheCommand) {
  ToolbarFixture f;
  ASSERT_NE(f.view(), nullptr);
  CResMenu* menu = nullptr;
  for (const auto& r : f.module->m_resTable.m_menus.m_resources) {
    std::set<DWORD> ids;
    r->CollectCommandIds(ids);
    if (ids.count(100)) menu = dynamic_cast<CResMenu*>(r.get());
  }
  ASSERT_NE(menu, nullptr);
  // Everything of the menu translated but the prompt and tooltip of New.
  for (CResMenuItem* item : menu->Flatten()) {
    for (CLocalizedString* value : {&item->m_label, &item->m_shortcut})
      if (!value->m_text.empty()) value->SetTranslation(u"x", kFrench);
    CPromptAndTip* prompt = item->m_id == 100 ? nullptr : f.Prompt(item->m_id);
    if (!prompt) continue;
    for (CLocalizedString* value : {&prompt->m_prompt, &prompt->m_tooltip})
      if (!value->m_text.empty()) value->SetTranslation(u"y", kFrench);
  }
  menu->UpdateStatus(kFrench);
  ASSERT_EQ(menu->GetStatus(kFrench), 0);
  f.view()->setFocus();
  f.view()->SelectCell(0, CToolbarModel::kPrompt);
  f.TypeAndCommit(QStringLiteral("Nouveau document"));
  CHintSpy spy(f.doc);
  f.TypeAndCommit(QStringLiteral("Nouveau"));
  EXPECT_GT(menu->GetStatus(kFrench), 0);
  EXPECT_TRUE(spy.Saw(HintResourceStatusChanged, menu));
  spy.hints.clear();
  f.doc.Undo();
  EXPECT_EQ(menu->GetStatus(kFrench), 0);
  EXPECT_TRUE(spy.Saw(HintResourceStatusChanged, menu));
  EXPECT_EQ(f.view()->CurrentColumn(), CToolbarModel::kTooltip);
  // Deleting the translation takes the same way.
  f.doc.Redo();
  ASSERT_GT(menu->GetStatus(kFrench), 0);
  spy.hints.clear();
  f.view()->setFocus();
  f.view()->SelectCell(0, CToolbarModel::kTooltip);
  QTest::keyClick(f.view(), Qt::Key_Delete);
  EXPECT_EQ(f.Prompt(100)->m_tooltip.FindValue(kFrench), nullptr);
  EXPECT_EQ(menu->GetStatus(kFrench), 0);
  EXPECT_TRUE(spy.Saw(HintResourceStatusChanged, menu));
}

TEST(CToolbarView, FindBarFiltersButtonsAndAPromptsIdOpensItsCommand) {
  ToolbarFixture f;
  ASSERT_NE(f.view(), nullptr);
  f.frame->findChild<QAction*>("find")->trigger();
  QTest::keyClicks(f.frame->findChild<CFindBar*>()->Fields()->Edit(), QStringLiteral("print"));
  ASSERT_EQ(f.view()->Model()->rowCount(), 1);
  EXPECT_EQ(f.Cell(0, 1), QStringLiteral("102"));
  // A prompt's id names its string; it is edited with the command, in the first menu.
  ASSERT_TRUE(tvl::ui::ShowItem(*f.frame, tvl::ToUtf8(f.module->GetName()) + "/6/101/tooltip", kFrench));
  auto* menu = qobject_cast<CMenuView*>(f.frame->ResourcePane()->View());
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(menu->CurrentColumn(), CMenuModel::kTooltip);
  EXPECT_EQ(menu->Model()->Item(menu->Model()->ItemAt(menu->CurrentRow()))->m_id, 101u);
}
