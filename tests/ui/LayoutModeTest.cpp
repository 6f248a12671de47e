// The dialog view in layout mode, driven with real key and mouse events: handles, limits,
// undo steps, the command's state, and what a move does to the stored and the built files.
#include <gtest/gtest.h>

#include <QTest>
#include <cmath>
#include <fstream>
#include <iterator>

#include "UiTestSupport.h"
#include "formats/layout/DialogTemplate.h"
#include "formats/layout/ResDialog.h"
#include "peimage/PeImage.h"
#include "platform/Text.h"
#include "project/Module.h"
#include "ui/views/DialogPreview.h"
#include "ui/views/DialogView.h"
#include "ui/views/ProjectResView.h"
#include "ui/views/ResourceAndHeaderViews.h"
#include "ui/views/WndSizePos.h"
#include "workspace/CommandIds.h"

namespace {

constexpr LANGID kEnglish = 0x0409, kFrench = 0x040C;
// Controls of the classic dialog (240 x 180): the left-aligned label, the OK button at
// (183, 7, 50, 14) and the drop-down list (index 12) at (7, 110, 80, 60).
constexpr int kLabel = 0, kOk = 4, kCombo = 12;

CProjectNodeResource* FindDialogNode(CProjectNode* node, WORD ordinal) {
  if (auto* r = dynamic_cast<CProjectNodeResource*>(node)) {
    auto* d = dynamic_cast<CResDialog*>(r->GetResource());
    if (d && d->m_identifier.IsOrdinal() && d->m_identifier.m_ordinal == ordinal) return r;
  }
  for (const auto& c : node->m_children)
    if (auto* found = FindDialogNode(c.get(), ordinal)) return found;
  return nullptr;
}

// A language's own point, or null when it has none.
const CLocalizedPoint* Own(const CLocalizedPoint& head, LANGID language) {
  const CLocalizedParam* node = head.FindValue(language);
  return node && node != &head ? static_cast<const CLocalizedPoint*>(node) : nullptr;
}

std::vector<char> FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

class LayoutModeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(f.Open(project.Path()));
    f.SetLanguage(kFrench);
    node = FindDialogNode(f.frame->Tree()->Root(), 100);
    ASSERT_NE(node, nullptr);
    dialog = static_cast<CResDialog*>(node->GetResource());
  }
  // The aids outlive a view; the other tests start without them.
  void TearDown() override {
    if (auto* view = qobject_cast<CDialogView*>(f.frame->ResourcePane()->View())) {
      view->SetGrid(false);
      view->SetSnap(false);
    }
  }
  CDialogView* Show(bool layout = true) {
    f.Select(node);
    auto* view = qobject_cast<CDialogView*>(f.frame->ResourcePane()->View());
    if (!view) return nullptr;
    if (layout && !f.frame->IsLayoutMode()) f.frame->RunCommand(ID_LAYOUT_MODE);
    view->setFocus();
    return view;
  }
  void Keys(CDialogView* view, Qt::Key key, int times, Qt::KeyboardModifiers mods = {}) {
    for (int i = 0; i < times; ++i) QTest::keyClick(view, key, mods);
  }
  size_t Actions() { return f.doc.GetUndoList().GetCount(); }
  // Drags from a point of the view's surface by (dx, dy) pixels.
  void Drag(CDialogView* view, QPoint from, QPoint by, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QWidget* surface = view->widget();
    QTest::mousePress(surface, Qt::LeftButton, {}, from);
    QMouseEvent move(QEvent::MouseMove, QPointF(from + by), surface->mapToGlobal(QPointF(from + by)), Qt::NoButton,
                     Qt::LeftButton, mods);
    QApplication::sendEvent(surface, &move);
    QTest::mouseRelease(surface, Qt::LeftButton, {}, from + by);
  }
  QPoint Center(CDialogView* view, int index) {
    return view->Tracker().ToView(view->Preview()->Control(index)->geometry()).center();
  }

  CFrameFixture f;
  CProjectFile project;
  CProjectNodeResource* node = nullptr;
  CResDialog* dialog = nullptr;
};

}  // namespace

