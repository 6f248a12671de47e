// The tracker on its own: where its handles lie at each zoom, what the mouse hits, its
// cursors, and a rubber band held to its bounds.
#include "ui/views/RectTracker.h"

#include <gtest/gtest.h>

TEST(RectTracker, HandlesLieOutsideTheRectangleAtEveryZoom) {
  for (int zoom : {100, 150, 200}) {
    CMyRectTracker t;
    t.SetView({6, 6}, zoom);
    t.SetRect(QRect(20, 10, 40, 20));
    t.SetMask(255);
    const QRect shown = t.ToView(t.Rect());
    EXPECT_EQ(shown.topLeft(), QPoint(6 + 20 * zoom / 100, 6 + 10 * zoom / 100)) << zoom;
    EXPECT_EQ(shown.width(), 40 * zoom / 100) << zoom;
    EXPECT_EQ(t.HandleRect(tvl::kHandleTopLeft), QRect(shown.left() - 6, shown.top() - 6, 6, 6)) << zoom;
    EXPECT_EQ(t.HandleRect(tvl::kHandleBottomRight).topLeft(), shown.bottomRight() + QPoint(1, 1)) << zoom;
    for (int h = 0; h < 8; ++h) {
      EXPECT_FALSE(t.HandleRect(h).intersects(shown)) << h;
      EXPECT_EQ(t.HitTest(t.HandleRect(h).center()), h) << h;
    }
    EXPECT_EQ(t.HitTest(shown.center()), tvl::kHandleMiddle);
    EXPECT_EQ(t.HitTest(shown.topLeft() - QPoint(20, 20)), tvl::kHandleNone);
    // A point of the view maps back into the preview's pixels.
    EXPECT_EQ(t.ToPreview(shown.topLeft()), QPoint(20, 10)) << zoom;
  }
}

TEST(RectTracker, MaskHidesHandlesAndCursorsFollowTheHandle) {
  CMyRectTracker t;
  t.SetView({0, 0}, 100);
  t.SetRect(QRect(20, 20, 40, 20));
  t.SetMask(160);  // left and right only
  EXPECT_EQ(t.HitTest(t.HandleRect(tvl::kHandleLeft).center()), tvl::kHandleLeft);
  EXPECT_EQ(t.HitTest(t.HandleRect(tvl::kHandleTop).center()), tvl::kHandleNone);
  t.SetMask(0);
  EXPECT_EQ(t.HitTest(t.HandleRect(tvl::kHandleRight).center()), tvl::kHandleNone);
  EXPECT_EQ(CMyRectTracker::CursorFor(tvl::kHandleLeft), Qt::SizeHorCursor);
  EXPECT_EQ(CMyRectTracker::CursorFor(tvl::kHandleBottom), Qt::SizeVerCursor);
  EXPECT_EQ(CMyRectTracker::CursorFor(tvl::kHandleTopLeft), Qt::SizeFDiagCursor);
  EXPECT_EQ(CMyRectTracker::CursorFor(tvl::kHandleBottomLeft), Qt::SizeBDiagCursor);
  EXPECT_EQ(CMyRectTracker::CursorFor(tvl::kHandleMiddle), Qt::SizeAllCursor);
}

TEST(RectTracker, RubberBandStaysInItsBoundsAndScalesWithTheZoom) {
  CMyRectTracker t;
  t.SetView({0, 0}, 200);
  t.SetRect(QRect(20, 20, 40, 20));
  t.SetMask(255);
  const QPoint from = t.ToView(t.Rect()).center();
  t.Begin(tvl::kHandleMiddle, from, {0, 0, 100, 100}, tvl::TrackKind::Move);
  t.TrackTo(from + QPoint(20, 10));  // 10 and 5 preview pixels at 200 %
  EXPECT_EQ(t.Tracked(), QRect(30, 25, 40, 20));
  t.TrackTo(from + QPoint(400, 0));
  EXPECT_EQ(t.Tracked(), QRect(60, 20, 40, 20));  // its right edge on the bound
  EXPECT_EQ(t.End(), QRect(60, 20, 40, 20));
  EXPECT_FALSE(t.IsTracking());
  EXPECT_EQ(t.Rect(), QRect(20, 20, 40, 20));  // until the view places it again

  t.SetView({0, 0}, 100);
  t.Begin(tvl::kHandleRight, t.HandleRect(tvl::kHandleRight).center(), {20, 20, 90, 40}, tvl::TrackKind::ResizeControl);
  t.TrackTo(t.HandleRect(tvl::kHandleRight).center() + QPoint(500, 0));
  EXPECT_EQ(t.Tracked(), QRect(20, 20, 70, 20));
}
