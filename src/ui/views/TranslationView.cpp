#include "ui/views/TranslationView.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QClipboard>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QTextBlock>
#include <algorithm>

#include "platform/LocaleTable.h"
#include "platform/Messages.h"
#include "project/TvlDoc.h"
#include "resmodel/LocalizedParam.h"
#include "ui/MainWindow.h"
#include "ui/QtText.h"
#include "ui/views/SpellHighlighter.h"
#include "workspace/SpellChecker.h"
#include "workspace/ViewRules.h"

namespace {

// What a box shows at least when the pane has the room.
constexpr int kBoxLines = 4;

// The model's line breaks as the boxes show them (one kind of break).
QString ForDisplay(const std::u16string& text) {
  QString s = QStr(text);
  s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return s;
}

}  // namespace

CTextBox::CTextBox(QWidget* parent) : QPlainTextEdit(parent) {
  // A new line count asks the pane for another height.
  connect(document()->documentLayout(), &QAbstractTextDocumentLayout::documentSizeChanged, this,
          [this] { updateGeometry(); });
}

int CTextBox::LineCount() const {
  // The plain text layout counts its size in lines.
  int lines = static_cast<int>(document()->documentLayout()->documentSize().height());
  return std::max({lines, document()->blockCount(), 1});
}

int CTextBox::HeightForLines(int lines) const {
  QMargins m = contentsMargins();
  return lines * fontMetrics().lineSpacing() + static_cast<int>(2 * document()->documentMargin()) + m.top() +
         m.bottom() + 2;
}

QSize CTextBox::sizeHint() const {
  return QSize(QPlainTextEdit::sizeHint().width(), HeightForLines(std::max(LineCount(), kBoxLines)));
}

QSize CTextBox::minimumSizeHint() const {
  return QSize(QPlainTextEdit::minimumSizeHint().width(), std::max(30, HeightForLines(1)));
}

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
  QMenu* menu = createStandardContextMenu(event->pos());
  if (m_decorateMenu) m_decorateMenu(menu, viewport()->mapFrom(this, event->pos()));
  menu->exec(event->globalPos());
  delete menu;
}

CTranslationView::CTranslationView(CMainFrame* frame, CTvlDoc& document, QWidget* parent)
    : QWidget(parent), m_frame(frame), m_document(document), m_checker(std::make_unique<CSpellChecker>()) {
  setObjectName(QStringLiteral("TranslationView"));
  m_grid = new QGridLayout(this);
  m_grid->setContentsMargins(8, 6, 8, 6);
  m_grid->setHorizontalSpacing(10);
  m_grid->setVerticalSpacing(4);

  auto* sourceLabel = new QLabel(tr("Source text:"), this);
  m_source = new CTextBox(this);
  m_source->setObjectName(QStringLiteral("SourceBox"));
  m_source->setReadOnly(true);
  m_source->setTabChangesFocus(true);

  // The note shares the translation label's line, so it takes no height from the boxes.
  m_translationLabel = new QLabel(tr("&Translation:"), this);
  m_noteIcon = new QLabel(this);
  m_noteIcon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(16, 16));
  m_note = new QLabel(tr("Multiline text. Use <Ctrl+Enter> to insert a carriage return."), this);
  for (QLabel* l : {m_noteIcon, m_note}) {
    QSizePolicy keep = l->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    l->setSizePolicy(keep);
  }
  auto* labelRow = new QHBoxLayout();
  labelRow->setContentsMargins(0, 0, 0, 0);
  labelRow->addWidget(m_translationLabel);
  labelRow->addSpacing(16);
  labelRow->addWidget(m_noteIcon);
  labelRow->addWidget(m_note, 1);

  m_translation = new CTranslationEdit(this);
  m_translation->setObjectName(QStringLiteral("TranslationBox"));
  m_translation->setTabChangesFocus(true);
  m_translationLabel->setBuddy(m_translation);
  m_highlighter = new CSpellHighlighter(m_translation->document(), *m_checker);

  m_ok = new QPushButton(tr("OK"), this);
  m_skip = new QPushButton(tr("&Skip"), this);
  auto* buttons = new QVBoxLayout();
  for (QPushButton* b : {m_ok, m_skip}) {
    b->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    buttons->addWidget(b);
  }
  buttons->addStretch(1);
  m_below = new QVBoxLayout();
  m_below->setContentsMargins(0, 0, 0, 0);

  m_grid->addWidget(sourceLabel, 0, 0);
  m_grid->addWidget(m_source, 1, 0);
  m_grid->addLayout(labelRow, 2, 0);
  m_grid->addWidget(m_translation, 3, 0);
  m_grid->addLayout(buttons, 3, 1);
  m_grid->addLayout(m_below, 4, 0, 1, 2);
  m_grid->setRowStretch(1, 1);
  m_grid->setRowStretch(3, 1);
  m_grid->setColumnStretch(0, 1);

  m_spellingNote = new QLabel(this);
  m_spellingNote->setObjectName(QStringLiteral("SpellingNote"));
  m_spellingNote->hide();
  if (m_frame) m_frame->statusBar()->addPermanentWidget(m_spellingNote);
  Connect();
  m_note->setVisible(false);
  m_noteIcon->setVisible(false);
  SetFormEnabled(false);
  m_document.AddView(this);
}

