#include "ui/views/TranslationView.h"

#include <QApplication>
#include <QClipboard>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QStyle>
#include <QTextBlock>

#include "platform/Messages.h"
#include "project/TvlDoc.h"
#include "resmodel/LocalizedParam.h"
#include "ui/MainWindow.h"
#include "workspace/ViewRules.h"
#include "ui/QtText.h"

namespace {

// The model's line breaks as the boxes show them (one kind of break).
QString ForDisplay(const std::u16string& text) {
  QString s = QStr(text);
  s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return s;
}

}  // namespace

bool CTranslationEdit::event(QEvent* event) {
  // Undo and Redo go to the project once the box has nothing left to undo or redo.
  if (event->type() == QEvent::ShortcutOverride) {
    auto* key = static_cast<QKeyEvent*>(event);
    if ((key->matches(QKeySequence::Undo) && !document()->isUndoAvailable()) ||
        (key->matches(QKeySequence::Redo) && !document()->isRedoAvailable())) {
      event->ignore();
      return true;
    }
  }
  return QPlainTextEdit::event(event);
}

void CTranslationEdit::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    if (event->modifiers() & Qt::ControlModifier) {
      insertPlainText(QStringLiteral("\n"));
    } else {
      emit commitRequested();
    }
    event->accept();
    return;
  }
  QPlainTextEdit::keyPressEvent(event);
}

void CTranslationEdit::contextMenuEvent(QContextMenuEvent* event) {
  QMenu* menu = createStandardContextMenu();
  if (m_decorateMenu) m_decorateMenu(menu);
  menu->exec(event->globalPos());
  delete menu;
}

CTranslationView::CTranslationView(CMainFrame* frame, CTvlDoc& document, QWidget* parent)
    : QWidget(parent), m_frame(frame), m_document(document) {
  setObjectName(QStringLiteral("TranslationView"));
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(8, 6, 8, 6);
  grid->setHorizontalSpacing(10);
  grid->setVerticalSpacing(4);

  auto* sourceLabel = new QLabel(tr("Source text:"), this);
  m_source = new QPlainTextEdit(this);
  m_source->setObjectName(QStringLiteral("SourceBox"));
  m_source->setReadOnly(true);
  m_source->setMinimumHeight(30);
  m_source->setTabChangesFocus(true);

  m_noteIcon = new QLabel(this);
  m_noteIcon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(16, 16));
  m_note = new QLabel(tr("Multiline text. Use <Ctrl+Enter> to insert a carriage return."), this);
  auto* noteRow = new QHBoxLayout();
  noteRow->setContentsMargins(0, 0, 0, 0);
  noteRow->addWidget(m_noteIcon);
  noteRow->addWidget(m_note, 1);

  m_translationLabel = new QLabel(tr("&Translation:"), this);
  m_translation = new CTranslationEdit(this);
  m_translation->setObjectName(QStringLiteral("TranslationBox"));
  m_translation->setMinimumHeight(30);
  m_translation->setTabChangesFocus(true);
  m_translationLabel->setBuddy(m_translation);

  m_ok = new QPushButton(tr("OK"), this);
  m_skip = new QPushButton(tr("&Skip"), this);
  auto* buttons = new QVBoxLayout();
  buttons->addWidget(m_ok);
  buttons->addWidget(m_skip);
  buttons->addStretch(1);

  grid->addWidget(sourceLabel, 0, 0);
  grid->addWidget(m_source, 1, 0);
  grid->addLayout(noteRow, 2, 0);
  grid->addWidget(m_translationLabel, 3, 0);
  grid->addWidget(m_translation, 4, 0);
  grid->addLayout(buttons, 4, 1);
  grid->setRowStretch(1, 1);
  grid->setRowStretch(4, 1);
  grid->setColumnStretch(0, 1);

  connect(m_ok, &QPushButton::clicked, this, [this] { Commit(); });
  connect(m_skip, &QPushButton::clicked, this, [this] { Skip(); });
  connect(m_translation, &CTranslationEdit::commitRequested, this, [this] {
    if (m_ok->isEnabled()) Commit();
  });
  m_translation->m_decorateMenu = [this](QMenu* menu) {
    menu->addSeparator();
    QAction* del = menu->addAction(tr("&Delete Translation"));
    del->setEnabled(CanDeleteTranslation());
    connect(del, &QAction::triggered, this, [this] { DeleteTranslation(); });
  };

  for (QPlainTextEdit* box : {m_source, static_cast<QPlainTextEdit*>(m_translation)})
    connect(box, &QPlainTextEdit::selectionChanged, this, &CTranslationView::commandStateChanged);
  connect(m_translation, &QPlainTextEdit::undoAvailable, this, &CTranslationView::commandStateChanged);
  connect(m_translation, &QPlainTextEdit::redoAvailable, this, &CTranslationView::commandStateChanged);

  m_note->setVisible(false);
  m_noteIcon->setVisible(false);
  SetFormEnabled(false);
  m_document.AddView(this);
}

