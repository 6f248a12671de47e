#pragma once
// The program's pictures, drawn at start-up: the project tree's strip (22 x 16 images in
// pairs, each followed by its translated variant), its progress marks and the status images.
#include <QIcon>
#include <QPixmap>
#include <vector>

#include "platform/Types.h"

class CLocalizedParam;

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
// The mark over a tree node's image that tells its progress; the source language's nodes
// have none.
enum class TreeMark { None, Untranslated, Partial, OutOfDate, Translated };
// The base image of a pair (even index) with a progress mark drawn over it.
const QIcon& TreeIcon(int index, TreeMark mark, bool ghosted);

// The whole strip side by side, as one picture.
QPixmap TreeImageStrip();

// 16 x 16 status images: 0 not translated, 1 translated, 2 edited. Other values: none.
QIcon StatusIcon(int status);
// A translation older than its source (a node of its own with status 0).
QIcon OutOfDateIcon();
// The status image of a value for a language, out-of-date translations told apart.
QIcon ValueStatusIcon(const CLocalizedParam& head, LANGID language);

}  // namespace tvl::ui
