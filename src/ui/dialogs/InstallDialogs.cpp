#include "ui/dialogs/InstallDialogs.h"

void InstallDialogs(CMainFrame& frame) {
  InstallModuleDialogs(frame);
  InstallBuildDialogs(frame);
}
