#include <gtest/gtest.h>

#include <QTest>

#include "ContentViewFixture.h"
#include "formats/layout/DlgInit.h"
#include "formats/layout/ResDialog.h"
#include "formats/text/ResStringTable.h"
#include "ui/views/ImageStrip.h"
#include "ui/views/ProgressStatus.h"
#include "ui/views/StringTableView.h"
#include "workspace/CommandIds.h"

using tvl::ui::TreeMark;

namespace {

QImage Image(const QIcon& icon, QSize size) { return icon.pixmap(size).toImage(); }

constexpr LANGID kFrench = CContentViewFixture::kFrench;
constexpr QSize kTreeSize(tvl::ui::kTreeImageWidth, tvl::ui::kTreeImageHeight);

// Dialog 100 open in French.
struct ProgressFixture : CContentViewFixture {
  ProgressFixture() {
    dialog = SelectByText<CResDialog>(u"5", u"100");
    EXPECT_NE(dialog, nullptr);
    node = frame->Tree()->Root()->FindNode(dialog);
  }
  QTreeWidgetItem* Item(const CProjectNode* n) const { return CProjectResView::ItemOf(n); }
  // Whether the node's item shows its image with the mark.
  bool Shows(const CProjectNode* n, TreeMark mark) const {
    return Image(Item(n)->icon(0), kTreeSize) == Image(tvl::ui::TreeIcon(n->m_image, mark, n->m_notTranslatable), kTreeSize);
  }
  QString Tip(const CProjectNode* n) const { return Item(n)->toolTip(0); }
  CResDialog* dialog = nullptr;
  CProjectNode* node = nullptr;
};

}  // namespace

TEST(TreeProgress, EveryMarkLooksDifferent) {
  const TreeMark marks[] = {TreeMark::None, TreeMark::Untranslated, TreeMark::Partial, TreeMark::OutOfDate,
                            TreeMark::Translated};
  for (TreeMark a : marks)
    for (TreeMark b : marks)
      if (a != b) {
        EXPECT_NE(Image(tvl::ui::TreeIcon(tvl::ui::kImageDialog, a, false), kTreeSize),
                  Image(tvl::ui::TreeIcon(tvl::ui::kImageDialog, b, false), kTreeSize));
      }
  EXPECT_NE(Image(tvl::ui::OutOfDateIcon(), QSize(16, 16)), Image(tvl::ui::StatusIcon(0), QSize(16, 16)));
}

TEST(TreeProgress, ImagesAndTooltipsFollowCommitsUndoAndTheLanguage) {
  ProgressFixture f;
  ASSERT_NE(f.node, nullptr);
  CProjectNode* module = f.node->m_parent->m_parent;
  const int total = f.node->m_progress.total;
  ASSERT_GE(total, 3);
  EXPECT_TRUE(f.Shows(f.node, TreeMark::Untranslated));
  EXPECT_TRUE(f.Tip(f.node).startsWith(QStringLiteral("100\n0 / %1 translated").arg(total))) << f.Tip(f.node).toStdString();

  f.TypeAndCommit(QStringLiteral("Bonjour"));
  EXPECT_TRUE(f.Shows(f.node, TreeMark::Partial));
  EXPECT_TRUE(f.Shows(module, TreeMark::Partial));
  EXPECT_TRUE(f.Shows(f.frame->Tree()->Root(), TreeMark::Partial));
  EXPECT_TRUE(f.Tip(f.node).contains(QStringLiteral("1 / %1 translated").arg(total)));
  f.frame->RunCommand(ID_EDIT_UNDO);
  EXPECT_TRUE(f.Shows(f.node, TreeMark::Untranslated));
  EXPECT_TRUE(f.Shows(module, TreeMark::Untranslated));

  // Out of date: translated before the source changed.
  f.dialog->m_caption.SetTranslation(u"Titre", kFrench);
  f.dialog->m_caption.SetStatus(kFrench, 0);
  f.doc.UpdateAllViews(HintRefreshAll);
  EXPECT_TRUE(f.Shows(f.node, TreeMark::OutOfDate));
  EXPECT_TRUE(f.Tip(f.node).contains(QStringLiteral(", 1 out of date")));

  // Every text translated.
  for (const auto& control : f.dialog->m_items) control->m_text.SetTranslation(u"Fait", kFrench);
  f.dialog->m_caption.SetTranslation(u"Titre", kFrench);
  for (const auto& entry : f.dialog->m_dlgInit)
    if (CLocalizedString* text = entry->GetText()) text->SetTranslation(u"Fait", kFrench);
  f.dialog->UpdateStatus(kFrench);
  f.doc.UpdateAllViews(HintResourceStatusChanged, f.dialog);
  EXPECT_TRUE(f.Shows(f.node, TreeMark::Translated));
  EXPECT_TRUE(f.Shows(module, TreeMark::Partial));

  // The source language has no marks and no counts.
  f.SetLanguage(0x0409);
  EXPECT_TRUE(f.Shows(f.node, TreeMark::None));
  EXPECT_EQ(f.Tip(f.node), QStringLiteral("100"));
}

TEST(TreeProgress, ListsShowOutOfDateTranslationsApart) {
  ProgressFixture f;
  CResStringTable& strings = f.module->m_resTable.m_stringTable;
  strings.FindString(1)->m_value.SetTranslation(u"Un", kFrench);
  strings.FindString(2)->m_value.SetTranslation(u"Deux", kFrench);
  strings.FindString(2)->m_value.SetStatus(kFrench, 0);
  f.doc.UpdateAllViews(HintRefreshAll);
  f.Select(f.FindNode(u"String Table"));
  CStringTableView* view = f.StringView();
  ASSERT_NE(view, nullptr);
  auto icon = [&](DWORD id) {
    return Image(qvariant_cast<QIcon>(view->Model()->index(view->RowOfId(id), 0).data(Qt::DecorationRole)), QSize(16, 16));
  };
  EXPECT_EQ(icon(1), Image(tvl::ui::StatusIcon(1), QSize(16, 16)));
  EXPECT_EQ(icon(2), Image(tvl::ui::OutOfDateIcon(), QSize(16, 16)));
  EXPECT_EQ(icon(15), Image(tvl::ui::StatusIcon(0), QSize(16, 16)));
  CProjectNode* table = f.FindNode(u"String Table");
  EXPECT_TRUE(f.Shows(table, TreeMark::OutOfDate));
}