CTranslationView::~CTranslationView() { m_document.RemoveView(this); }

QSize CTranslationView::minimumSizeHint() const { return QSize(200, 140); }

void CTranslationView::OnUpdate(int hint, const void* object) {
  switch (hint) {
    case HintTranslationRequest: Offer(static_cast<const CTranslationRequest*>(object)); break;
    case HintFocusEditor:
      window()->activateWindow();
      m_translation->setFocus();
      if (m_ok->isEnabled()) m_translation->selectAll();
      break;
    default: break;
  }
}

void CTranslationView::SetFormEnabled(bool enabled) {
  m_formEnabled = enabled;
  m_translation->setEnabled(enabled);
  m_translationLabel->setEnabled(enabled);
  m_ok->setEnabled(enabled);
  m_skip->setEnabled(enabled);
}

void CTranslationView::Offer(const CTranslationRequest* request) {
  m_request = request ? *request : CTranslationRequest();
  m_multiLine = false;
  const auto* head = dynamic_cast<const CLocalizedString*>(m_request.m_element);
  if (!head) {
    m_sourceText.clear();
    m_existing.clear();
    m_sourceLines = 1;
    m_source->setPlainText(QString());
    m_translation->setPlainText(QString());
    SetFormEnabled(false);
  } else {
    m_sourceText = head->m_text;
    m_source->setPlainText(ForDisplay(m_sourceText));
    m_sourceLines = tvl::CountLines(m_sourceText);
    m_multiLine = m_sourceLines > 1;
    LANGID language = m_request.m_language;
    if (language == 0 || language == head->m_language || head->IsDoNotTranslate()) {
      m_existing.clear();
      m_translation->setPlainText(QString());
      m_multiLine = false;
      SetFormEnabled(false);
    } else {
      const CLocalizedString* node = head->FindString(language);
      m_existing = node && node != head ? node->m_text : std::u16string();
      m_translation->setPlainText(ForDisplay(m_existing));
      bool enabled = !m_sourceText.empty();
      if (!enabled) m_multiLine = false;
      SetFormEnabled(enabled);
    }
  }
  m_note->setVisible(m_multiLine);
  m_noteIcon->setVisible(m_multiLine);
}

std::u16string CTranslationView::TypedText() const {
  // The raw text keeps non-breaking spaces that the plain-text form would replace.
  QString raw = m_translation->document()->toRawText();
  QString out;
  out.reserve(raw.size());
  for (QChar c : raw) {
    if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator || c == QLatin1Char('\n'))
      out += QStringLiteral("\r\n");
    else
      out += c;
  }
  return U16(out);
}

