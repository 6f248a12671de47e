#include "ui/views/DialogPreview.h"

#include <QFontDatabase>
#include <QBuffer>
#include <QHash>
#include <QImageReader>
#include <QPainter>
#include <QStyle>
#include <QStyleFactory>
#include <QStyleOption>
#include <qdrawutil.h>

#include "formats/layout/DlgInit.h"
#include "formats/layout/ResBinary.h"
#include "formats/layout/ResDialog.h"
#include "formats/layout/ResIcon.h"
#include "resmodel/ResTable.h"
#include "platform/Text.h"
#include "project/TvlDoc.h"
#include "resmodel/CompileContext.h"
#include "workspace/CommandIds.h"

namespace {

constexpr DWORD WS_BORDER = 0x00800000;

const QColor kInactiveCaption(0x80, 0x80, 0x80);
const QColor kInactiveCaptionText(0xC8, 0xC8, 0xC8);

QString Q(const std::u16string& s) { return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size())); }

bool SameClass(const std::u16string& name, std::u16string_view want) { return tvl::CompareNoCase(name, want) == 0; }

PreviewKind ButtonKind(DWORD style) {
  switch (style & 0xF) {
    case 2: case 3: case 5: case 6: return (style & 0x1000) ? PreviewKind::PushButton : PreviewKind::CheckBox;
    case 4: case 9: return (style & 0x1000) ? PreviewKind::PushButton : PreviewKind::RadioButton;
    case 7: return PreviewKind::GroupBox;
    default: return (style & 0x40) ? PreviewKind::IconButton : PreviewKind::PushButton;
  }
}

PreviewKind StaticKind(DWORD style) {
  switch (style & 0x1F) {
    case 3: return PreviewKind::Icon;
    case 14: case 15: return PreviewKind::Bitmap;
    case 4: case 5: case 6: return PreviewKind::Rect;
    case 7: case 8: case 9: return PreviewKind::Frame;
    case 16: case 17: case 18: return PreviewKind::Etched;
    default: return PreviewKind::Text;
  }
}

}  // namespace

PreviewKind PreviewKindOf(const CTemplateControl& c) {
  const std::u16string name = TemplateClassName(c);
  if (!name.empty() && name[0] == u'{') return PreviewKind::Bordered;
  const std::pair<std::u16string_view, PreviewKind> named[] = {
      {u"Edit", PreviewKind::Edit}, {u"ListBox", PreviewKind::ListBox}, {u"ComboBox", PreviewKind::ComboBox},
      {u"ComboBoxEx32", PreviewKind::ComboBox}, {u"ScrollBar", PreviewKind::ScrollBar},
      {u"SysListView32", PreviewKind::ListView}, {u"SysTreeView32", PreviewKind::TreeView},
      {u"SysTabControl32", PreviewKind::Tab}, {u"msctls_progress32", PreviewKind::Progress},
      {u"msctls_trackbar32", PreviewKind::Trackbar}, {u"msctls_updown32", PreviewKind::UpDown},
      {u"SysDateTimePick32", PreviewKind::DateTime}, {u"SysMonthCal32", PreviewKind::MonthCal},
      {u"SysIPAddress32", PreviewKind::IpAddress}, {u"msctls_hotkey32", PreviewKind::HotKey},
      {u"SysLink", PreviewKind::Link}, {u"RichEdit20W", PreviewKind::RichEdit},
      {u"RichEdit50W", PreviewKind::RichEdit}};
  if (SameClass(name, u"Button")) return ButtonKind(c.style);
  if (SameClass(name, u"Static")) return (c.style & 0x1F) == 1 && (c.style & WS_BORDER) ? PreviewKind::Bordered
                                                                                          : StaticKind(c.style);
  for (const auto& [n, kind] : named)
    if (SameClass(name, n)) return kind;
  return PreviewKind::Blank;
}

QStyle* PreviewStyle() {
  static QStyle* style = [] {
    QStyle* s = QStyleFactory::create(QStringLiteral("Windows"));
    if (!s) s = QStyleFactory::create(QStringLiteral("Fusion"));
    return s;
  }();
  return style;
}

