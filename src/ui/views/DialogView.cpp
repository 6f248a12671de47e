#include "ui/views/DialogView.h"

#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QStyle>
#include <QVBoxLayout>

#include "formats/layout/DlgInit.h"
#include "formats/layout/ResDialog.h"
#include "platform/Messages.h"
#include "project/TvlDoc.h"
#include "resmodel/CompileContext.h"
#include "project/Undo.h"
#include "ui/MainWindow.h"
#include "ui/views/DialogPreview.h"
#include "ui/views/ImageStrip.h"
#include "ui/views/ProjectResView.h"
#include "workspace/ElementIds.h"

namespace {

QString Q(const std::u16string& s) { return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size())); }

constexpr int kMargin = 6;

}  // namespace

// The view's surface: it holds the preview at (6, 6), receives every click (the preview's
// widgets let them through) and draws the marks and the tracker over the preview. Zoomed,
// the preview stays hidden and the surface paints its picture scaled.
class CDialogCanvas : public QWidget {
 public:
  CDialogCanvas(CDialogView* view, QWidget* parent) : QWidget(parent), m_view(view), m_marks(new QWidget(this)) {
    m_marks->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_marks->installEventFilter(this);
    setMouseTracking(true);
  }
  void Hold(CDialogPreview* preview, int zoom) {
    preview->setParent(this);
    preview->move(kMargin, kMargin);
    preview->setAttribute(Qt::WA_TransparentForMouseEvents);
    preview->setVisible(zoom == 100);
    resize(preview->width() * zoom / 100 + 2 * kMargin, preview->height() * zoom / 100 + 2 * kMargin);
    m_marks->setGeometry(rect());
    m_marks->raise();
    m_marks->show();
    update();
  }
  void Repaint() {
    m_marks->update();
    if (m_view->m_zoom != 100) update();
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    CDialogPreview* preview = m_view->m_preview;
    if (!preview || m_view->m_zoom == 100) return;
    QPainter p(this);
    // Whole pixels, as `tvl render --zoom` scales its picture.
    p.drawPixmap(m_view->m_tracker.ToView(QRect(QPoint(0, 0), preview->size())), preview->grab());
  }
  void mousePressEvent(QMouseEvent* event) override {
    if (event->button() != Qt::LeftButton || !m_view->m_preview) return;
    m_view->setFocus();
    const QPoint at = event->position().toPoint();
    if (m_view->StartTracking(at)) return;
    m_view->ClickAt(m_view->m_tracker.ToPreview(at));
  }
  void mouseMoveEvent(QMouseEvent* event) override {
    const QPoint at = event->position().toPoint();
    if (m_view->m_tracker.IsTracking()) {
      m_view->TrackTo(at, event->modifiers());
      return;
    }
    setCursor(m_view->CursorAt(at));
  }
  void mouseReleaseEvent(QMouseEvent* event) override {
    if (event->button() == Qt::LeftButton && m_view->m_tracker.IsTracking()) m_view->FinishTracking();
  }
  void mouseDoubleClickEvent(QMouseEvent* event) override { mousePressEvent(event); }
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == m_marks && event->type() == QEvent::Paint) {
      QPainter p(m_marks);
      PaintMarks(p);
      return true;
    }
    return QWidget::eventFilter(watched, event);
  }

 private:
  void PaintMarks(QPainter& p);

  CDialogView* m_view;
  QWidget* m_marks;
};

void CDialogCanvas::PaintMarks(QPainter& p) {
  CDialogPreview* preview = m_view->m_preview;
  if (!preview) return;
  const CMyRectTracker& tracker = m_view->m_tracker;
  if (m_view->m_grid) m_view->PaintGrid(p);
  p.setPen(QPen(QColor(255, 0, 0), 2));
  for (int i = 0; i < preview->ControlCount(); ++i)
    if (m_view->IsMarked(i)) p.drawRect(tracker.ToView(preview->Control(i)->geometry()).adjusted(-1, -1, 1, 1));
  QRect caption = preview->CaptionTextRect();
  if (!caption.isEmpty()) {
    caption = tracker.ToView(caption).adjusted(-3, 0, 4, 0);
    if (m_view->IsMarked(-1)) {
      p.drawRect(caption);
    } else if (preview->IsCaptionDone()) {
      const int y = caption.top() + caption.height() * 60 / 100;
      p.setPen(QColor(0x80, 0x80, 0x80));
      p.drawLine(caption.left(), y, caption.right(), y);
      p.setPen(QColor(0xC8, 0xC8, 0xC8));
      p.drawLine(caption.left(), y + 1, caption.right(), y + 1);
    }
  }
  tracker.Draw(p);
}

