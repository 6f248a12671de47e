// The controls of the dialog preview, each drawn as the platform's classic look draws it.
#include <QPainter>
#include <QSlider>
#include <QStyle>
#include <QStyleOption>
#include <qdrawutil.h>

#include "platform/Text.h"
#include "ui/views/DialogPreview.h"

namespace {

constexpr DWORD WS_BORDER = 0x00800000, WS_VSCROLL = 0x00200000, LBS_DISABLENOSCROLL = 0x1000;
constexpr DWORD WS_EX_CLIENTEDGE = 0x200, WS_EX_STATICEDGE = 0x20000;
constexpr DWORD SS_NOPREFIX = 0x80, SS_SUNKEN = 0x1000, SS_PATHELLIPSIS = 0x8000;

QString Q(const std::u16string& s) { return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size())); }

// "&&" to "&", "&x" to "x": what DrawText shows of a text with prefixes.
QString WithoutPrefixes(const QString& text) {
  QString out;
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] == u'&' && i + 1 < text.size()) ++i;
    out += text[i];
  }
  return out;
}

bool Sunken(PreviewKind kind) {
  switch (kind) {
    case PreviewKind::Edit: case PreviewKind::ListBox: case PreviewKind::RichEdit: case PreviewKind::ListView:
    case PreviewKind::TreeView: case PreviewKind::IpAddress: case PreviewKind::HotKey: case PreviewKind::DateTime:
      return true;
    default: return false;
  }
}

// A box of the flat scroll bar: a light face in a grey frame with softened corners.
void ScrollBox(QPainter& p, const QRect& r) {
  if (r.width() < 3 || r.height() < 3) return;
  p.fillRect(r.adjusted(1, 1, -1, -1), QColor(0xFD, 0xFD, 0xFD));
  p.setPen(QColor(0xAE, 0xAE, 0xAE));
  p.drawLine(r.left() + 1, r.top(), r.right() - 1, r.top());
  p.drawLine(r.left() + 1, r.bottom(), r.right() - 1, r.bottom());
  p.drawLine(r.left(), r.top() + 1, r.left(), r.bottom() - 1);
  p.drawLine(r.right(), r.top() + 1, r.right(), r.bottom() - 1);
}

void ScrollChevron(QPainter& p, const QRect& r, Qt::ArrowType direction) {
  const QPoint c = r.center();
  p.setPen(QColor(0x49, 0x49, 0x49));
  // Two strokes three pixels long meeting at the tip.
  for (int i = 0; i <= 3; ++i) {
    switch (direction) {
      case Qt::LeftArrow: p.drawPoint(c.x() - 1 + i, c.y() - i); p.drawPoint(c.x() - 1 + i, c.y() + i); break;
      case Qt::RightArrow: p.drawPoint(c.x() + 1 - i, c.y() - i); p.drawPoint(c.x() + 1 - i, c.y() + i); break;
      case Qt::UpArrow: p.drawPoint(c.x() - i, c.y() - 1 + i); p.drawPoint(c.x() + i, c.y() - 1 + i); break;
      default: p.drawPoint(c.x() - i, c.y() + 1 - i); p.drawPoint(c.x() + i, c.y() + 1 - i); break;
    }
  }
}

}  // namespace

CPreviewControl::CPreviewControl(const CTemplateControl& c, QWidget* parent)
    : QWidget(parent),
      m_kind(PreviewKindOf(c)),
      m_style(c.style),
      m_exStyle(c.exStyle),
      m_units(c.rect),
      m_titleIsOrdinal(c.titleIsOrdinal),
      m_titleOrdinal(c.titleOrdinal) {
  setStyle(PreviewStyle());
  setPalette(PreviewPalette());
  setFocusPolicy(Qt::NoFocus);
  setAttribute(Qt::WA_TransparentForMouseEvents);
  const std::u16string name = TemplateClassName(c);
  if (!name.empty() && name[0] == u'{')
    m_text = QStringLiteral("Missing ActiveX Control");
  else if (!c.titleIsOrdinal)
    m_text = Q(c.title);
}

