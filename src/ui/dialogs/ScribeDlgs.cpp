#include "ui/dialogs/ScribeDlgs.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/Messages.h"
#include "platform/Paths.h"
#include "project/TvlDoc.h"
#include "ui/QtText.h"
#include "ui/dialogs/BuildDialogs.h"
#include "ui/dialogs/DialogSupport.h"

namespace {

// Languages by name with check boxes; a lone language comes checked.
void FillCheckList(QListWidget* list, const CLanguageArray& languages) {
  for (const CLanguage& l : languages) {
    auto* item = new QListWidgetItem(QStr(l.GetName()), list);
    item->setData(Qt::UserRole, l.GetLanguage());
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(languages.GetSize() == 1 ? Qt::Checked : Qt::Unchecked);
  }
}

}  // namespace

std::vector<LANGID> tvl::ui::CheckedLanguages(const QListWidget& list) {
  std::vector<LANGID> checked;
  for (int i = 0; i < list.count(); ++i)
    if (list.item(i)->checkState() == Qt::Checked)
      checked.push_back(static_cast<LANGID>(list.item(i)->data(Qt::UserRole).toUInt()));
  return checked;
}

CDialogExportSE::CDialogExportSE(CTvlDoc& document, QWidget* parent) : QDialog(parent), m_document(document) {
  setWindowTitle(tr("Export to Scribe Edition"));
  m_fileName = new QLineEdit(this);
  m_fileName->setMinimumWidth(m_fileName->fontMetrics().averageCharWidth() * 50);
  m_browse = new QPushButton(tr("..."), this);
  m_browse->setAutoDefault(false);
  m_browse->setMaximumWidth(m_browse->fontMetrics().horizontalAdvance(QStringLiteral("....")) + 16);
  m_languages = new QListWidget(this);
  FillCheckList(m_languages, document.m_languages);

  auto* fileLabel = new QLabel(tr("1. &Filename:"), this);
  fileLabel->setBuddy(m_fileName);
  auto* languagesLabel = new QLabel(tr("2. &Translations:"), this);
  languagesLabel->setBuddy(m_languages);
  auto* fileRow = new QHBoxLayout;
  fileRow->addWidget(m_fileName, 1);
  fileRow->addWidget(m_browse);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  m_ok = buttons->button(QDialogButtonBox::Ok);
  m_ok->setDefault(true);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(fileLabel);
  layout->addLayout(fileRow);
  layout->addWidget(languagesLabel);
  layout->addWidget(m_languages);
  layout->addWidget(buttons);

  connect(m_browse, &QPushButton::clicked, this, [this] { OnBrowse(); });
  connect(buttons, &QDialogButtonBox::accepted, this, &CDialogExportSE::OnOK);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void CDialogExportSE::OnBrowse() {
  tvl::ui::CFileRequest request;
  request.save = true;
  request.title = tr("Select Scribe Edition Project File Name");
  request.filter = QStr(tvl::ui::kProjectFilter);
  request.defaultExtension = QStringLiteral("tvl");
  request.start = m_fileName->text().trimmed();
  if (request.start.isEmpty()) request.start = QStr(tvl::PathRemoveFileSpec(m_document.GetPathName()));
  QString path = tvl::ui::ChooseFile(this, request);
  if (!path.isEmpty()) m_fileName->setText(path);
}

void CDialogExportSE::OnOK() {
  bool saved;
  {
    tvl::ui::CWaitCursor wait;
    saved = m_document.ExportScribe(U16(m_fileName->text()), tvl::ui::CheckedLanguages(*m_languages));
  }
  if (saved) accept();
}

CDialogImportFromSE::CDialogImportFromSE(const std::u16string& path, const CLanguageArray& available, QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(tr("Import Scribe Edition Project"));
  m_languages = new QListWidget(this);
  FillCheckList(m_languages, available);
  auto* file = new QLabel(tvl::ui::WrappablePath(path), this);
  file->setWordWrap(true);
  file->setTextInteractionFlags(Qt::TextSelectableByMouse);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  m_ok = buttons->button(QDialogButtonBox::Ok);
  m_ok->setDefault(true);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(tr("File:"), this));
  layout->addWidget(file);
  layout->addWidget(new QLabel(tr("Translations available in this file:"), this));
  layout->addWidget(m_languages);
  layout->addWidget(new QLabel(tr("Please check each translation that you want to import."), this));
  layout->addWidget(buttons);

  connect(buttons, &QDialogButtonBox::accepted, this, &CDialogImportFromSE::OnOK);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void CDialogImportFromSE::OnOK() {
  std::vector<LANGID> checked = tvl::ui::CheckedLanguages(*m_languages);
  if (checked.empty()) {
    DoMessageBox(u"Please select at least one translation (check its box).", MB_ICONERROR);
    return;
  }
  m_checked = std::move(checked);
  accept();
}
