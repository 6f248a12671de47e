#include <gtest/gtest.h>

#include <QTest>
#include <filesystem>

#include "UiTestSupport.h"
#include "formats/layout/ResToolBar.h"
#include "formats/text/PromptAndTips.h"
#include "platform/Text.h"
#include "project/Module.h"
#include "resmodel/ResTable.h"
#include "resmodel/ResourceType.h"
#include "ui/views/ProjectResView.h"
#include "ui/views/ResourceAndHeaderViews.h"
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
      auto m = std::make_unique<CModule>(tvl::FromUtf8(dir.file("Mfc.exe")), 0x0409, 0);
      m->SetDocument(&maker);
      EXPECT_TRUE(m->LoadFromFile());
      maker.InsertModule(std::move(m), 0x0409, languages);
      EXPECT_TRUE(maker.OnSaveDocument(tvl::FromUtf8(dir.file("Mfc.tvl"))));
    }
    EXPECT_TRUE(Open(tvl::FromUtf8(dir.file("Mfc.tvl"))));
    module = doc.m_modules[0].get();
    if (!module->m_usesMfc) {
      module->SetUsesMfc(1);
      module->m_resTable.m_promptAndTips.Build();
    }
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
}
