#pragma once
// "Import Translation": confirms the module and file and asks the translated file's language.
#include <QDialog>
#include <string>

#include "platform/Types.h"

class CModule;
class QCheckBox;
class QComboBox;
class QPushButton;

class CDialogImportTranslation : public QDialog {
  Q_OBJECT
 public:
  // sourceLanguage is left out of the list; guessed is selected when it is listed.
  CDialogImportTranslation(const CModule& module, const std::u16string& path, LANGID guessed, LANGID sourceLanguage,
                           QWidget* parent = nullptr);

  LANGID GetLanguage() const { return m_chosen; }
  QComboBox* LanguageList() const { return m_language; }
  QCheckBox* ShowCountries() const { return m_showCountries; }
  QPushButton* OkButton() const { return m_ok; }

 public slots:
  void OnOK();

 private:
  void FillLanguages(LANGID select);
  LANGID SelectedLanguage() const;

  LANGID m_sourceLanguage;
  LANGID m_chosen = 0;
  QComboBox* m_language;
  QCheckBox* m_showCountries;
  QPushButton* m_ok;
};
