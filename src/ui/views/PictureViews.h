#pragma once
// Bitmaps, icons and cursors are translated as whole pictures through the header's links;
// their views only show the picture for the selected language with a caption.
#include <QImage>
#include <QScrollArea>
#include <vector>

#include "project/ViewHints.h"
#include "ui/views/ContentViews.h"

class CResBitmap;
class CResIconGroup;
struct CIconImage;

// One picture and its caption, in canvas coordinates.
struct CPictureEntry {
  QImage image;
  QRect imageRect;
  QString caption;
  QRect captionRect;
  bool wrap = false;  // the caption is a text block that may break lines
};

// Draws the entries: a checkerboard behind each picture, the picture, its caption.
class CPictureCanvas : public QWidget {
  Q_OBJECT
 public:
  explicit CPictureCanvas(QWidget* parent) : QWidget(parent) {}
  std::vector<CPictureEntry> m_entries;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

class CPictureView : public QScrollArea, public CDocumentView, public CContentView {
  Q_OBJECT
 public:
  CPictureView(CMainFrame* frame, CTvlDoc& document, QWidget* parent);
  ~CPictureView() override;

  void OnUpdate(int hint, const void* object) override;
  void Release() override;
  // Reads the picture again for the selected language.
  void Reload();
  const std::vector<CPictureEntry>& Entries() const { return m_canvas->m_entries; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  // Fills the entries and gives the canvas size.
  virtual QSize Build(LANGID language, std::vector<CPictureEntry>& entries) = 0;

  CMainFrame* m_frame;
  CTvlDoc& m_document;
  CPictureCanvas* m_canvas;
  bool m_released = false;
};

class CBitmapView : public CPictureView {
  Q_OBJECT
 public:
  CBitmapView(CMainFrame* frame, CTvlDoc& document, CResBitmap* bitmap, QWidget* parent = nullptr);

 protected:
  QSize Build(LANGID language, std::vector<CPictureEntry>& entries) override;

 private:
  CResBitmap* m_bitmap;
};

class CIconView : public CPictureView {
  Q_OBJECT
 public:
  CIconView(CMainFrame* frame, CTvlDoc& document, CResIconGroup* group, QWidget* parent = nullptr);

 protected:
  QSize Build(LANGID language, std::vector<CPictureEntry>& entries) override;

 private:
  CResIconGroup* m_group;
};

namespace tvl::ui {
// A bitmap resource's picture (RT_BITMAP bytes, without file header); null when it cannot
// be decoded.
QImage BitmapImage(const std::vector<BYTE>& bytes);
// An icon or cursor image's picture, PNG-compressed or a bitmap with its mask.
QImage IconImage(const CIconImage& image, bool isIcon);
}  // namespace tvl::ui
