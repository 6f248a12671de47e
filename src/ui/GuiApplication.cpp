#include "ui/GuiApplication.h"

#include <QApplication>
#include <QMainWindow>
#include <QMessageBox>

#include "app/TessalingvoraApp.h"
#include "platform/Messages.h"
#include "platform/Text.h"
#include "project/TvlDoc.h"

namespace {

QString Q(const std::u16string& s) { return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size())); }

// Shows the program's messages in ordinary message boxes.
class CGuiMessageSink : public CMessageSink {
 public:
  int Show(const std::u16string& text, UINT type, UINT) override {
    QMessageBox box;
    box.setWindowTitle(QStringLiteral("Tessalingvora"));
    box.setText(Q(text));
    switch (type & MB_ICONMASK) {
      case MB_ICONERROR: box.setIcon(QMessageBox::Critical); break;
      case MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
      case MB_ICONWARNING: box.setIcon(QMessageBox::Warning); break;
      case MB_ICONINFORMATION: box.setIcon(QMessageBox::Information); break;
      default: break;
    }
    switch (type & MB_TYPEMASK) {
      case MB_OKCANCEL: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
      case MB_YESNOCANCEL: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel); break;
      case MB_YESNO: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
      case MB_RETRYCANCEL: box.setStandardButtons(QMessageBox::Retry | QMessageBox::Cancel); break;
      default: box.setStandardButtons(QMessageBox::Ok); break;
    }
    switch (box.exec()) {
      case QMessageBox::Cancel: return IDCANCEL;
      case QMessageBox::Yes: return IDYES;
      case QMessageBox::No: return IDNO;
      case QMessageBox::Retry: return IDRETRY;
      default: return IDOK;
    }
  }
};

std::u16string TemplatePart(int index) {
  std::u16string t = LoadResString(IDR_MAINFRAME);
  size_t start = 0;
  for (int i = 0; i < index; ++i) {
    size_t nl = t.find(u'\n', start);
    if (nl == std::u16string::npos) return {};
    start = nl + 1;
  }
  return t.substr(start, t.find(u'\n', start) - start);
}

}  // namespace

std::u16string MainWindowTitle(const std::u16string& documentTitle) {
  return documentTitle + u" - " + TemplatePart(0);
}

std::unique_ptr<QMainWindow> CreateMainWindow() {
  auto window = std::make_unique<QMainWindow>();
  window->setWindowTitle(Q(MainWindowTitle(u"Untitled")));
  window->resize(900, 650);
  return window;
}

int RunInteractive(int argc, char** argv, CTessalingvoraApp& app) {
  QApplication qapp(argc, argv);
  CGuiMessageSink sink;
  CMessageSink* previous = SetMessageSink(&sink);

  // The start-up request: a new empty project, or the given project file.
  CTvlDoc document;
  if (app.m_cmdInfo.m_nShellCommand == CCommandLineInfo::FileOpen &&
      !document.OnOpenDocument(app.m_cmdInfo.m_strFileName)) {
    SetMessageSink(previous);
    return app.ExitInstance(1);
  }

  std::unique_ptr<QMainWindow> window = CreateMainWindow();
  window->setWindowTitle(Q(MainWindowTitle(document.GetTitle())));
  window->show();
  int rc = qapp.exec();
  SetMessageSink(previous);
  return app.ExitInstance(rc);
}
