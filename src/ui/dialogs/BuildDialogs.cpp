#include "ui/dialogs/BuildDialogs.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QRegularExpression>

#include "platform/Paths.h"
#include "ui/MainWindow.h"
#include "ui/dialogs/BatchBuildDlg.h"
#include "ui/dialogs/BuildTargetDlg.h"
#include "ui/dialogs/ImportTranslationDlg.h"
#include "ui/dialogs/InstallDialogs.h"
#include "ui/dialogs/ScribeDlgs.h"

namespace tvl::ui {

const char16_t* const kExecutableFilter =
    u"Executable Files (*.exe;*.dll;*.ocx;*.cpl)|*.exe;*.dll;*.ocx;*.cpl|All Files (*.*)|*.*||";
const char16_t* const kProjectFilter = u"Tessalingvora Files (*.tvl)|*.tvl|All Files (*.*)|*.*||";

namespace {

QString QtFileDialog(QWidget* parent, const CFileRequest& request) {
  QFileDialog dialog(parent, request.title);
  dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setNameFilters(QtNameFilters(request.filter));
  if (!request.defaultExtension.isEmpty()) dialog.setDefaultSuffix(request.defaultExtension);
  if (!request.start.isEmpty()) {
    if (tvl::PathIsDirectory(U16(request.start)))
      dialog.setDirectory(request.start);
    else
      dialog.selectFile(request.start);
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().front();
}

}  // namespace

CBuildDialogServices& BuildDialogServices() {
  static CBuildDialogServices services{QtFileDialog, [](QDialog& dialog) { return dialog.exec(); }};
  return services;
}

QString ChooseFile(QWidget* parent, const CFileRequest& request) {
  return BuildDialogServices().chooseFile(parent, request);
}

int RunDialog(QDialog& dialog) { return BuildDialogServices().runDialog(dialog); }

QStringList QtNameFilters(const QString& filter) {
  static const QRegularExpression trailingPatterns(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
  QStringList parts = filter.split(QLatin1Char('|'));
  QStringList result;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString description = parts[i].trimmed();
    if (description.isEmpty()) break;  // the "||" that ends the list
    description.remove(trailingPatterns);
    QStringList patterns;
    for (const QString& p : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
      QString pattern = p.trimmed();
      if (pattern.isEmpty()) continue;
      patterns << (pattern == QStringLiteral("*.*") ? QStringLiteral("*") : pattern);
    }
    if (patterns.isEmpty()) continue;
    result << description + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
  }
  return result;
}

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
  if (tvl::ui::RunDialog(dialog) != QDialog::Accepted) return 0;
  return dialog.GetLanguage();
}

std::vector<LANGID> CGuiUserChoices::ChooseScribeLanguages(const std::u16string& path,
                                                           const CLanguageArray& available) {
  CDialogImportFromSE dialog(path, available, m_parent);
  if (tvl::ui::RunDialog(dialog) != QDialog::Accepted) return {};
  return dialog.GetChecked();
}

namespace {

void BuildTarget(CMainFrame& frame, CModule* module, LANGID language) {
  CTvlDoc& doc = frame.GetDocument();
  if (!doc.CheckReadyToBuild() || !module) return;
  CDialogCreateTargetFile dialog(doc, module, language, &frame);
  tvl::ui::RunDialog(dialog);
}

void BatchBuild(CMainFrame& frame) {
  CTvlDoc& doc = frame.GetDocument();
  if (!doc.CheckReadyToBuild()) return;
  CDialogBatchBuild dialog(doc, &frame);
  tvl::ui::RunDialog(dialog);
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
  tvl::ui::RunDialog(dialog);
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