void CPreviewControl::SetText(const QString& text) {
  m_text = text;
  update();
}

void CPreviewControl::SetEntries(const QStringList& entries) {
  m_entries = entries;
  update();
}

void CPreviewControl::SetEntry(int n, const QString& text) {
  if (n < 0 || n >= m_entries.size()) return;
  m_entries[n] = text;
  update();
}

void CPreviewControl::ShowEntry(int n) {
  m_shown = n;
  update();
}

void CPreviewControl::SetPicture(const QPixmap& picture) {
  m_picture = picture;
  update();
}

void CPreviewControl::SetStruckOut(bool struck) {
  m_struck = struck;
  QFont f = font();
  f.setStrikeOut(struck);
  setFont(f);
  update();
}

QRect CPreviewControl::Inside() const {
  int edge = 0;
  if ((m_exStyle & WS_EX_CLIENTEDGE) || ((m_style & WS_BORDER) && Sunken(m_kind)))
    edge = 2;
  else if ((m_exStyle & WS_EX_STATICEDGE) || (m_style & WS_BORDER) || m_kind == PreviewKind::Bordered ||
           (m_kind == PreviewKind::Text && (m_style & SS_SUNKEN)))
    edge = 1;
  return rect().adjusted(edge, edge, -edge, -edge);
}

void CPreviewControl::PaintBorder(QPainter& p) {
  const QPalette& pal = palette();
  if ((m_exStyle & WS_EX_CLIENTEDGE) || ((m_style & WS_BORDER) && Sunken(m_kind)))
    qDrawWinPanel(&p, rect(), pal, true);
  else if ((m_exStyle & WS_EX_STATICEDGE) || (m_kind == PreviewKind::Text && (m_style & SS_SUNKEN)))
    qDrawShadeRect(&p, rect(), pal, true, 1);
  else if ((m_style & WS_BORDER) || m_kind == PreviewKind::Bordered) {
    p.setPen(Qt::black);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
  }
}

int CPreviewControl::TextFlags() const {
  if (m_kind != PreviewKind::Text) return Qt::TextShowMnemonic;
  int flags = (m_style & SS_NOPREFIX) ? 0 : Qt::TextShowMnemonic;
  switch (m_style & 0x1F) {
    case 1: flags |= Qt::AlignHCenter | Qt::TextWordWrap; break;
    case 2: flags |= Qt::AlignRight | Qt::TextWordWrap; break;
    case 11: case 12: flags |= Qt::AlignLeft | Qt::TextSingleLine; break;
    default: flags |= Qt::AlignLeft | Qt::TextWordWrap; break;
  }
  if (m_style & 0x200) flags |= Qt::AlignVCenter;  // SS_CENTERIMAGE
  if (m_style & 0xC000) flags = (flags & ~(Qt::TextWordWrap | Qt::TextShowMnemonic)) | Qt::TextSingleLine;
  return flags;
}

void CPreviewControl::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setFont(font());
  switch (m_kind) {
    case PreviewKind::PushButton: case PreviewKind::CheckBox: case PreviewKind::RadioButton:
    case PreviewKind::IconButton:
      PaintButton(p);
      break;
    case PreviewKind::GroupBox: PaintGroupBox(p); break;
    case PreviewKind::Text: case PreviewKind::Icon: case PreviewKind::Bitmap: case PreviewKind::Rect:
    case PreviewKind::Frame: case PreviewKind::Etched: case PreviewKind::Bordered:
      PaintStatic(p);
      break;
    case PreviewKind::Edit: case PreviewKind::RichEdit: case PreviewKind::IpAddress: case PreviewKind::HotKey:
      PaintField(p);
      break;
    case PreviewKind::ListBox:
      p.fillRect(rect(), palette().color(QPalette::Base));
      PaintBorder(p);
      PaintList(p, Inside(), std::max(0, m_shown));
      break;
    case PreviewKind::ComboBox: PaintCombo(p); break;
    case PreviewKind::ScrollBar: PaintScrollBar(p, rect(), (m_style & 1) != 0); break;
    default: PaintCommon(p); break;
  }
}