// ---------------------------------------------------------------------------------------

CDialogView::CDialogView(CMainFrame* frame, CTvlDoc& document, CResDialog* dialog, QWidget* parent)
    : QScrollArea(parent), m_frame(frame), m_document(document), m_dialog(dialog) {
  setObjectName(QStringLiteral("DialogView"));
  setFocusPolicy(Qt::StrongFocus);
  setBackgroundRole(QPalette::Base);
  m_canvas = new CDialogCanvas(this, this);
  setWidget(m_canvas);
  setWidgetResizable(false);
  m_document.AddView(this);
}

CDialogView::~CDialogView() { Release(); }

void CDialogView::Release() {
  if (m_released) return;
  m_released = true;
  if (m_frame) m_frame->SetDialogViewOpen(false);
  m_document.RemoveView(this);
  m_document.UpdateAllViews(HintTranslationRequest, nullptr);
}

void CDialogView::RepaintCanvas() { m_canvas->Repaint(); }

void CDialogView::HoldPreview() {
  m_canvas->Hold(m_preview, m_zoom);
  m_tracker.SetView(m_preview->pos(), m_zoom);
}

void CDialogView::Rebuild() {
  m_pending = true;
  m_pendingSelection = m_selected;
  Build();
}

bool CDialogView::OnInitialUpdate() {
  try {
    Build();
  } catch (...) {
    return false;
  }
  return true;
}

void CDialogView::Build() {
  m_language = m_frame->GetSelectedLanguage();
  m_mode = m_frame->GetMode();
  CPreviewSource source = PreviewSourceFor(m_document, m_language);
  m_language = source.language;
  CDialogPreview* preview = BuildDialogPreview(*m_dialog, source, m_mode, m_canvas);
  CloseListEditor();
  delete m_preview;
  m_preview = preview;
  m_context = std::make_unique<CTemplateMeasuringContext>();
  CResourceData data;
  data.m_language = m_language;
  data.m_fontFace = source.fontFace;
  data.m_fontSize = source.fontSize;
  data.m_fontCharset = source.charSet;
  m_context->Create(CTemplateMeasuringContext::BuildTemplate(m_dialog->m_isEx, m_dialog->m_style,
                                                             m_dialog->ChooseFont(data)));
  ApplyMarks();
  HoldPreview();
  m_tracker.Cancel();
  m_clickCycle.clear();
  if (m_frame) m_frame->SetDialogViewOpen(true);
  if (m_pending) {
    m_pending = false;
    tvl::CDialogElement e = m_pendingSelection;
    if (e.index >= 0 && e.string >= 0 && e.string >= m_dialog->GetDlgInitCount(e.index)) e.string = 0;
    m_selected = {-2, -1};
    Select(e);
    return;
  }
  m_selected = {-2, -1};
  tvl::CDialogElement next = m_selected;
  if (tvl::NextElementToTranslate(*m_dialog, m_language, m_mode, next)) Select(next);
}

bool CDialogView::IsMarked(int index) const {
  if (index == -1) return m_captionMarked;
  return index >= 0 && index < static_cast<int>(m_marked.size()) && m_marked[static_cast<size_t>(index)];
}

void CDialogView::ApplyMarks() {
  m_marked.assign(m_dialog->m_items.size(), false);
  m_captionMarked = false;
  for (int i = -1; i < static_cast<int>(m_dialog->m_items.size()); ++i) ApplyMark(i);
}

void CDialogView::ApplyMark(int index) {
  const int threshold = tvl::WorkThreshold(m_mode);
  if (threshold == 0 || !m_preview) return;
  if (index == -1) {
    m_captionMarked = tvl::CaptionNeedsWork(*m_dialog, m_language, threshold);
    m_preview->SetCaptionDone(!m_captionMarked && !m_preview->Caption().isEmpty());
    return;
  }
  CPreviewControl* c = m_preview->Control(index);
  if (!c || index >= static_cast<int>(m_marked.size())) return;
  const bool work = tvl::ControlNeedsWork(*m_dialog, index, m_language, threshold);
  m_marked[static_cast<size_t>(index)] = work;
  c->setEnabled(work);
  c->SetStruckOut(!work && c->Kind() != PreviewKind::ComboBox);
}

