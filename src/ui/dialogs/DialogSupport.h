#pragma once
// What the module dialogs share: how a modal dialog or a file chooser runs (replaceable so
// that tests can drive them), the output file list, and the file name dialog.
#include <QDialog>
#include <QString>
#include <functional>
#include <string>

#include "platform/Types.h"

class QLineEdit;
class QTreeWidget;
class QWidget;

namespace tvl::ui {

// Runs a dialog modally and returns its result. Normally exec(); a replacement receives the
// dialog fully built and answers for the user.
using ModalRunner = std::function<int(QDialog&)>;
int RunModal(QDialog& dialog);
// Installs a runner (empty: exec()); returns the one it replaces.
ModalRunner SetModalRunner(ModalRunner runner);

// A file-open request as the dialogs make it: title, filter in the Win32 form
// "Desc|*.a;*.b|...||", default extension, starting folder.
struct FileOpenRequest {
  QString title;
  QString win32Filter;
  QString defaultExtension;
  QString directory;
};
// The chosen path, or an empty string for Cancel.
using FileChooser = std::function<QString(QWidget* parent, const FileOpenRequest& request)>;
QString ChooseExistingFile(QWidget* parent, const FileOpenRequest& request);
FileChooser SetFileChooser(FileChooser chooser);

// "Desc (*.a;*.b)|*.a;*.b|All Files (*.*)|*.*||" becomes "Desc (*.a *.b);;All Files (*)".
QString QtFilterFromWin32(const QString& filter);

// The exclamation sound of a button that has nothing to act on.
void Beep();
// How many times Beep sounded since the program started.
int BeepCount();

// The name of a language in the output file lists: the system's name, or "0x%04X".
QString OutputListLanguageName(LANGID language);
// The output file list: full-row selection, "Language" 100 and "Filename" 300 pixels.
QTreeWidget* CreateOutputList(QWidget* parent);

}  // namespace tvl::ui

// The "Filename" dialog: one box, OK and Cancel.
class CDialogFilename : public QDialog {
  Q_OBJECT
 public:
  explicit CDialogFilename(const QString& fileName, QWidget* parent = nullptr);
  QString FileName() const;
  QLineEdit* Box() const { return m_box; }

 private:
  QLineEdit* m_box = nullptr;
};
