#pragma once
// Building targets, the batch build, importing a translated executable and exchanging
// copies with translators: what these dialogs share, and the seams tests replace.
#include <QString>
#include <QStringList>
#include <functional>
#include <string>
#include <vector>

#include "platform/Messages.h"
#include "project/TvlDoc.h"

class CMainFrame;
class QDialog;
class QWidget;

namespace tvl::ui {

// A file chooser's request. The filter is written in the platform's form
// "Desc (*.a;*.b)|*.a;*.b|All Files (*.*)|*.*||".
struct CFileRequest {
  bool save = false;
  QString title;  // empty: the chooser's own
  QString filter;
  QString defaultExtension;
  QString start;  // a file or a folder to start in
};

struct CBuildDialogServices {
  // The chosen path; empty for Cancel.
  std::function<QString(QWidget* parent, const CFileRequest& request)> chooseFile;
  // Runs the dialog modally and returns its result code.
  std::function<int(QDialog& dialog)> runDialog;
};

// The services in use; they start as the Qt file dialog and QDialog::exec.
CBuildDialogServices& BuildDialogServices();
QString ChooseFile(QWidget* parent, const CFileRequest& request);
int RunDialog(QDialog& dialog);

// "Desc (*.a;*.b)|*.a;*.b|..." as Qt name filters "Desc (*.a *.b)"; "*.*" becomes "*" so
// that files without an extension are listed too.
QStringList QtNameFilters(const QString& filter);

// The wait cursor for the life of the object; messages shown meanwhile get the ordinary
// cursor back while they are up.
class CWaitCursor : private CMessageSink {
 public:
  CWaitCursor();
  ~CWaitCursor() override;
  CWaitCursor(const CWaitCursor&) = delete;
  CWaitCursor& operator=(const CWaitCursor&) = delete;

 private:
  int Show(const std::u16string& text, UINT type, UINT helpId) override;
  CMessageSink* m_previous;
};

extern const char16_t* const kExecutableFilter;
extern const char16_t* const kProjectFilter;

}  // namespace tvl::ui

// The choices the exchange operations ask for, answered with this program's dialogs.
class CGuiUserChoices : public CUserChoices {
 public:
  CGuiUserChoices(CTvlDoc& document, QWidget* parent) : m_document(document), m_parent(parent) {}
  LANGID ChooseImportLanguage(const CModule& module, const std::u16string& path, LANGID guessed) override;
  std::vector<LANGID> ChooseScribeLanguages(const std::u16string& path, const CLanguageArray& available) override;

 private:
  CTvlDoc& m_document;
  QWidget* m_parent;
};
