#pragma once
// The program's pictures, drawn at start-up: the project tree's strip (22 x 16 images in
// pairs, each followed by its translated variant) and the three status images.
#include <QIcon>
#include <QPixmap>
#include <vector>

namespace tvl::ui {

// Indexes into the tree's strip.
enum TreeImage : int {
  kImageFolder = 0,
  kImageFolderOpen = 2,
  kImageResource = 4,
  kImageCursor = 6,
  kImageBitmap = 8,
  kImageIcon = 10,
  kImageMenu = 12,
  kImageDialog = 14,
  kImageStringTable = 16,
  kImageAccelerator = 18,
  kImageVersion = 20,
  kImageToolbar = 22,
  kTreeImageCount = 24,
};

constexpr int kTreeImageWidth = 22;
constexpr int kTreeImageHeight = 16;

// The strip's image at an index; ghosted draws it faded (items marked do-not-translate).
const QIcon& TreeIcon(int index, bool ghosted = false);
// The whole strip side by side, as one picture.
QPixmap TreeImageStrip();

// 16 x 16 status images: 0 not translated, 1 translated, 2 edited. Other values: none.
QIcon StatusIcon(int status);

}  // namespace tvl::ui
