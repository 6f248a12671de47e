// The main window's share of dialog layout mode (the command's state and the readout pane),
// and the split between the views and the translation editor.
#include <QResizeEvent>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <algorithm>

#include "project/ViewHints.h"
#include "ui/MainWindow.h"
#include "ui/views/DialogView.h"
#include "ui/views/ResourceAndHeaderViews.h"
#include "ui/views/TranslationView.h"
#include "ui/views/WndSizePos.h"
#include "workspace/CommandIds.h"

void CMainFrame::CreateSizePos() {
  m_sizePos = new CWndSizePos(statusBar());
  statusBar()->addPermanentWidget(m_sizePos);
  m_sizePos->hide();
}

void CMainFrame::CreateLayoutCommands() {
  auto dialogView = [this] { return m_pane ? qobject_cast<CDialogView*>(m_pane->View()) : nullptr; };
  AddAction(ID_VIEW_LAYOUT_GRID, tr("Layout &Grid"), tr("Show a dotted grid over the dialog\nLayout Grid"))
      ->setCheckable(true);
  AddAction(ID_VIEW_LAYOUT_SNAP, tr("&Snap to Neighbours"),
            tr("Drag control edges onto the edges of the controls nearby (Alt: not now)\nSnap to Neighbours"))
      ->setCheckable(true);
  Route(ID_VIEW_LAYOUT_GRID, [dialogView] { dialogView()->SetGrid(!dialogView()->HasGrid()); },
        [dialogView] { return dialogView() != nullptr; });
  m_commands.at(ID_VIEW_LAYOUT_GRID).checked = [dialogView] { return dialogView() && dialogView()->HasGrid(); };
  Route(ID_VIEW_LAYOUT_SNAP, [dialogView] { dialogView()->SetSnap(!dialogView()->HasSnap()); },
        [dialogView] { return dialogView() != nullptr; });
  m_commands.at(ID_VIEW_LAYOUT_SNAP).checked = [dialogView] { return dialogView() && dialogView()->HasSnap(); };
}

bool CMainFrame::CanLayoutMode() const { return m_dialogViewOpen && !IsSourceLanguageSelected(); }

void CMainFrame::SetLayoutMode(bool on) {
  if (on == m_layoutMode) return;
  m_layoutMode = on;
  if (m_sizePos) m_sizePos->setVisible(m_layoutMode && CanLayoutMode());
  Broadcast(HintLayoutModeChanged);
  UpdateCommandUi();
}

void CMainFrame::SetDialogViewOpen(bool open) {
  m_dialogViewOpen = open;
  if (m_sizePos) m_sizePos->setVisible(m_layoutMode && CanLayoutMode());
  UpdateCommandUi();
}

namespace {

// The part of a change of the window's height that goes to the editor.
constexpr int kEditorShareDivisor = 3;
// How long a window shown maximized may take to get there.
constexpr int kMaximizeWaitMs = 1500;

// The rows: the views above, the editor below. When the window grows or shrinks, the editor
// takes its share of the change and the views the rest.
class CRowSplitter : public QSplitter {
 public:
  using QSplitter::QSplitter;

 protected:
  void resizeEvent(QResizeEvent* event) override {
    QList<int> before = sizes();
    QSplitter::resizeEvent(event);
    int delta = event->size().height() - event->oldSize().height();
    if (before.size() != 2 || before[0] <= 0 || before[1] <= 0 || event->oldSize().height() <= 0 || delta == 0)
      return;
    int total = event->size().height() - handleWidth();
    int bottom = std::max(before[1] + delta / kEditorShareDivisor, widget(1)->minimumSizeHint().height());
    if (total > bottom) setSizes({total - bottom, bottom});
  }
};

}  // namespace

QSplitter* CMainFrame::CreateRowSplitter() {
  auto* splitter = new CRowSplitter(Qt::Vertical, this);
  splitter->setObjectName(QStringLiteral("RowSplitter"));
  return splitter;
}

void CMainFrame::PlaceEditorRow() {
  int total = m_rowSplitter->height();
  int bottom = m_settings.m_splitterVert ? static_cast<int>(*m_settings.m_splitterVert) : m_editor->sizeHint().height();
  bottom = std::max(bottom, m_editor->minimumSizeHint().height());
  if (total >= bottom + 40) m_rowSplitter->setSizes({total - bottom, bottom});
}

void CMainFrame::AwaitMaximized() {
  if (!m_showMaximized) return;
  m_editorRowPending = true;
  QTimer::singleShot(kMaximizeWaitMs, this, [this] { m_editorRowPending = false; });
  connect(m_rowSplitter, &QSplitter::splitterMoved, this, [this] { m_editorRowPending = false; },
          Qt::SingleShotConnection);
}

void CMainFrame::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  if (m_editorRowPending && isMaximized()) PlaceEditorRow();
}
