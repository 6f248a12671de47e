#include "ui/views/ImageStrip.h"

#include <QPainter>
#include <QPainterPath>
#include <array>
#include <map>
#include <tuple>

#include "resmodel/LocalizedParam.h"
#include "workspace/Progress.h"

namespace tvl::ui {

namespace {

void DrawFolder(QPainter& p, bool open) {
  QColor body(232, 188, 72), edge(150, 110, 30);
  p.setPen(edge);
  p.setBrush(body.darker(108));
  p.drawRect(3, 3, 6, 3);
  p.drawRect(3, 5, 14, 9);
  if (open) {
    QPolygon flap;
    flap << QPoint(5, 8) << QPoint(19, 8) << QPoint(16, 14) << QPoint(3, 14);
    p.setBrush(body.lighter(115));
    p.drawPolygon(flap);
  }
}

void DrawPage(QPainter& p, const QColor& lines) {
  p.setPen(QColor(90, 90, 90));
  p.setBrush(Qt::white);
  QPolygon page;
  page << QPoint(5, 1) << QPoint(13, 1) << QPoint(16, 4) << QPoint(16, 14) << QPoint(5, 14);
  p.drawPolygon(page);
  p.setPen(lines);
  for (int y = 5; y <= 12; y += 2) p.drawLine(7, y, 14, y);
}

void DrawCursor(QPainter& p) {
  QPolygon arrow;
  arrow << QPoint(6, 1) << QPoint(6, 13) << QPoint(9, 10) << QPoint(11, 14) << QPoint(13, 13) << QPoint(11, 9)
        << QPoint(15, 9);
  p.setPen(Qt::black);
  p.setBrush(Qt::white);
  p.drawPolygon(arrow);
}

void DrawBitmap(QPainter& p) {
  p.setPen(QColor(60, 60, 60));
  p.setBrush(QColor(150, 205, 250));
  p.drawRect(3, 2, 14, 11);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(250, 210, 40));
  p.drawEllipse(QPoint(13, 5), 2, 2);
  p.setBrush(QColor(60, 150, 60));
  QPolygon hill;
  hill << QPoint(4, 13) << QPoint(8, 7) << QPoint(12, 13);
  p.drawPolygon(hill);
}

void DrawIcon(QPainter& p) {
  p.setPen(QColor(40, 70, 140));
  p.setBrush(QColor(90, 140, 220));
  p.drawRoundedRect(4, 2, 12, 12, 3, 3);
  p.setPen(QPen(Qt::white, 2));
  p.drawLine(10, 5, 10, 11);
}

void DrawMenu(QPainter& p) {
  p.setPen(QColor(80, 80, 80));
  p.setBrush(QColor(245, 245, 245));
  p.drawRect(3, 1, 14, 13);
  p.setBrush(QColor(70, 110, 190));
  p.drawRect(3, 1, 14, 3);
  p.setPen(QColor(120, 120, 120));
  for (int y = 7; y <= 12; y += 2) p.drawLine(5, y, 14, y);
}

void DrawDialog(QPainter& p) {
  p.setPen(QColor(60, 60, 60));
  p.setBrush(QColor(236, 233, 216));
  p.drawRect(2, 2, 16, 12);
  p.setBrush(QColor(40, 90, 180));
  p.drawRect(2, 2, 16, 3);
  p.setBrush(Qt::white);
  p.drawRect(5, 7, 7, 2);
  p.setBrush(QColor(200, 200, 200));
  p.drawRect(13, 10, 4, 2);
}

void DrawStringTable(QPainter& p) {
  p.setPen(QColor(70, 70, 70));
  p.setBrush(Qt::white);
  p.drawRect(2, 2, 16, 12);
  p.setPen(QColor(170, 170, 170));
  p.drawLine(7, 2, 7, 14);
  for (int y = 5; y <= 11; y += 3) p.drawLine(2, y, 18, y);
  p.setPen(QColor(180, 40, 40));
  QFont f = p.font();
  f.setPixelSize(7);
  f.setBold(true);
  p.setFont(f);
  p.drawText(QRect(8, 5, 10, 9), Qt::AlignCenter, QStringLiteral("ab"));
}

void DrawAccelerator(QPainter& p) {
  p.setPen(QColor(70, 70, 70));
  p.setBrush(QColor(225, 225, 225));
  p.drawRoundedRect(2, 3, 16, 10, 2, 2);
  p.setBrush(Qt::white);
  p.drawRect(4, 5, 4, 3);
  p.drawRect(10, 5, 6, 3);
  p.drawRect(6, 9, 8, 2);
}

void DrawVersion(QPainter& p) {
  DrawPage(p, QColor(170, 170, 170));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(40, 110, 200));
  p.drawEllipse(QPoint(8, 10), 4, 4);
  p.setPen(QPen(Qt::white, 1.5));
  p.drawLine(8, 9, 8, 12);
  p.drawPoint(8, 7);
}