TEST_F(LayoutModeTest, CommandNeedsADialogViewAndATranslation) {
  QAction* command = f.frame->Action(ID_LAYOUT_MODE);
  EXPECT_FALSE(command->isEnabled());  // no dialog shown yet
  CDialogView* view = Show(false);
  ASSERT_NE(view, nullptr);
  ASSERT_TRUE(command->isEnabled());
  view->Select({kOk, -1});
  EXPECT_EQ(view->Tracker().Mask(), 0);
  f.frame->RunCommand(ID_LAYOUT_MODE);
  EXPECT_TRUE(command->isChecked());
  EXPECT_TRUE(view->InLayoutMode());
  EXPECT_EQ(view->Tracker().Mask(), 255);
  ASSERT_NE(f.frame->SizePos(), nullptr);
  EXPECT_FALSE(f.frame->SizePos()->isHidden());
  EXPECT_EQ(f.frame->SizePos()->PositionText(), QStringLiteral("  183, 7"));
  EXPECT_EQ(f.frame->SizePos()->SizeText(), QStringLiteral("  50 x 14"));
  // The source language switches it off and disables it.
  f.SetLanguage(kEnglish);
  EXPECT_FALSE(command->isChecked());
  EXPECT_FALSE(command->isEnabled());
  EXPECT_TRUE(f.frame->SizePos()->isHidden());
  view = qobject_cast<CDialogView*>(f.frame->ResourcePane()->View());
  ASSERT_NE(view, nullptr);
  EXPECT_FALSE(view->InLayoutMode());
}

TEST_F(LayoutModeTest, HandlesOfTheDialogAComboBoxAndOtherControls) {
  CDialogView* view = Show();
  ASSERT_NE(view, nullptr);
  view->Select({-1, -1});
  EXPECT_EQ(view->Tracker().Mask(), 100);
  view->Select({kCombo, 0});
  EXPECT_EQ(view->Tracker().Mask(), 160);
  view->Select({kLabel, -1});
  EXPECT_EQ(view->Tracker().Mask(), 255);
  // Dragging the dialog's middle does not move it: it selects what lies under the mouse.
  view->Select({-1, -1});
  const QPoint empty = view->Tracker().ToView(QRect(QPoint(200, 160), QSize(1, 1))).topLeft();
  Drag(view, empty, {30, 30});
  EXPECT_EQ(Own(dialog->m_size, kFrench), nullptr);
  EXPECT_EQ(Actions(), 0u);
}

TEST_F(LayoutModeTest, DialogGrowsFromItsCornerHandleInItsOwnUnits) {
  CDialogView* view = Show();
  ASSERT_NE(view, nullptr);
  view->Select({-1, -1});
  const int baseX = view->Preview()->BaseUnitX(), baseY = view->Preview()->BaseUnitY();
  const QRect corner = view->Tracker().HandleRect(tvl::kHandleBottomRight);
  Drag(view, corner.center(), {30, 26});
  const CLocalizedPoint* size = Own(dialog->m_size, kFrench);
  ASSERT_NE(size, nullptr);
  EXPECT_EQ(size->m_x, 240 + static_cast<int>(std::lround(30 * 4.0 / baseX)));
  EXPECT_EQ(size->m_y, 180 + static_cast<int>(std::lround(26 * 8.0 / baseY)));
  EXPECT_EQ(size->m_status, 1);
  EXPECT_EQ(dialog->m_size.m_x, 240);  // the source is untouched
  EXPECT_EQ(Actions(), 1u);
  // Dragging it far inwards stops at the controls' edges: OK's right edge at 233, the lower
  // combo box's bottom at 195 (now inside the taller dialog).
  const int height = size->m_y;
  ASSERT_EQ(view->SelectedIndex(), -1);
  Drag(view, view->Tracker().HandleRect(tvl::kHandleBottomRight).center(), {-1000, -1000});
  size = Own(dialog->m_size, kFrench);
  ASSERT_NE(size, nullptr);
  EXPECT_EQ(size->m_x, 233);
  EXPECT_EQ(size->m_y, std::min(195, height));
  EXPECT_EQ(Actions(), 2u);
}

