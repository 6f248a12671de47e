#include "ui/dialogs/NewModuleWizard.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWhatsThis>
#include <algorithm>

#include "languages/AvailableLanguages.h"
#include "peimage/LanguageSurvey.h"
#include "platform/Messages.h"
#include "platform/PathForms.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "project/ModuleFile.h"
#include "project/TvlDoc.h"
#include "ui/QtText.h"
#include "ui/dialogs/DialogSupport.h"
#include "ui/dialogs/LanguageDialogs.h"

namespace {

const QStringList& Answers() {
  static const QStringList answers{QStringLiteral("I don't know"), QStringLiteral("Yes"), QStringLiteral("No")};
  return answers;
}

QLabel* Note(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setWordWrap(true);
  return label;
}

// A link whose explanation appears beside it; the program has no separate help viewer.
QLabel* HelpLink(const QString& text, const QString& explanation, QWidget* parent) {
  auto* label = new QLabel(QStringLiteral("<a href=\"help\">%1</a>").arg(text.toHtmlEscaped()), parent);
  label->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
  QObject::connect(label, &QLabel::linkActivated, label, [label, explanation] {
    QWhatsThis::showText(label->mapToGlobal(label->rect().bottomLeft()), explanation, label);
  });
  return label;
}

}  // namespace

// ---------------------------------------------------------------------------------------

CWizardPropertyPage::CWizardPropertyPage(CWizardNewModule& wizard, const QString& title, const QString& subtitle)
    : m_wizard(wizard) {
  setTitle(title);
  setSubTitle(subtitle);
}

bool CWizardPropertyPage::Refuse(const std::u16string& message, QWidget* control) {
  m_failedControl = control;
  DoMessageBox(message, MB_ICONERROR);
  if (control) control->setFocus();
  return false;
}

// ---------------------------------------------------------------------------------------
// Page 1: the file

CWizardNewModulePage1::CWizardNewModulePage1(CWizardNewModule& wizard)
    : CWizardPropertyPage(wizard, QStringLiteral("Welcome to the New Module Wizard"),
                          QStringLiteral("Which file do you want to translate ?")) {
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(
      Note(QStringLiteral("Please type the  file name of the module or click the Browse button to select a file."), this));
  auto* label = new QLabel(QStringLiteral("&Filename:"), this);
  m_fileName = new QLineEdit(this);
  label->setBuddy(m_fileName);
  m_browse = new QPushButton(QStringLiteral("..."), this);
  m_browse->setAutoDefault(false);
  m_browse->setMaximumWidth(m_browse->fontMetrics().averageCharWidth() * 6);
  auto* row = new QHBoxLayout;
  row->addWidget(m_fileName, 1);
  row->addWidget(m_browse);
  layout->addWidget(label);
  layout->addLayout(row);
  layout->addStretch(1);
  layout->addWidget(Note(QStringLiteral("Note: The file must be a Win32 or WinCE executable file (exe, dll, ocx,...)"), this));
  connect(m_browse, &QPushButton::clicked, this, &CWizardNewModulePage1::OnBrowse);
}

void CWizardNewModulePage1::initializePage() {
  m_fileName->setText(QStr(m_wizard.m_fileName));
  m_fileName->setFocus();
}

void CWizardNewModulePage1::OnBrowse() {
  tvl::ui::CFileRequest request;
  request.title = QStringLiteral("Select Executable File");
  request.filter = QStr(tvl::ui::kExecutableFilter);
  request.defaultExtension = QStringLiteral("exe");
  const std::u16string& project = m_wizard.m_project.GetPathName();
  if (!project.empty()) request.start = QStr(tvl::PathRemoveFileSpec(project));
  QString path = tvl::ui::ChooseFile(this, request);
  if (!path.isEmpty()) m_fileName->setText(path);
  m_fileName->setFocus();
}

bool CWizardNewModulePage1::validatePage() {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  CModuleFileCheck check = CheckModuleFile(&m_wizard.m_project, U16(m_fileName->text()), nullptr, true);
  QApplication::restoreOverrideCursor();
  if (check.m_problem != ModuleFileProblem::None) return Refuse(check.Text(), m_fileName);
  m_wizard.m_fileName = check.m_name;
  m_wizard.m_fullPath = check.m_fullPath;
  m_wizard.m_guessedLanguage = check.m_survey.GuessSourceLanguage();
  return true;
}

int CWizardNewModulePage1::nextId() const { return CWizardNewModule::kPropertiesPage; }

// ---------------------------------------------------------------------------------------
// Page 2: source language and properties

