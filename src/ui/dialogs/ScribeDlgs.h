#pragma once
// Exchanging copies of the project with translators: "Export to Scribe Edition" writes a copy
// holding the checked languages; "Import Scribe Edition Project" picks the languages to take
// back from a returned copy.
#include <QDialog>
#include <string>
#include <vector>

#include "platform/Types.h"

class CLanguageArray;
class CTvlDoc;
class QLineEdit;
class QListWidget;
class QPushButton;

class CDialogExportSE : public QDialog {
  Q_OBJECT
 public:
  explicit CDialogExportSE(CTvlDoc& document, QWidget* parent = nullptr);

  QLineEdit* FileName() const { return m_fileName; }
  QListWidget* Languages() const { return m_languages; }
  QPushButton* BrowseButton() const { return m_browse; }
  QPushButton* OkButton() const { return m_ok; }

 public slots:
  // Writes the copy; stays open when a check or the save failed.
  void OnOK();

 private:
  void OnBrowse();

  CTvlDoc& m_document;
  QLineEdit* m_fileName;
  QListWidget* m_languages;
  QPushButton* m_browse;
  QPushButton* m_ok;
};

class CDialogImportFromSE : public QDialog {
  Q_OBJECT
 public:
  CDialogImportFromSE(const std::u16string& path, const CLanguageArray& available, QWidget* parent = nullptr);

  // The checked languages in list order, once closed with OK.
  const std::vector<LANGID>& GetChecked() const { return m_checked; }
  QListWidget* Languages() const { return m_languages; }
  QPushButton* OkButton() const { return m_ok; }

 public slots:
  void OnOK();

 private:
  QListWidget* m_languages;
  QPushButton* m_ok;
  std::vector<LANGID> m_checked;
};

namespace tvl::ui {
// The checked entries of a language check list, in list order.
std::vector<LANGID> CheckedLanguages(const QListWidget& list);
}  // namespace tvl::ui