void CDialogView::ClickAt(QPoint point) {
  if (!m_preview) return;
  if (m_listEditor && m_preview->Control(m_listControl)->Kind() == PreviewKind::ComboBox) {
    CloseListEditor();
    return;
  }
  std::vector<tvl::Rect> rects;
  for (int i = 0; i < m_preview->ControlCount(); ++i) {
    QRect g = m_preview->Control(i)->geometry();
    rects.push_back({g.left(), g.top(), g.right() + 1, g.bottom() + 1});
  }
  auto candidates = tvl::ClickCandidates(rects, point.x(), point.y());
  if (!QRect(QPoint(0, 0), m_preview->size()).contains(point) && candidates.front().window == -1) candidates = {{-1, 0}};
  int window = tvl::ChooseClicked(candidates, m_clickCycle, m_selected.index);
  m_clickCycle = candidates;
  Select({window, HasStrings(window) ? 0 : -1});
  if (HasStrings(window) && !InLayoutMode()) OpenListEditor(window);
}

bool CDialogView::HasStrings(int index) const {
  return index >= 0 && index < static_cast<int>(m_dialog->m_items.size()) &&
         tvl::IsListControl(*m_dialog->m_items[static_cast<size_t>(index)]) && m_dialog->GetDlgInitCount(index) > 0;
}

void CDialogView::OpenListEditor(int index) {
  CPreviewControl* c = m_preview ? m_preview->Control(index) : nullptr;
  if (!c || !HasStrings(index)) return;
  if (m_listEditor && m_listControl == index) return;
  CloseListEditor();
  m_listControl = index;
  m_listEditor = new QListWidget(m_canvas);
  m_listEditor->setObjectName(QStringLiteral("ListEditor"));
  m_listEditor->setSelectionMode(QAbstractItemView::SingleSelection);
  m_listEditor->setUniformItemSizes(true);
  const int count = m_dialog->GetDlgInitCount(index);
  for (int n = 0; n < count; ++n) {
    m_listEditor->addItem(QString());
    FillListRow(n);
  }
  QRect r = m_tracker.ToView(c->geometry());
  if (c->Kind() == PreviewKind::ComboBox) {
    // Below the edit field, at most six rows.
    const int rows = std::min(count, 6);
    const int height = rows * m_listEditor->sizeHintForRow(0) + 2 * m_listEditor->frameWidth();
    r = QRect(r.left(), r.bottom() + 1, r.width(), height);
  }
  m_listEditor->setGeometry(r);
  m_listEditor->setCurrentRow(std::max(0, m_selected.string));
  connect(m_listEditor, &QListWidget::currentRowChanged, this, [this](int row) {
    if (row >= 0 && row != m_selected.string) Select({m_listControl, row});
  });
  m_listEditor->show();
  m_listEditor->raise();
}

void CDialogView::FillListRow(int row) {
  if (!m_listEditor || row < 0 || row >= m_listEditor->count()) return;
  const CDlgInitMsg* entry = m_dialog->GetDlgInit(m_listControl, row);
  const CLocalizedString* text = entry ? entry->GetText() : nullptr;
  QListWidgetItem* item = m_listEditor->item(row);
  item->setText(text ? Q(text->GetBuildText(m_language)) : QString());
  item->setIcon(text && !text->IsDoNotTranslate() ? tvl::ui::ValueStatusIcon(*text, m_language) : QIcon());
}

void CDialogView::CloseListEditor() {
  if (!m_listEditor) return;
  QListWidget* editor = m_listEditor;
  m_listEditor = nullptr;
  m_listControl = -1;
  editor->hide();
  editor->deleteLater();
}

void CDialogView::Select(const tvl::CDialogElement& element) {
  const bool changed = !(element == m_selected);
  m_selected = element;
  if (m_listEditor && element.index != m_listControl) CloseListEditor();
  if (m_listEditor && element.string >= 0 && m_listEditor->currentRow() != element.string)
    m_listEditor->setCurrentRow(element.string);
  if (!m_listEditor && element.string >= 0 && !InLayoutMode() && m_preview && m_preview->Control(element.index) &&
      m_preview->Control(element.index)->Kind() == PreviewKind::ListBox)
    OpenListEditor(element.index);
  if (m_preview && element.index >= 0 && element.string >= 0)
    if (CPreviewControl* c = m_preview->Control(element.index);
        c && c->Kind() == PreviewKind::ComboBox)
      c->ShowEntry(element.string);
  ApplyTracker();
  if (m_preview) {
    const QRect target = m_tracker.ToView(ShownRect(element.index));
    ensureVisible(target.center().x(), target.center().y(), target.width() / 2 + 8, target.height() / 2 + 8);
  }
  m_canvas->Repaint();
  if (changed) Offer();
  // The window's Delete Translation follows the selected element.
  if (changed && m_frame) m_frame->UpdateCommandUi();
}

