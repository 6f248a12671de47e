#include "ui/views/PictureViews.h"

#include <QFontDatabase>
#include <QKeyEvent>
#include <QPainter>

#include "formats/layout/DibPicture.h"
#include "formats/layout/ResBinary.h"
#include "formats/layout/ResIcon.h"
#include "platform/Text.h"
#include "project/TvlDoc.h"
#include "project/Undo.h"
#include "ui/MainWindow.h"
#include "ui/QtText.h"
#include "ui/views/ProjectResView.h"
#include "workspace/ContentViewRules.h"

namespace {

constexpr int kMargin = 10;
constexpr int kMissingTextWidth = 300;

QImage ToImage(const CDibPicture& picture) {
  QImage image(picture.width, picture.height, QImage::Format_ARGB32);
  for (int y = 0; y < picture.height; ++y)
    std::copy_n(&picture.pixels[static_cast<size_t>(y) * static_cast<size_t>(picture.width)], picture.width,
                reinterpret_cast<uint32_t*>(image.scanLine(y)));
  return image;
}

QImage FromData(const BYTE* data, size_t size, const char* format = nullptr) {
  return QImage::fromData(QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)),
                          format);
}

// The font the captions are drawn in: the system's title font.
QFont CaptionFont() { return QFontDatabase::systemFont(QFontDatabase::TitleFont); }

}  // namespace

QImage tvl::ui::BitmapImage(const std::vector<BYTE>& bytes) {
  CDibPicture picture;
  if (DecodeDib(bytes.data(), bytes.size(), false, picture)) return ToImage(picture);
  CDibHeader header;
  if (!ReadDibHeader(bytes.data(), bytes.size(), header)) return {};
  // A JPEG or PNG picture follows the header; run-length bitmaps go through the file form.
  if ((header.compression == 4 || header.compression == 5) && header.headerSize < bytes.size())
    return FromData(bytes.data() + header.headerSize, bytes.size() - header.headerSize);
  std::vector<BYTE> file;
  if (!CResBitmap::BitmapToFile(bytes, file)) return {};
  return FromData(file.data(), file.size(), "BMP");
}

QImage tvl::ui::IconImage(const CIconImage& image, bool isIcon) {
  const size_t skip = isIcon ? 0 : 4;  // a cursor's hot spot
  if (image.m_bytes.size() <= skip) return {};
  const BYTE* data = image.m_bytes.data() + skip;
  const size_t size = image.m_bytes.size() - skip;
  if (IsPngData(data, size)) return FromData(data, size, "PNG");
  CDibPicture picture;
  if (!DecodeDib(data, size, true, picture)) return {};
  return ToImage(picture);
}

// ---------------------------------------------------------------------------------------
// Canvas and common view

void CPictureCanvas::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), palette().base());
  p.setFont(CaptionFont());
  p.setPen(palette().color(QPalette::Text));
  for (const CPictureEntry& e : m_entries) {
    if (!e.image.isNull()) {
      // Transparent pixels show a checkerboard, as picture editors do.
      const int cell = 8;
      p.save();
      p.setClipRect(e.imageRect);
      for (int y = e.imageRect.top(); y <= e.imageRect.bottom(); y += cell)
        for (int x = e.imageRect.left(); x <= e.imageRect.right(); x += cell) {
          bool dark = ((x - e.imageRect.left()) / cell + (y - e.imageRect.top()) / cell) % 2 != 0;
          p.fillRect(QRect(x, y, cell, cell), dark ? QColor(204, 204, 204) : QColor(255, 255, 255));
        }
      p.restore();
      p.drawImage(e.imageRect.topLeft(), e.image);
    }
    p.drawText(e.captionRect, Qt::AlignLeft | Qt::AlignTop | (e.wrap ? Qt::TextWordWrap : 0), e.caption);
  }
}

CPictureView::CPictureView(CMainFrame* frame, CTvlDoc& document, QWidget* parent)
    : QScrollArea(parent), m_frame(frame), m_document(document) {
  m_canvas = new CPictureCanvas(this);
  setWidget(m_canvas);
  setWidgetResizable(false);
  setBackgroundRole(QPalette::Base);
  setFocusPolicy(Qt::StrongFocus);
  m_document.AddView(this);
}

CPictureView::~CPictureView() { Release(); }

void CPictureView::Release() {
  if (m_released) return;
  m_released = true;
  m_document.RemoveView(this);
  m_canvas->m_entries.clear();
}

void CPictureView::Reload() {
  if (m_released) return;
  std::vector<CPictureEntry> entries;
  QSize size = Build(m_frame->GetSelectedLanguage(), entries);
  m_canvas->m_entries = std::move(entries);
  m_canvas->resize(size);
  m_canvas->update();
}

