// The dialog view in layout mode: the tracker's handles, dragging and key steps that store
// a control's place and size (or the dialog's size) for the shown language with an undo
// action, and the zoom, grid and snapping aids.
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPainter>

#include "formats/layout/ResDialog.h"
#include "project/TvlDoc.h"
#include "project/Undo.h"
#include "ui/MainWindow.h"
#include "ui/views/DialogPreview.h"
#include "ui/views/DialogView.h"
#include "ui/views/WndSizePos.h"

using tvl::ui::ToQRect;
using tvl::ui::ToUnitsRect;

namespace {

// Grid spacing in dialog units, and how near (pixels) an edge must come to snap.
constexpr int kGridUnits = 5;
constexpr int kSnapReach = 4;

// Keeps the language's current point (or the source when it has none) in an undo action.
void RecordPoint(CLocalizedPoint& head, LANGID language, BYTE& noValue, int& status, int& a, int& b) {
  auto* node = static_cast<CLocalizedPoint*>(head.FindValue(language));
  const bool has = node && node != &head;
  const CLocalizedPoint* current = has ? node : &head;
  a = current->m_x;
  b = current->m_y;
  status = has ? node->m_status : 0;
  noValue = has ? 0 : 1;
}

bool HasOwnValue(CLocalizedPoint& head, LANGID language) {
  const CLocalizedParam* node = head.FindValue(language);
  return node && node != &head;
}

}  // namespace

bool CDialogView::InLayoutMode() const {
  return m_frame && m_frame->IsLayoutMode() && m_language != m_document.m_sourceLanguage.GetLanguage();
}

QRect CDialogView::ShownRect(int index) const {
  if (!m_preview || index == -2) return {};
  if (index == -1) return QRect(QPoint(0, 0), m_preview->size());
  CPreviewControl* c = m_preview->Control(index);
  return c ? c->geometry() : QRect();
}

tvl::Rect CDialogView::UnitRect(int index) const {
  if (index < 0) {
    const tvl::CUnitSize size = DialogSize();
    return {0, 0, size.cx, size.cy};
  }
  return m_dialog->m_items[static_cast<size_t>(index)]->GetItemRect(m_language, m_context.get());
}

tvl::CUnitSize CDialogView::DialogSize() const {
  const CLocalizedPoint& size = EffectivePoint(m_dialog->m_size, m_language);
  return {size.m_x, size.m_y};
}

tvl::CUnitSize CDialogView::DialogMinimumSize() const {
  std::vector<tvl::Rect> controls;
  for (size_t i = 0; i < m_dialog->m_items.size(); ++i) controls.push_back(UnitRect(static_cast<int>(i)));
  const tvl::CUnitSize size = DialogSize();
  return tvl::DialogMinimum(controls, size.cx, size.cy);
}

void CDialogView::ApplyTracker() {
  const int index = m_selected.index;
  const CPreviewControl* c = m_preview ? m_preview->Control(index) : nullptr;
  const bool combo = c && c->Kind() == PreviewKind::ComboBox;
  m_tracker.SetMask(index == -2 ? 0 : tvl::HandleMask(InLayoutMode(), index, combo));
  m_tracker.SetRect(ShownRect(index));
  UpdateReadout();
}

