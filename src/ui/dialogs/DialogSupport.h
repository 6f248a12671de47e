#pragma once
// What the module dialogs share: how a modal dialog or a file chooser runs (replaceable so
// that tests can drive them), the output file list, and the file name dialog.
#include <QDialog>
#include <QString>
#include <QStringList>
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

// A file chooser's request. The filter is written in the platform's form
// "Desc (*.a;*.b)|*.a;*.b|All Files (*.*)|*.*||".
struct CFileRequest {
  bool save = false;
  QString title;  // empty: the chooser's own
  QString filter;
  QString defaultExtension;
  QString start;  // a file or a folder to start in
};
// The chosen path, or an empty string for Cancel. Normally Qt's file dialog; a replacement
// answers for the user.
using FileChooser = std::function<QString(QWidget* parent, const CFileRequest& request)>;
QString ChooseFile(QWidget* parent, const CFileRequest& request);
// Installs a chooser (empty: Qt's file dialog); returns the one it replaces.
FileChooser SetFileChooser(FileChooser chooser);

// "Desc (*.a;*.b)|*.a;*.b|..." as Qt name filters "Desc (*.a *.b)"; "*.*" becomes "*" so
// that files without an extension are listed too.
QStringList QtNameFilters(const QString& filter);

extern const char16_t* const kExecutableFilter;
extern const char16_t* const kProjectFilter;

// The exclamation sound of a button that has nothing to act on.
void Beep();
// How many times Beep sounded since the program started.
int BeepCount();

// The name of a language in the output file lists: the system's name, or "0x%04X".
QString OutputListLanguageName(LANGID language);
// The output file list: full-row selection, "Language" 100 and "Filename" 300 pixels.
QTreeWidget* CreateOutputList(QWidget* parent);
// Columns as wide as what they show (never narrower than they were made); with `widen` the
// list grows so that they show without scrolling, up to most of the screen's width.
void FitListColumns(QTreeWidget* list, bool widen);
// A stored path as the dialogs show it, for a label that wraps: long paths break after a
// separator and show whole on several lines instead of widening the dialog.
QString WrappablePath(const std::u16string& path);

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