TEST_F(LayoutModeTest, ArrowRunsUndoAsOneStepPerKind) {
  CDialogView* view = Show();
  ASSERT_NE(view, nullptr);
  view->Select({kOk, -1});
  Keys(view, Qt::Key_Left, 10);
  EXPECT_EQ(Actions(), 1u);
  Keys(view, Qt::Key_Up, 1);
  EXPECT_EQ(Actions(), 2u);
  const CLocalizedPoint* pos = Own(dialog->m_items[kOk]->m_pos, kFrench);
  ASSERT_NE(pos, nullptr);
  EXPECT_EQ(pos->m_x, 173);
  EXPECT_EQ(pos->m_y, 6);
  EXPECT_EQ(f.frame->SizePos()->PositionText(), QStringLiteral("  173, 6"));
  // The live button moved with the keys.
  EXPECT_EQ(view->Preview()->Control(kOk)->geometry(), view->Preview()->ToPixels({173, 6, 223, 20}));
  f.frame->RunCommand(ID_EDIT_UNDO);
  pos = Own(dialog->m_items[kOk]->m_pos, kFrench);
  ASSERT_NE(pos, nullptr);
  EXPECT_EQ(pos->m_y, 7);
  EXPECT_EQ(pos->m_x, 173);
  f.frame->RunCommand(ID_EDIT_UNDO);
  EXPECT_EQ(Own(dialog->m_items[kOk]->m_pos, kFrench), nullptr);
  view = qobject_cast<CDialogView*>(f.frame->ResourcePane()->View());
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view->SelectedIndex(), kOk);
  EXPECT_EQ(view->Preview()->Control(kOk)->geometry(), view->Preview()->ToPixels({183, 7, 233, 21}));
}

TEST_F(LayoutModeTest, KeyLimitsBeepAndRecordNothing) {
  dialog->m_items[kLabel]->m_size.m_x = 4;  // the label is 4 units wide
  CDialogView* view = Show();
  ASSERT_NE(view, nullptr);
  view->Select({kLabel, -1});
  Keys(view, Qt::Key_Left, 1, Qt::ShiftModifier);
  EXPECT_EQ(view->BeepCount(), 1);
  EXPECT_EQ(Actions(), 0u);
  EXPECT_EQ(Own(dialog->m_items[kLabel]->m_size, kFrench), nullptr);

  // Moving right stops with the right edge on the dialog's width (233 + 7 = 240).
  view->Select({kOk, -1});
  Keys(view, Qt::Key_Right, 7);
  EXPECT_EQ(view->BeepCount(), 1);
  Keys(view, Qt::Key_Right, 1);
  EXPECT_EQ(view->BeepCount(), 2);
  EXPECT_EQ(Own(dialog->m_items[kOk]->m_pos, kFrench)->m_x, 190);
  // Widening stops one unit earlier.
  Keys(view, Qt::Key_Left, 7);
  Keys(view, Qt::Key_Right, 6, Qt::ShiftModifier);
  EXPECT_EQ(view->BeepCount(), 2);
  Keys(view, Qt::Key_Right, 1, Qt::ShiftModifier);
  EXPECT_EQ(view->BeepCount(), 3);
  EXPECT_EQ(Own(dialog->m_items[kOk]->m_size, kFrench)->m_x, 56);

  // A combo box only widens.
  view->Select({kCombo, 0});
  Keys(view, Qt::Key_Down, 1, Qt::ShiftModifier);
  EXPECT_EQ(view->BeepCount(), 4);
  Keys(view, Qt::Key_Right, 1, Qt::ShiftModifier);
  EXPECT_EQ(Own(dialog->m_items[kCombo]->m_size, kFrench)->m_x, 81);
  EXPECT_EQ(Own(dialog->m_items[kCombo]->m_size, kFrench)->m_y, 60);

  // The dialog narrows down to its controls' right edge (the widened OK's 239), not further.
  view->Select({-1, -1});
  Keys(view, Qt::Key_Left, 1, Qt::ShiftModifier);
  EXPECT_EQ(view->BeepCount(), 4);
  Keys(view, Qt::Key_Left, 1, Qt::ShiftModifier);
  EXPECT_EQ(view->BeepCount(), 5);
  EXPECT_EQ(Own(dialog->m_size, kFrench)->m_x, 239);
  EXPECT_EQ(view->SelectedIndex(), -1);
}