CWizardNewModulePage2::CWizardNewModulePage2(CWizardNewModule& wizard)
    : CWizardPropertyPage(wizard, QStringLiteral("Module Properties"),
                          QStringLiteral("Specify the source language and (optionally) other properties.")) {
  auto* grid = new QGridLayout(this);
  grid->addWidget(new QLabel(QStringLiteral("Filename:"), this), 0, 0);
  m_fileName = new QLabel(this);
  m_fileName->setTextInteractionFlags(Qt::TextSelectableByMouse);
  // A long path wraps rather than widening the page.
  m_fileName->setWordWrap(true);
  grid->addWidget(m_fileName, 0, 1, 1, 2);

  auto* languageLabel = new QLabel(QStringLiteral("&Source Language:"), this);
  m_languages = new QComboBox(this);
  m_languages->setMinimumContentsLength(30);
  languageLabel->setBuddy(m_languages);
  grid->addWidget(languageLabel, 1, 0);
  grid->addWidget(m_languages, 1, 1);
  grid->addWidget(HelpLink(QStringLiteral("What's this ?"),
                           QStringLiteral("The language the texts of the file are written in. Every module of a "
                                          "project shares the project's source language."),
                           this),
                  1, 2);
  m_showCountries = new QCheckBox(QStringLiteral("&Show Countries"), this);
  grid->addWidget(m_showCountries, 2, 1);

  grid->addWidget(new QLabel(QStringLiteral("Does this program use MFC ?"), this), 3, 0, 1, 3);
  m_mfc = new QComboBox(this);
  m_mfc->addItems(Answers());
  grid->addWidget(m_mfc, 4, 1);
  grid->addWidget(HelpLink(QStringLiteral("Tell me more"),
                           QStringLiteral("Programs built with MFC keep the status bar prompt and the tooltip of a "
                                          "command in one string. Tessalingvora then shows them as two texts."),
                           this),
                  4, 2);
  grid->addWidget(Note(QStringLiteral("Should Tessalingvora generate satellite DLLs ? (You can modify this setting later)"),
                       this),
                  5, 0, 1, 3);
  m_satellite = new QComboBox(this);
  m_satellite->addItems(Answers());
  grid->addWidget(m_satellite, 6, 1);
  grid->addWidget(HelpLink(QStringLiteral("Tell me more"),
                           QStringLiteral("A satellite DLL holds only the translated resources; the program loads it "
                                          "beside its own file. Otherwise each translation is a full copy of the file."),
                           this),
                  6, 2);
  grid->setRowStretch(7, 1);
  grid->setColumnStretch(1, 1);

  connect(m_showCountries, &QCheckBox::toggled, this, [this] {
    LANGID selected = Selected();
    Fill();
    Select(selected);
  });
}

void CWizardNewModulePage2::Fill() {
  m_languages->clear();
  if (m_wizard.IsFirstModule()) {
    struct Entry {
      QString name;
      LANGID language;
    };
    std::vector<Entry> entries;
    const CAvailableLanguages& catalogue =
        m_showCountries->isChecked() ? GetSubLanguagesCatalogue() : GetLanguagesCatalogue();
    for (const auto& e : catalogue) entries.push_back({QStr(e.m_name), e.m_language});
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry& a, const Entry& b) { return QString::localeAwareCompare(a.name, b.name) < 0; });
    for (const Entry& e : entries) m_languages->addItem(e.name, static_cast<uint>(e.language));
  } else {
    // A module must share the project's source language.
    const CLanguage& source = m_wizard.m_project.m_sourceLanguage;
    m_languages->addItem(QStr(source.GetName()), static_cast<uint>(source.GetLanguage()));
  }
  m_languages->setCurrentIndex(-1);
}

void CWizardNewModulePage2::Select(LANGID language) {
  m_languages->setCurrentIndex(language ? m_languages->findData(static_cast<uint>(language)) : -1);
}

LANGID CWizardNewModulePage2::Selected() const {
  return m_languages->currentIndex() < 0 ? 0 : static_cast<LANGID>(m_languages->currentData().toUInt());
}

void CWizardNewModulePage2::initializePage() {
  m_fileName->setText(tvl::ui::WrappablePath(m_wizard.m_fileName));
  LANGID preselected =
      m_wizard.IsFirstModule() ? m_wizard.m_guessedLanguage : m_wizard.m_project.m_sourceLanguage.GetLanguage();
  {
    QSignalBlocker block(m_showCountries);
    m_showCountries->setChecked(preselected < 1024 || preselected > 2047);
  }
  Fill();
  Select(preselected);
  m_mfc->setCurrentIndex(m_wizard.m_mfcAnswer);
  m_satellite->setCurrentIndex(m_wizard.m_satelliteAnswer);
  m_languages->setFocus();
}

bool CWizardNewModulePage2::validatePage() {
  LANGID language = Selected();
  if (!language) return Refuse(u"Please specify the source language of the selected file.", m_languages);
  m_wizard.m_sourceLanguage = language;
  m_wizard.m_mfcAnswer = m_mfc->currentIndex();
  m_wizard.m_satelliteAnswer = m_satellite->currentIndex();
  return true;
}

