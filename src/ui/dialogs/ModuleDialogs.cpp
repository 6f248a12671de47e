#include <memory>

#include "project/TvlDoc.h"
#include "ui/MainWindow.h"
#include "ui/dialogs/DialogSupport.h"
#include "ui/dialogs/InstallDialogs.h"
#include "ui/dialogs/LanguageDialogs.h"
#include "ui/dialogs/ModulePropertiesDlg.h"
#include "ui/dialogs/NewModuleWizard.h"

namespace {

void RunInsertModule(CMainFrame& frame) {
  CTvlDoc& document = frame.GetDocument();
  CWizardNewModule wizard(document, &frame);
  if (tvl::ui::RunModal(wizard) != QDialog::Accepted || !wizard.m_module) return;
  document.InsertModule(std::move(wizard.m_module), wizard.m_sourceLanguage, wizard.m_languages);
  frame.UpdateTitle();
}

void RunLanguages(CMainFrame& frame) {
  CTvlDoc& document = frame.GetDocument();
  CLanguage source = document.m_sourceLanguage;
  CLanguageArray working = document.m_languages;
  CDialogLanguages dialog(source, working, document.m_sourceLanguage.GetLanguage() != 0, &frame);
  if (tvl::ui::RunModal(dialog) != QDialog::Accepted) return;
  CLanguage& projectSource = document.m_sourceLanguage;
  if (!(projectSource == source)) {
    // The source's preview font is part of the project like the targets' fonts.
    projectSource.SetPreviewFont(source.GetFontName(), source.GetFontSize());
    document.SetModifiedFlag(true);
    document.UpdateAllViews(HintLanguageChanged, &projectSource);
  }
  document.ApplyLanguages(working);
  frame.UpdateTitle();
}

bool RunModuleProperties(CMainFrame& frame, CModule* module) {
  if (!module) return false;
  CDialogModuleProperties dialog(*module, &frame);
  if (tvl::ui::RunModal(dialog) != QDialog::Accepted) return false;
  // The module's name and its command prompts show in the tree and the resource views.
  if (dialog.SourceChanged() || dialog.MfcChanged()) frame.GetDocument().UpdateAllViews(HintRebuildTree);
  return true;
}

}  // namespace

void InstallModuleDialogs(CMainFrame& frame) {
  CDialogHooks& hooks = frame.Hooks();
  hooks.insertModule = [&frame] { RunInsertModule(frame); };
  hooks.languages = [&frame] { RunLanguages(frame); };
  hooks.moduleProperties = [&frame](CModule* module) { return RunModuleProperties(frame, module); };
  frame.UpdateCommandUi();
}
