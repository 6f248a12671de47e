#include <gtest/gtest.h>

#include <QAction>
#include <QTest>

#include "ContentViewFixture.h"
#include "formats/layout/ResMenu.h"
#include "formats/text/PromptAndTips.h"
#include "formats/text/ResStringTable.h"
#include "project/Module.h"
#include "platform/Text.h"
#include "ui/views/MenuView.h"
#include "ui/views/TranslationView.h"
#include "workspace/CommandIds.h"

namespace {

// Menu 200 in Flatten order: File, Open, Save, separator, Recent, First, Second, Exit,
// Help, About.
struct MenuFixture : CContentViewFixture {
  MenuFixture() {
    menu = SelectByText<CResMenu>(u"4", u"200");
    EXPECT_NE(menu, nullptr);
    if (menu) items = menu->Flatten();
  }
  CMenuView* view() const { return View<CMenuView>(); }
  QString Cell(int row, int column) const { return view()->Model()->index(row, column).data().toString(); }
  QStringList Texts() const {
    QStringList texts;
    for (int r = 0; r < view()->Model()->rowCount(); ++r) texts << Cell(r, 0);
    return texts;
  }
  void SelectCell(int row, int column) {
    view()->setFocus();
    view()->SelectCell(row, column);
  }
  const CLocalizedString* French(const CLocalizedString& value) const {
    const CLocalizedParam* n = value.FindValue(kFrench);
    return n == &value ? nullptr : static_cast<const CLocalizedString*>(n);
  }
  std::vector<unsigned char> Saved(const std::string& name) {
    std::string path = files.file(name);
    EXPECT_TRUE(doc.OnSaveDocument(tvl::FromUtf8(path)));
    return ReadFileBytes(path);
  }

  CScratchDir files;
  CResMenu* menu = nullptr;
  std::vector<CResMenuItem*> items;
};

}  // namespace

TEST(CMenuView, ListsItemsIndentedWithSeparatorsAndIds) {
  MenuFixture f;
  ASSERT_NE(f.view(), nullptr);
  EXPECT_EQ(f.Texts(), (QStringList{"&File", "  &Open...", "  &Save", "  ------------", "  &Recent", "    First",
                                    "    Second", "  E&xit", "&Help", "  &About"}));
  EXPECT_EQ(f.Cell(1, 1), QStringLiteral("Ctrl+O"));
  EXPECT_EQ(f.Cell(1, 2), QStringLiteral("1001"));
  EXPECT_EQ(f.Cell(0, 2), QString());
  const QStringList headings{"Text", "Shortcut", "Id"};
  for (int c = 0; c < 3; ++c)
    EXPECT_EQ(f.view()->Model()->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString(), headings[c]);
  // The separator has no image and is grey; the first text to translate is offered.
  EXPECT_FALSE(f.view()->Model()->index(3, 0).data(Qt::DecorationRole).isValid());
  EXPECT_TRUE(f.view()->Model()->index(3, 0).data(Qt::ForegroundRole).isValid());
  EXPECT_EQ(f.view()->CurrentRow(), 0);
  EXPECT_EQ(f.frame->Editor()->LastRequest().m_element, &f.items[0]->m_label);
}

TEST(CMenuView, CommitsGoCellByCellAndUndoRestoresTheProject) {
  MenuFixture f;
  const std::vector<unsigned char> before = f.Saved("before.tvl");
  f.SelectCell(1, 0);
  f.TypeAndCommit(QStringLiteral("&Ouvrir..."));
  EXPECT_EQ(f.French(f.items[1]->m_label)->m_text, u"&Ouvrir...");
  EXPECT_EQ(f.Cell(1, 0), QStringLiteral("  &Ouvrir..."));
  // On to the shortcut of the same item.
  EXPECT_EQ(f.view()->CurrentRow(), 1);
  EXPECT_EQ(f.view()->CurrentColumn(), 1);
  f.TypeAndCommit(QStringLiteral("Ctrl+U"));
  EXPECT_EQ(f.Cell(1, 1), QStringLiteral("Ctrl+U"));
  EXPECT_EQ(f.view()->CurrentRow(), 2);
  EXPECT_EQ(f.view()->CurrentColumn(), 0);
  const std::vector<unsigned char> committed = f.Saved("committed.tvl");
  EXPECT_NE(committed, before);
  f.doc.Undo();
  f.doc.Undo();
  EXPECT_EQ(f.French(f.items[1]->m_label), nullptr);
  EXPECT_EQ(f.Saved("undone.tvl"), before);
  EXPECT_EQ(f.view()->CurrentRow(), 1);
  EXPECT_EQ(f.view()->CurrentColumn(), 0);
  f.doc.Redo();
  f.doc.Redo();
  EXPECT_EQ(f.Saved("redone.tvl"), committed);
  EXPECT_EQ(f.view()->CurrentColumn(), 1);
}