void CPreviewControl::PaintButton(QPainter& p) {
  QStyleOptionButton o;
  o.initFrom(this);
  o.text = m_text;
  o.state |= QStyle::State_Off;
  o.state &= ~QStyle::State_HasFocus;
  QStyle* s = style();
  if (m_kind == PreviewKind::CheckBox) {
    s->drawControl(QStyle::CE_CheckBox, &o, &p, this);
  } else if (m_kind == PreviewKind::RadioButton) {
    s->drawControl(QStyle::CE_RadioButton, &o, &p, this);
  } else {
    o.state |= QStyle::State_Raised;
    if (m_kind == PreviewKind::IconButton) {
      o.text.clear();
      const int side = width() >= 32 && height() >= 32 ? 32 : 16;
      o.icon = m_picture.isNull() ? s->standardIcon(QStyle::SP_FileIcon) : QIcon(m_picture);
      o.iconSize = QSize(side, side);
    }
    const bool isDefault = (m_style & 0xF) == 1;
    // The default button's black frame surrounds its bevel.
    if (isDefault) o.rect = rect().adjusted(1, 1, -1, -1);
    s->drawControl(QStyle::CE_PushButton, &o, &p, this);
    if (isDefault) {
      p.setPen(palette().color(QPalette::Shadow));
      p.setBrush(Qt::NoBrush);
      p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
  }
}

void CPreviewControl::PaintGroupBox(QPainter& p) {
  QFontMetrics fm(font());
  const int top = fm.height() / 2;
  qDrawShadeRect(&p, rect().adjusted(0, top, 0, 0), palette(), true, 1);
  if (m_text.isEmpty()) return;
  QString shown = WithoutPrefixes(m_text);
  QRect text(8, 0, fm.horizontalAdvance(shown) + 4, fm.height());
  p.fillRect(text, palette().color(QPalette::Window));
  p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
  p.drawText(text.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextShowMnemonic, m_text);
}

void CPreviewControl::PaintStatic(QPainter& p) {
  const QPalette& pal = palette();
  switch (m_kind) {
    case PreviewKind::Rect: {
      const QColor colours[] = {Qt::black, pal.color(QPalette::Dark), Qt::white};
      p.fillRect(rect(), colours[(m_style & 0x1F) - 4]);
      return;
    }
    case PreviewKind::Frame: {
      const QColor colours[] = {Qt::black, pal.color(QPalette::Dark), Qt::white};
      p.setPen(colours[(m_style & 0x1F) - 7]);
      p.drawRect(rect().adjusted(0, 0, -1, -1));
      return;
    }
    case PreviewKind::Etched:
      if ((m_style & 0x1F) == 16)
        qDrawShadeLine(&p, 0, 0, width(), 0, pal, true, 1, 0);
      else if ((m_style & 0x1F) == 17)
        qDrawShadeLine(&p, 0, 0, 0, height(), pal, true, 1, 0);
      else
        qDrawShadeRect(&p, rect(), pal, true, 1);
      return;
    case PreviewKind::Icon: case PreviewKind::Bitmap: {
      if (!m_picture.isNull()) {
        p.drawPixmap(0, 0, m_picture);
        return;
      }
      QIcon icon = style()->standardIcon(QStyle::SP_FileIcon);
      icon.paint(&p, QRect(0, 0, 32, 32), Qt::AlignLeft | Qt::AlignTop);
      return;
    }
    default: break;
  }
  PaintBorder(p);
  QRect area = Inside();
  int flags = TextFlags();
  QString text = m_text;
  if (m_kind == PreviewKind::Bordered) flags = Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap | Qt::TextShowMnemonic;
  if (m_style & 0xC000) {
    QString plain = (m_style & SS_NOPREFIX) ? m_text : WithoutPrefixes(m_text);
    Qt::TextElideMode mode = (m_style & 0xC000) == SS_PATHELLIPSIS ? Qt::ElideMiddle : Qt::ElideRight;
    text = QFontMetrics(font()).elidedText(plain, mode, area.width());
  }
  p.setPen(pal.color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
  p.drawText(area, flags, text);
}

void CPreviewControl::PaintField(QPainter& p) {
  p.fillRect(rect(), palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Base));
  PaintBorder(p);
  QRect area = Inside().adjusted(1, 1, -1, -1);
  QString text = m_text;
  if (m_kind == PreviewKind::IpAddress) text = QStringLiteral("   .   .   .");
  if (m_style & 0x20) text = QString(text.size(), QChar(0x25CF));  // ES_PASSWORD
  int flags = (m_style & 4) ? Qt::TextWordWrap : Qt::TextSingleLine;
  flags |= (m_style & 3) == 1 ? Qt::AlignHCenter : (m_style & 3) == 2 ? Qt::AlignRight : Qt::AlignLeft;
  p.setPen(palette().color(QPalette::Text));
  p.drawText(area, flags, text);
  if (m_style & WS_VSCROLL) PaintScrollBar(p, QRect(Inside().right() - 16, Inside().top(), 17, Inside().height()), true);
}

void CPreviewControl::PaintList(QPainter& p, const QRect& area, int first) {
  QFontMetrics fm(font());
  p.save();
  p.setClipRect(area);
  p.setPen(palette().color(QPalette::Text));
  int y = area.top();
  for (int n = first; n < m_entries.size() && y < area.bottom(); ++n, y += fm.height())
    p.drawText(QRect(area.left() + 2, y, area.width() - 2, fm.height()), Qt::AlignLeft | Qt::AlignVCenter, m_entries[n]);
  p.restore();
  // A list's scroll bar shows only when the entries overflow, unless it is always wanted.
  const bool overflow = (m_entries.size() - first) * fm.height() > area.height();
  if ((m_style & WS_VSCROLL) && (overflow || (m_style & LBS_DISABLENOSCROLL)))
    PaintScrollBar(p, QRect(area.right() - 16, area.top(), 17, area.height()), true);
}

void CPreviewControl::PaintCombo(QPainter& p) {
  QFontMetrics fm(font());
  const bool simple = (m_style & 3) == 1;
  QRect field = simple ? QRect(0, 0, width(), fm.height() + 8) : rect();
  p.fillRect(field, palette().color(QPalette::Base));
  qDrawWinPanel(&p, field, palette(), true);
  QRect inner = field.adjusted(2, 2, -2, -2);
  QString text = m_shown >= 0 && m_shown < m_entries.size() ? m_entries[m_shown] : QString();
  if (!simple) {
    QRect button(inner.right() - 16, inner.top(), 17, inner.height());
    qDrawWinButton(&p, button, palette(), false, &palette().brush(QPalette::Button));
    QStyleOption arrow;
    arrow.initFrom(this);
    arrow.rect = button.adjusted(3, 3, -3, -3);
    style()->drawPrimitive(QStyle::PE_IndicatorArrowDown, &arrow, &p, this);
    inner.setRight(button.left() - 1);
  }
  p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Text));
  p.drawText(inner.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
  if (simple) {
    QRect list(0, field.bottom() + 1, width(), height() - field.height());
    p.fillRect(list, palette().color(QPalette::Base));
    qDrawWinPanel(&p, list, palette(), true);
    PaintList(p, list.adjusted(2, 2, -2, -2), 0);
  }
}