void DrawToolbar(QPainter& p) {
  p.setPen(QColor(80, 80, 80));
  p.setBrush(QColor(230, 230, 230));
  p.drawRect(1, 4, 18, 8);
  const QColor buttons[3] = {QColor(220, 70, 60), QColor(60, 160, 80), QColor(60, 110, 210)};
  for (int i = 0; i < 3; ++i) {
    p.setBrush(buttons[i]);
    p.drawRect(3 + i * 5, 6, 4, 4);
  }
}

// The mark of a translated item: a green tick at the lower right.
void DrawTranslatedMark(QPainter& p) {
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::white);
  p.drawEllipse(QPoint(17, 11), 4, 4);
  QPen pen(QColor(20, 150, 40), 2);
  pen.setCapStyle(Qt::RoundCap);
  p.setPen(pen);
  p.drawLine(15, 11, 17, 13);
  p.drawLine(17, 13, 20, 8);
}

// The marks share the tick's place: a disc at the lower right with a white rim.
void DrawProgressMark(QPainter& p, TreeMark mark) {
  const QPointF centre(17, 11);
  switch (mark) {
    case TreeMark::None: return;
    case TreeMark::Translated: DrawTranslatedMark(p); return;
    case TreeMark::Untranslated:
      p.setPen(QPen(Qt::white, 1.5));
      p.setBrush(QColor(215, 50, 40));
      p.drawEllipse(centre, 3.5, 3.5);
      return;
    case TreeMark::Partial: {
      // Half a disc filled: begun, not finished.
      p.setPen(QPen(QColor(40, 110, 50), 1));
      p.setBrush(Qt::white);
      p.drawEllipse(centre, 4, 4);
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(40, 160, 60));
      p.drawPie(QRectF(centre.x() - 4, centre.y() - 4, 8, 8), 90 * 16, -180 * 16);
      return;
    }
    case TreeMark::OutOfDate: {
      p.setPen(QPen(Qt::white, 1));
      p.setBrush(QColor(235, 150, 20));
      p.drawEllipse(centre, 4.5, 4.5);
      QPen bang(Qt::white, 1.6);
      bang.setCapStyle(Qt::RoundCap);
      p.setPen(bang);
      p.drawLine(QPointF(17, 8.5), QPointF(17, 11.5));
      p.drawPoint(QPointF(17, 13.8));
      return;
    }
  }
}

QPixmap DrawTreeImage(int index) {
  QPixmap pm(kTreeImageWidth, kTreeImageHeight);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  switch (index & ~1) {
    case kImageFolder: DrawFolder(p, false); break;
    case kImageFolderOpen: DrawFolder(p, true); break;
    case kImageCursor: DrawCursor(p); break;
    case kImageBitmap: DrawBitmap(p); break;
    case kImageIcon: DrawIcon(p); break;
    case kImageMenu: DrawMenu(p); break;
    case kImageDialog: DrawDialog(p); break;
    case kImageStringTable: DrawStringTable(p); break;
    case kImageAccelerator: DrawAccelerator(p); break;
    case kImageVersion: DrawVersion(p); break;
    case kImageToolbar: DrawToolbar(p); break;
    default: DrawPage(p, QColor(150, 150, 150)); break;
  }
  if (index & 1) DrawTranslatedMark(p);
  return pm;
}

QPixmap DrawMarkedImage(int index, TreeMark mark) {
  QPixmap pm = DrawTreeImage(index & ~1);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  DrawProgressMark(p, mark);
  return pm;
}