TEST(CMenuView, FilteredModesShowPopupPaths) {
  MenuFixture f;
  for (size_t i : {0, 1, 2, 4, 6, 7, 8, 9}) f.items[i]->m_label.SetTranslation(u"x", CContentViewFixture::kFrench);
  f.items[1]->m_shortcut.SetTranslation(u"Ctrl+O", CContentViewFixture::kFrench);
  f.frame->ChooseModeEntry(2);  // to be translated
  EXPECT_EQ(f.Texts(), (QStringList{"x > x > ", "    First"}));
  EXPECT_TRUE(f.view()->Model()->index(0, 0).data(Qt::ForegroundRole).isValid());
  f.frame->ChooseModeEntry(1);
  EXPECT_EQ(f.view()->Model()->rowCount(), 10);
}

TEST(CMenuView, LeftAndRightWrapOverTheTextColumns) {
  MenuFixture f;
  f.SelectCell(1, 0);
  QTest::keyClick(f.view(), Qt::Key_Right);
  EXPECT_EQ(f.view()->CurrentColumn(), 1);
  EXPECT_EQ(f.frame->Editor()->LastRequest().m_element, &f.items[1]->m_shortcut);
  QTest::keyClick(f.view(), Qt::Key_Right);
  EXPECT_EQ(f.view()->CurrentColumn(), 0);
  QTest::keyClick(f.view(), Qt::Key_End);
  EXPECT_EQ(f.view()->CurrentColumn(), 1);
  QTest::keyClick(f.view(), Qt::Key_Home);
  EXPECT_EQ(f.view()->CurrentColumn(), 0);
  QTest::keyClick(f.view(), Qt::Key_Left);
  EXPECT_EQ(f.view()->CurrentColumn(), 1);
  EXPECT_EQ(f.view()->CurrentRow(), 1);
  // Home again on the first column: the list's own first row.
  QTest::keyClick(f.view(), Qt::Key_Home);
  QTest::keyClick(f.view(), Qt::Key_Home);
  EXPECT_EQ(f.view()->CurrentRow(), 0);
  EXPECT_EQ(f.view()->CurrentColumn(), 0);
  // A click of either button makes the cell's column current.
  auto click = [&](Qt::MouseButton button, int row, int column) {
    QRect r = f.view()->visualRect(f.view()->Model()->index(row, column));
    QTest::mouseClick(f.view()->viewport(), button, {}, r.center());
  };
  click(Qt::RightButton, 2, 0);
  EXPECT_EQ(f.view()->CurrentRow(), 2);
  EXPECT_EQ(f.view()->CurrentColumn(), 0);
  EXPECT_EQ(f.frame->Editor()->LastRequest().m_element, &f.items[2]->m_label);
  click(Qt::LeftButton, 1, 1);
  EXPECT_EQ(f.view()->CurrentRow(), 1);
  // Only the current cell of the selected row is highlighted.
  auto lit = [&](int row, int column) {
    return f.view()->Model()->index(row, column).data(Qt::BackgroundRole).isValid();
  };
  EXPECT_TRUE(lit(1, 1));
  EXPECT_FALSE(lit(1, 0) || lit(2, 1) || lit(0, 1));
  // An empty shortcut has nothing to translate and shows no image.
  EXPECT_FALSE(f.view()->Model()->index(2, 1).data(Qt::DecorationRole).isValid());
  EXPECT_TRUE(f.view()->Model()->index(1, 1).data(Qt::DecorationRole).isValid());
}

TEST(CMenuView, SameMnemonicsOfOneLevelAreMarked) {
  MenuFixture f;
  EXPECT_FALSE(f.view()->Model()->index(1, 2).data(Qt::ToolTipRole).isValid());
  f.items[2]->m_label.SetTranslation(u"&Oublier", CContentViewFixture::kFrench);
  f.doc.UpdateAllViews(HintRefreshAll);
  EXPECT_EQ(f.view()->Model()->index(1, 2).data(Qt::ToolTipRole).toString(),
            QStringLiteral("The same mnemonic as \"&Oublier\"."));
  EXPECT_TRUE(f.view()->Model()->index(2, 2).data(Qt::DecorationRole).isValid());
  // "&About" is 'a' on another level than "&Oublier": no clash there.
  EXPECT_FALSE(f.view()->Model()->index(9, 2).data(Qt::ToolTipRole).isValid());
}