void CPreviewControl::PaintScrollBar(QPainter& p, const QRect& area, bool vertical) {
  // The platform's flat scroll bar: a light checked track, two arrow boxes with chevrons at
  // its ends and a square thumb at the top (left).
  p.save();
  p.fillRect(area, QColor(0xF5, 0xF5, 0xF5));
  p.fillRect(area, QBrush(Qt::white, Qt::Dense4Pattern));
  const int side = vertical ? area.width() : area.height();
  const int length = vertical ? area.height() : area.width();
  auto box = [&](int at) {
    return vertical ? QRect(area.left(), area.top() + at, side, side) : QRect(area.left() + at, area.top(), side, side);
  };
  const QRect first = box(0), last = box(length - side);
  ScrollBox(p, first);
  ScrollBox(p, last);
  if (length >= 3 * side) ScrollBox(p, box(side));
  ScrollChevron(p, first, vertical ? Qt::UpArrow : Qt::LeftArrow);
  ScrollChevron(p, last, vertical ? Qt::DownArrow : Qt::RightArrow);
  p.restore();
}

void CPreviewControl::PaintCommon(QPainter& p) {
  const QPalette& pal = palette();
  QStyle* s = style();
  QFontMetrics fm(font());
  switch (m_kind) {
    case PreviewKind::ListView: case PreviewKind::TreeView: {
      p.fillRect(rect(), pal.color(QPalette::Base));
      PaintBorder(p);
      QRect area = Inside();
      p.setClipRect(area);
      // Six empty items with their pictures; a tree of one expanded root with four children.
      const QIcon icon = s->standardIcon(m_kind == PreviewKind::TreeView ? QStyle::SP_DirIcon : QStyle::SP_FileIcon);
      for (int i = 0; i < 6; ++i) {
        int indent = m_kind == PreviewKind::TreeView && i >= 1 && i <= 4 ? 19 : 0;
        icon.paint(&p, QRect(area.left() + 2 + indent, area.top() + 2 + i * 17, 16, 16));
      }
      p.setClipping(false);
      return;
    }
    case PreviewKind::Tab: {
      QRect page = rect().adjusted(0, fm.height() + 6, 0, 0);
      qDrawWinButton(&p, page, pal, false);
      for (int i = 0; i < 3; ++i) qDrawWinButton(&p, QRect(2 + i * 24, 2, 24, fm.height() + 6), pal, false);
      return;
    }
    case PreviewKind::Progress: {
      PaintBorder(p);
      QRect area = Inside().adjusted(1, 1, -1, -1);
      QStyleOptionProgressBar o;
      o.initFrom(this);
      o.rect = area;
      o.minimum = 0;
      o.maximum = 100;
      o.progress = 60;
      o.state |= QStyle::State_Horizontal;
      s->drawControl(QStyle::CE_ProgressBarContents, &o, &p, this);
      return;
    }
    case PreviewKind::Trackbar: {
      QStyleOptionSlider o;
      o.initFrom(this);
      o.orientation = (m_style & 2) ? Qt::Vertical : Qt::Horizontal;
      o.maximum = 10;
      o.tickPosition = QSlider::TicksBelow;
      o.subControls = QStyle::SC_SliderGroove | QStyle::SC_SliderHandle | QStyle::SC_SliderTickmarks;
      s->drawComplexControl(QStyle::CC_Slider, &o, &p, this);
      return;
    }
    case PreviewKind::UpDown: {
      QRect up(0, 0, width(), height() / 2), down(0, height() / 2, width(), height() - height() / 2);
      for (auto [r, e] : {std::pair{up, QStyle::PE_IndicatorArrowUp}, std::pair{down, QStyle::PE_IndicatorArrowDown}}) {
        qDrawWinButton(&p, r, pal, false, &pal.brush(QPalette::Button));
        QStyleOption o;
        o.initFrom(this);
        o.rect = r.adjusted(2, 1, -2, -1);
        s->drawPrimitive(e, &o, &p, this);
      }
      return;
    }
    case PreviewKind::DateTime: case PreviewKind::MonthCal:
      p.fillRect(rect(), pal.color(QPalette::Base));
      qDrawWinPanel(&p, rect(), pal, true);
      p.setPen(pal.color(QPalette::Text));
      p.drawText(Inside().adjusted(4, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("01/01/2000"));
      return;
    case PreviewKind::Link:
      p.setPen(QColor(0, 0x66, 0xCC));
      p.drawText(rect(), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                 QString(m_text).remove(QStringLiteral("<a>")).remove(QStringLiteral("</a>")));
      return;
    default:
      PaintBorder(p);
      return;
  }
}