TEST_F(LayoutModeTest, ComboBoxDragsOnlySideways) {
  CDialogView* view = Show();
  ASSERT_NE(view, nullptr);
  view->Select({kCombo, 0});
  // No bottom handle to catch.
  EXPECT_EQ(view->Tracker().HitTest(view->Tracker().HandleRect(tvl::kHandleBottom).center()), tvl::kHandleNone);
  Drag(view, view->Tracker().HandleRect(tvl::kHandleRight).center(), {15, 40});
  const CLocalizedPoint* size = Own(dialog->m_items[kCombo]->m_size, kFrench);
  ASSERT_NE(size, nullptr);
  EXPECT_EQ(size->m_y, 60);  // the template's height stays
  EXPECT_GT(size->m_x, 80);
  EXPECT_EQ(Own(dialog->m_items[kCombo]->m_pos, kFrench), nullptr);
}

TEST_F(LayoutModeTest, DeleteRemovesTheLayoutOnlyOfATranslatedControl) {
  CDialogView* view = Show();
  ASSERT_NE(view, nullptr);
  view->Select({kOk, -1});
  Keys(view, Qt::Key_Down, 2);
  Keys(view, Qt::Key_Right, 3, Qt::ShiftModifier);
  // No text translation: Delete does nothing, even with a layout translation.
  QTest::keyClick(view, Qt::Key_Delete);
  ASSERT_NE(Own(dialog->m_items[kOk]->m_pos, kFrench), nullptr);
  ASSERT_NE(Own(dialog->m_items[kOk]->m_size, kFrench), nullptr);
  dialog->m_items[kOk]->m_text.SetTranslation(u"Valider", kFrench);
  QTest::keyClick(view, Qt::Key_Delete);
  EXPECT_EQ(Own(dialog->m_items[kOk]->m_pos, kFrench), nullptr);
  EXPECT_EQ(Own(dialog->m_items[kOk]->m_size, kFrench), nullptr);
  EXPECT_EQ(dialog->m_items[kOk]->m_text.GetBuildText(kFrench), u"Valider");
  EXPECT_EQ(view->Preview()->Control(kOk)->geometry(), view->Preview()->ToPixels({183, 7, 233, 21}));
}