TEST(CMenuView, DeleteTranslationErasesTheCurrentCell) {
  MenuFixture f;
  f.SelectCell(7, 0);
  EXPECT_FALSE(f.view()->CanDeleteTranslation());
  f.TypeAndCommit(QStringLiteral("&Quitter"));
  f.SelectCell(7, 0);
  EXPECT_TRUE(f.view()->CanDeleteTranslation());
  f.frame->UpdateCommandUi();
  EXPECT_EQ(f.frame->Action(ID_EDIT_DELETE)->text(), QStringLiteral("&Delete Translation\tDel"));
  QTest::keyClick(f.view(), Qt::Key_Delete);
  EXPECT_EQ(f.French(f.items[7]->m_label), nullptr);
  // On to the next cell to translate, as after any commit.
  EXPECT_EQ(f.view()->CurrentRow(), 8);  // &Help
  f.doc.Undo();
  ASSERT_NE(f.French(f.items[7]->m_label), nullptr);
  EXPECT_EQ(f.Cell(7, 0), QStringLiteral("  &Quitter"));
}

namespace {

// The module as one that uses MFC: command 1001 (Open) has the prompt "Open a file" and the
// tooltip "Open".
struct PromptFixture : MenuFixture {
  PromptFixture() {
    module->SetUsesMfc(1);
    module->m_resTable.m_promptAndTips.Build();
    module->m_resTable.UpdateStatus(kFrench);
    menu = SelectByText<CResMenu>(u"4", u"200");
    prompt = module->m_resTable.m_promptAndTips.Find(1001);
  }
  CPromptAndTip* prompt = nullptr;
};

}  // namespace

TEST(CMenuView, CommandPromptsAddTwoColumns) {
  PromptFixture f;
  ASSERT_NE(f.prompt, nullptr);
  ASSERT_EQ(f.view()->Model()->columnCount(), 5);
  EXPECT_EQ(f.view()->Model()->headerData(3, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("Prompt"));
  EXPECT_EQ(f.view()->Model()->headerData(4, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("Tooltip"));
  EXPECT_EQ(f.Cell(1, 3), QStringLiteral("Open a file"));
  EXPECT_EQ(f.Cell(1, 4), QStringLiteral("Open"));
  // A command without a prompt shows grey cells there.
  EXPECT_TRUE(f.view()->Model()->index(2, 3).data(Qt::ForegroundRole).isValid());
  // Right wraps from the tooltip to the text.
  f.SelectCell(1, 4);
  QTest::keyClick(f.view(), Qt::Key_Right);
  EXPECT_EQ(f.view()->CurrentColumn(), 0);
  QTest::keyClick(f.view(), Qt::Key_Left);
  EXPECT_EQ(f.view()->CurrentColumn(), 4);
  QTest::keyClick(f.view(), Qt::Key_Left);
  EXPECT_EQ(f.view()->CurrentColumn(), 3);
}

TEST(CMenuView, AnUntranslatedPromptKeepsItsItemToBeTranslated) {
  PromptFixture f;
  ASSERT_NE(f.prompt, nullptr);
  for (CResMenuItem* item : f.items) {
    if (!item->m_label.m_text.empty()) item->m_label.SetTranslation(u"x", CContentViewFixture::kFrench);
    if (!item->m_shortcut.m_text.empty()) item->m_shortcut.SetTranslation(u"y", CContentViewFixture::kFrench);
  }
  f.frame->ChooseModeEntry(2);  // to be translated
  EXPECT_EQ(f.Texts(), (QStringList{"x > ", "  x"}));
  // The prompt is the next cell to translate.
  EXPECT_EQ(f.view()->CurrentRow(), 1);
  EXPECT_EQ(f.view()->CurrentColumn(), 3);
}

TEST(CMenuView, APromptCommitIsWrittenBackIntoItsString) {
  PromptFixture f;
  ASSERT_NE(f.prompt, nullptr);
  const std::vector<unsigned char> before = f.Saved("before.tvl");
  f.SelectCell(1, 3);
  f.TypeAndCommit(QStringLiteral("Ouvrir un fichier"));
  ASSERT_NE(f.French(f.prompt->m_prompt), nullptr);
  EXPECT_EQ(f.Cell(1, 3), QStringLiteral("Ouvrir un fichier"));
  EXPECT_EQ(f.view()->CurrentColumn(), 4);  // on to the tooltip
  const CLocalizedString* composed = f.French(f.prompt->m_string->m_value);
  ASSERT_NE(composed, nullptr);
  EXPECT_EQ(composed->m_text.substr(0, 17), u"Ouvrir un fichier");
  f.doc.Undo();
  EXPECT_EQ(f.French(f.prompt->m_prompt), nullptr);
  EXPECT_EQ(f.Saved("undone.tvl"), before);
  EXPECT_EQ(f.view()->CurrentColumn(), 3);
}