bool CDialogView::SelectElement(const std::string& element) {
  std::optional<tvl::CDialogElement> e = tvl::DialogElementOf(*m_dialog, element);
  if (!e || m_released) return false;
  m_selected = {-2, -1};  // offered again even when it was selected
  Select(*e);
  return true;
}

void CDialogView::Offer() {
  if (m_released) return;
  m_offer = CTranslationRequest();
  m_offer.m_view = this;
  m_offer.m_item = m_selected.index;
  m_offer.m_subItem = m_selected.string;
  m_offer.m_language = m_language;
  m_offer.m_element = tvl::ElementValue(*m_dialog, m_selected);
  m_document.UpdateAllViews(HintTranslationRequest, &m_offer);
}

void CDialogView::GoToNext() {
  tvl::CDialogElement next = m_selected;
  if (tvl::NextElementToTranslate(*m_dialog, m_language, m_mode, next))
    Select(next);
  else if (m_selected.index != -2) {
    m_document.SendToViews(HintNextToTranslate);
  }
}

void CDialogView::WriteElement(const tvl::CDialogElement& e) {
  if (!m_preview) return;
  const auto* value = dynamic_cast<const CLocalizedString*>(tvl::ElementValue(*m_dialog, e));
  if (!value) return;
  const QString text = Q(value->GetBuildText(m_language));
  if (e.index == -1) {
    m_preview->SetCaption(text);
    return;
  }
  CPreviewControl* c = m_preview->Control(e.index);
  if (!c) return;
  if (e.string >= 0) {
    c->SetEntry(e.string, text);
    if (e.index == m_listControl) FillListRow(e.string);
    return;
  }
  c->SetText(text);
  // The text may need a larger box now: auto-grow as the writer applies it.
  m_preview->PlaceControl(e.index, m_dialog->m_items[static_cast<size_t>(e.index)]->GetItemRect(m_language, m_context.get()));
}

void CDialogView::ApplyCommit(const CTranslationRequest& request) {
  if (!request.m_skip) {
    auto* value = dynamic_cast<CLocalizedString*>(request.m_element);
    if (!value) return;
    const LANGID language = request.m_language;
    const CLocalizedParam* node = value->FindValue(language);
    const bool hasValue = node && node != value;
    auto action = std::make_unique<CUndoTranslateString>();
    action->m_object = m_dialog;
    action->m_language = language;
    action->m_toggle = request.m_toggle ? 1 : 0;
    action->m_status = value->GetValueStatus(language);
    action->m_head = value;
    action->m_text = hasValue ? static_cast<const CLocalizedString*>(node)->m_text : std::u16string();
    action->m_chainIndex = hasValue ? tvl::TranslationIndex(*value, language) : -1;
    action->m_index1 = request.m_item;
    action->m_index2 = request.m_subItem;
    m_document.AddUndoAction(std::move(action));
    if (request.m_erase)
      value->RemoveTranslation(language, true);
    else if (!request.m_toggle)
      value->SetTranslation(request.m_text, language);
    m_document.SetModifiedFlag(true);
    const tvl::CDialogElement element{request.m_item, request.m_subItem};
    WriteElement(element);
    ApplyMark(element.index);
    m_canvas->Repaint();
    const int before = m_dialog->GetStatus(language);
    m_dialog->UpdateStatus(language);
    if (m_dialog->GetStatus(language) != before) m_document.UpdateAllViews(HintResourceStatusChanged, m_dialog);
    if (request.m_toggle && !value->IsDoNotTranslate()) {
      Offer();
      return;
    }
  }
  GoToNext();
}

void CDialogView::ApplyUndo(int hint, const CUndoTranslateString* action) {
  if (action->m_object != m_dialog) return;
  const tvl::CDialogElement element{action->m_index1, action->m_index2};
  if (hint == HintUndoneItemInPlace) {
    WriteElement(element);
    ApplyMark(element.index);
  }
  m_selected = {-2, -1};
  Select(element);
}

bool CDialogView::CanDeleteTranslation() const {
  if (m_released) return false;
  auto* value = dynamic_cast<CLocalizedString*>(tvl::ElementValue(*m_dialog, m_selected));
  if (!value || m_language == m_document.m_sourceLanguage.GetLanguage() || value->m_text.empty()) return false;
  const CLocalizedParam* node = value->FindValue(m_language);
  return node && node != value && node->m_status != 0;
}