TEST_F(LayoutModeTest, DragIsOneUndoStepAndTheStoredProjectComesBackByteForByte) {
  CDialogView* view = Show();
  ASSERT_NE(view, nullptr);
  const std::string path = tvl::ToUtf8(project.Path());
  ASSERT_TRUE(f.doc.OnSaveDocument(project.Path()));
  const std::vector<char> before = FileBytes(path);
  view->Select({kOk, -1});
  const int baseX = view->Preview()->BaseUnitX();
  // A collapsed drag is ignored: the left edge dragged onto the right one.
  const QRect ok = view->Tracker().Rect();
  Drag(view, view->Tracker().HandleRect(tvl::kHandleLeft).center(), {ok.width(), 0});
  EXPECT_EQ(Actions(), 0u);
  // A drag of the middle moves the button by whole units.
  Drag(view, Center(view, kOk), {-3 * baseX, 0});
  EXPECT_EQ(Actions(), 1u);
  const CLocalizedPoint* pos = Own(dialog->m_items[kOk]->m_pos, kFrench);
  ASSERT_NE(pos, nullptr);
  EXPECT_EQ(pos->m_x, 183 - 12);
  EXPECT_EQ(pos->m_y, 7);
  EXPECT_EQ(Own(dialog->m_items[kOk]->m_size, kFrench), nullptr);  // the size did not change
  ASSERT_TRUE(f.doc.OnSaveDocument(project.Path()));
  const std::vector<char> moved = FileBytes(path);
  EXPECT_NE(moved, before);

  f.frame->RunCommand(ID_EDIT_UNDO);
  EXPECT_EQ(Own(dialog->m_items[kOk]->m_pos, kFrench), nullptr);
  ASSERT_TRUE(f.doc.OnSaveDocument(project.Path()));
  EXPECT_EQ(FileBytes(path), before);

  // Redone, the move reaches the built French target; German keeps the source's place.
  f.frame->RunCommand(ID_EDIT_REDO);
  ASSERT_NE(Own(dialog->m_items[kOk]->m_pos, kFrench), nullptr);
  CModule* module = f.doc.m_modules[0].get();
  CRecordingSink sink;
  const bool built = module->BuildLanguages({kFrench, 0x0407});
  ASSERT_TRUE(built) << (sink.messages.empty() ? std::string() : tvl::ToUtf8(sink.messages[0].text));
  for (auto [language, x] : {std::pair{kFrench, 171}, std::pair{LANGID{0x0407}, 183}}) {
    CPeImage target;
    const std::string name = project.dir.file(language == kFrench ? "AppFRA.exe" : "AppDEU.exe");
    ASSERT_TRUE(target.LoadFile(name)) << name;
    const CPeResource* r = target.FindResourceEx(CResName(WORD{5}), CResName(WORD{100}), language);
    ASSERT_NE(r, nullptr);
    auto data = target.GetData(*r);
    CDialogTemplate t = CDialogTemplate::Parse(std::vector<BYTE>(data.begin(), data.end()));
    ASSERT_GT(t.controls.size(), static_cast<size_t>(kOk));
    EXPECT_EQ(t.controls[kOk].rect.left, x) << language;
  }
}

TEST_F(LayoutModeTest, DragsSnapToNeighboursUnlessAltIsHeldAndTheGridIsDrawn) {
  CDialogView* view = Show();
  ASSERT_NE(view, nullptr);
  EXPECT_FALSE(view->HasSnap());  // off by default
  f.frame->RunCommand(ID_VIEW_LAYOUT_SNAP);
  EXPECT_TRUE(view->HasSnap());
  EXPECT_TRUE(f.frame->Action(ID_VIEW_LAYOUT_SNAP)->isChecked());
  view->Select({kOk, -1});
  // Two pixels off Cancel's left edge (the same as OK's) snap back: nothing changes.
  Drag(view, Center(view, kOk), {-2, 0});
  EXPECT_EQ(Actions(), 0u);
  Drag(view, Center(view, kOk), {-2, 0}, Qt::AltModifier);
  EXPECT_EQ(Actions(), 1u);
  ASSERT_NE(Own(dialog->m_items[kOk]->m_pos, kFrench), nullptr);
  EXPECT_EQ(Own(dialog->m_items[kOk]->m_pos, kFrench)->m_x, 182);

  // The grid's dots lie every five dialog units of the client area.
  CDialogPreview* preview = view->Preview();
  const QPoint dot = preview->pos() + preview->ClientOrigin() +
                     QPoint(tvl::MulDiv(5, preview->BaseUnitX(), 4), tvl::MulDiv(10, preview->BaseUnitY(), 8));
  EXPECT_NE(view->widget()->grab().toImage().pixelColor(dot), QColor(0x80, 0x80, 0x80));
  f.frame->RunCommand(ID_VIEW_LAYOUT_GRID);
  EXPECT_TRUE(f.frame->Action(ID_VIEW_LAYOUT_GRID)->isChecked());
  EXPECT_EQ(view->widget()->grab().toImage().pixelColor(dot), QColor(0x80, 0x80, 0x80));
  // The next dialog keeps both.
  f.Select(FindDialogNode(f.frame->Tree()->Root(), 101));
  view = qobject_cast<CDialogView*>(f.frame->ResourcePane()->View());
  ASSERT_NE(view, nullptr);
  EXPECT_TRUE(view->HasGrid());
  EXPECT_TRUE(view->HasSnap());
}
