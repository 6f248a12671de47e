// The main window's share of dialog layout mode: the command's state and the readout pane.
#include <QStatusBar>

#include "project/ViewHints.h"
#include "ui/MainWindow.h"
#include "ui/views/DialogView.h"
#include "ui/views/ResourceAndHeaderViews.h"
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
