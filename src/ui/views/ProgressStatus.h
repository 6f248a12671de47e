#pragma once
// The status bar's count of what is translated into the selected language, kept current as
// translations are committed and undone. The project tree keeps the counts, per node.
#include <QLabel>

#include "workspace/Progress.h"

class CMainFrame;

class CProgressStatus : public QLabel {
  Q_OBJECT
 public:
  explicit CProgressStatus(CMainFrame* frame, QWidget* parent = nullptr);
  // Heard after every view: a committed translation is in the model by now.
  void OnHint(int hint, const void* object);
  // Shows the tree's count for the whole project.
  void Recount();

 private:
  CMainFrame* m_frame;
};

namespace tvl::ui {
CProgressStatus* InstallProgressStatus(CMainFrame& frame);
// "12 / 40 translated (30%)", and how many are out of date when some are.
QString ProgressText(const tvl::CProgress& progress);
}  // namespace tvl::ui
