#include "ui/dialogs/BuildTargetDlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "archive/Exceptions.h"
#include "platform/Messages.h"
#include "platform/PathForms.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "project/TvlDoc.h"
#include "ui/QtText.h"
#include "ui/dialogs/BuildDialogs.h"

namespace {

// A name in the current folder (".\App.exe") reads better without its folder.
std::u16string DisplayName(const std::u16string& name) {
  return tvl::PathRemoveFileSpec(name) == u"." ? tvl::PathFindFileName(name) : name;
}

}  // namespace

CDialogCreateTargetFile::CDialogCreateTargetFile(CTvlDoc& document, CModule* module, LANGID language, QWidget* parent)
    : QDialog(parent), m_document(document) {
  setWindowTitle(tr("Build Target File"));
  m_module = new QComboBox(this);
  m_language = new QComboBox(this);
  m_source = new QLineEdit(this);
  m_output = new QLineEdit(this);
  m_browseSource = new QPushButton(tr("..."), this);
  m_browseOutput = new QPushButton(tr("..."), this);
  for (QPushButton* b : {m_browseSource, m_browseOutput}) {
    b->setAutoDefault(false);
    b->setMaximumWidth(b->fontMetrics().horizontalAdvance(QStringLiteral("....")) + 16);
  }
  m_module->setMinimumContentsLength(30);
  m_output->setMinimumWidth(m_output->fontMetrics().averageCharWidth() * 50);

  auto* grid = new QGridLayout;
  auto addRow = [&](int row, const QString& text, QWidget* field, QWidget* button) {
    auto* label = new QLabel(text, this);
    label->setBuddy(field);
    grid->addWidget(label, row, 0);
    grid->addWidget(field, row, 1);
    if (button) grid->addWidget(button, row, 2);
  };
  addRow(0, tr("&Module:"), m_module, nullptr);
  addRow(1, tr("&Language:"), m_language, nullptr);
  addRow(2, tr("&Source Filename:"), m_source, m_browseSource);
  addRow(3, tr("&Output Filename:"), m_output, m_browseOutput);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  m_ok = buttons->button(QDialogButtonBox::Ok);
  m_ok->setDefault(true);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addWidget(buttons);

  for (size_t i = 0; i < document.m_modules.size(); ++i) {
    m_module->addItem(QStr(document.m_modules[i]->GetName()), static_cast<int>(i));
    if (document.m_modules[i].get() == module) m_module->setCurrentIndex(static_cast<int>(i));
  }
  for (const CLanguage& l : document.m_languages) m_language->addItem(QStr(l.GetName()), l.GetLanguage());
  m_language->setCurrentIndex(m_language->findData(language));
  FillNames();

  connect(m_module, &QComboBox::currentIndexChanged, this, [this] { FillNames(); });
  connect(m_language, &QComboBox::currentIndexChanged, this, [this] { FillNames(); });
  connect(m_browseOutput, &QPushButton::clicked, this, [this] { OnBrowseOutput(); });
  connect(m_browseSource, &QPushButton::clicked, this, [this] { OnBrowseSource(); });
  connect(buttons, &QDialogButtonBox::accepted, this, &CDialogCreateTargetFile::OnOK);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

CModule* CDialogCreateTargetFile::SelectedModule() const {
  int i = m_module->currentIndex();
  if (i < 0) return nullptr;
  size_t index = static_cast<size_t>(m_module->itemData(i).toInt());
  return index < m_document.m_modules.size() ? m_document.m_modules[index].get() : nullptr;
}

LANGID CDialogCreateTargetFile::SelectedLanguage() const {
  int i = m_language->currentIndex();
  return i < 0 ? 0 : static_cast<LANGID>(m_language->itemData(i).toUInt());
}

void CDialogCreateTargetFile::FillNames() {
  CModule* module = SelectedModule();
  LANGID language = SelectedLanguage();
  m_source->setText(module ? QStr(tvl::DisplayPath(module->GetSourcePath())) : QString());
  m_output->setText(module && language ? QStr(tvl::DisplayPath(DisplayName(module->GetTargetFileName(language))))
                                       : QString());
}

void CDialogCreateTargetFile::OnBrowseOutput() {
  tvl::ui::CFileRequest request;
  request.save = true;
  request.title = tr("Select Target File");
  request.filter = QStr(tvl::ui::kExecutableFilter);
  request.start = m_output->text();
  if (CModule* module = SelectedModule()) {
    try {
      request.start = QStr(module->MakeFullPath(U16(m_output->text())));
    } catch (const CException&) {
    }
  }
  QString path = tvl::ui::ChooseFile(this, request);
  if (!path.isEmpty()) m_output->setText(path);
}

void CDialogCreateTargetFile::OnBrowseSource() {
  tvl::ui::CFileRequest request;
  request.title = tr("Select Source File");
  request.filter = QStr(tvl::ui::kExecutableFilter);
  request.start = m_source->text();
  if (CModule* module = SelectedModule()) {
    try {
      request.start = QStr(module->MakeFullPath(U16(m_source->text())));
    } catch (const CException&) {
    }
  }
  QString path = tvl::ui::ChooseFile(this, request);
  if (!path.isEmpty()) m_source->setText(path);
}

void CDialogCreateTargetFile::Refuse(QLineEdit* field, const std::u16string& text) {
  DoMessageBox(text, MB_ICONERROR);
  if (field) {
    field->setFocus();
    field->selectAll();
  }
}

void CDialogCreateTargetFile::OnOK() {
  CModule* module = SelectedModule();
  if (!module) {
    DoMessageBox(u"Please specify the module.", MB_ICONERROR);
    m_module->setFocus();
    return;
  }
  LANGID language = SelectedLanguage();
  if (!language) {
    DoMessageBox(u"Please specify the language.", MB_ICONERROR);
    m_language->setFocus();
    return;
  }
  std::u16string output = tvl::Trim(U16(m_output->text()));
  if (output.empty()) return Refuse(m_output, u"Please specify the output filename.");
  std::u16string fullOutput;
  try {
    fullOutput = module->MakeFullPath(output);
  } catch (const CException& e) {
    return Refuse(m_output, e.GetErrorText().substr(0, 1000));
  }
  std::u16string source = tvl::Trim(U16(m_source->text()));
  if (source.empty()) return Refuse(m_source, u"Please specify the source filename.");
  try {
    module->MakeFullPath(source);
  } catch (const CException& e) {
    return Refuse(m_source, e.GetErrorText().substr(0, 1000));
  }

  BuildSuccessList().clear();
  bool built;
  {
    tvl::ui::CWaitCursor wait;
    built = module->Build(language, fullOutput, source);
  }
  if (built) {
    accept();
    DoMessageBox(u"Target file(s) created successfully:\n\n" + fullOutput, MB_ICONINFORMATION);
  } else {
    m_output->setFocus();
    m_output->selectAll();
  }
  BuildSuccessList().clear();
}