void CTranslationView::Connect() {
  connect(m_ok, &QPushButton::clicked, this, [this] { Commit(); });
  connect(m_skip, &QPushButton::clicked, this, [this] { Skip(); });
  connect(m_translation, &CTranslationEdit::commitRequested, this, [this] {
    if (m_ok->isEnabled()) Commit();
  });
  m_translation->m_decorateMenu = [this](QMenu* menu, const QPoint& at) {
    AddSpellingActions(menu, at);
    menu->addSeparator();
    QAction* del = menu->addAction(tr("&Delete Translation"));
    del->setEnabled(CanDeleteTranslation());
    connect(del, &QAction::triggered, this, [this] { DeleteTranslation(); });
  };

  for (QPlainTextEdit* box : {static_cast<QPlainTextEdit*>(m_source), static_cast<QPlainTextEdit*>(m_translation)})
    connect(box, &QPlainTextEdit::selectionChanged, this, &CTranslationView::commandStateChanged);
  connect(m_translation, &QPlainTextEdit::undoAvailable, this, &CTranslationView::commandStateChanged);
  connect(m_translation, &QPlainTextEdit::redoAvailable, this, &CTranslationView::commandStateChanged);
}

void CTranslationView::AddBelowBoxes(QWidget* widget, int stretch) {
  m_below->addWidget(widget);
  m_grid->setRowStretch(4, std::max(stretch, m_grid->rowStretch(4)));
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
  UpdateSpelling();
}

void CTranslationView::UpdateSpelling() {
  LANGID before = m_checker->Language();
  bool wasActive = m_highlighter->IsActive();
  bool check = m_formEnabled && m_checker->SetLanguage(m_request.m_language);
  bool noDictionary = m_formEnabled && !check;
  if (noDictionary) {
    std::u16string name = tvl::LocaleDisplayName(m_request.m_language).value_or(u"this language");
    m_spellingNote->setText(tr("No spelling dictionary for %1: spelling is not checked.").arg(QStr(name)));
  }
  m_spellingNote->setVisible(noDictionary);
  // The text was marked for the language before: another one marks other words.
  if (check && wasActive && m_checker->Language() != before) m_highlighter->rehighlight();
  m_highlighter->SetActive(check);
}

void CTranslationView::AddSpellingActions(QMenu* menu, const QPoint& at) {
  if (!m_highlighter->IsActive() || !m_translation->isEnabled()) return;
  QTextCursor cursor = m_translation->cursorForPosition(at);
  QTextBlock block = cursor.block();
  std::u16string text = U16(block.text());
  int pos = cursor.positionInBlock();
  for (const CSpellWord& w : m_checker->Misspelled(text)) {
    if (pos < static_cast<int>(w.start) || pos > static_cast<int>(w.start + w.length)) continue;
    QAction* first = menu->actions().value(0);
    int start = block.position() + static_cast<int>(w.start);
    std::u16string original = text.substr(w.start, w.length);
    std::vector<std::u16string> suggestions = m_checker->Suggestions(w.word);
    for (const std::u16string& suggestion : suggestions) {
      auto* a = new QAction(QStr(suggestion).replace(QLatin1Char('&'), QStringLiteral("&&")), menu);
      menu->insertAction(first, a);
      std::u16string replacement = KeepMnemonic(original, suggestion);
      connect(a, &QAction::triggered, this, [this, start, length = w.length, replacement] {
        QTextCursor c(m_translation->document());
        c.setPosition(start);
        c.setPosition(start + static_cast<int>(length), QTextCursor::KeepAnchor);
        c.insertText(QStr(replacement));
      });
    }
    if (suggestions.empty()) {
      auto* none = new QAction(tr("(No suggestions)"), menu);
      none->setEnabled(false);
      menu->insertAction(first, none);
    }
    menu->insertSeparator(first);
    auto* add = new QAction(tr("&Add to dictionary"), menu);
    add->setObjectName(QStringLiteral("AddToDictionary"));
    menu->insertAction(first, add);
    connect(add, &QAction::triggered, this, [this, word = w.word] {
      if (!m_checker->AddWord(word) && m_frame)
        m_frame->statusBar()->showMessage(tr("The word could not be saved in %1.")
                                              .arg(QString::fromStdString(m_checker->WordsFile(m_checker->Language()))));
      m_highlighter->rehighlight();
    });
    menu->insertSeparator(first);
    return;
  }
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