QPalette PreviewPalette() {
  // The classic scheme's button face, shadows and window colours.
  QPalette p(QColor(0xF5, 0xF5, 0xF5));
  for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    p.setColor(group, QPalette::Window, QColor(0xF5, 0xF5, 0xF5));
    p.setColor(group, QPalette::Button, QColor(0xF5, 0xF5, 0xF5));
    p.setColor(group, QPalette::Base, Qt::white);
    p.setColor(group, QPalette::Light, Qt::white);
    p.setColor(group, QPalette::Midlight, QColor(0xE3, 0xE3, 0xE3));
    p.setColor(group, QPalette::Mid, QColor(0xA6, 0xA6, 0xA6));
    p.setColor(group, QPalette::Dark, QColor(0xA6, 0xA6, 0xA6));
    p.setColor(group, QPalette::Shadow, QColor(0x6A, 0x6A, 0x6A));
    p.setColor(group, QPalette::Highlight, QColor(0x33, 0x99, 0xFF));
    p.setColor(group, QPalette::HighlightedText, Qt::white);
    QColor text = group == QPalette::Disabled ? QColor(0x6D, 0x6D, 0x6D) : QColor(Qt::black);
    p.setColor(group, QPalette::WindowText, text);
    p.setColor(group, QPalette::ButtonText, text);
    p.setColor(group, QPalette::Text, text);
  }
  return p;
}

QFont PreviewQFont(const std::u16string& face, int points, int weight, bool italic) {
  static QHash<QString, QString> families;
  auto measure = tvl::CMeasureFont::Open(face, tvl::PointsToLogicalHeight(points), weight, italic);
  QFont font;
  if (measure) {
    QString file = QString::fromStdString(measure->GetFile());
    auto it = families.find(file);
    if (it == families.end()) {
      int id = QFontDatabase::addApplicationFont(file);
      QStringList names = id >= 0 ? QFontDatabase::applicationFontFamilies(id) : QStringList();
      it = families.insert(file, names.isEmpty() ? QString() : names.first());
    }
    if (!it->isEmpty()) font = QFont(*it);
    font.setPixelSize(measure->GetPixelSize());
  } else {
    font.setPixelSize(-tvl::PointsToLogicalHeight(points));
  }
  font.setBold(weight >= 600);
  font.setItalic(italic);
  font.setKerning(false);
  font.setHintingPreference(QFont::PreferFullHinting);
  // The platform draws dialog text without smoothing in the classic look.
  font.setStyleStrategy(QFont::NoAntialias);
  return font;
}

// ---------------------------------------------------------------------------------------
// The dialog window

CDialogPreview::CDialogPreview(const CDialogTemplate& t, QWidget* parent)
    : QWidget(parent), m_style(t.style), m_exStyle(t.exStyle), m_frame(tvl::DialogFrameOf(t.style, t.exStyle)) {
  setObjectName(QStringLiteral("DialogPreview"));
  setStyle(PreviewStyle());
  setPalette(PreviewPalette());
  setAutoFillBackground(false);
  // The units and font come from the measuring context auto-grow uses.
  CTemplateMeasuringContext context;
  context.Create(t.words);
  m_baseX = context.m_w1000 / 250;
  m_baseY = context.m_h1000 / 125;
  if (t.font.present)
    m_font = PreviewQFont(t.font.face, t.font.pointSize == 0x7FFF ? 8 : t.font.pointSize,
                         t.font.weight == 0xFFFF ? 400 : t.font.weight, t.font.italic != 0);
  else
    m_font = PreviewQFont(u"MS Sans Serif", 8, 700, false);
  // Tool windows use the small caption font, which is not bold.
  m_captionFont = PreviewQFont(u"Tahoma", 8, (t.exStyle & 0x80) ? 400 : 700, false);
  setFont(m_font);
  m_caption = Q(t.caption);
  QRect client = ToPixels({0, 0, t.cx, t.cy});
  resize(client.width() + 2 * m_frame.border, client.height() + 2 * m_frame.border + m_frame.caption);
  for (const CTemplateControl& c : t.controls) {
    auto* control = new CPreviewControl(c, this);
    control->setFont(m_font);
    m_controls.push_back(control);
    PlaceControl(static_cast<int>(m_controls.size()) - 1, c.rect);
  }
}

QRect CDialogPreview::ToPixels(const tvl::Rect& units) const {
  tvl::Rect r = MapDialogRect(units, m_baseX, m_baseY);
  return QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1)).translated(ClientOrigin());
}

void CDialogPreview::PlaceControl(int index, const tvl::Rect& units) {
  CPreviewControl* c = Control(index);
  if (!c) return;
  c->SetUnits(units);
  QRect r = ToPixels(units);
  // A drop-down combo box's window is its closed field; the template's height is the list's.
  if (c->Kind() == PreviewKind::ComboBox && (c->Style() & 3) != 1)
    r.setHeight(std::min(r.height(), QFontMetrics(m_font).height() + 8));
  // Icon and bitmap statics take their picture's size unless SS_REALSIZECONTROL.
  if ((c->Kind() == PreviewKind::Icon || c->Kind() == PreviewKind::Bitmap) && !(c->Style() & 0x40))
    r.setSize(c->Picture().isNull() ? QSize(32, 32) : c->Picture().size());
  c->setGeometry(r);
}

