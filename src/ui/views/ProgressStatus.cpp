#include "ui/views/ProgressStatus.h"

#include <QStatusBar>

#include "project/ViewHints.h"
#include "ui/MainWindow.h"
#include "workspace/Progress.h"

CProgressStatus::CProgressStatus(CMainFrame* frame, QWidget* parent) : QLabel(parent), m_frame(frame) {
  setObjectName(QStringLiteral("progressStatus"));
}

void CProgressStatus::OnHint(int hint) {
  switch (hint) {
    // Selections, focus and titles change no translation.
    case HintTranslationRequest:
    case HintFocusEditor:
    case HintTitleChanged:
    case HintIdle:
    case HintNextToTranslate:
    case HintLayoutModeChanged:
      return;
    default:
      Recount();
  }
}

void CProgressStatus::Recount() {
  LANGID language = m_frame->GetSelectedLanguage();
  if (language == 0 || m_frame->IsSourceLanguageSelected()) {
    clear();
    setToolTip({});
    return;
  }
  tvl::CProgress p = tvl::CountProgress(m_frame->GetDocument(), language);
  int percent = p.total ? static_cast<int>(100LL * p.translated / p.total) : 100;
  QString text = tr("%1 / %2 translated (%3%)").arg(p.translated).arg(p.total).arg(percent);
  setText(text);
  setToolTip(tr("Texts translated into the selected language, of all the project's texts to translate"));
}

namespace tvl::ui {

CProgressStatus* InstallProgressStatus(CMainFrame& frame) {
  auto* label = new CProgressStatus(&frame, frame.statusBar());
  frame.statusBar()->addPermanentWidget(label);
  return label;
}

}  // namespace tvl::ui
