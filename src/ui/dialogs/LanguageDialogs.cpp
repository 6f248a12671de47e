#include "ui/dialogs/LanguageDialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

#include "languages/AvailableLanguages.h"
#include "platform/Fonts.h"
#include "platform/Messages.h"
#include "ui/QtText.h"
#include "ui/dialogs/DialogSupport.h"

namespace {

bool Contains(const std::vector<LANGID>& list, LANGID language) {
  return std::find(list.begin(), list.end(), language) != list.end();
}

// Languages whose sublanguage is not the default one are only found in the list with countries.
bool NeedsCountries(LANGID language) { return language < 1024 || language > 2047; }

QFontDatabase::WritingSystem WritingSystemOfCharset(UINT charSet) {
  switch (charSet) {
    case tvl::kShiftJisCharset: return QFontDatabase::Japanese;
    case tvl::kHangulCharset:
    case tvl::kJohabCharset: return QFontDatabase::Korean;
    case tvl::kGb2312Charset: return QFontDatabase::SimplifiedChinese;
    case tvl::kBig5Charset: return QFontDatabase::TraditionalChinese;
    case tvl::kGreekCharset: return QFontDatabase::Greek;
    case tvl::kVietnameseCharset: return QFontDatabase::Vietnamese;
    case tvl::kHebrewCharset: return QFontDatabase::Hebrew;
    case tvl::kArabicCharset: return QFontDatabase::Arabic;
    case tvl::kRussianCharset: return QFontDatabase::Cyrillic;
    case tvl::kThaiCharset: return QFontDatabase::Thai;
    case tvl::kAnsiCharset:
    case tvl::kTurkishCharset:
    case tvl::kBalticCharset:
    case tvl::kEastEuropeCharset: return QFontDatabase::Latin;
    default: return QFontDatabase::Any;
  }
}

QString LanguageRowText(const CLanguage& language) { return QStr(language.GetName()); }

}  // namespace

// ---------------------------------------------------------------------------------------
// The language dialog

