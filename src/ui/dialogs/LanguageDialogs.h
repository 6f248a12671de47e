#pragma once
// The Languages dialog (source language and the list of translation languages), the
// language dialog that picks one language and its preview font, and the font chooser.
#include <QDialog>
#include <vector>

#include "languages/Language.h"

class QCheckBox;
class QComboBox;
class QFontComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;

// Picks one language from the catalogue and the face and size its dialogs are previewed in.
class CDialogTargetLanguage : public QDialog {
  Q_OBJECT
 public:
  // allowedOrNot: for a new target language the LANGIDs that are taken; for a new source
  // language those that may be used (empty: all).
  CDialogTargetLanguage(CLanguage& language, bool target, bool existing, std::vector<LANGID> allowedOrNot,
                        QWidget* parent = nullptr);

  QComboBox* LanguageList() const { return m_list; }
  QCheckBox* ShowCountries() const { return m_showCountries; }
  QLabel* CodePageText() const { return m_codePage; }
  QLabel* FontText() const { return m_fontText; }
  QPushButton* FontButton() const { return m_fontButton; }
  QPushButton* DefaultFontButton() const { return m_defaultButton; }
  // Chooses the entry of a LANGID as the user would; false when it is not listed.
  bool ChooseLanguage(LANGID language);
  LANGID SelectedLanguage() const;

  void accept() override;

 private:
  void Fill();
  bool SelectEntry(LANGID language);
  void OnLanguageChosen();
  void UpdateLanguageTexts();
  void UpdateFontText();
  void OnChooseFont();
  void OnDefaultFont();

  CLanguage& m_language;
  bool m_target;
  bool m_existing;
  std::vector<LANGID> m_allowedOrNot;
  QString m_face;
  DWORD m_size = 0;

  QComboBox* m_list = nullptr;
  QCheckBox* m_showCountries = nullptr;
  QLabel* m_codePage = nullptr;
  QLabel* m_fontText = nullptr;
  QPushButton* m_fontButton = nullptr;
  QPushButton* m_defaultButton = nullptr;
};

// The system font dialog of the language dialog: faces limited to those that can write the
// language's script, and a point size.
class CDialogPreviewFont : public QDialog {
  Q_OBJECT
 public:
  CDialogPreviewFont(const QString& face, int points, UINT charSet, QWidget* parent = nullptr);
  QFontComboBox* Faces() const { return m_faces; }
  QSpinBox* Size() const { return m_size; }
  QString Face() const;
  int Points() const;

 private:
  QFontComboBox* m_faces = nullptr;
  QSpinBox* m_size = nullptr;
};

// The source language and the translation languages of a project, edited on copies.
class CDialogLanguages : public QDialog {
  Q_OBJECT
 public:
  CDialogLanguages(CLanguage& source, CLanguageArray& languages, bool hasSource, QWidget* parent = nullptr);

  QLineEdit* SourceName() const { return m_sourceName; }
  QPushButton* SourcePropertiesButton() const { return m_sourceProperties; }
  QListWidget* Translations() const { return m_translations; }
  QPushButton* NewButton() const { return m_new; }
  QPushButton* RemoveButton() const { return m_remove; }
  QPushButton* PropertiesButton() const { return m_properties; }
  const CLanguageArray& Working() const { return m_workingLanguages; }

  void OnNew();
  void OnRemove();
  void OnProperties();
  void OnSourceProperties();
  void accept() override;

 private:
  void AddRow(const CLanguage& language);

  CLanguage m_workingSource;
  CLanguage& m_source;
  CLanguageArray m_workingLanguages;
  CLanguageArray& m_languages;
  bool m_hasSource;

  QLineEdit* m_sourceName = nullptr;
  QPushButton* m_sourceProperties = nullptr;
  QListWidget* m_translations = nullptr;
  QPushButton* m_new = nullptr;
  QPushButton* m_remove = nullptr;
  QPushButton* m_properties = nullptr;
};

// The translation language list of the Languages dialog and of the wizard's third page:
// New, Remove and Properties on a working copy.
namespace tvl::ui {
// Opens the language dialog for a new target language; true when one was appended.
bool AddTargetLanguage(QWidget* parent, CLanguageArray& working, LANGID sourceLanguage, QListWidget* list);
// Removes the selected row's language (a beep without one).
void RemoveTargetLanguage(CLanguageArray& working, QListWidget* list);
// Opens the language dialog on the selected row's language (a beep without one).
void EditTargetLanguage(QWidget* parent, CLanguageArray& working, QListWidget* list);
// Fills the list from the array, each row carrying its LANGID; selects the first row.
void FillLanguageList(const CLanguageArray& languages, QListWidget* list);
}  // namespace tvl::ui