QPixmap Faded(const QPixmap& source) {
  QPixmap pm(source.size());
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setOpacity(0.4);
  p.drawPixmap(0, 0, source);
  return pm;
}

struct Strip {
  std::vector<QIcon> normal, ghosted;
  std::vector<QPixmap> pixmaps;
  Strip() {
    for (int i = 0; i < kTreeImageCount; ++i) {
      pixmaps.push_back(DrawTreeImage(i));
      normal.emplace_back(pixmaps.back());
      ghosted.emplace_back(Faded(pixmaps.back()));
    }
  }
};

const Strip& GetStrip() {
  static const Strip strip;
  return strip;
}

}  // namespace

const QIcon& TreeIcon(int index, bool ghosted) {
  const Strip& s = GetStrip();
  if (index < 0 || index >= kTreeImageCount) index = kImageResource;
  return ghosted ? s.ghosted[static_cast<size_t>(index)] : s.normal[static_cast<size_t>(index)];
}

const QIcon& TreeIcon(int index, TreeMark mark, bool ghosted) {
  static std::map<std::tuple<int, TreeMark, bool>, QIcon> icons;
  if (index < 0 || index >= kTreeImageCount) index = kImageResource;
  auto key = std::make_tuple(index & ~1, mark, ghosted);
  auto at = icons.find(key);
  if (at != icons.end()) return at->second;
  QPixmap pm = DrawMarkedImage(index, mark);
  return icons.emplace(key, QIcon(ghosted ? Faded(pm) : pm)).first->second;
}

QPixmap TreeImageStrip() {
  const Strip& s = GetStrip();
  QPixmap strip(kTreeImageWidth * kTreeImageCount, kTreeImageHeight);
  strip.fill(Qt::transparent);
  QPainter p(&strip);
  for (int i = 0; i < kTreeImageCount; ++i) p.drawPixmap(i * kTreeImageWidth, 0, s.pixmaps[static_cast<size_t>(i)]);
  return strip;
}

namespace {

// The list images: 0 not translated, 1 translated, 2 edited, 3 out of date.
constexpr int kOutOfDateImage = 3;

const QIcon& StatusImage(int kind) {
  static const std::array<QIcon, 4> icons = [] {
    const QColor edges[] = {{160, 30, 30}, {20, 110, 30}, {30, 70, 150}, {170, 100, 0}};
    const QColor fills[] = {{220, 60, 50}, {50, 170, 70}, {70, 120, 210}, {240, 160, 30}};
    std::array<QIcon, 4> out;
    for (int s = 0; s < 4; ++s) {
      QPixmap pm(16, 16);
      pm.fill(Qt::transparent);
      QPainter p(&pm);
      p.setRenderHint(QPainter::Antialiasing);
      p.setPen(edges[s]);
      p.setBrush(fills[s]);
      p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
      QPen pen(Qt::white, 2);
      if (s == 1 || s == kOutOfDateImage) pen.setCapStyle(Qt::RoundCap);
      p.setPen(pen);
      if (s == 0) {
        p.drawLine(5, 5, 11, 11);
        p.drawLine(11, 5, 5, 11);
      } else if (s == 1) {
        p.drawLine(4, 8, 7, 11);
        p.drawLine(7, 11, 12, 5);
      } else if (s == 2) {
        p.drawLine(5, 11, 11, 5);
        p.drawPoint(4, 12);
      } else {
        p.drawLine(8, 4, 8, 9);
        p.drawPoint(8, 12);
      }
      out[static_cast<size_t>(s)] = QIcon(pm);
    }
    return out;
  }();
  return icons[static_cast<size_t>(kind)];
}

}  // namespace

QIcon StatusIcon(int status) {
  if (status < 0 || status > 2) return {};
  return StatusImage(status);
}

QIcon OutOfDateIcon() { return StatusImage(kOutOfDateImage); }

QIcon ValueStatusIcon(const CLocalizedParam& head, LANGID language) {
  if (IsOutOfDate(head, language)) return OutOfDateIcon();
  return StatusIcon(head.GetValueStatus(language));
}

}  // namespace tvl::ui