CDialogTargetLanguage::CDialogTargetLanguage(CLanguage& language, bool target, bool existing,
                                             std::vector<LANGID> allowedOrNot, QWidget* parent)
    : QDialog(parent),
      m_language(language),
      m_target(target),
      m_existing(existing),
      m_allowedOrNot(std::move(allowedOrNot)),
      m_face(QStr(language.GetFontName())),
      m_size(language.GetFontSize()) {
  setObjectName(QStringLiteral("Choose Language"));
  if (existing)
    setWindowTitle(target ? QStringLiteral("Language Properties") : QStringLiteral("Source Language Properties"));
  else
    setWindowTitle(target ? QStringLiteral("Select Language") : QStringLiteral("Select Source Language"));

  auto* grid = new QGridLayout(this);
  auto* languageLabel = new QLabel(QStringLiteral("&Language:"), this);
  m_list = new QComboBox(this);
  m_list->setMinimumContentsLength(30);
  languageLabel->setBuddy(m_list);
  m_showCountries = new QCheckBox(QStringLiteral("&Show countries"), this);
  m_showCountries->setChecked(NeedsCountries(language.GetLanguage()));
  m_codePage = new QLabel(QStringLiteral("Codepage: "), this);
  auto* fontLabel = new QLabel(QStringLiteral("&Font:"), this);
  m_fontText = new QLabel(this);
  m_fontText->setFrameShape(QFrame::StyledPanel);
  m_fontButton = new QPushButton(QStringLiteral("..."), this);
  m_fontButton->setMaximumWidth(m_fontButton->fontMetrics().averageCharWidth() * 6);
  fontLabel->setBuddy(m_fontButton);
  m_defaultButton = new QPushButton(QStringLiteral("&Default"), this);

  grid->addWidget(languageLabel, 0, 0);
  grid->addWidget(m_list, 0, 1, 1, 3);
  grid->addWidget(m_showCountries, 1, 1, 1, 3);
  grid->addWidget(m_codePage, 2, 1, 1, 3);
  grid->addWidget(fontLabel, 3, 0);
  grid->addWidget(m_fontText, 3, 1);
  grid->addWidget(m_fontButton, 3, 2);
  grid->addWidget(m_defaultButton, 3, 3);
  grid->setColumnStretch(1, 1);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  grid->addWidget(buttons, 4, 0, 1, 4);
  connect(buttons, &QDialogButtonBox::accepted, this, &CDialogTargetLanguage::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  connect(m_showCountries, &QCheckBox::toggled, this, [this] {
    LANGID selected = SelectedLanguage();
    Fill();
    SelectEntry(selected);
  });
  connect(m_list, &QComboBox::activated, this, [this] { OnLanguageChosen(); });
  connect(m_list, &QComboBox::currentIndexChanged, this, [this] { UpdateLanguageTexts(); });
  connect(m_fontButton, &QPushButton::clicked, this, [this] { OnChooseFont(); });
  connect(m_defaultButton, &QPushButton::clicked, this, [this] { OnDefaultFont(); });

  Fill();
  SelectEntry(language.GetLanguage());
  UpdateLanguageTexts();
  UpdateFontText();
  m_list->setFocus();
}

void CDialogTargetLanguage::Fill() {
  QSignalBlocker block(m_list);
  m_list->clear();
  struct Entry {
    QString name;
    LANGID language;
  };
  std::vector<Entry> entries;
  if (m_existing) {
    entries.push_back({QStr(GetLanguageName(m_language.GetLanguage())), m_language.GetLanguage()});
  } else {
    const CAvailableLanguages& catalogue =
        m_showCountries->isChecked() ? GetSubLanguagesCatalogue() : GetLanguagesCatalogue();
    for (const auto& e : catalogue) {
      if (!m_target && !m_allowedOrNot.empty() && !Contains(m_allowedOrNot, e.m_language)) continue;
      entries.push_back({QStr(e.m_name), e.m_language});
    }
  }
  std::stable_sort(entries.begin(), entries.end(),
                   [](const Entry& a, const Entry& b) { return QString::localeAwareCompare(a.name, b.name) < 0; });
  for (const Entry& e : entries) m_list->addItem(e.name, static_cast<uint>(e.language));
  m_list->setCurrentIndex(-1);
}

bool CDialogTargetLanguage::SelectEntry(LANGID language) {
  int index = language ? m_list->findData(static_cast<uint>(language)) : -1;
  m_list->setCurrentIndex(index);
  return index >= 0;
}

bool CDialogTargetLanguage::ChooseLanguage(LANGID language) {
  if (!SelectEntry(language)) return false;
  OnLanguageChosen();
  return true;
}

LANGID CDialogTargetLanguage::SelectedLanguage() const {
  return m_list->currentIndex() < 0 ? 0 : static_cast<LANGID>(m_list->currentData().toUInt());
}

void CDialogTargetLanguage::OnLanguageChosen() {
  UpdateLanguageTexts();
  LANGID language = SelectedLanguage();
  // A face the new script cannot be written in would preview as boxes.
  if (language && !m_face.isEmpty() &&
      !tvl::FontFaceExistsInCharset(U16(m_face), static_cast<BYTE>(LanguageCodePage(language).charSet)))
    OnDefaultFont();
}

void CDialogTargetLanguage::UpdateLanguageTexts() {
  LANGID language = SelectedLanguage();
  m_codePage->setText(language ? QStr(FormatCodePage(LanguageCodePage(language).codePage))
                               : QStringLiteral("Codepage: "));
  m_fontButton->setEnabled(language != 0);
  m_defaultButton->setEnabled(language != 0);
}

void CDialogTargetLanguage::UpdateFontText() {
  CLanguage shown;
  shown.SetPreviewFont(U16(m_face), m_size);
  m_fontText->setText(QStr(FormatPreviewFont(shown)));
}

void CDialogTargetLanguage::OnChooseFont() {
  LANGID language = SelectedLanguage();
  if (!language) return;
  QString face = m_face;
  int size = static_cast<int>(m_size);
  if (face.isEmpty() || size == 0) {
    PreviewFont preview = DefaultPreviewFont(language);
    face = QStr(preview.name);
    size = preview.size;
  }
  CDialogPreviewFont dialog(face, size, LanguageCodePage(language).charSet, this);
  if (tvl::ui::RunModal(dialog) != QDialog::Accepted) return;
  m_face = dialog.Face();
  m_size = static_cast<DWORD>(dialog.Points());
  UpdateFontText();
}

void CDialogTargetLanguage::OnDefaultFont() {
  m_face.clear();
  m_size = 0;
  UpdateFontText();
}

void CDialogTargetLanguage::accept() {
  LANGID language = SelectedLanguage();
  const char16_t* refusal = nullptr;
  if (!language)
    refusal = u"Please select a language.";
  else if (m_target && Contains(m_allowedOrNot, language))
    refusal = u"This language already exists in the application.";
  else if (!m_target && !m_allowedOrNot.empty() && !Contains(m_allowedOrNot, language))
    refusal = u"This language cannot be used as a source language for this project.";
  if (refusal) {
    DoMessageBox(refusal, MB_ICONERROR);
    m_list->setFocus();
    return;
  }
  if (!m_existing) m_language.SetLanguage(language);
  m_language.SetPreviewFont(U16(m_face), m_size);
  QDialog::accept();
}

// ---------------------------------------------------------------------------------------
// The font chooser

CDialogPreviewFont::CDialogPreviewFont(const QString& face, int points, UINT charSet, QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(QStringLiteral("Font"));
  auto* grid = new QGridLayout(this);
  auto* faceLabel = new QLabel(QStringLiteral("&Font:"), this);
  m_faces = new QFontComboBox(this);
  m_faces->setWritingSystem(WritingSystemOfCharset(charSet));
  m_faces->setCurrentFont(QFont(face));
  faceLabel->setBuddy(m_faces);
  auto* sizeLabel = new QLabel(QStringLiteral("&Size:"), this);
  m_size = new QSpinBox(this);
  m_size->setRange(1, 72);
  m_size->setValue(points > 0 ? points : 8);
  sizeLabel->setBuddy(m_size);
  grid->addWidget(faceLabel, 0, 0);
  grid->addWidget(m_faces, 0, 1);
  grid->addWidget(sizeLabel, 1, 0);
  grid->addWidget(m_size, 1, 1);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  grid->addWidget(buttons, 2, 0, 1, 2);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

QString CDialogPreviewFont::Face() const { return m_faces->currentFont().family(); }

int CDialogPreviewFont::Points() const { return m_size->value(); }

// ---------------------------------------------------------------------------------------
// The translation language list

namespace tvl::ui {

void FillLanguageList(const CLanguageArray& languages, QListWidget* list) {
  list->clear();
  for (const CLanguage& l : languages) {
    auto* item = new QListWidgetItem(LanguageRowText(l), list);
    item->setData(Qt::UserRole, static_cast<uint>(l.GetLanguage()));
  }
  if (list->count() > 0) list->setCurrentRow(0);
}

bool AddTargetLanguage(QWidget* parent, CLanguageArray& working, LANGID sourceLanguage, QListWidget* list) {
  std::vector<LANGID> taken{sourceLanguage};
  for (const CLanguage& l : working) taken.push_back(l.GetLanguage());
  CLanguage language;
  CDialogTargetLanguage dialog(language, true, false, std::move(taken), parent);
  if (RunModal(dialog) != QDialog::Accepted) return false;
  working.Add(language);
  auto* item = new QListWidgetItem(LanguageRowText(language), list);
  item->setData(Qt::UserRole, static_cast<uint>(language.GetLanguage()));
  list->setCurrentItem(item);
  return true;
}

void RemoveTargetLanguage(CLanguageArray& working, QListWidget* list) {
  QListWidgetItem* item = list->currentItem();
  if (!item || !item->isSelected()) {
    Beep();
    return;
  }
  int index = working.Find(static_cast<LANGID>(item->data(Qt::UserRole).toUInt()));
  if (index >= 0) working.RemoveAt(index);
  delete item;
  if (list->count() > 0 && list->selectedItems().isEmpty()) list->setCurrentRow(0);
}

void EditTargetLanguage(QWidget* parent, CLanguageArray& working, QListWidget* list) {
  QListWidgetItem* item = list->currentItem();
  int index = item && item->isSelected() ? working.Find(static_cast<LANGID>(item->data(Qt::UserRole).toUInt())) : -1;
  if (index < 0) {
    Beep();
    return;
  }
  CDialogTargetLanguage dialog(working[index], true, true, {}, parent);
  RunModal(dialog);
}

}  // namespace tvl::ui

// ---------------------------------------------------------------------------------------
// The Languages dialog

CDialogLanguages::CDialogLanguages(CLanguage& source, CLanguageArray& languages, bool hasSource, QWidget* parent)
    : QDialog(parent),
      m_workingSource(source),
      m_source(source),
      m_workingLanguages(languages),
      m_languages(languages),
      m_hasSource(hasSource) {
  setWindowTitle(QStringLiteral("Languages"));
  auto* grid = new QGridLayout(this);
  grid->addWidget(new QLabel(QStringLiteral("Source Language:"), this), 0, 0, 1, 2);
  m_sourceName = new QLineEdit(QStr(m_workingSource.GetName()), this);
  m_sourceName->setReadOnly(true);
  m_sourceProperties = new QPushButton(QStringLiteral("&Properties..."), this);
  m_sourceProperties->setEnabled(hasSource);
  grid->addWidget(m_sourceName, 1, 0);
  grid->addWidget(m_sourceProperties, 1, 1);

  auto* listLabel = new QLabel(QStringLiteral("&Translations:"), this);
  m_translations = new QListWidget(this);
  listLabel->setBuddy(m_translations);
  grid->addWidget(listLabel, 2, 0, 1, 2);
  grid->addWidget(m_translations, 3, 0, 4, 1);
  m_new = new QPushButton(QStringLiteral("&New..."), this);
  m_remove = new QPushButton(QStringLiteral("&Remove"), this);
  m_properties = new QPushButton(QStringLiteral("&Properties..."), this);
  grid->addWidget(m_new, 3, 1);
  grid->addWidget(m_remove, 4, 1);
  grid->addWidget(m_properties, 5, 1);
  grid->setRowStretch(6, 1);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  grid->addWidget(buttons, 7, 0, 1, 2);
  connect(buttons, &QDialogButtonBox::accepted, this, &CDialogLanguages::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  // OK must stay the default button, not the first push button of the dialog.
  for (QPushButton* b : {m_sourceProperties, m_new, m_remove, m_properties}) b->setAutoDefault(false);

  connect(m_new, &QPushButton::clicked, this, &CDialogLanguages::OnNew);
  connect(m_remove, &QPushButton::clicked, this, &CDialogLanguages::OnRemove);
  connect(m_properties, &QPushButton::clicked, this, &CDialogLanguages::OnProperties);
  connect(m_translations, &QListWidget::itemDoubleClicked, this, &CDialogLanguages::OnProperties);
  connect(m_sourceProperties, &QPushButton::clicked, this, &CDialogLanguages::OnSourceProperties);

  tvl::ui::FillLanguageList(m_workingLanguages, m_translations);
  if (m_translations->count() > 0)
    m_translations->setFocus();
  else
    m_new->setFocus();
}

void CDialogLanguages::OnNew() {
  tvl::ui::AddTargetLanguage(this, m_workingLanguages, m_workingSource.GetLanguage(), m_translations);
}

void CDialogLanguages::OnRemove() { tvl::ui::RemoveTargetLanguage(m_workingLanguages, m_translations); }

void CDialogLanguages::OnProperties() { tvl::ui::EditTargetLanguage(this, m_workingLanguages, m_translations); }

void CDialogLanguages::OnSourceProperties() {
  if (!m_hasSource) return;
  CDialogTargetLanguage dialog(m_workingSource, false, true, {}, this);
  if (tvl::ui::RunModal(dialog) == QDialog::Accepted) m_sourceName->setText(QStr(m_workingSource.GetName()));
}

void CDialogLanguages::accept() {
  m_source = m_workingSource;
  m_languages = m_workingLanguages;
  QDialog::accept();
}