CPreviewControl* CDialogPreview::Control(int index) const {
  return index >= 0 && index < ControlCount() ? m_controls[static_cast<size_t>(index)] : nullptr;
}

void CDialogPreview::SetCaption(const QString& caption) {
  m_caption = caption;
  update();
}

void CDialogPreview::SetCaptionDone(bool done) {
  m_captionDone = done;
  update();
}

bool CDialogPreview::HasSmallIcon() const {
  // A system menu without modal frame brings the small icon before the text; tool windows have none.
  return (m_style & 0x00080000) && !(m_style & 0x80) && !(m_exStyle & 0x80);
}

QRect CDialogPreview::CaptionTextRect() const {
  if (m_frame.caption == 0) return {};
  int left = m_frame.border + 2;
  if (HasSmallIcon()) left += 16 + 2;
  QFontMetrics fm(m_captionFont);
  return QRect(left, m_frame.border, fm.horizontalAdvance(m_caption), m_frame.caption - 1);
}

void CDialogPreview::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QPalette pal = palette();
  p.fillRect(rect(), pal.color(QPalette::Window));
  QRect outer = rect();
  if (m_frame.border == 1) {
    p.setPen(Qt::black);
    p.drawRect(outer.adjusted(0, 0, -1, -1));
  } else if (m_frame.border > 1) {
    // The raised edge of a dialog frame; a sizing frame has one more row of face.
    qDrawWinPanel(&p, outer, pal, false);
  }
  if (m_frame.caption) PaintCaption(p);
}

void CDialogPreview::PaintCaption(QPainter& p) {
  const int b = m_frame.border;
  QRect bar(b, b, width() - 2 * b, m_frame.caption - 1);
  // Drawn inactive, as a window that does not have the focus.
  p.fillRect(bar, kInactiveCaption);
  QRect text = CaptionTextRect();
  if (HasSmallIcon()) {
    // The program's small icon: a plain window.
    QRect icon(b + 3, bar.top() + (bar.height() - 12) / 2, 13, 11);
    p.fillRect(icon, Qt::white);
    p.fillRect(icon.left(), icon.top(), icon.width(), 3, QColor(0, 0, 0x80));
    p.setPen(Qt::black);
    p.drawRect(icon);
  }
  p.setFont(m_captionFont);
  p.setPen(kInactiveCaptionText);
  p.drawText(QRect(text.left(), bar.top(), bar.right() - text.left() - 20, bar.height()),
             Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, m_caption);
  if (m_frame.closeBox) {
    const int h = bar.height() - 4, w = h + 2;
    QRect box(bar.right() - 2 - w + 1, bar.top() + 2, w, h);
    qDrawWinButton(&p, box, palette(), false, &palette().brush(QPalette::Button));
    p.setPen(QPen(Qt::black, 1.5));
    QRect x = box.adjusted(w / 2 - 3, h / 2 - 3, -(w - w / 2 - 3), -(h - h / 2 - 3));
    p.drawLine(x.topLeft(), x.bottomRight());
    p.drawLine(x.topRight(), x.bottomLeft());
  }
}

// ---------------------------------------------------------------------------------------
// Building the preview of a dialog

CPreviewSource PreviewSourceFor(const CTvlDoc& document, LANGID language) {
  CPreviewSource source;
  source.sourceLanguage = document.m_sourceLanguage.GetLanguage();
  source.language = language ? language : source.sourceLanguage;
  CLanguage record(source.language);
  int index = document.m_languages.Find(source.language);
  if (index >= 0) record = document.m_languages[index];
  PreviewFont font = record.GetPreviewFont();
  source.fontFace = font.name;
  source.fontSize = font.size;
  source.charSet = static_cast<BYTE>(record.GetCharSet());
  return source;
}

