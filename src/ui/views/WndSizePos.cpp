#include "ui/views/WndSizePos.h"

#include <QPainter>
#include <algorithm>

namespace {

// The two pictures: an arrow to a corner (the position) and a box with a diagonal (the size).
void DrawPositionPicture(QPainter& p, const QRect& r) {
  p.setPen(Qt::black);
  p.drawLine(r.left() + 2, r.top() + 2, r.left() + 2, r.bottom() - 2);
  p.drawLine(r.left() + 2, r.top() + 2, r.right() - 2, r.top() + 2);
  p.drawLine(r.left() + 4, r.top() + 4, r.right() - 3, r.bottom() - 3);
}

void DrawSizePicture(QPainter& p, const QRect& r) {
  p.setPen(Qt::black);
  p.drawRect(r.adjusted(2, 3, -3, -3));
  p.drawLine(r.right() - 6, r.bottom() - 3, r.right() - 3, r.bottom() - 6);
}

}  // namespace

CWndSizePos::CWndSizePos(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("SizePos"));
  // 150 pixels hold the readout in the platform's 8-point status font; a larger desktop font
  // would cut the size off.
  const int half = 16 + fontMetrics().horizontalAdvance(QStringLiteral("  9999 x 9999"));
  setFixedWidth(std::max(kWidth, 2 * half));
  setMinimumHeight(16);
}

void CWndSizePos::SetValues(int x, int y, int cx, int cy) {
  if (x == m_x && y == m_y && cx == m_cx && cy == m_cy) return;
  m_x = x;
  m_y = y;
  m_cx = cx;
  m_cy = cy;
  update();
}

QString CWndSizePos::PositionText() const { return QStringLiteral("  %1, %2").arg(m_x).arg(m_y); }
QString CWndSizePos::SizeText() const { return QStringLiteral("  %1 x %2").arg(m_cx).arg(m_cy); }

void CWndSizePos::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), palette().color(QPalette::Button));
  const int half = width() / 2;
  const QRect picture(0, (height() - 16) / 2, 16, 16);
  DrawPositionPicture(p, picture);
  DrawSizePicture(p, picture.translated(half, 0));
  p.setPen(palette().color(QPalette::ButtonText));
  p.drawText(QRect(16, 0, half - 16, height()), Qt::AlignVCenter | Qt::AlignLeft, PositionText());
  p.drawText(QRect(half + 16, 0, width() - half - 16, height()), Qt::AlignVCenter | Qt::AlignLeft, SizeText());
}
