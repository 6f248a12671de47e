#pragma once
// The status bar's count of what is translated into the selected language, kept current as
// translations are committed and undone.
#include <QLabel>

class CMainFrame;

class CProgressStatus : public QLabel {
  Q_OBJECT
 public:
  explicit CProgressStatus(CMainFrame* frame, QWidget* parent = nullptr);
  // Counts again when the hint can change what is translated.
  void OnHint(int hint);
  void Recount();

 private:
  CMainFrame* m_frame;
};

namespace tvl::ui {
CProgressStatus* InstallProgressStatus(CMainFrame& frame);
}  // namespace tvl::ui