namespace {

CResourceData PreviewBuffer(const CPreviewSource& source) {
  CResourceData data;
  data.m_language = source.language;
  data.m_sourceLanguage = source.sourceLanguage;
  data.m_fontFace = source.fontFace;
  data.m_fontSize = source.fontSize;
  data.m_fontWeight = 400;
  data.m_fontItalic = 0;
  data.m_fontCharset = source.charSet;
  data.m_preview = 1;
  return data;
}

// The list and combo boxes receive their initialisation strings; the entry they show
// depends on the display mode.
void DressLists(CDialogPreview& preview, const CResDialog& dialog, const CPreviewSource& source, int mode) {
  CResourceData data = PreviewBuffer(source);
  dialog.WriteDlgInit(data);
  if (data.GetSize() == 0) return;
  std::vector<QStringList> lists(static_cast<size_t>(preview.ControlCount()));
  for (const CPreviewInitEntry& entry : ReadPreviewInitData(data.GetBytes(), tvl::DlgInitCodePage(source.language)))
    if (entry.control < lists.size()) lists[entry.control].append(Q(entry.text));
  for (int i = 0; i < preview.ControlCount(); ++i) {
    CPreviewControl* c = preview.Control(i);
    if (c->Kind() != PreviewKind::ListBox && c->Kind() != PreviewKind::ComboBox) continue;
    c->SetEntries(lists[static_cast<size_t>(i)]);
    c->ShowEntry(tvl::EntryShownFirst(dialog, i, source.language, mode));
  }
}

// The image of an .ico file closest to side x side, most colours first.
QPixmap IconPicture(const std::vector<BYTE>& file, int side) {
  QByteArray bytes(reinterpret_cast<const char*>(file.data()), static_cast<qsizetype>(file.size()));
  QBuffer buffer(&bytes);
  QImageReader reader(&buffer, "ico");
  QImage best;
  for (int i = 0; i < std::max(1, reader.imageCount()); ++i) {
    if (i > 0 && !reader.jumpToImage(i)) break;
    QImage image = reader.read();
    if (image.isNull()) continue;
    const bool fits = image.width() == side, bestFits = best.width() == side;
    if (best.isNull() || (fits && !bestFits) || (fits == bestFits && image.depth() > best.depth())) best = image;
  }
  if (best.isNull()) return {};
  return QPixmap::fromImage(best.size() == QSize(side, side) ? best : best.scaled(side, side));
}

QPixmap SystemIcon(WORD ordinal) {
  const QStyle::StandardPixmap icons[] = {QStyle::SP_DesktopIcon,         QStyle::SP_MessageBoxCritical,
                                          QStyle::SP_MessageBoxQuestion,  QStyle::SP_MessageBoxWarning,
                                          QStyle::SP_MessageBoxInformation, QStyle::SP_ComputerIcon};
  return PreviewStyle()->standardIcon(icons[ordinal - 32512]).pixmap(32, 32);
}

// Icon and bitmap statics show the module's picture for the language; icon buttons keep the
// placeholder.
void DressPictures(CDialogPreview& preview, const CResDialog& dialog, const CDialogTemplate& t, LANGID language) {
  const auto* table = dynamic_cast<const CResTable*>(dialog.m_owner ? dialog.m_owner->m_owner : nullptr);
  for (int i = 0; i < preview.ControlCount(); ++i) {
    CPreviewControl* c = preview.Control(i);
    if (c->Kind() != PreviewKind::Icon && c->Kind() != PreviewKind::Bitmap) continue;
    const CTemplateControl& tc = t.controls[static_cast<size_t>(i)];
    if (tc.titleIsOrdinal && tc.titleOrdinal >= 32512 && tc.titleOrdinal <= 32517 && c->Kind() == PreviewKind::Icon) {
      c->SetPicture(SystemIcon(tc.titleOrdinal));
      preview.PlaceControl(i, c->Units());
      continue;
    }
    if (!table) continue;
    CResourceIdentifier id;
    if (tc.titleIsOrdinal)
      id.SetOrdinal(tc.titleOrdinal);
    else
      id.SetString(tc.title);
    std::vector<BYTE> file;
    if (c->Kind() == PreviewKind::Icon) {
      const CResource* group = table->m_icons.FindResource(id);
      if (group && group->GetData(file, language)) c->SetPicture(IconPicture(file, 32));
    } else {
      const CResource* bitmap = table->m_bitmaps.FindResource(id);
      QImage image;
      if (bitmap && bitmap->GetData(file, language) &&
          image.loadFromData(file.data(), static_cast<int>(file.size()), "BMP"))
        c->SetPicture(QPixmap::fromImage(image));
    }
    preview.PlaceControl(i, c->Units());
  }
}

}  // namespace

CDialogPreview* BuildDialogPreview(CResDialog& dialog, const CPreviewSource& source, int mode, QWidget* parent) {
  CResourceData data = PreviewBuffer(source);
  dialog.WriteData(data);
  CDialogTemplate t = CDialogTemplate::Parse(data.GetBytes());
  auto* preview = new CDialogPreview(t, parent);
  DressLists(*preview, dialog, source, mode);
  DressPictures(*preview, dialog, t, source.language);
  return preview;
}

QImage RenderDialogPreview(CResDialog& dialog, const CPreviewSource& source, int zoom) {
  std::unique_ptr<CDialogPreview> preview;
  try {
    preview.reset(BuildDialogPreview(dialog, source, ID_VIEW_TRANSLATABLE, nullptr));
  } catch (...) {
    return {};
  }
  QImage image = preview->grab().toImage();
  if (zoom != 100)
    image = image.scaled(image.size() * zoom / 100, Qt::IgnoreAspectRatio, Qt::FastTransformation);
  return image;
}
