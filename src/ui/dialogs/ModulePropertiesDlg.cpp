#include "ui/dialogs/ModulePropertiesDlg.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

#include "platform/Messages.h"
#include "platform/PathForms.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "project/ModuleFile.h"
#include "project/TvlDoc.h"
#include "ui/QtText.h"
#include "ui/dialogs/DialogSupport.h"

CDialogModuleProperties::CDialogModuleProperties(CModule& module, QWidget* parent)
    : QDialog(parent), m_module(module) {
  setWindowTitle(QStr(FormatMessageText(u"Module Properties - %1", {Arg(module.GetName())})));
  m_usesMfcOnOpen = module.m_usesMfc != 0;
  m_mfcClues = module.m_resTable.HasMfcClues();

  auto* grid = new QGridLayout(this);
  auto* fileLabel = new QLabel(QStringLiteral("&Source Filename:"), this);
  m_sourceFileName = new QLineEdit(QStr(tvl::DisplayPath(module.GetSourcePath())), this);
  m_sourceFileName->setMinimumWidth(m_sourceFileName->fontMetrics().averageCharWidth() * 60);
  fileLabel->setBuddy(m_sourceFileName);
  grid->addWidget(fileLabel, 0, 0);
  grid->addWidget(m_sourceFileName, 0, 1, 1, 2);

  auto* languageLabel = new QLabel(QStringLiteral("Source &Language:"), this);
  QString languageName = module.m_sourceLanguage == 0xFFFF ? QStringLiteral("???")
                                                            : QStr(SystemLanguageName(module.m_sourceLanguage));
  m_sourceLanguage = new QLineEdit(languageName, this);
  m_sourceLanguage->setReadOnly(true);
  languageLabel->setBuddy(m_sourceLanguage);
  grid->addWidget(languageLabel, 1, 0);
  grid->addWidget(m_sourceLanguage, 1, 1, 1, 2);

  m_usesMfc = new QCheckBox(QStringLiteral("Uses MFC"), this);
  m_usesMfc->setChecked(m_usesMfcOnOpen);
  m_satelliteDll = new QCheckBox(QStringLiteral("Satellite &DLL"), this);
  m_satelliteDll->setChecked(module.m_satelliteDll);
  m_noDuplicate = new QCheckBox(QStringLiteral("&No duplicate of language neutral resources"), this);
  m_noDuplicate->setChecked(module.m_satelliteDll && module.m_noDuplicateNeutral);
  m_noDuplicate->setEnabled(module.m_satelliteDll);
  grid->addWidget(m_usesMfc, 2, 1, 1, 2);
  grid->addWidget(m_satelliteDll, 3, 1, 1, 2);
  grid->addWidget(m_noDuplicate, 4, 1, 1, 2);

  auto* outputLabel = new QLabel(QStringLiteral("&Output Files:"), this);
  m_outputFiles = tvl::ui::CreateOutputList(this);
  outputLabel->setBuddy(m_outputFiles);
  m_edit = new QPushButton(QStringLiteral("&Edit..."), this);
  m_edit->setAutoDefault(false);
  grid->addWidget(outputLabel, 5, 0, 1, 3);
  grid->addWidget(m_outputFiles, 6, 0, 2, 2);
  grid->addWidget(m_edit, 6, 2);
  grid->setRowStretch(7, 1);
  grid->setColumnStretch(1, 1);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  grid->addWidget(buttons, 8, 0, 1, 3);

  if (CTvlDoc* document = module.GetDocument()) {
    for (const CLanguage& l : document->m_languages) {
      LANGID language = l.GetLanguage();
      auto* item = new QTreeWidgetItem(m_outputFiles, {tvl::ui::OutputListLanguageName(language),
                                                        QStr(tvl::DisplayPath(module.GetTargetFileName(language)))});
      item->setData(0, Qt::UserRole, static_cast<uint>(language));
    }
  }
  tvl::ui::FitListColumns(m_outputFiles, true);

  connect(buttons, &QDialogButtonBox::accepted, this, &CDialogModuleProperties::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(m_edit, &QPushButton::clicked, this, &CDialogModuleProperties::OnEdit);
  connect(m_outputFiles, &QTreeWidget::itemDoubleClicked, this, &CDialogModuleProperties::OnEdit);
  connect(m_satelliteDll, &QCheckBox::toggled, this, &CDialogModuleProperties::OnSatelliteToggled);
}

void CDialogModuleProperties::OnEdit() {
  QTreeWidgetItem* item = m_outputFiles->currentItem();
  if (!item || !item->isSelected()) {
    DoMessageBox(u"Please select an item in the list.", MB_ICONERROR);
    return;
  }
  CDialogFilename dialog(item->text(1), this);
  if (tvl::ui::RunModal(dialog) == QDialog::Accepted) item->setText(1, dialog.FileName());
}

void CDialogModuleProperties::OnSatelliteToggled(bool checked) {
  m_noDuplicate->setEnabled(checked);
  m_noDuplicate->setChecked(checked && m_module.m_noDuplicateNeutral);
  const std::u16string sourceExtension = tvl::PathFindExtension(m_module.GetName());
  if (tvl::CompareNoCase(sourceExtension, u".dll") == 0) return;
  const std::u16string extension = checked ? std::u16string(u".dll") : sourceExtension;
  for (int i = 0; i < m_outputFiles->topLevelItemCount(); ++i) {
    QTreeWidgetItem* item = m_outputFiles->topLevelItem(i);
    std::u16string name = U16(item->text(1));
    name.resize(name.size() - tvl::PathFindExtension(name).size());
    item->setText(1, QStr(name + extension));
  }
}

bool CDialogModuleProperties::Validate() {
  auto refuse = [](const std::u16string& message, QWidget* control) {
    DoMessageBox(message, MB_ICONERROR);
    control->setFocus();
    return false;
  };
  // Compared as shown: the stored '\\' of a relative path is not a change.
  m_sourceChanged = U16(m_sourceFileName->text()) != tvl::DisplayPath(m_module.GetSourcePath());
  if (m_sourceChanged) {
    CModuleFileCheck check = CheckModuleFile(m_module.GetDocument(), U16(m_sourceFileName->text()), &m_module, false);
    if (check.m_problem != ModuleFileProblem::None) return refuse(check.Text(), m_sourceFileName);
  }
  if (m_usesMfcOnOpen && !m_usesMfc->isChecked() && m_mfcClues) {
    if (DoMessageBox(u"Tessalingvora found clues of MFC support in this module. Are you sure it does not support MFC ?",
                     MB_YESNO | MB_ICONWARNING) != IDYES) {
      m_usesMfc->setFocus();
      return false;
    }
  }
  return true;
}

void CDialogModuleProperties::Apply() {
  if (m_sourceChanged) m_module.SetSourcePath(tvl::StoredPath(tvl::Trim(U16(m_sourceFileName->text()))));
  const bool usesMfc = m_usesMfc->isChecked();
  m_mfcChanged = usesMfc != (m_module.m_usesMfc != 0);
  m_module.SetUsesMfc(usesMfc ? 1 : 0);
  m_module.m_satelliteDll = m_satelliteDll->isChecked();
  if (m_module.m_satelliteDll) m_module.m_noDuplicateNeutral = m_noDuplicate->isChecked();

  m_module.m_outputNames.RemoveAll();
  for (int i = 0; i < m_outputFiles->topLevelItemCount(); ++i) {
    QTreeWidgetItem* item = m_outputFiles->topLevelItem(i);
    LANGID language = static_cast<LANGID>(item->data(0, Qt::UserRole).toUInt());
    std::u16string name = tvl::StoredPath(tvl::Trim(U16(item->text(1))));
    if (!name.empty() && tvl::CompareNoCase(name, m_module.DefaultTargetFileName(language)) != 0)
      m_module.m_outputNames.SetAt(language, name);
  }

  if (m_mfcChanged) {
    CTvlDoc* document = m_module.GetDocument();
    // Undo actions may point at prompts that are about to be rebuilt or left behind.
    if (document) document->ClearUndo();
    CResTable& table = m_module.m_resTable;
    if (usesMfc)
      table.m_promptAndTips.Build();
    else
      table.m_stringTable.ClearStatusCache();  // command strings count in the table again
    if (document)
      for (const CLanguage& l : document->m_languages) table.UpdateStatus(l.GetLanguage());
  }
}

void CDialogModuleProperties::accept() {
  if (!Validate()) return;
  Apply();
  QDialog::accept();
}
