#pragma once
// "Build Target File": one module in one target language, with its source and output names.
#include <QDialog>

#include "platform/Types.h"

class CModule;
class CTvlDoc;
class QComboBox;
class QLineEdit;
class QPushButton;

class CDialogCreateTargetFile : public QDialog {
  Q_OBJECT
 public:
  CDialogCreateTargetFile(CTvlDoc& document, CModule* module, LANGID language, QWidget* parent = nullptr);

  QComboBox* ModuleList() const { return m_module; }
  QComboBox* LanguageList() const { return m_language; }
  QLineEdit* SourceName() const { return m_source; }
  QLineEdit* OutputName() const { return m_output; }
  QPushButton* OkButton() const { return m_ok; }
  QPushButton* BrowseOutputButton() const { return m_browseOutput; }
  QPushButton* BrowseSourceButton() const { return m_browseSource; }

 public slots:
  // Checks the fields in order, then builds; closes only when the build succeeded.
  void OnOK();

 private:
  CModule* SelectedModule() const;
  LANGID SelectedLanguage() const;
  void FillNames();
  void OnBrowseOutput();
  void OnBrowseSource();
  void Refuse(QLineEdit* field, const std::u16string& text);

  CTvlDoc& m_document;
  QComboBox* m_module;
  QComboBox* m_language;
  QLineEdit* m_source;
  QLineEdit* m_output;
  QPushButton* m_browseOutput;
  QPushButton* m_browseSource;
  QPushButton* m_ok;
};
