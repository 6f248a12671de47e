#pragma once
// Puts the program's dialogs behind the main window's commands.
class CMainFrame;

void InstallDialogs(CMainFrame& frame);

// Insert Module wizard, the language dialogs and module properties.
void InstallModuleDialogs(CMainFrame& frame);
// Build, Batch Build, Import an Existing Translation and the translator's copy.
void InstallBuildDialogs(CMainFrame& frame);
