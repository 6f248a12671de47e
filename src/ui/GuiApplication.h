#pragma once
// The interactive face of the program: everything that needs a display starts here.
#include <memory>
#include <string>

#include "platform/Types.h"

class CTessalingvoraApp;
class CTvlDoc;
class CMainFrame;
class QMessageBox;
class QWidget;

// The box a message of the program is shown in: its icon, buttons and default button come
// from the message type.
std::unique_ptr<QMessageBox> CreateMessageBox(const std::u16string& text, UINT type, QWidget* parent = nullptr);

// The main window's title: "<program> - <document title> <'*' when modified, else a space>".
std::u16string MainWindowTitle(const std::u16string& documentTitle, bool modified);

// The main window over a document, with its settings under $XDG_CONFIG_HOME.
std::unique_ptr<CMainFrame> CreateMainWindow(CTvlDoc& document);

// Runs the interactive program after the application object decided against a batch run.
// Returns the process exit code.
int RunInteractive(int argc, char** argv, CTessalingvoraApp& app);
