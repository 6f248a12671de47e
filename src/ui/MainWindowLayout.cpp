// The main window's share of dialog layout mode: the command's state and the readout pane.
#include <QStatusBar>

#include "project/ViewHints.h"
#include "ui/MainWindow.h"
#include "ui/views/WndSizePos.h"
#include "workspace/CommandIds.h"

void CMainFrame::CreateSizePos() {
  m_sizePos = new CWndSizePos(statusBar());
  statusBar()->addPermanentWidget(m_sizePos);
  m_sizePos->hide();
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
