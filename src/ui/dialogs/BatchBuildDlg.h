#pragma once
// "Batch Build": every module/language pair of the project with a check mark; the marks are
// kept in the modules' batch selections and so in the project file.
#include <QDialog>

class CTvlDoc;
class QPushButton;
class QTreeWidget;

class CDialogBatchBuild : public QDialog {
  Q_OBJECT
 public:
  explicit CDialogBatchBuild(CTvlDoc& document, QWidget* parent = nullptr);

  QTreeWidget* Targets() const { return m_list; }
  QPushButton* BuildButton() const { return m_build; }
  QPushButton* CloseButton() const { return m_close; }
  QPushButton* SelectAllButton() const { return m_selectAll; }
  QPushButton* DeselectAllButton() const { return m_deselectAll; }

 public slots:
  void OnBuild();
  void OnClose();

 private:
  void SetAll(bool checked);
  void SortBy(int column);
  void StoreChecks();

  CTvlDoc& m_document;
  QTreeWidget* m_list;
  QPushButton* m_build;
  QPushButton* m_close;
  QPushButton* m_selectAll;
  QPushButton* m_deselectAll;
  int m_sortColumn = -1;
  Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
};
