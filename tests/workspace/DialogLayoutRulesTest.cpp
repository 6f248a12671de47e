#include "workspace/DialogLayoutRules.h"

#include <gtest/gtest.h>

using namespace tvl;

TEST(DialogLayoutRules, HandleMasks) {
  EXPECT_EQ(HandleMask(false, -1, false), 0);
  EXPECT_EQ(HandleMask(false, 3, false), 0);
  EXPECT_EQ(HandleMask(true, -1, false), 100);
  EXPECT_EQ(HandleMask(true, 2, true), 160);
  EXPECT_EQ(HandleMask(true, 2, false), 255);
  // The dialog: right, bottom and bottom-right only.
  std::vector<int> shown;
  for (int h = 0; h < 8; ++h)
    if (HandleShown(100, h)) shown.push_back(h);
  EXPECT_EQ(shown, (std::vector<int>{kHandleBottomRight, kHandleRight, kHandleBottom}));
  EXPECT_TRUE(HandleShown(160, kHandleLeft));
  EXPECT_FALSE(HandleShown(160, kHandleTop));
  EXPECT_FALSE(HandleShown(255, kHandleMiddle));
}

TEST(DialogLayoutRules, TrackedRectanglesStayInTheirBounds) {
  const Rect bounds{0, 0, 100, 80};
  struct Case {
    Rect in;
    TrackKind kind;
    Rect out;
  } cases[] = {
      {{-5, 10, 15, 30}, TrackKind::Move, {0, 10, 20, 30}},         // pushed back in on the left
      {{90, 70, 110, 90}, TrackKind::Move, {80, 60, 100, 80}},      // right and bottom on the bound
      {{10, 10, 30, 30}, TrackKind::Move, {10, 10, 30, 30}},
      {{0, 0, 50, 40}, TrackKind::ResizeDialog, {0, 0, 100, 80}},   // never below the minimum
      {{0, 0, 150, 120}, TrackKind::ResizeDialog, {0, 0, 150, 120}},
      {{0, 0, -900, -700}, TrackKind::ResizeDialog, {0, 0, 100, 80}},  // dragged past its origin
      {{-10, 5, 120, 90}, TrackKind::ResizeControl, {0, 5, 100, 80}},
      {{40, 30, 20, 10}, TrackKind::ResizeControl, {20, 10, 40, 30}},  // dragged over: normalized
  };
  for (const Case& c : cases) EXPECT_EQ(AdjustTracked(c.in, bounds, c.kind), c.out);
}

TEST(DialogLayoutRules, BoundsWidenOnlyTheDraggedSides) {
  const Rect control{10, 10, 30, 20}, client{0, 0, 100, 80};
  EXPECT_EQ(MoveBounds(control, client), client);
  EXPECT_EQ(MoveBounds({90, 70, 120, 90}, client), (Rect{0, 0, 120, 90}));
  EXPECT_EQ(ResizeBounds(control, client, kHandleRight), (Rect{10, 10, 100, 20}));
  EXPECT_EQ(ResizeBounds(control, client, kHandleTopLeft), (Rect{0, 0, 30, 20}));
  EXPECT_EQ(ResizeBounds(control, client, kHandleBottom), (Rect{10, 10, 30, 80}));
  EXPECT_EQ(DragRect(control, kHandleMiddle, 5, -3), (Rect{15, 7, 35, 17}));
  EXPECT_EQ(DragRect(control, kHandleBottomLeft, 5, -3), (Rect{15, 10, 30, 17}));
}

TEST(DialogLayoutRules, DialogMinimumIsNineUnitsAndTheControlsWithinTheCurrentSize) {
  EXPECT_EQ(DialogMinimum({}, 200, 100), (CUnitSize{9, 9}));
  EXPECT_EQ(DialogMinimum({{0, 0, 4, 5}}, 200, 100), (CUnitSize{9, 9}));
  EXPECT_EQ(DialogMinimum({{10, 10, 60, 30}, {5, 50, 40, 70}}, 200, 100), (CUnitSize{60, 70}));
  // A control past the dialog's edge counts only up to the dialog's size.
  EXPECT_EQ(DialogMinimum({{10, 10, 260, 130}}, 200, 100), (CUnitSize{200, 100}));
}

TEST(DialogLayoutRules, PixelsConvertBackToTheUnitsTheyCameFrom) {
  for (int base : {6, 7, 8}) {
    for (int units = 0; units < 300; ++units) {
      ASSERT_EQ(PixelsToUnitsX(MulDiv(units, base, 4), base), units) << base;
      ASSERT_EQ(PixelsToUnitsY(MulDiv(units, base * 2, 8), base * 2), units) << base;
    }
  }
}