bool CTranslationView::Commit() {
  if (!m_formEnabled) return false;
  std::u16string typed = TypedText();
  const std::u16string& source = m_sourceText;
  bool cancelled = false;
  if (!source.empty() && !typed.empty()) {
    int lines = tvl::CountLines(typed);
    if (lines != m_sourceLines) {
      std::u16string text = FormatMessageText(
          u"The number of lines in source and translation tests do not match : %1!d! line(s) in source text, %2!d! "
          u"line(s) in translation.\n\nAre you sure the translation is correct ?",
          {Arg(static_cast<std::int64_t>(m_sourceLines)), Arg(static_cast<std::int64_t>(lines))});
      cancelled = DoMessageBox(text, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES;
    }
  } else if (!source.empty() && typed.empty() && m_existing.empty()) {
    if (DoMessageBox(u"Should the translation use the source text unchanged ?", MB_YESNO | MB_ICONQUESTION) == IDYES)
      typed = source;
    else
      cancelled = true;
  } else if (!source.empty() && typed.empty()) {
    cancelled = DoMessageBox(u"Do you want to erase the existing translation for this item ?",
                             MB_YESNO | MB_ICONQUESTION) != IDYES;
  }
  if (cancelled) {
    m_translation->setFocus();
    return false;
  }
  Send(tvl::MatchLineBreaks(typed, source), false);
  AfterCommit();
  return true;
}

void CTranslationView::Skip() {
  if (!m_formEnabled) return;
  Send({}, true);
  AfterCommit();
}

bool CTranslationView::CanDeleteTranslation() const {
  return m_formEnabled && !m_sourceText.empty() && !m_existing.empty();
}

void CTranslationView::DeleteTranslation() {
  if (!CanDeleteTranslation()) return;
  m_translation->setPlainText(QString());
  Send({}, false);
  AfterCommit();
}

void CTranslationView::Send(const std::u16string& text, bool skip) {
  // The view that applies it may offer its next item at once: send a copy.
  CTranslationRequest request = m_request;
  request.m_text = skip ? std::u16string() : text;
  request.m_erase = !skip && text.empty() ? 1 : 0;
  request.m_skip = skip ? 1 : 0;
  request.m_toggle = 0;
  m_document.UpdateAllViews(HintTranslationCommitted, &request);
}

void CTranslationView::AfterCommit() {
  m_translation->document()->clearUndoRedoStacks();
  m_translation->selectAll();
  m_translation->setFocus();
}

bool CTranslationView::CanCopy() const {
  QWidget* f = QApplication::focusWidget();
  if (f == m_source) return m_source->textCursor().hasSelection();
  if (f == m_translation) return m_translation->textCursor().hasSelection();
  return false;
}

bool CTranslationView::CanCut() const {
  return QApplication::focusWidget() == m_translation && m_translation->isEnabled() &&
         m_translation->textCursor().hasSelection();
}

bool CTranslationView::CanPaste() const {
  if (QApplication::focusWidget() != m_translation || !m_translation->isEnabled()) return false;
  const QMimeData* data = QApplication::clipboard()->mimeData();
  return data && data->hasText();
}

bool CTranslationView::CanSelectAll() const {
  QWidget* f = QApplication::focusWidget();
  return f == m_source || f == m_translation;
}

bool CTranslationView::BoxCanUndo() const {
  return m_translation->isEnabled() && m_translation->document()->isUndoAvailable();
}

bool CTranslationView::BoxCanRedo() const {
  return m_translation->isEnabled() && m_translation->document()->isRedoAvailable();
}

void CTranslationView::Copy() {
  if (QApplication::focusWidget() == m_source)
    m_source->copy();
  else
    m_translation->copy();
}

void CTranslationView::Cut() { m_translation->cut(); }
void CTranslationView::Paste() { m_translation->paste(); }

void CTranslationView::SelectAll() {
  if (QApplication::focusWidget() == m_source)
    m_source->selectAll();
  else
    m_translation->selectAll();
}

void CTranslationView::BoxUndo() { m_translation->undo(); }
void CTranslationView::BoxRedo() { m_translation->redo(); }