void CDialogView::DeleteTranslation() {
  if (!CanDeleteTranslation()) return;
  if (InLayoutMode()) {
    DeleteLayout();
    return;
  }
  auto* value = dynamic_cast<CLocalizedString*>(tvl::ElementValue(*m_dialog, m_selected));
  CTranslationRequest request = m_offer;
  request.m_element = value;
  request.m_erase = 1;
  m_document.UpdateAllViews(HintTranslationCommitted, &request);
}

void CDialogView::OnUpdate(int hint, const void* object) {
  if (m_released) return;
  switch (hint) {
    case HintTranslationCommitted: {
      const auto* request = static_cast<const CTranslationRequest*>(object);
      if (request && request->m_view == this) ApplyCommit(*request);
      break;
    }
    case HintRefreshAll: Rebuild(); break;
    case HintLayoutModeChanged:
      if (InLayoutMode()) CloseListEditor();
      Select(m_selected);
      break;
    case HintUndoneItemInPlace:
    case HintUndoneItemSelect:
      if (const auto* move = dynamic_cast<const CUndoMoveSize*>(static_cast<const CUndoAction*>(object))) {
        if (hint == HintUndoneItemInPlace && move->m_object == m_dialog) Rebuild();
      } else if (const auto* action = dynamic_cast<const CUndoTranslateString*>(static_cast<const CUndoAction*>(object)))
        ApplyUndo(hint, action);
      break;
    case HintIdle: m_canvas->Repaint(); break;
    case HintReleaseResourceView: Release(); break;
    default: break;
  }
}

void CDialogView::keyPressEvent(QKeyEvent* event) {
  const auto mods = event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
  const int key = event->key();
  event->accept();
  const bool arrow = key == Qt::Key_Left || key == Qt::Key_Up || key == Qt::Key_Right || key == Qt::Key_Down;
  if (arrow && InLayoutMode() && (mods == Qt::NoModifier || mods == Qt::ShiftModifier)) {
    LayoutKey(key, mods == Qt::ShiftModifier);
  } else if (ZoomKey(key, mods)) {
    // handled
  } else if ((key == Qt::Key_Up || key == Qt::Key_Down) && mods == Qt::AltModifier) {
    if (!m_listEditor && !InLayoutMode() && HasStrings(m_selected.index)) OpenListEditor(m_selected.index);
  } else if (key == Qt::Key_Delete && mods == Qt::NoModifier && !event->isAutoRepeat()) {
    DeleteTranslation();
  } else if ((key == Qt::Key_Right || key == Qt::Key_Down) && mods == Qt::ControlModifier) {
    GoToNext();
  } else if ((key == Qt::Key_Left || key == Qt::Key_Up || key == Qt::Key_Right || key == Qt::Key_Down) &&
             mods == Qt::NoModifier) {
    const bool forward = key == Qt::Key_Right || key == Qt::Key_Down;
    const int index = tvl::WalkControls(m_selected.index, static_cast<int>(m_dialog->m_items.size()), forward);
    Select({index, HasStrings(index) ? 0 : -1});
  } else if (key == Qt::Key_Return || key == Qt::Key_Enter) {
    m_document.UpdateAllViews(HintFocusEditor);
  } else if (key == Qt::Key_Tab && mods == Qt::NoModifier) {
    if (m_frame->Tree()) m_frame->Tree()->setFocus();
  } else {
    event->ignore();
    QScrollArea::keyPressEvent(event);
  }
}

bool CDialogView::focusNextPrevChild(bool) { return false; }

CErrorCreatingDialogView::CErrorCreatingDialogView(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("ErrorCreatingDialogView"));
  auto* box = new QVBoxLayout(this);
  box->setContentsMargins(16, 16, 16, 16);
  auto* icon = new QLabel(this);
  icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxCritical).pixmap(32, 32));
  auto* title = new QLabel(tr("Tessalingvora cannot display this dialog."), this);
  QFont bold = font();
  bold.setBold(true);
  bold.setPointSizeF(bold.pointSizeF() * 4 / 3);
  title->setFont(bold);
  auto* text = new QLabel(Q(LoadResString(IDS_DIALOG_VIEW_ERROR)), this);
  text->setObjectName(QStringLiteral("ErrorText"));
  text->setWordWrap(true);
  box->addWidget(icon);
  box->addWidget(title);
  box->addWidget(text);
  box->addStretch(1);
}