void CPictureView::OnUpdate(int hint, const void*) {
  if (m_released) return;
  switch (hint) {
    case HintRefreshAll:
    case HintResourceChanged:
    case HintUndoneItemInPlace: Reload(); break;
    case HintReleaseResourceView: Release(); break;
    default: break;
  }
}

void CPictureView::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Tab && event->modifiers() == Qt::NoModifier) {
    if (m_frame->Tree()) m_frame->Tree()->setFocus();
    event->accept();
    return;
  }
  QScrollArea::keyPressEvent(event);
}

// ---------------------------------------------------------------------------------------
// Bitmaps

CBitmapView::CBitmapView(CMainFrame* frame, CTvlDoc& document, CResBitmap* bitmap, QWidget* parent)
    : CPictureView(frame, document, parent), m_bitmap(bitmap) {
  setObjectName(QStringLiteral("BitmapView"));
  Reload();
}

QSize CBitmapView::Build(LANGID language, std::vector<CPictureEntry>& entries) {
  const std::vector<BYTE>& bytes = m_bitmap->IsTranslatable() ? m_bitmap->GetBytes(language) : m_bitmap->m_data.m_data;
  CPictureEntry e;
  CDibHeader header;
  if (ReadDibHeader(bytes.data(), bytes.size(), header))
    e.caption = QStr(tvl::BitmapCaption(header.width, header.height < 0 ? -header.height : header.height,
                                        header.bitCount));
  QFontMetrics metrics(CaptionFont());
  QRect text = metrics.boundingRect(e.caption);
  e.captionRect = QRect(kMargin, kMargin, text.width() + 1, metrics.height());
  e.image = tvl::ui::BitmapImage(bytes);
  // The picture goes below the caption, so the caption's height counts in the scrollable size.
  e.imageRect = QRect(QPoint(kMargin, e.captionRect.bottom() + 1 + kMargin / 2), e.image.size());
  QSize size(std::max(e.image.width(), e.captionRect.width()) + 2 * kMargin,
             e.imageRect.top() + e.image.height() + kMargin);
  entries.push_back(std::move(e));
  return size;
}

// ---------------------------------------------------------------------------------------
// Icons and cursors

CIconView::CIconView(CMainFrame* frame, CTvlDoc& document, CResIconGroup* group, QWidget* parent)
    : CPictureView(frame, document, parent), m_group(group) {
  setObjectName(QStringLiteral("IconView"));
  Reload();
}

QSize CIconView::Build(LANGID language, std::vector<CPictureEntry>& entries) {
  const bool isIcon = m_group->m_isIcon != 0;
  const CIcon& icon = m_group->IsTranslatable() ? m_group->GetImages(language) : m_group->GetSourceImages();
  QFontMetrics metrics(CaptionFont());
  const int captionWidth = metrics.horizontalAdvance(QStr(tvl::kWidestIconCaption));
  int y = kMargin, width = 0;
  for (size_t i = 0; i < icon.m_images.size(); ++i) {
    const CIconImage& image = icon.m_images[i];
    CPictureEntry e;
    int height = 0;
    if (image.m_bytes.empty()) {
      e.caption = QStr(tvl::MissingImageCaption(isIcon, image.GetImageId(), static_cast<int>(i) + 1,
                                                m_group->m_identifier.GetText()));
      e.wrap = true;
      QRect r = metrics.boundingRect(QRect(0, 0, kMissingTextWidth, 10000), Qt::TextWordWrap, e.caption);
      e.captionRect = QRect(kMargin, y, kMissingTextWidth, r.height());
      height = r.height();
      width = std::max(width, kMargin + kMissingTextWidth + kMargin);
    } else {
      CIconImageSize s = GetIconImageSize(image, isIcon);
      e.caption = QStr(tvl::IconImageCaption(isIcon, s.width, s.height, s.bitCount));
      e.image = tvl::ui::IconImage(image, isIcon);
      QSize drawn = e.image.isNull() ? QSize(static_cast<int>(s.width), static_cast<int>(s.height)) : e.image.size();
      e.imageRect = QRect(QPoint(kMargin, y), drawn);
      int x = drawn.width() >= 50 ? drawn.width() + 30 : 80;
      e.captionRect = QRect(x, y, std::max(captionWidth, metrics.horizontalAdvance(e.caption)) + 1, metrics.height());
      height = std::max(drawn.height(), metrics.height());
      width = std::max(width, e.captionRect.right() + 1 + kMargin);
    }
    entries.push_back(std::move(e));
    y += height + 20;
  }
  return {width, y};
}
