#include "ui/views/ProgressStatus.h"

#include <QStatusBar>

#include "project/ViewHints.h"
#include "ui/MainWindow.h"
#include "ui/views/ProjectResView.h"
#include "ui/views/ResourceAndHeaderViews.h"

CProgressStatus::CProgressStatus(CMainFrame* frame, QWidget* parent) : QLabel(parent), m_frame(frame) {
  setObjectName(QStringLiteral("progressStatus"));
  if (m_frame->Tree()) connect(m_frame->Tree(), &CProjectResView::progressChanged, this, &CProgressStatus::Recount);
}

void CProgressStatus::OnHint(int hint, const void*) {
  // The tree hears a commit before the view applies it; the window hears it last, when the
  // shown resource holds the new text.
  const bool changed = hint == HintTranslationCommitted || hint == HintDeleteTranslation;
  if (changed && m_frame->Tree() && m_frame->ResourcePane())
    m_frame->Tree()->RecountNode(m_frame->ResourcePane()->ShownObject());
}

void CProgressStatus::Recount() {
  LANGID language = m_frame->GetSelectedLanguage();
  const CProjectNode* root = m_frame->Tree() ? m_frame->Tree()->Root() : nullptr;
  if (language == 0 || m_frame->IsSourceLanguageSelected() || !root) {
    clear();
    setToolTip({});
    return;
  }
  setText(tvl::ui::ProgressText(root->m_progress));
  setToolTip(tr("Texts translated into the selected language, of all the project's texts to translate"));
}

namespace tvl::ui {

CProgressStatus* InstallProgressStatus(CMainFrame& frame) {
  auto* label = new CProgressStatus(&frame, frame.statusBar());
  frame.statusBar()->addPermanentWidget(label);
  return label;
}

QString ProgressText(const tvl::CProgress& p) {
  int percent = p.total ? static_cast<int>(100LL * p.translated / p.total) : 100;
  QString text = QObject::tr("%1 / %2 translated (%3%)").arg(p.translated).arg(p.total).arg(percent);
  if (p.outOfDate > 0) text += QObject::tr(", %1 out of date").arg(p.outOfDate);
  return text;
}

}  // namespace tvl::ui
