#pragma once
// The New Module Wizard: the executable, its source language and properties, the project's
// translation languages when it has none yet, and the names of the translated files.
#include <QWizard>
#include <QWizardPage>
#include <map>
#include <memory>
#include <string>

#include "languages/Language.h"
#include "project/Module.h"

class CTvlDoc;
class CWizardNewModule;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTreeWidget;

// The pictures of the wizard, drawn at run time.
QPixmap WizardWatermarkPixmap();
QPixmap WizardLogoPixmap();

// A wizard page with a header title and subtitle, validated on Next and Finish only.
class CWizardPropertyPage : public QWizardPage {
  Q_OBJECT
 public:
  CWizardPropertyPage(CWizardNewModule& wizard, const QString& title, const QString& subtitle);
  // The wizard keeps its data across Back; nothing to reset here.
  void cleanupPage() override {}

 protected:
  // Shows the message with the error icon and gives the control the focus; returns false.
  bool Refuse(const std::u16string& message, QWidget* control);
  CWizardNewModule& m_wizard;
  QWidget* m_failedControl = nullptr;
};

class CWizardNewModulePage1 : public CWizardPropertyPage {
  Q_OBJECT
 public:
  explicit CWizardNewModulePage1(CWizardNewModule& wizard);
  void initializePage() override;
  bool validatePage() override;
  int nextId() const override;
  QLineEdit* FileNameBox() const { return m_fileName; }
  QPushButton* BrowseButton() const { return m_browse; }
  void OnBrowse();

 private:
  QLineEdit* m_fileName = nullptr;
  QPushButton* m_browse = nullptr;
};

class CWizardNewModulePage2 : public CWizardPropertyPage {
  Q_OBJECT
 public:
  explicit CWizardNewModulePage2(CWizardNewModule& wizard);
  void initializePage() override;
  bool validatePage() override;
  int nextId() const override;
  QLabel* FileNameText() const { return m_fileName; }
  QComboBox* SourceLanguageList() const { return m_languages; }
  QCheckBox* ShowCountries() const { return m_showCountries; }
  QComboBox* MfcAnswer() const { return m_mfc; }
  QComboBox* SatelliteAnswer() const { return m_satellite; }

 private:
  void Fill();
  void Select(LANGID language);
  LANGID Selected() const;

  QLabel* m_fileName = nullptr;
  QComboBox* m_languages = nullptr;
  QCheckBox* m_showCountries = nullptr;
  QComboBox* m_mfc = nullptr;
  QComboBox* m_satellite = nullptr;
};

class CWizardNewModulePage3 : public CWizardPropertyPage {
  Q_OBJECT
 public:
  explicit CWizardNewModulePage3(CWizardNewModule& wizard);
  void initializePage() override;
  bool validatePage() override;
  int nextId() const override;
  QListWidget* Translations() const { return m_list; }
  QPushButton* NewButton() const { return m_new; }
  QPushButton* RemoveButton() const { return m_remove; }
  QPushButton* PropertiesButton() const { return m_properties; }
  const CLanguageArray& Working() const { return m_working; }

 private:
  void Changed();

  CLanguageArray m_working;
  QListWidget* m_list = nullptr;
  QPushButton* m_new = nullptr;
  QPushButton* m_remove = nullptr;
  QPushButton* m_properties = nullptr;
};

class CWizardNewModulePage4 : public CWizardPropertyPage {
  Q_OBJECT
 public:
  explicit CWizardNewModulePage4(CWizardNewModule& wizard);
  void initializePage() override;
  int nextId() const override { return -1; }
  QTreeWidget* OutputFiles() const { return m_list; }
  QPushButton* EditButton() const { return m_edit; }
  void OnEdit();

 private:
  QTreeWidget* m_list = nullptr;
  QPushButton* m_edit = nullptr;
};

class CWizardNewModule : public QWizard {
  Q_OBJECT
 public:
  enum PageId { kFilePage = 1, kPropertiesPage = 2, kLanguagesPage = 3, kOutputPage = 4 };
  enum Answer { kDontKnow = 0, kYes = 1, kNo = 2 };

  explicit CWizardNewModule(CTvlDoc& project, QWidget* parent = nullptr);
  ~CWizardNewModule() override;

  // Finish creates and loads the module before the wizard closes; a failed load keeps it
  // open on the first page.
  void done(int result) override;

  // No module and no source language yet.
  bool IsFirstModule() const;
  bool ProjectHasTranslations() const;
  // The default output name for a language, from the chosen file and answers.
  std::u16string DefaultOutputName(LANGID language) const;

  CWizardNewModulePage1* Page1() const { return m_page1; }
  CWizardNewModulePage2* Page2() const { return m_page2; }
  CWizardNewModulePage3* Page3() const { return m_page3; }
  CWizardNewModulePage4* Page4() const { return m_page4; }

  CTvlDoc& m_project;
  std::u16string m_fileName;
  std::u16string m_fullPath;
  LANGID m_guessedLanguage = 0;
  LANGID m_sourceLanguage = 0;
  int m_mfcAnswer = kDontKnow;
  int m_satelliteAnswer = kDontKnow;
  std::unique_ptr<CModule> m_module;
  CLanguageArray m_languages;
  std::map<LANGID, std::u16string> m_outputNames;

 private:
  bool CreateModule();

  CWizardNewModulePage1* m_page1 = nullptr;
  CWizardNewModulePage2* m_page2 = nullptr;
  CWizardNewModulePage3* m_page3 = nullptr;
  CWizardNewModulePage4* m_page4 = nullptr;
};
