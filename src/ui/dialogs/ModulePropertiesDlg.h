#pragma once
// The properties of one module: its source file, MFC, satellite DLLs and the names of its
// translated files.
#include <QDialog>

class CModule;
class QCheckBox;
class QLineEdit;
class QPushButton;
class QTreeWidget;

class CDialogModuleProperties : public QDialog {
  Q_OBJECT
 public:
  explicit CDialogModuleProperties(CModule& module, QWidget* parent = nullptr);

  QLineEdit* SourceFileName() const { return m_sourceFileName; }
  QLineEdit* SourceLanguage() const { return m_sourceLanguage; }
  QCheckBox* UsesMfc() const { return m_usesMfc; }
  QCheckBox* SatelliteDll() const { return m_satelliteDll; }
  QCheckBox* NoDuplicate() const { return m_noDuplicate; }
  QTreeWidget* OutputFiles() const { return m_outputFiles; }
  QPushButton* EditButton() const { return m_edit; }

  void OnEdit();
  void accept() override;

  // What OK changed, for the views.
  bool MfcChanged() const { return m_mfcChanged; }
  bool SourceChanged() const { return m_sourceChanged; }

 private:
  void OnSatelliteToggled(bool checked);
  bool Validate();
  void Apply();

  CModule& m_module;
  bool m_usesMfcOnOpen = false;
  bool m_mfcClues = false;
  bool m_mfcChanged = false;
  bool m_sourceChanged = false;

  QLineEdit* m_sourceFileName = nullptr;
  QLineEdit* m_sourceLanguage = nullptr;
  QCheckBox* m_usesMfc = nullptr;
  QCheckBox* m_satelliteDll = nullptr;
  QCheckBox* m_noDuplicate = nullptr;
  QTreeWidget* m_outputFiles = nullptr;
  QPushButton* m_edit = nullptr;
};