int CWizardNewModulePage2::nextId() const {
  if (!m_wizard.m_project.m_modules.empty() && !m_wizard.ProjectHasTranslations()) return -1;
  return m_wizard.ProjectHasTranslations() ? CWizardNewModule::kOutputPage : CWizardNewModule::kLanguagesPage;
}

// ---------------------------------------------------------------------------------------
// Page 3: translation languages

CWizardNewModulePage3::CWizardNewModulePage3(CWizardNewModule& wizard)
    : CWizardPropertyPage(wizard, QStringLiteral("Translation Languages"),
                          QStringLiteral("Do you want to specify the translation languages now ?")),
      m_working(wizard.m_languages) {
  auto* grid = new QGridLayout(this);
  grid->addWidget(Note(QStringLiteral("Click the 'New...' button to add languages to the list."), this), 0, 0, 1, 2);
  auto* label = new QLabel(QStringLiteral("&Translations:"), this);
  m_list = new QListWidget(this);
  label->setBuddy(m_list);
  grid->addWidget(label, 1, 0, 1, 2);
  grid->addWidget(m_list, 2, 0, 4, 1);
  m_new = new QPushButton(QStringLiteral("&New..."), this);
  m_remove = new QPushButton(QStringLiteral("&Remove"), this);
  m_properties = new QPushButton(QStringLiteral("&Properties..."), this);
  for (QPushButton* b : {m_new, m_remove, m_properties}) b->setAutoDefault(false);
  grid->addWidget(m_new, 2, 1);
  grid->addWidget(m_remove, 3, 1);
  grid->addWidget(m_properties, 4, 1);
  grid->setRowStretch(5, 1);
  grid->addWidget(Note(QStringLiteral("Note: You can fill or modify this list at any time later."), this), 6, 0, 1, 2);

  connect(m_new, &QPushButton::clicked, this, [this] {
    if (tvl::ui::AddTargetLanguage(this, m_working, m_wizard.m_sourceLanguage, m_list)) Changed();
  });
  connect(m_remove, &QPushButton::clicked, this, [this] {
    tvl::ui::RemoveTargetLanguage(m_working, m_list);
    Changed();
  });
  auto edit = [this] { tvl::ui::EditTargetLanguage(this, m_working, m_list); };
  connect(m_properties, &QPushButton::clicked, this, edit);
  connect(m_list, &QListWidget::itemDoubleClicked, this, edit);
}

void CWizardNewModulePage3::Changed() {
  // Next appears with the first language and gives way to Finish with the last; the wizard
  // asks nextId() again only when told the page's final state.
  setFinalPage(false);
}

void CWizardNewModulePage3::initializePage() {
  int source = m_working.Find(m_wizard.m_sourceLanguage);
  if (source >= 0) m_working.RemoveAt(source);
  tvl::ui::FillLanguageList(m_working, m_list);
  Changed();
}

bool CWizardNewModulePage3::validatePage() {
  m_wizard.m_languages = m_working;
  return true;
}

int CWizardNewModulePage3::nextId() const { return m_working.IsEmpty() ? -1 : CWizardNewModule::kOutputPage; }

// ---------------------------------------------------------------------------------------
// Page 4: output files

CWizardNewModulePage4::CWizardNewModulePage4(CWizardNewModule& wizard)
    : CWizardPropertyPage(wizard, QStringLiteral("Output Files"),
                          QStringLiteral("Here you can customize the names of the translated files")) {
  auto* grid = new QGridLayout(this);
  grid->addWidget(Note(QStringLiteral("Select a language and click 'Edit...' to edit the corresponding file name."), this),
                  0, 0, 1, 2);
  auto* label = new QLabel(QStringLiteral("&Output Files:"), this);
  m_list = tvl::ui::CreateOutputList(this);
  label->setBuddy(m_list);
  grid->addWidget(label, 1, 0, 1, 2);
  grid->addWidget(m_list, 2, 0, 2, 1);
  m_edit = new QPushButton(QStringLiteral("&Edit..."), this);
  m_edit->setAutoDefault(false);
  grid->addWidget(m_edit, 2, 1);
  grid->setRowStretch(3, 1);
  grid->addWidget(Note(QStringLiteral("Note: Paths are relative to the Tessalingvora project file."), this), 4, 0, 1, 2);
  connect(m_edit, &QPushButton::clicked, this, &CWizardNewModulePage4::OnEdit);
  connect(m_list, &QTreeWidget::itemDoubleClicked, this, &CWizardNewModulePage4::OnEdit);
}

