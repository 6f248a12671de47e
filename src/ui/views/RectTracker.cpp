#include "ui/views/RectTracker.h"

#include <QPainter>

using tvl::ui::ToQRect;
using tvl::ui::ToUnitsRect;

void CMyRectTracker::SetView(QPoint origin, int zoom) {
  m_origin = origin;
  m_zoom = zoom > 0 ? zoom : 100;
}

QRect CMyRectTracker::ToView(const QRect& r) const {
  if (r.isNull()) return {};
  const int left = r.left() * m_zoom / 100, top = r.top() * m_zoom / 100;
  const int right = (r.right() + 1) * m_zoom / 100, bottom = (r.bottom() + 1) * m_zoom / 100;
  return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)).translated(m_origin);
}

QPoint CMyRectTracker::ToPreview(QPoint p) const {
  const QPoint d = p - m_origin;
  // Rounded toward minus infinity, so a point left of the preview stays left of it.
  auto down = [this](int v) { return v >= 0 ? v * 100 / m_zoom : -((-v * 100 + m_zoom - 1) / m_zoom); };
  return {down(d.x()), down(d.y())};
}

QRect CMyRectTracker::HandleRect(int handle) const {
  const QRect r = ToView(m_tracking ? m_tracked : m_rect);
  if (r.isNull()) return {};
  const int s = kHandleSize;
  // Drawn outside the rectangle.
  const int left = r.left() - s, right = r.right() + 1, top = r.top() - s, bottom = r.bottom() + 1;
  const int cx = r.center().x() - s / 2, cy = r.center().y() - s / 2;
  switch (handle) {
    case tvl::kHandleTopLeft: return {left, top, s, s};
    case tvl::kHandleTopRight: return {right, top, s, s};
    case tvl::kHandleBottomRight: return {right, bottom, s, s};
    case tvl::kHandleBottomLeft: return {left, bottom, s, s};
    case tvl::kHandleTop: return {cx, top, s, s};
    case tvl::kHandleRight: return {right, cy, s, s};
    case tvl::kHandleBottom: return {cx, bottom, s, s};
    case tvl::kHandleLeft: return {left, cy, s, s};
    default: return {};
  }
}

int CMyRectTracker::HitTest(QPoint p) const {
  for (int h = 0; h < 8; ++h)
    if (tvl::HandleShown(m_mask, h) && HandleRect(h).contains(p)) return h;
  return ToView(m_rect).contains(p) ? tvl::kHandleMiddle : tvl::kHandleNone;
}

Qt::CursorShape CMyRectTracker::CursorFor(int handle) {
  switch (handle) {
    case tvl::kHandleTopLeft: case tvl::kHandleBottomRight: return Qt::SizeFDiagCursor;
    case tvl::kHandleTopRight: case tvl::kHandleBottomLeft: return Qt::SizeBDiagCursor;
    case tvl::kHandleTop: case tvl::kHandleBottom: return Qt::SizeVerCursor;
    case tvl::kHandleLeft: case tvl::kHandleRight: return Qt::SizeHorCursor;
    case tvl::kHandleMiddle: return Qt::SizeAllCursor;
    default: return Qt::ArrowCursor;
  }
}

void CMyRectTracker::Draw(QPainter& p) const {
  const QRect r = ToView(m_tracking ? m_tracked : m_rect);
  if (r.isNull()) return;
  p.save();
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(Qt::black, 1, Qt::DotLine));
  p.drawRect(r.adjusted(-1, -1, 0, 0));
  for (int h = 0; h < 8; ++h) {
    if (!tvl::HandleShown(m_mask, h)) continue;
    const QRect handle = HandleRect(h);
    p.fillRect(handle, Qt::black);
    p.setPen(Qt::white);
    p.drawRect(handle.adjusted(0, 0, -1, -1));
  }
  p.restore();
}

void CMyRectTracker::Begin(int handle, QPoint viewPoint, const tvl::Rect& bounds, tvl::TrackKind kind) {
  m_tracking = true;
  m_handle = handle;
  m_start = viewPoint;
  m_startRect = ToUnitsRect(m_rect);
  m_bounds = bounds;
  m_kind = kind;
  m_tracked = m_rect;
}

void CMyRectTracker::TrackTo(QPoint viewPoint) {
  if (!m_tracking) return;
  const QPoint d = viewPoint - m_start;
  const tvl::Rect dragged = tvl::DragRect(m_startRect, m_handle, d.x() * 100 / m_zoom, d.y() * 100 / m_zoom);
  m_tracked = ToQRect(tvl::AdjustTracked(dragged, m_bounds, m_kind));
}

void CMyRectTracker::SetTracked(const tvl::Rect& r) {
  if (m_tracking) m_tracked = ToQRect(tvl::AdjustTracked(r, m_bounds, m_kind));
}

QRect CMyRectTracker::End() {
  m_tracking = false;
  return m_tracked;
}
