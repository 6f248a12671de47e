#pragma once
// The interactive face of the program: everything that needs a display starts here.
#include <memory>
#include <string>

class CTessalingvoraApp;
class QMainWindow;

// The main window's title: "<document title> - <application title>".
std::u16string MainWindowTitle(const std::u16string& documentTitle);

// The main window of a new, empty project.
std::unique_ptr<QMainWindow> CreateMainWindow();

// Runs the interactive program after the application object decided against a batch run.
// Returns the process exit code.
int RunInteractive(int argc, char** argv, CTessalingvoraApp& app);
