#include "ui/views/TextViews.h"

#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QUrl>
#include <QUuid>

#include "formats/layout/ResBinary.h"
#include "formats/layout/ResManifest.h"
#include "project/TvlDoc.h"
#include "ui/MainWindow.h"
#include "ui/QtText.h"
#include "ui/views/ProjectResView.h"
#include "workspace/ContentViewRules.h"

namespace {

// "Courier" at 10 points, else the system's fixed font.
QFont FixedFont() {
  QFont font(QStringLiteral("Courier"), 10);
  font.setStyleHint(QFont::TypeWriter);
  if (!QFontInfo(font).fixedPitch()) font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  return font;
}

const std::vector<BYTE>& BinaryBytes(const CResBinary& binary, LANGID language) {
  return binary.IsTranslatable() ? binary.GetBytes(language) : binary.m_data.m_data;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Shared

CWholeResourceView::CWholeResourceView(CMainFrame* frame, CTvlDoc& document, CResource* resource)
    : m_frame(frame), m_document(document), m_resource(resource) {
  m_document.AddView(this);
}

CWholeResourceView::~CWholeResourceView() { CWholeResourceView::Release(); }

void CWholeResourceView::Release() {
  if (m_released) return;
  m_released = true;
  m_document.RemoveView(this);
}

void CWholeResourceView::OnUpdate(int hint, const void*) {
  if (m_released) return;
  switch (hint) {
    case HintRefreshAll:
    case HintResourceChanged:
    case HintUndoneItemInPlace: Refresh(); break;
    case HintReleaseResourceView: Release(); break;
    default: break;
  }
}

LANGID CWholeResourceView::ShownLanguage() const {
  return m_resource->IsTranslatable() ? m_frame->GetSelectedLanguage() : m_resource->GetSourceLanguage();
}

bool CWholeResourceView::CanDeleteTranslation() const {
  LANGID language = m_frame->GetSelectedLanguage();
  return !m_released && language != 0 && !m_frame->IsSourceLanguageSelected() && m_resource->HasTranslation(language);
}

void CWholeResourceView::DeleteTranslation() {
  if (CanDeleteTranslation()) m_document.UpdateAllViews(HintDeleteTranslation);
}

bool CWholeResourceView::HandleKey(QKeyEvent* event) {
  if (event->modifiers() != Qt::NoModifier) return false;
  if (event->key() == Qt::Key_Tab) {
    if (m_frame->Tree()) m_frame->Tree()->setFocus();
    return true;
  }
  if (event->key() == Qt::Key_Delete) {
    DeleteTranslation();
    return true;
  }
  return false;
}

// ---------------------------------------------------------------------------------------
// Text

CTextView::CTextView(CMainFrame* frame, CTvlDoc& document, CResource* resource, QWidget* parent)
    : QPlainTextEdit(parent), CWholeResourceView(frame, document, resource) {
  setReadOnly(true);
  setUndoRedoEnabled(false);
  setFont(FixedFont());
  setLineWrapMode(QPlainTextEdit::NoWrap);
  setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
}

void CTextView::Refresh() {
  if (!m_released) setPlainText(Text());
}

void CTextView::keyPressEvent(QKeyEvent* event) {
  if (HandleKey(event)) {
    event->accept();
    return;
  }
  QPlainTextEdit::keyPressEvent(event);
}

CManifestView::CManifestView(CMainFrame* frame, CTvlDoc& document, CResManifest* manifest, QWidget* parent)
    : CTextView(frame, document, manifest, parent), m_manifest(manifest) {
  setObjectName(QStringLiteral("ManifestView"));
  Refresh();
}

QString CManifestView::Text() const {
  const CLocalizedString& text = m_manifest->m_text;
  const CLocalizedString* node = text.FindString(ShownLanguage());
  return QStr(node && !text.IsDoNotTranslate() ? node->m_text : text.m_text);
}

// ---------------------------------------------------------------------------------------
// Binary

CBinaryView::CBinaryView(CMainFrame* frame, CTvlDoc& document, CResBinary* binary, QWidget* parent)
    : QAbstractScrollArea(parent), CWholeResourceView(frame, document, binary), m_binary(binary) {
  setObjectName(QStringLiteral("BinaryView"));
  viewport()->setFont(FixedFont());
  setFont(FixedFont());
  viewport()->setBackgroundRole(QPalette::Base);
  setFocusPolicy(Qt::StrongFocus);
  Refresh();
}

const std::vector<BYTE>& CBinaryView::Bytes() const { return BinaryBytes(*m_binary, ShownLanguage()); }

QString CBinaryView::Line(size_t line) const {
  const std::vector<BYTE>& bytes = Bytes();
  return QStr(tvl::DumpLine(bytes.data(), bytes.size(), line));
}

void CBinaryView::Refresh() {
  if (m_released) return;
  UpdateScrollBars();
  viewport()->update();
}

void CBinaryView::UpdateScrollBars() {
  QFontMetrics metrics(font());
  const int lineHeight = std::max(1, metrics.lineSpacing());
  const int lines = static_cast<int>(std::min<size_t>(tvl::DumpLineCount(Bytes().size()), INT_MAX / 2));
  const int visible = viewport()->height() / lineHeight;
  verticalScrollBar()->setRange(0, std::max(0, lines - visible));
  verticalScrollBar()->setPageStep(std::max(1, visible));
  const int width = metrics.horizontalAdvance(QString(static_cast<int>(tvl::kDumpLineWidth), QLatin1Char('0'))) + 8;
  horizontalScrollBar()->setRange(0, std::max(0, width - viewport()->width()));
  horizontalScrollBar()->setPageStep(viewport()->width());
}

void CBinaryView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  UpdateScrollBars();
}

void CBinaryView::paintEvent(QPaintEvent*) {
  if (m_released) return;
  QPainter p(viewport());
  p.setFont(font());
  p.setPen(palette().color(QPalette::Text));
  QFontMetrics metrics(font());
  const int lineHeight = std::max(1, metrics.lineSpacing());
  const std::vector<BYTE>& bytes = Bytes();
  const size_t count = tvl::DumpLineCount(bytes.size());
  const size_t first = static_cast<size_t>(verticalScrollBar()->value());
  const int x = 4 - horizontalScrollBar()->value();
  for (size_t line = first, y = 0; line < count && static_cast<int>(y) < viewport()->height();
       ++line, y += static_cast<size_t>(lineHeight))
    p.drawText(x, static_cast<int>(y) + metrics.ascent(), QStr(tvl::DumpLine(bytes.data(), bytes.size(), line)));
}

void CBinaryView::keyPressEvent(QKeyEvent* event) {
  if (HandleKey(event)) {
    event->accept();
    return;
  }
  QAbstractScrollArea::keyPressEvent(event);
}

// ---------------------------------------------------------------------------------------
// HTML

CHtmlResView::CHtmlResView(CMainFrame* frame, CTvlDoc& document, CResBinary* binary, QWidget* parent)
    : QTextBrowser(parent), CWholeResourceView(frame, document, binary), m_binary(binary) {
  setObjectName(QStringLiteral("HtmlResView"));
  // Only the view's own navigation to the file is allowed: links in the page go nowhere.
  setOpenLinks(false);
  setOpenExternalLinks(false);
  Refresh();
}

CHtmlResView::~CHtmlResView() {
  if (!m_file.isEmpty()) QFile::remove(m_file);
}

void CHtmlResView::Refresh() {
  if (m_released) return;
  if (!m_file.isEmpty()) QFile::remove(m_file);
  const std::u16string extension = tvl::NameExtension(m_binary->m_identifier.m_name);
  m_file = QDir(QDir::tempPath()).filePath(QUuid::createUuid().toString() + QStr(extension));
  QFile file(m_file);
  const std::vector<BYTE>& bytes = BinaryBytes(*m_binary, ShownLanguage());
  if (!file.open(QIODevice::WriteOnly) ||
      file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size())) !=
          static_cast<qint64>(bytes.size())) {
    clear();
    return;
  }
  file.close();
  const QUrl url = QUrl::fromLocalFile(m_file);
  const QString lower = m_file.toLower();
  if (lower.endsWith(QStringLiteral(".htm")) || lower.endsWith(QStringLiteral(".html")) ||
      lower.endsWith(QStringLiteral(".xhtml"))) {
    setSource(url, QTextDocument::HtmlResource);
  } else if (QImage(m_file).isNull()) {
    // Server pages and the like: their markup as the browser would show it.
    setSource(url, QTextDocument::HtmlResource);
  } else {
    setHtml(QStringLiteral("<img src=\"%1\">").arg(url.toString().toHtmlEscaped()));
  }
}

void CHtmlResView::keyPressEvent(QKeyEvent* event) {
  if (HandleKey(event)) {
    event->accept();
    return;
  }
  QTextBrowser::keyPressEvent(event);
}