TEST(DialogLayoutRules, DraggedUnitsKeepWhatTheDragDidNotTouch) {
  // Base units 6 x 13: 10 units across are 15 pixels; a closed combo box drawn 21 pixels
  // high stands for 100 units of template height.
  const Rect units{10, 10, 60, 110}, pixels{15, 16, 90, 37};
  EXPECT_EQ(DraggedUnits(units, pixels, {30, 16, 105, 37}, true, 6, 13), (Rect{20, 10, 70, 110}));
  EXPECT_EQ(DraggedUnits(units, pixels, {15, 16, 120, 37}, false, 6, 13), (Rect{10, 10, 80, 110}));
  EXPECT_EQ(DraggedUnits(units, pixels, {0, 16, 90, 37}, false, 6, 13), (Rect{0, 10, 60, 110}));
}

TEST(DialogLayoutRules, KeyStepsAndTheirLimits) {
  const CStepLimits control{false, false, 100, 50, {}};
  const CStepLimits combo{false, true, 100, 50, {}};
  const CStepLimits dialog{true, false, 100, 50, {40, 30}};
  struct Case {
    Rect in;
    StepKey key;
    bool resize;
    const CStepLimits& limits;
    bool accepted;
    Rect out;
  } cases[] = {
      {{10, 10, 20, 20}, StepKey::Left, false, control, true, {9, 10, 19, 20}},
      {{0, 10, 20, 20}, StepKey::Left, false, control, false, {}},
      {{10, 0, 20, 20}, StepKey::Up, false, control, false, {}},
      {{80, 10, 99, 20}, StepKey::Right, false, control, true, {81, 10, 100, 20}},  // right edge on the width
      {{81, 10, 100, 20}, StepKey::Right, false, control, false, {}},
      {{80, 10, 98, 20}, StepKey::Right, true, control, true, {80, 10, 99, 20}},    // widening stops a unit earlier
      {{80, 10, 99, 20}, StepKey::Right, true, control, false, {}},
      {{10, 40, 20, 49}, StepKey::Down, true, control, false, {}},
      {{10, 10, 14, 20}, StepKey::Left, true, control, false, {}},                  // 4 units is the least
      {{10, 10, 15, 20}, StepKey::Left, true, control, true, {10, 10, 14, 20}},
      {{10, 10, 20, 14}, StepKey::Up, true, control, false, {}},
      {{10, 10, 40, 22}, StepKey::Down, true, combo, false, {}},                    // combo boxes keep their height
      {{10, 10, 40, 22}, StepKey::Up, true, combo, false, {}},
      {{10, 10, 40, 22}, StepKey::Right, true, combo, true, {10, 10, 41, 22}},
      {{10, 10, 40, 22}, StepKey::Down, false, combo, true, {10, 11, 40, 23}},
      {{0, 0, 100, 50}, StepKey::Right, true, dialog, true, {0, 0, 101, 50}},       // the dialog grows freely
      {{0, 0, 41, 50}, StepKey::Left, true, dialog, true, {0, 0, 40, 50}},
      {{0, 0, 40, 50}, StepKey::Left, true, dialog, false, {}},
      {{0, 0, 100, 30}, StepKey::Up, true, dialog, false, {}},
      {{0, 0, 100, 50}, StepKey::Left, false, dialog, false, {}},                   // and does not move
  };
  for (const Case& c : cases) {
    Rect r = c.in;
    EXPECT_EQ(LayoutStep(r, c.key, c.resize, c.limits), c.accepted)
        << c.in.left << "," << c.in.top << "," << c.in.right << "," << c.in.bottom;
    EXPECT_EQ(r, c.accepted ? c.out : c.in);
  }
  EXPECT_EQ(StepMergeKind(StepKey::Left), StepMergeKind(StepKey::Right));
  EXPECT_EQ(StepMergeKind(StepKey::Up), StepMergeKind(StepKey::Down));
  EXPECT_NE(StepMergeKind(StepKey::Left), StepMergeKind(StepKey::Up));
}

TEST(DialogLayoutRules, SnapShiftTakesTheNearestEdgeWithinReach) {
  const std::vector<int> edges{10, 40, 44};
  struct Case {
    int edge;
    bool found;
    int shift;
  } cases[] = {{12, true, -2}, {43, true, 1} /* 44 is nearer than 40 */, {14, true, -4}, {40, true, 0},
               {25, false, 0}, {15, false, 0}};
  for (const Case& c : cases) {
    int shift = 0;
    EXPECT_EQ(SnapShift(c.edge, edges, 4, shift), c.found) << c.edge;
    EXPECT_EQ(shift, c.shift) << c.edge;
  }
}