void CDialogView::UpdateReadout() {
  CWndSizePos* readout = m_frame ? m_frame->SizePos() : nullptr;
  if (!readout || !InLayoutMode() || m_selected.index == -2) return;
  if (m_selected.index == -1) {
    const tvl::CUnitSize size = DialogSize();
    readout->SetValues(m_dialog->m_x, m_dialog->m_y, size.cx, size.cy);
    return;
  }
  const tvl::Rect r = UnitRect(m_selected.index);
  readout->SetValues(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

Qt::CursorShape CDialogView::CursorAt(QPoint viewPoint) const {
  if (!InLayoutMode() || m_selected.index == -2) return Qt::ArrowCursor;
  const int handle = m_tracker.HitTest(viewPoint);
  // The dialog's middle does not move.
  if (handle == tvl::kHandleMiddle && m_selected.index == -1) return Qt::ArrowCursor;
  return CMyRectTracker::CursorFor(handle);
}

bool CDialogView::StartTracking(QPoint viewPoint) {
  if (!m_preview || !InLayoutMode() || m_selected.index == -2) return false;
  const int index = m_selected.index;
  const int handle = m_tracker.HitTest(viewPoint);
  if (handle == tvl::kHandleNone || (handle == tvl::kHandleMiddle && index == -1)) return false;
  const tvl::CDialogFrame& frame = m_preview->Frame();
  const QSize nonClient(2 * frame.border, 2 * frame.border + frame.caption);
  if (index == -1) {
    const tvl::CUnitSize least = DialogMinimumSize();
    const tvl::Rect bounds{0, 0, nonClient.width() + tvl::MulDiv(least.cx, m_preview->BaseUnitX(), 4),
                           nonClient.height() + tvl::MulDiv(least.cy, m_preview->BaseUnitY(), 8)};
    m_tracker.Begin(handle, viewPoint, bounds, tvl::TrackKind::ResizeDialog);
    return true;
  }
  const tvl::Rect client = ToUnitsRect(QRect(m_preview->ClientOrigin(), m_preview->size() - nonClient));
  const tvl::Rect control = ToUnitsRect(ShownRect(index));
  if (handle == tvl::kHandleMiddle)
    m_tracker.Begin(handle, viewPoint, tvl::MoveBounds(control, client), tvl::TrackKind::Move);
  else
    m_tracker.Begin(handle, viewPoint, tvl::ResizeBounds(control, client, handle), tvl::TrackKind::ResizeControl);
  return true;
}

bool CDialogView::SnapEdge(int edge, bool vertical, int& shift) const {
  std::vector<int> edges;
  for (int i = 0; i < m_preview->ControlCount(); ++i) {
    if (i == m_selected.index) continue;
    const QRect g = m_preview->Control(i)->geometry();
    edges.push_back(vertical ? g.top() : g.left());
    edges.push_back(vertical ? g.bottom() + 1 : g.right() + 1);
  }
  return tvl::SnapShift(edge, edges, kSnapReach, shift);
}

void CDialogView::TrackTo(QPoint viewPoint, Qt::KeyboardModifiers mods) {
  m_tracker.TrackTo(viewPoint);
  if (m_snap && !(mods & Qt::AltModifier) && m_selected.index >= 0) {
    tvl::Rect r = ToUnitsRect(m_tracker.Tracked());
    const int handle = m_tracker.TrackedHandle();
    if (handle == tvl::kHandleMiddle) {
      // The left (top) edge first; the right (bottom) one only when the first is near nothing.
      int dx = 0, dy = 0;
      if (!SnapEdge(r.left, false, dx)) SnapEdge(r.right, false, dx);
      if (!SnapEdge(r.top, true, dy)) SnapEdge(r.bottom, true, dy);
      r = {r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
    } else {
      const tvl::Rect start = ToUnitsRect(m_tracker.Rect());
      // Only the edges the handle drags.
      int d = 0;
      if (r.left != start.left && SnapEdge(r.left, false, d)) r.left += d;
      if (r.right != start.right && SnapEdge(r.right, false, d)) r.right += d;
      if (r.top != start.top && SnapEdge(r.top, true, d)) r.top += d;
      if (r.bottom != start.bottom && SnapEdge(r.bottom, true, d)) r.bottom += d;
    }
    m_tracker.SetTracked(r);
  }
  RepaintCanvas();
}

void CDialogView::FinishTracking() {
  const bool moving = m_tracker.TrackedHandle() == tvl::kHandleMiddle;
  const QRect before = m_tracker.Rect();
  const QRect tracked = m_tracker.End();
  if (tracked != before) {
    if (m_selected.index == -1)
      FinishDialogResize(tracked);
    else
      FinishControlTracking(tracked, moving);
  }
  ApplyTracker();
  RepaintCanvas();
}

void CDialogView::FinishDialogResize(const QRect& tracked) {
  const tvl::CDialogFrame& frame = m_preview->Frame();
  const int cx = tvl::PixelsToUnitsX(tracked.width() - 2 * frame.border, m_preview->BaseUnitX());
  const int cy = tvl::PixelsToUnitsY(tracked.height() - 2 * frame.border - frame.caption, m_preview->BaseUnitY());
  StorePlace(-1, UnitRect(-1), {0, 0, cx, cy}, false, 0);
}

void CDialogView::FinishControlTracking(const QRect& tracked, bool moving) {
  const int index = m_selected.index;
  const QPoint origin = m_preview->ClientOrigin();
  const tvl::Rect old = UnitRect(index);
  const tvl::Rect now =
      tvl::DraggedUnits(old, ToUnitsRect(ShownRect(index).translated(-origin)), ToUnitsRect(tracked.translated(-origin)),
                        moving, m_preview->BaseUnitX(), m_preview->BaseUnitY());
  // A drag that collapsed the control is a slip of the mouse.
  const bool collapsed =
      (now.right == now.left && old.right != old.left) || (now.bottom == now.top && old.bottom != old.top);
  if (now == old || collapsed) return;
  StorePlace(index, old, now, false, 0);
}

void CDialogView::StorePlace(int index, const tvl::Rect& before, const tvl::Rect& after, bool mergeable, BYTE kind) {
  const bool position = index >= 0 && (before.left != after.left || before.top != after.top);
  const bool size = before.right - before.left != after.right - after.left ||
                    before.bottom - before.top != after.bottom - after.top;
  if (!position && !size) return;
  CResDialogItem* item = index >= 0 ? m_dialog->m_items[static_cast<size_t>(index)].get() : nullptr;
  CLocalizedPoint& sizeHead = item ? item->m_size : m_dialog->m_size;
  auto action = std::make_unique<CUndoMoveSize>();
  action->m_object = m_dialog;
  action->m_language = m_language;
  action->m_controlIndex = index;
  action->m_mergeable = mergeable ? 1 : 0;
  action->m_mergeKind = kind;
  if (position) {
    action->m_positionHead = &item->m_pos;
    action->m_positionRecorded = 1;
    RecordPoint(item->m_pos, m_language, action->m_positionNoValue, action->m_positionStatus, action->m_x,
                action->m_y);
  }
  if (size) {
    action->m_sizeHead = &sizeHead;
    action->m_sizeRecorded = 1;
    RecordPoint(sizeHead, m_language, action->m_sizeNoValue, action->m_sizeStatus, action->m_cx, action->m_cy);
  }
  m_document.AddUndoAction(std::move(action));
  if (position) item->m_pos.SetPoint(m_language, after.left, after.top);
  if (size) sizeHead.SetPoint(m_language, after.right - after.left, after.bottom - after.top);
  m_document.SetModifiedFlag(true);
  Placed(index);
}

void CDialogView::Placed(int index) {
  if (index < 0) {
    Rebuild();  // the window's size comes from the template
  } else {
    m_preview->PlaceControl(index, UnitRect(index));
    ApplyTracker();
    RepaintCanvas();
  }
  if (m_frame) m_frame->UpdateCommandUi();
}

void CDialogView::LayoutKey(int key, bool resize) {
  const int index = m_selected.index;
  if (m_listEditor || index == -2 || !m_preview || m_tracker.IsTracking()) return;
  const tvl::StepKey step = key == Qt::Key_Left ? tvl::StepKey::Left
                            : key == Qt::Key_Up ? tvl::StepKey::Up
                            : key == Qt::Key_Right ? tvl::StepKey::Right
                                                   : tvl::StepKey::Down;
  const CPreviewControl* c = m_preview->Control(index);
  tvl::CStepLimits limits;
  limits.dialog = index == -1;
  limits.comboBox = c && c->Kind() == PreviewKind::ComboBox;
  const tvl::CUnitSize size = DialogSize();
  limits.width = size.cx;
  limits.height = size.cy;
  if (index == -1) limits.minimum = DialogMinimumSize();
  const tvl::Rect before = UnitRect(index);
  tvl::Rect after = before;
  if (!tvl::LayoutStep(after, step, resize, limits)) {
    Beep();
    return;
  }
  StorePlace(index, before, after, true, tvl::StepMergeKind(step));
}

void CDialogView::DeleteLayout() {
  const int index = m_selected.index;
  if (index < 0 || m_selected.string >= 0) return;
  CResDialogItem& item = *m_dialog->m_items[static_cast<size_t>(index)];
  const bool position = HasOwnValue(item.m_pos, m_language), size = HasOwnValue(item.m_size, m_language);
  if (!position && !size) return;
  // Kept undoable, as every other layout change.
  auto action = std::make_unique<CUndoMoveSize>();
  action->m_object = m_dialog;
  action->m_language = m_language;
  action->m_controlIndex = index;
  if (position) {
    action->m_positionHead = &item.m_pos;
    action->m_positionRecorded = 1;
    RecordPoint(item.m_pos, m_language, action->m_positionNoValue, action->m_positionStatus, action->m_x, action->m_y);
    item.m_pos.RemoveTranslation(m_language, true);
  }
  if (size) {
    action->m_sizeHead = &item.m_size;
    action->m_sizeRecorded = 1;
    RecordPoint(item.m_size, m_language, action->m_sizeNoValue, action->m_sizeStatus, action->m_cx, action->m_cy);
    item.m_size.RemoveTranslation(m_language, true);
  }
  m_document.AddUndoAction(std::move(action));
  m_document.SetModifiedFlag(true);
  Placed(index);
}

void CDialogView::Beep() {
  ++m_beeps;
  QApplication::beep();
}

// ---------------------------------------------------------------------------------------
// Zoom, grid and snapping

void CDialogView::SetZoom(int percent) {
  if (std::find(std::begin(kZooms), std::end(kZooms), percent) == std::end(kZooms)) return;
  s_zoom = m_zoom = percent;
  if (!m_preview) return;
  CloseListEditor();
  HoldPreview();
  ApplyTracker();
  RepaintCanvas();
}

bool CDialogView::ZoomKey(int key, Qt::KeyboardModifiers mods) {
  if (mods != Qt::ControlModifier && mods != (Qt::ControlModifier | Qt::ShiftModifier)) return false;
  const int* at = std::find(std::begin(kZooms), std::end(kZooms), m_zoom);
  if (key == Qt::Key_Plus || key == Qt::Key_Equal) {
    if (at + 1 < std::end(kZooms)) SetZoom(at[1]);
  } else if (key == Qt::Key_Minus) {
    if (at != std::begin(kZooms)) SetZoom(at[-1]);
  } else if (key == Qt::Key_0) {
    SetZoom(100);
  } else {
    return false;
  }
  return true;
}

void CDialogView::SetSnap(bool on) {
  s_snap = m_snap = on;
  if (m_frame) m_frame->UpdateCommandUi();
}

void CDialogView::SetGrid(bool on) {
  s_grid = m_grid = on;
  if (m_frame) m_frame->UpdateCommandUi();
  RepaintCanvas();
}

void CDialogView::PaintGrid(QPainter& p) const {
  const tvl::CUnitSize size = DialogSize();
  const QPoint origin = m_preview->ClientOrigin();
  p.save();
  p.setPen(QColor(0x80, 0x80, 0x80));
  for (int u = 0; u <= size.cx; u += kGridUnits) {
    for (int v = 0; v <= size.cy; v += kGridUnits) {
      const QPoint at(tvl::MulDiv(u, m_preview->BaseUnitX(), 4), tvl::MulDiv(v, m_preview->BaseUnitY(), 8));
      p.drawPoint(m_tracker.ToView(QRect(origin + at, QSize(1, 1))).topLeft());
    }
  }
  p.restore();
}

void CDialogView::contextMenuEvent(QContextMenuEvent* event) {
  QMenu menu(this);
  for (int zoom : kZooms) {
    QAction* a = menu.addAction(tr("Zoom %1 %").arg(zoom), this, [this, zoom] { SetZoom(zoom); });
    a->setCheckable(true);
    a->setChecked(zoom == m_zoom);
  }
  menu.addSeparator();
  QAction* grid = menu.addAction(tr("Layout &Grid"), this, [this] { SetGrid(!m_grid); });
  grid->setCheckable(true);
  grid->setChecked(m_grid);
  QAction* snap = menu.addAction(tr("&Snap to Neighbours"), this, [this] { SetSnap(!m_snap); });
  snap->setCheckable(true);
  snap->setChecked(m_snap);
  menu.exec(event->globalPos());
}
