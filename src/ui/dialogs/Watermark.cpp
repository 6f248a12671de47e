// The wizard's pictures, painted here so that no image file has to ship with the program.
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include "ui/dialogs/NewModuleWizard.h"

namespace {

// Three overlapping speech bubbles: one text, several languages.
void PaintBubbles(QPainter& p, const QRectF& area) {
  const QColor colours[] = {QColor(0xF2, 0xA9, 0x00), QColor(0x2E, 0x9C, 0x6B), QColor(0xE8, 0xEE, 0xF8)};
  const qreal w = area.width() * 0.62;
  const qreal h = w * 0.62;
  for (int i = 0; i < 3; ++i) {
    QRectF box(area.left() + area.width() * (0.05 + 0.16 * i), area.top() + area.height() * (0.08 + 0.22 * i), w, h);
    QPainterPath bubble;
    bubble.addRoundedRect(box, h * 0.3, h * 0.3);
    QPainterPath tail;
    const bool left = i % 2 == 0;
    const qreal x = left ? box.left() + w * 0.22 : box.right() - w * 0.22;
    tail.moveTo(x - w * 0.07, box.bottom() - 1);
    tail.lineTo(x + (left ? -w * 0.12 : w * 0.12), box.bottom() + h * 0.35);
    tail.lineTo(x + w * 0.07, box.bottom() - 1);
    tail.closeSubpath();
    bubble = bubble.united(tail);
    QColor c = colours[i];
    c.setAlpha(225);
    p.setPen(QPen(QColor(255, 255, 255, 180), 1.5));
    p.setBrush(c);
    p.drawPath(bubble);
    // Lines of "text" inside each bubble.
    p.setPen(QPen(i == 2 ? QColor(0x1F, 0x3A, 0x68) : QColor(255, 255, 255), h * 0.08, Qt::SolidLine, Qt::RoundCap));
    for (int line = 0; line < 2; ++line) {
      const qreal y = box.top() + h * (0.38 + 0.26 * line);
      p.drawLine(QPointF(box.left() + w * 0.18, y), QPointF(box.right() - w * (line ? 0.35 : 0.18), y));
    }
  }
}

}  // namespace

QPixmap WizardWatermarkPixmap() {
  QPixmap pixmap(164, 314);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient sky(0, 0, 0, pixmap.height());
  sky.setColorAt(0, QColor(0x1F, 0x3A, 0x68));
  sky.setColorAt(1, QColor(0x3D, 0x6F, 0xB4));
  p.fillRect(pixmap.rect(), sky);
  PaintBubbles(p, QRectF(10, 40, 144, 200));
  return pixmap;
}

QPixmap WizardLogoPixmap() {
  QPixmap pixmap(49, 49);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  PaintBubbles(p, QRectF(1, 1, 47, 40));
  return pixmap;
}
