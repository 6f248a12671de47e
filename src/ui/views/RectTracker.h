#pragma once
// The rectangle tracker drawn around the dialog view's selection: a dotted frame, and in
// layout mode the resize handles of its mask, each with its cursor. It also follows a drag
// (the rubber band), held to the bounds the drag started with.
#include <QCursor>
#include <QPoint>
#include <QRect>

#include "workspace/DialogLayoutRules.h"

class QPainter;

class CMyRectTracker {
 public:
  static constexpr int kHandleSize = 6;

  // The tracked rectangle is in preview pixels; the view shows the preview at `origin`,
  // scaled by `zoom` percent. Handles keep their size whatever the zoom.
  void SetView(QPoint origin, int zoom);
  void SetRect(const QRect& previewRect) { m_rect = previewRect; }
  const QRect& Rect() const { return m_rect; }
  void SetMask(int mask) { m_mask = mask; }
  int Mask() const { return m_mask; }

  // The handle under a point of the view (only shown handles), the middle inside the
  // rectangle, else none.
  int HitTest(QPoint viewPoint) const;
  static Qt::CursorShape CursorFor(int handle);
  // A handle's square in view coordinates.
  QRect HandleRect(int handle) const;
  QRect ToView(const QRect& previewRect) const;
  QPoint ToPreview(QPoint viewPoint) const;

  void Draw(QPainter& p) const;

  // Rubber-band tracking from a view point.
  void Begin(int handle, QPoint viewPoint, const tvl::Rect& bounds, tvl::TrackKind kind);
  void TrackTo(QPoint viewPoint);
  bool IsTracking() const { return m_tracking; }
  int TrackedHandle() const { return m_handle; }
  // The rectangle as tracked so far (preview pixels).
  const QRect& Tracked() const { return m_tracked; }
  // Puts the rubber band elsewhere (snapping), still held to the drag's bounds.
  void SetTracked(const tvl::Rect& r);
  // Stops tracking; the tracker keeps its rectangle until the view sets it again.
  QRect End();
  void Cancel() { m_tracking = false; }

 private:
  QRect m_rect;
  int m_mask = 0;
  QPoint m_origin;
  int m_zoom = 100;
  bool m_tracking = false;
  int m_handle = tvl::kHandleNone;
  QPoint m_start;
  tvl::Rect m_startRect;
  tvl::Rect m_bounds;
  tvl::TrackKind m_kind = tvl::TrackKind::Move;
  QRect m_tracked;
};

namespace tvl::ui {
inline tvl::Rect ToUnitsRect(const QRect& r) { return {r.left(), r.top(), r.right() + 1, r.bottom() + 1}; }
inline QRect ToQRect(const tvl::Rect& r) { return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top); }
}  // namespace tvl::ui
