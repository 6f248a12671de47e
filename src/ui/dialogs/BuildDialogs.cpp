#include "ui/dialogs/BuildDialogs.h"

#include <QApplication>
#include <QDialog>

#include "platform/Paths.h"
#include "ui/MainWindow.h"
#include "ui/dialogs/BatchBuildDlg.h"
#include "ui/dialogs/BuildTargetDlg.h"
#include "ui/dialogs/ImportTranslationDlg.h"
#include "ui/dialogs/InstallDialogs.h"
#include "ui/dialogs/ScribeDlgs.h"
#include "ui/QtText.h"

namespace tvl::ui {

CWaitCursor::CWaitCursor() : m_previous(SetMessageSink(this)) { QApplication::setOverrideCursor(Qt::WaitCursor); }

CWaitCursor::~CWaitCursor() {
  QApplication::restoreOverrideCursor();
  SetMessageSink(m_previous);
}

int CWaitCursor::Show(const std::u16string& text, UINT type, UINT helpId) {
  QApplication::restoreOverrideCursor();
  CMessageSink* previous = SetMessageSink(m_previous);
  int answer = DoMessageBox(text, type, helpId);
  SetMessageSink(previous);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  return answer;
}

}  // namespace tvl::ui

LANGID CGuiUserChoices::ChooseImportLanguage(const CModule& module, const std::u16string& path, LANGID guessed) {
  CDialogImportTranslation dialog(module, path, guessed, m_document.m_sourceLanguage.GetLanguage(), m_parent);
  if (tvl::ui::RunModal(dialog) != QDialog::Accepted) return 0;
  return dialog.GetLanguage();
}

std::vector<LANGID> CGuiUserChoices::ChooseScribeLanguages(const std::u16string& path,
                                                           const CLanguageArray& available) {
  CDialogImportFromSE dialog(path, available, m_parent);
  if (tvl::ui::RunModal(dialog) != QDialog::Accepted) return {};
  return dialog.GetChecked();
}

namespace {

void BuildTarget(CMainFrame& frame, CModule* module, LANGID language) {
  CTvlDoc& doc = frame.GetDocument();
  if (!doc.CheckReadyToBuild() || !module) return;
  CDialogCreateTargetFile dialog(doc, module, language, &frame);
  tvl::ui::RunModal(dialog);
}

void BatchBuild(CMainFrame& frame) {
  CTvlDoc& doc = frame.GetDocument();
  if (!doc.CheckReadyToBuild()) return;
  CDialogBatchBuild dialog(doc, &frame);
  tvl::ui::RunModal(dialog);
  frame.UpdateTitle();
}

void ImportTranslation(CMainFrame& frame, CModule* module) {
  CTvlDoc& doc = frame.GetDocument();
  if (!module) return;
  tvl::ui::CFileRequest request;
  request.filter = QStr(tvl::ui::kExecutableFilter);
  request.defaultExtension = QStringLiteral("exe");
  QString path = tvl::ui::ChooseFile(&frame, request);
  if (path.isEmpty()) return;

  // The language chosen may already be a target: it becomes the selected one.
  struct CRememberingChoices : CGuiUserChoices {
    using CGuiUserChoices::CGuiUserChoices;
    LANGID ChooseImportLanguage(const CModule& m, const std::u16string& p, LANGID guessed) override {
      return m_chosen = CGuiUserChoices::ChooseImportLanguage(m, p, guessed);
    }
    LANGID m_chosen = 0;
  } choices(doc, &frame);
  std::vector<LANGID> before;
  for (const CLanguage& l : doc.m_languages) before.push_back(l.GetLanguage());
  bool imported;
  {
    tvl::ui::CWaitCursor wait;
    imported = doc.ImportTranslation(module, U16(path), choices);
  }
  if (!imported) return;
  // The statuses of the module's resources changed.
  doc.UpdateAllViews(HintRefreshAll);
  if (std::find(before.begin(), before.end(), choices.m_chosen) != before.end()) frame.ChooseLanguage(choices.m_chosen);
  frame.UpdateTitle();
}

void ExportScribe(CMainFrame& frame) {
  CTvlDoc& doc = frame.GetDocument();
  if (!doc.CanExportScribe()) return;
  CDialogExportSE dialog(doc, &frame);
  tvl::ui::RunModal(dialog);
}

void ImportScribe(CMainFrame& frame) {
  CTvlDoc& doc = frame.GetDocument();
  tvl::ui::CFileRequest request;
  request.title = QObject::tr("Select Scribe Edition Project");
  request.filter = QStr(tvl::ui::kProjectFilter);
  request.start = QStr(tvl::PathRemoveFileSpec(doc.GetPathName()));
  QString path = tvl::ui::ChooseFile(&frame, request);
  if (path.isEmpty()) return;
  CGuiUserChoices choices(doc, &frame);
  bool imported;
  {
    tvl::ui::CWaitCursor wait;
    imported = doc.ImportScribe(U16(path), choices);
  }
  if (imported) frame.UpdateTitle();
}

}  // namespace

void InstallBuildDialogs(CMainFrame& frame) {
  CDialogHooks& hooks = frame.Hooks();
  hooks.buildTarget = [&frame](CModule* module, LANGID language) { BuildTarget(frame, module, language); };
  hooks.batchBuild = [&frame] { BatchBuild(frame); };
  hooks.importTranslation = [&frame](CModule* module) { ImportTranslation(frame, module); };
  hooks.exportScribe = [&frame] { ExportScribe(frame); };
  hooks.importScribe = [&frame] { ImportScribe(frame); };
  frame.UpdateCommandUi();
}
