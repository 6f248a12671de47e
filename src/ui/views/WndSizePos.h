#pragma once
// The status bar's readout of the dialog view's selection in layout mode: its position and
// its size in dialog units, each after a small picture.
#include <QWidget>

class CWndSizePos : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kWidth = 150;
  explicit CWndSizePos(QWidget* parent = nullptr);
  void SetValues(int x, int y, int cx, int cy);
  QString PositionText() const;
  QString SizeText() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int m_x = 0, m_y = 0, m_cx = 0, m_cy = 0;
};
