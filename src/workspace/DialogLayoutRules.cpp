#include "workspace/DialogLayoutRules.h"

#include <algorithm>
#include <cstdlib>

namespace tvl {

int HandleMask(bool layoutMode, int selectedIndex, bool comboBox) {
  if (!layoutMode) return 0;
  if (selectedIndex == -1) return 100;  // bottom-right, right, bottom
  if (comboBox) return 160;             // right, left
  return 255;
}

Rect DragRect(const Rect& start, int handle, int dx, int dy) {
  Rect r = start;
  switch (handle) {
    case kHandleMiddle: return {r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
    case kHandleTopLeft: r.left += dx; r.top += dy; break;
    case kHandleTopRight: r.right += dx; r.top += dy; break;
    case kHandleBottomRight: r.right += dx; r.bottom += dy; break;
    case kHandleBottomLeft: r.left += dx; r.bottom += dy; break;
    case kHandleTop: r.top += dy; break;
    case kHandleRight: r.right += dx; break;
    case kHandleBottom: r.bottom += dy; break;
    case kHandleLeft: r.left += dx; break;
    default: break;
  }
  return r;
}

Rect AdjustTracked(Rect r, const Rect& bounds, TrackKind kind) {
  if (kind == TrackKind::Move) {
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (r.right >= bounds.right) r.left = bounds.right - w;
    if (r.bottom >= bounds.bottom) r.top = bounds.bottom - h;
    r.left = std::max(r.left, bounds.left);
    r.top = std::max(r.top, bounds.top);
    return {r.left, r.top, r.left + w, r.top + h};
  }
  if (kind == TrackKind::ResizeDialog) {
    // Its handles move only the right and bottom edges, which never pass the minimum.
    r.right = std::max(r.right, bounds.right);
    r.bottom = std::max(r.bottom, bounds.bottom);
    return r;
  }
  r.left = std::clamp(r.left, bounds.left, bounds.right);
  r.right = std::clamp(r.right, bounds.left, bounds.right);
  r.top = std::clamp(r.top, bounds.top, bounds.bottom);
  r.bottom = std::clamp(r.bottom, bounds.top, bounds.bottom);
  if (r.left > r.right) std::swap(r.left, r.right);
  if (r.top > r.bottom) std::swap(r.top, r.bottom);
  return r;
}

Rect MoveBounds(const Rect& control, const Rect& client) {
  return {std::min(control.left, client.left), std::min(control.top, client.top),
          std::max(control.right, client.right), std::max(control.bottom, client.bottom)};
}

Rect ResizeBounds(const Rect& control, const Rect& client, int handle) {
  Rect b = control;
  const bool top = handle == kHandleTopLeft || handle == kHandleTopRight || handle == kHandleTop;
  const bool bottom = handle == kHandleBottomLeft || handle == kHandleBottomRight || handle == kHandleBottom;
  const bool left = handle == kHandleTopLeft || handle == kHandleBottomLeft || handle == kHandleLeft;
  const bool right = handle == kHandleTopRight || handle == kHandleBottomRight || handle == kHandleRight;
  if (top) b.top = std::min(control.top, client.top);
  if (bottom) b.bottom = std::max(control.bottom, client.bottom);
  if (left) b.left = std::min(control.left, client.left);
  if (right) b.right = std::max(control.right, client.right);
  return b;
}

CUnitSize DialogMinimum(const std::vector<Rect>& controls, int width, int height) {
  CUnitSize m{9, 9};
  for (const Rect& c : controls) {
    m.cx = std::max(m.cx, std::min(c.right, width));
    m.cy = std::max(m.cy, std::min(c.bottom, height));
  }
  return m;
}

// Pixels per 1000 dialog units, as MapDialogRect gives them.
int PixelsToUnitsX(int pixels, int baseUnitX) { return MulDiv(pixels, 1000, MulDiv(1000, baseUnitX, 4)); }
int PixelsToUnitsY(int pixels, int baseUnitY) { return MulDiv(pixels, 1000, MulDiv(1000, baseUnitY, 8)); }

Rect DraggedUnits(const Rect& oldUnits, const Rect& oldPixels, const Rect& newPixels, bool moving, int baseUnitX,
                  int baseUnitY) {
  auto x = [baseUnitX](int p) { return PixelsToUnitsX(p, baseUnitX); };
  auto y = [baseUnitY](int p) { return PixelsToUnitsY(p, baseUnitY); };
  if (moving) {
    const int left = newPixels.left == oldPixels.left ? oldUnits.left : x(newPixels.left);
    const int top = newPixels.top == oldPixels.top ? oldUnits.top : y(newPixels.top);
    return {left, top, left + oldUnits.right - oldUnits.left, top + oldUnits.bottom - oldUnits.top};
  }
  return {newPixels.left == oldPixels.left ? oldUnits.left : x(newPixels.left),
          newPixels.top == oldPixels.top ? oldUnits.top : y(newPixels.top),
          newPixels.right == oldPixels.right ? oldUnits.right : x(newPixels.right),
          newPixels.bottom == oldPixels.bottom ? oldUnits.bottom : y(newPixels.bottom)};
}

bool SnapShift(int edge, const std::vector<int>& edges, int reach, int& shift) {
  bool found = false;
  for (int e : edges) {
    const int d = e - edge;
    if (std::abs(d) <= reach && (!found || std::abs(d) < std::abs(shift))) {
      shift = d;
      found = true;
    }
  }
  return found;
}

namespace {

bool ResizeStep(Rect& r, StepKey key, const CStepLimits& limits) {
  const bool vertical = key == StepKey::Up || key == StepKey::Down;
  if (limits.comboBox && vertical) return false;
  const int d = key == StepKey::Left || key == StepKey::Up ? -1 : 1;
  int& edge = vertical ? r.bottom : r.right;
  const int next = edge + d;
  if (limits.dialog) {
    // The dialog grows without limit and shrinks down to its minimum.
    if (next < (vertical ? limits.minimum.cy : limits.minimum.cx)) return false;
  } else {
    if (next < (vertical ? r.top : r.left) + 4) return false;
    if (next >= (vertical ? limits.height : limits.width) && d > 0) return false;
  }
  edge = next;
  return true;
}

}  // namespace

bool LayoutStep(Rect& r, StepKey key, bool resize, const CStepLimits& limits) {
  if (resize) return ResizeStep(r, key, limits);
  if (limits.dialog) return false;  // the dialog has no place of its own to move to
  int dx = 0, dy = 0;
  switch (key) {
    case StepKey::Left: dx = -1; break;
    case StepKey::Right: dx = 1; break;
    case StepKey::Up: dy = -1; break;
    case StepKey::Down: dy = 1; break;
  }
  const Rect moved{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
  if (moved.left < 0 || moved.top < 0 || moved.right > limits.width || moved.bottom > limits.height) return false;
  r = moved;
  return true;
}

BYTE StepMergeKind(StepKey key) { return key == StepKey::Left || key == StepKey::Right ? 1 : 0; }

}  // namespace tvl