void CWizardNewModulePage4::initializePage() {
  m_list->clear();
  for (const CLanguage& l : m_wizard.m_languages) {
    LANGID language = l.GetLanguage();
    auto found = m_wizard.m_outputNames.find(language);
    std::u16string name = found != m_wizard.m_outputNames.end() ? found->second : m_wizard.DefaultOutputName(language);
    auto* item = new QTreeWidgetItem(m_list, {tvl::ui::OutputListLanguageName(language), QStr(tvl::DisplayPath(name))});
    item->setData(0, Qt::UserRole, static_cast<uint>(language));
  }
  // The wizard keeps its width: a long name scrolls in the list.
  tvl::ui::FitListColumns(m_list, false);
}

void CWizardNewModulePage4::OnEdit() {
  QTreeWidgetItem* item = m_list->currentItem();
  if (!item || !item->isSelected()) {
    DoMessageBox(u"Please select an item in the list.", MB_ICONERROR);
    m_list->setFocus();
    return;
  }
  LANGID language = static_cast<LANGID>(item->data(0, Qt::UserRole).toUInt());
  CDialogFilename dialog(item->text(1), this);
  if (tvl::ui::RunModal(dialog) == QDialog::Accepted) {
    std::u16string name = tvl::Trim(U16(dialog.FileName()));
    if (name.empty()) {
      m_wizard.m_outputNames.erase(language);
      item->setText(1, QStr(tvl::DisplayPath(m_wizard.DefaultOutputName(language))));
    } else if (tvl::CompareNoCase(name, U16(item->text(1))) != 0) {
      m_wizard.m_outputNames[language] = tvl::StoredPath(name);
      item->setText(1, QStr(tvl::DisplayPath(name)));
    }
    tvl::ui::FitListColumns(m_list, false);
  }
  m_list->setFocus();
}

// ---------------------------------------------------------------------------------------
// The wizard

CWizardNewModule::CWizardNewModule(CTvlDoc& project, QWidget* parent)
    : QWizard(parent), m_project(project), m_languages(project.m_languages) {
  setWindowTitle(QStringLiteral("New Module Wizard"));
  setWizardStyle(QWizard::ModernStyle);
  setOption(QWizard::HaveHelpButton, false);
  setPixmap(QWizard::WatermarkPixmap, WizardWatermarkPixmap());
  setPixmap(QWizard::LogoPixmap, WizardLogoPixmap());
  m_page1 = new CWizardNewModulePage1(*this);
  m_page2 = new CWizardNewModulePage2(*this);
  m_page3 = new CWizardNewModulePage3(*this);
  m_page4 = new CWizardNewModulePage4(*this);
  setPage(kFilePage, m_page1);
  setPage(kPropertiesPage, m_page2);
  setPage(kLanguagesPage, m_page3);
  setPage(kOutputPage, m_page4);
  setStartId(kFilePage);
  // One width for every page: the widest page's, so that Next and Back never resize.
  QWizardPage* const pages[] = {m_page1, m_page2, m_page3, m_page4};
  int width = 0;
  for (QWizardPage* page : pages) width = std::max(width, page->sizeHint().width());
  for (QWizardPage* page : pages) page->setMinimumWidth(width);
}

CWizardNewModule::~CWizardNewModule() = default;

bool CWizardNewModule::IsFirstModule() const {
  return m_project.m_modules.empty() && m_project.m_sourceLanguage.GetLanguage() == 0;
}

bool CWizardNewModule::ProjectHasTranslations() const { return !m_project.m_languages.IsEmpty(); }

std::u16string CWizardNewModule::DefaultOutputName(LANGID language) const {
  // A module that is never given the project: its own source language is the one chosen.
  CModule sample(tvl::PathFindFileName(m_fullPath), m_sourceLanguage, 0);
  sample.m_satelliteDll = m_satelliteAnswer == kYes;
  return sample.DefaultTargetFileName(language);
}

void CWizardNewModule::done(int result) {
  if (result != QDialog::Accepted) {
    QWizard::done(result);
    return;
  }
  if (!validateCurrentPage()) return;
  if (!CreateModule()) {
    restart();
    return;
  }
  // The page is validated already; QWizard::done would validate it a second time.
  QDialog::done(result);
}

bool CWizardNewModule::CreateModule() {
  auto module = std::make_unique<CModule>(m_fullPath, m_sourceLanguage, m_mfcAnswer == kNo ? 0 : 1);
  module->SetDocument(&m_project);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  bool loaded = module->LoadFromFile();
  QApplication::restoreOverrideCursor();
  if (!loaded) {
    DoMessageBox(FormatMessageText(u"Failed to load file %1", {Arg(m_fullPath)}), MB_ICONERROR);
    return false;
  }
  module->m_satelliteDll = m_satelliteAnswer == kYes;
  module->m_noDuplicateNeutral = false;
  module->m_outputNames.RemoveAll();
  for (const auto& [language, name] : m_outputNames)
    if (m_languages.Find(language) >= 0) module->m_outputNames.SetAt(language, name);
  m_module = std::move(module);
  return true;
}
