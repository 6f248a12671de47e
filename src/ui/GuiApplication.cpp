#include "ui/GuiApplication.h"

#include <QApplication>
#include <QIcon>
#include <QAbstractButton>
#include <QMessageBox>

#include "app/TessalingvoraApp.h"
#include "platform/Messages.h"
#include "platform/Text.h"
#include "project/TvlDoc.h"
#include "ui/MainWindow.h"
#include "ui/dialogs/InstallDialogs.h"
#include "ui/QtText.h"

namespace {

// Shows the program's messages in ordinary message boxes, over the active window.
class CGuiMessageSink : public CMessageSink {
 public:
  int Show(const std::u16string& text, UINT type, UINT) override {
    std::unique_ptr<QMessageBox> box = CreateMessageBox(text, type, QApplication::activeWindow());
    switch (box->exec()) {
      case QMessageBox::Cancel: return IDCANCEL;
      case QMessageBox::Yes: return IDYES;
      case QMessageBox::No: return IDNO;
      case QMessageBox::Retry: return IDRETRY;
      default: return IDOK;
    }
  }
};

}  // namespace

std::unique_ptr<QMessageBox> CreateMessageBox(const std::u16string& text, UINT type, QWidget* parent) {
  auto box = std::make_unique<QMessageBox>(parent);
  box->setWindowTitle(QStringLiteral("Tessalingvora"));
  box->setText(QStr(text));
  switch (type & MB_ICONMASK) {
    case MB_ICONERROR: box->setIcon(QMessageBox::Critical); break;
    case MB_ICONQUESTION: box->setIcon(QMessageBox::Question); break;
    case MB_ICONWARNING: box->setIcon(QMessageBox::Warning); break;
    case MB_ICONINFORMATION: box->setIcon(QMessageBox::Information); break;
    default: break;
  }
  switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL: box->setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case MB_YESNOCANCEL: box->setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel); break;
    case MB_YESNO: box->setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    case MB_RETRYCANCEL: box->setStandardButtons(QMessageBox::Retry | QMessageBox::Cancel); break;
    default: box->setStandardButtons(QMessageBox::Ok); break;
  }
  // The first button is the default unless the type names the second.
  QMessageBox::StandardButton first = QMessageBox::Ok, second = QMessageBox::NoButton;
  switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL: second = QMessageBox::Cancel; break;
    case MB_YESNOCANCEL:
    case MB_YESNO:
      first = QMessageBox::Yes;
      second = QMessageBox::No;
      break;
    case MB_RETRYCANCEL:
      first = QMessageBox::Retry;
      second = QMessageBox::Cancel;
      break;
    default: break;
  }
  box->setDefaultButton((type & MB_DEFBUTTON2) && second != QMessageBox::NoButton ? second : first);
  return box;
}

std::u16string MainWindowTitle(const std::u16string& documentTitle, bool modified) {
  std::u16string t = LoadResString(IDR_MAINFRAME);
  return t.substr(0, t.find(u'\n')) + u" - " + documentTitle + (modified ? u" *" : u"  ");
}

std::unique_ptr<CMainFrame> CreateMainWindow(CTvlDoc& document) {
  auto frame = std::make_unique<CMainFrame>(document);
  InstallDialogs(*frame);
  return frame;
}

int RunInteractive(int argc, char** argv, CTessalingvoraApp& app) {
  QApplication qapp(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Tessalingvora"));
  // Ties the windows to the installed menu entry and icon (task bars look them up by this name).
  QGuiApplication::setDesktopFileName(QStringLiteral(TVL_DESKTOP_ID));
  QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral(TVL_DESKTOP_ID)));
  CGuiMessageSink sink;
  CMessageSink* previous = SetMessageSink(&sink);

  int rc = 1;
  {
    CTvlDoc document;
    std::unique_ptr<CMainFrame> window = CreateMainWindow(document);
    // The start-up request: a new empty project, or the given project file; a file that
    // cannot be opened ends the program after its message.
    if (app.m_cmdInfo.m_nShellCommand != CCommandLineInfo::FileOpen ||
        window->OpenDocumentFile(app.m_cmdInfo.m_strFileName)) {
      window->ShowAtStartUp();
      rc = qapp.exec();
    }
  }
  SetMessageSink(previous);
  return app.ExitInstance(rc);
}
