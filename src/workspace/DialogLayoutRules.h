#pragma once
// The rules of moving and resizing a dialog's controls that need no window: which handles
// the tracker offers, how a tracked rectangle is held inside its bounds, what a key press
// does to a rectangle in dialog units and when it is refused, and how a dragged rectangle
// becomes dialog units again.
#include <vector>

#include "platform/Fonts.h"
#include "platform/Types.h"

namespace tvl {

// The tracker's handles, in the bit order of the handle mask; the middle moves.
enum TrackerHandle : int {
  kHandleNone = -1,
  kHandleTopLeft = 0,
  kHandleTopRight,
  kHandleBottomRight,
  kHandleBottomLeft,
  kHandleTop,
  kHandleRight,
  kHandleBottom,
  kHandleLeft,
  kHandleMiddle,
};

// Handles shown: none outside layout mode; the dialog (index -1) only grows to the right
// and down; a combo box keeps its height; every other control has all eight.
int HandleMask(bool layoutMode, int selectedIndex, bool comboBox);
inline bool HandleShown(int mask, int handle) { return handle >= 0 && handle < 8 && (mask & (1 << handle)) != 0; }

// The rectangle after dragging a handle (or the middle) of `start` by (dx, dy).
Rect DragRect(const Rect& start, int handle, int dx, int dy);

enum class TrackKind { Move, ResizeDialog, ResizeControl };
// Holds a tracked rectangle to its bounds: a move keeps the size and stays inside; the
// dialog never gets smaller than its minimum; a control's edges stay inside. The result is
// normalized (left <= right, top <= bottom).
Rect AdjustTracked(Rect r, const Rect& bounds, TrackKind kind);
// Bounds of a move: the control and the dialog's client area together.
Rect MoveBounds(const Rect& control, const Rect& client);
// Bounds of a resize: the control, widened on the dragged sides up to the client's edges.
Rect ResizeBounds(const Rect& control, const Rect& client, int handle);

// The smallest size the dialog may take: at least 9 x 9 and no smaller than the controls'
// right and bottom edges, each taken up to the dialog's current size.
struct CUnitSize {
  int cx = 0;
  int cy = 0;
  friend bool operator==(const CUnitSize&, const CUnitSize&) = default;
};
CUnitSize DialogMinimum(const std::vector<Rect>& controls, int width, int height);

// Pixels back to dialog units with the dialog's base units (the inverse of MapDialogRect).
int PixelsToUnitsX(int pixels, int baseUnitX);
int PixelsToUnitsY(int pixels, int baseUnitY);
// A dragged control in dialog units: `oldPixels` is where it was drawn (client pixels),
// `newPixels` where the drag left it. A move keeps the size in units; a resize converts
// only the edges that moved, so a control drawn at another size than its template (a closed
// combo box, an icon) keeps the rest.
Rect DraggedUnits(const Rect& oldUnits, const Rect& oldPixels, const Rect& newPixels, bool moving, int baseUnitX,
                  int baseUnitY);

// The shift that puts `edge` on the nearest of `edges` no further than `reach` away; false
// when none is that near (an edge already on one snaps with a shift of 0).
bool SnapShift(int edge, const std::vector<int>& edges, int reach, int& shift);

enum class StepKey { Left, Up, Right, Down };
// What limits a key step.
struct CStepLimits {
  bool dialog = false;    // the rectangle is the dialog's (0, 0, cx, cy)
  bool comboBox = false;  // keeps its height
  int width = 0;          // the dialog's current size
  int height = 0;
  CUnitSize minimum;      // the dialog's minimum
};
// One dialog unit of move (resize false) or resize. False, with `r` unchanged, when the
// step is refused.
bool LayoutStep(Rect& r, StepKey key, bool resize, const CStepLimits& limits);
// Steps of one kind on one control undo as one: Left and Right share a kind, Up and Down
// the other.
BYTE StepMergeKind(StepKey key);

}  // namespace tvl
