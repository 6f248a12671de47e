#include "ui/dialogs/ImportTranslationDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "languages/AvailableLanguages.h"
#include "platform/Messages.h"
#include "project/Module.h"
#include "ui/QtText.h"
#include "ui/dialogs/DialogSupport.h"

CDialogImportTranslation::CDialogImportTranslation(const CModule& module, const std::u16string& path, LANGID guessed,
                                                   LANGID sourceLanguage, QWidget* parent)
    : QDialog(parent), m_sourceLanguage(sourceLanguage) {
  setWindowTitle(tr("Import Translation"));
  m_language = new QComboBox(this);
  m_language->setMinimumContentsLength(30);
  m_showCountries = new QCheckBox(tr("&Show countries"), this);

  auto* form = new QFormLayout;
  auto* moduleName = new QLabel(QStr(module.GetName()), this);
  auto* fileName = new QLabel(tvl::ui::WrappablePath(path), this);
  fileName->setWordWrap(true);
  for (QLabel* l : {moduleName, fileName}) l->setTextInteractionFlags(Qt::TextSelectableByMouse);
  form->addRow(tr("Module:"), moduleName);
  form->addRow(tr("File:"), fileName);
  auto* languageLabel = new QLabel(tr("&Language:"), this);
  languageLabel->setBuddy(m_language);
  form->addRow(languageLabel, m_language);
  form->addRow(QString(), m_showCountries);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  m_ok = buttons->button(QDialogButtonBox::Ok);
  m_ok->setDefault(true);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(
      new QLabel(tr("Please confirm the import of translation as follows:\n(This operation cannot be undone)"), this));
  layout->addLayout(form);
  layout->addWidget(buttons);

  FillLanguages(guessed);
  connect(m_showCountries, &QCheckBox::toggled, this, [this] { FillLanguages(SelectedLanguage()); });
  connect(buttons, &QDialogButtonBox::accepted, this, &CDialogImportTranslation::OnOK);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void CDialogImportTranslation::FillLanguages(LANGID select) {
  const CAvailableLanguages& catalogue =
      m_showCountries->isChecked() ? GetSubLanguagesCatalogue() : GetLanguagesCatalogue();
  m_language->clear();
  for (const auto& entry : catalogue)
    if (entry.m_language != m_sourceLanguage) m_language->addItem(QStr(entry.m_name), entry.m_language);
  m_language->setCurrentIndex(select ? m_language->findData(select) : -1);
}

LANGID CDialogImportTranslation::SelectedLanguage() const {
  int i = m_language->currentIndex();
  return i < 0 ? 0 : static_cast<LANGID>(m_language->itemData(i).toUInt());
}

void CDialogImportTranslation::OnOK() {
  LANGID language = SelectedLanguage();
  if (!language) {
    DoMessageBox(u"Please select a language.", MB_ICONERROR);
    m_language->setFocus();
    return;
  }
  m_chosen = language;
  accept();
}
