#include "ui/dialogs/InstallDialogs.h"

#include "ui/MainWindow.h"

void InstallBuildDialogs(CMainFrame&) {}
