#include "ui/views/ResourceHeaderView.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sys/stat.h>

#include "formats/layout/ResDialog.h"
#include "formats/layout/ResToolBar.h"
#include "platform/Files.h"
#include "platform/LanguageFacts.h"
#include "platform/Messages.h"
#include "platform/Text.h"
#include "project/TvlDoc.h"
#include "project/Undo.h"
#include "ui/MainWindow.h"
#include "ui/views/ImageStrip.h"
#include "workspace/ViewRules.h"
#include "ui/QtText.h"

namespace {

constexpr std::uintmax_t kMaxImportSize = 50000000;
constexpr DWORD kDsSetFont = 0x40;
constexpr WORD kNormalWeight = 400;

std::u16string SystemReason() { return tvl::FromUtf8(std::strerror(errno)); }

// The numeric type of a handler, 0 for a named type.
WORD NumericType(const CResourceType* type, bool& numeric) {
  numeric = type && type->m_identifier.IsOrdinal();
  return numeric ? type->m_identifier.m_ordinal : 0;
}

// An import over an existing translation: each application swaps the resource's present
// translation with the held one, so undo brings the replaced value back and redo the
// imported one (re-attaching alone would leave both values in the chain).
class CUndoImportResource : public CUndoTranslateResource {
 public:
  void Apply(std::vector<CObject*>& touched) override {
    auto* resource = dynamic_cast<CResource*>(m_object);
    if (!resource) return;
    int current = resource->GetStatus(m_language);
    std::vector<int> places = tvl::TranslationPlaces(*resource, m_language);
    std::unique_ptr<CLocalizedParam> held = std::move(m_detached);
    std::unique_ptr<CLocalizedParam> present =
        resource->HasTranslation(m_language) ? resource->DetachTranslation(m_language) : nullptr;
    if (held) {
      resource->AttachTranslation(std::move(held), m_status);
      tvl::RestoreTranslationPlaces(*resource, m_language, m_places);
    }
    m_detached = std::move(present);
    m_places = std::move(places);
    m_status = current;
    touched.push_back(m_object);
  }
};

}  // namespace

CResourceHeaderView::CResourceHeaderView(CMainFrame* frame, CTvlDoc& document, CResource* resource,
                                         CResourceType* type, CModule* module, QWidget* parent)
    : QWidget(parent), m_frame(frame), m_document(document), m_resource(resource), m_type(type), m_module(module) {
  setObjectName(QStringLiteral("ResourceHeaderView"));
  auto* box = new QVBoxLayout(this);
  box->setContentsMargins(8, 6, 8, 6);
  box->setSpacing(4);

  m_title = new QLabel(this);
  QFont bold = m_title->font();
  bold.setBold(true);
  m_title->setFont(bold);
  m_title->setTextInteractionFlags(Qt::TextSelectableByMouse);
  box->addWidget(m_title);

  auto* row = new QHBoxLayout();
  m_doNotTranslate = new QCheckBox(this);
  row->addWidget(m_doNotTranslate);
  row->addSpacing(16);
  m_statusIcon = new QLabel(this);
  m_statusText = new QLabel(this);
  row->addWidget(m_statusIcon);
  row->addWidget(m_statusText);
  row->addSpacing(16);
  m_links = new QLabel(this);
  m_links->setTextFormat(Qt::RichText);
  m_links->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
  row->addWidget(m_links);
  row->addStretch(1);
  box->addLayout(row);

  auto* fontRow = new QHBoxLayout();
  m_fontLabel = new QLabel(tr("Dialog font:"), this);
  m_fontBox = new QLineEdit(this);
  m_fontBox->setReadOnly(true);
  m_fontBox->setMaximumWidth(220);
  m_fontChoose = new QPushButton(QStringLiteral("..."), this);
  m_fontChoose->setMaximumWidth(32);
  m_fontDefault = new QPushButton(tr("&Default"), this);
  fontRow->addWidget(m_fontLabel);
  fontRow->addWidget(m_fontBox);
  fontRow->addWidget(m_fontChoose);
  fontRow->addWidget(m_fontDefault);
  fontRow->addStretch(1);
  box->addLayout(fontRow);

  connect(m_doNotTranslate, &QCheckBox::clicked, this, [this](bool checked) { OnToggleDoNotTranslate(checked); });
  connect(m_links, &QLabel::linkActivated, this, [this](const QString& link) { OnLink(link); });
  connect(m_fontChoose, &QPushButton::clicked, this, [this] { ChooseFont(); });
  connect(m_fontDefault, &QPushButton::clicked, this, [this] { SetDefaultDialogFont(); });

  m_language = m_frame->GetSelectedLanguage();
  Redraw();
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  m_document.AddView(this);
}

CResourceHeaderView::~CResourceHeaderView() { Release(); }

void CResourceHeaderView::Release() {
  if (m_released) return;
  m_released = true;
  m_document.RemoveView(this);
}

bool CResourceHeaderView::IsSourceSelected() const { return m_frame->IsSourceLanguageSelected() || m_language == 0; }

CResDialog* CResourceHeaderView::Dialog() const { return dynamic_cast<CResDialog*>(m_resource); }

bool CResourceHeaderView::UsesItemElement() const {
  const CResourceType* type = m_resource ? m_resource->m_owner : m_type;
  bool numeric = false;
  WORD t = NumericType(type, numeric);
  return numeric && (t == 4 || t == 5 || t == 6 || t == 11 || t == 16);
}

CResource* CResourceHeaderView::ToolbarBitmap() const {
  auto* toolbar = dynamic_cast<CResToolBar*>(m_resource);
  return toolbar ? toolbar->m_bitmap.get() : nullptr;
}

CLocalizedParam* CResourceHeaderView::Element() const {
  return UsesItemElement() && m_hasRequest ? m_request.m_element : nullptr;
}

QString CResourceHeaderView::Title() const {
  if (m_resource) {
    bool numeric = false;
    WORD t = NumericType(m_resource->m_owner, numeric);
    std::u16string name = numeric ? tvl::HeaderTypeName(t) : std::u16string();
    if (name.empty() && m_resource->m_owner) name = m_resource->m_owner->m_identifier.GetText();
    return QStr(FormatMessageText(u"Type: %1. Id: %2.", {Arg(name), Arg(m_resource->m_identifier.GetText(true))}));
  }
  if (m_type) {
    std::u16string label = m_type->GetDisplayName();
    if (label.empty()) label = m_type->m_identifier.GetText();
    return QStr(FormatMessageText(u"Type: %1.", {Arg(label)}));
  }
  if (m_module) return QStr(FormatMessageText(u"Module: %1.", {Arg(m_module->GetName())}));
  return {};
}

bool CResourceHeaderView::IsLinkShown(const QString& link) const {
  return m_shownLinks.split(QLatin1Char(' '), Qt::SkipEmptyParts).contains(link);
}

void CResourceHeaderView::Redraw() {
  m_updating = true;
  m_title->setText(Title());

  // The check box.
  const CResourceType* type = m_resource ? m_resource->m_owner : m_type;
  bool numeric = false;
  WORD t = NumericType(type, numeric);
  bool tableNode = !m_resource && m_type && m_type->IsStringTable();
  bool showBox = m_resource != nullptr || (tableNode && m_hasRequest && m_request.m_element);
  m_doNotTranslate->setVisible(showBox);
  if (showBox) {
    m_doNotTranslate->setText(QStr(tableNode ? u"&Do not translate string" : tvl::DoNotTranslateLabel(numeric, t)));
    if (CLocalizedParam* element = Element()) {
      m_doNotTranslate->setEnabled(true);
      m_doNotTranslate->setChecked(element->IsDoNotTranslate());
    } else if (CResource* bitmap = ToolbarBitmap()) {
      m_doNotTranslate->setEnabled(true);
      m_doNotTranslate->setChecked(!bitmap->IsTranslatable());
    } else if (UsesItemElement()) {
      // Nothing offered yet: nothing to mark.
      m_doNotTranslate->setEnabled(false);
      m_doNotTranslate->setChecked(false);
    } else {
      m_doNotTranslate->setEnabled(true);
      m_doNotTranslate->setChecked(m_resource && !m_resource->IsTranslatable());
    }
  }

  // Whole-resource translations.
  QStringList links;
  bool statusShown = false;
  if (m_resource && type && !type->GetFileExtension().empty()) {
    links << QStringLiteral("export");
    if (!IsSourceSelected() && m_resource->IsTranslatable()) {
      links << QStringLiteral("import") << QStringLiteral("delete");
      statusShown = true;
      int status = m_resource->GetStatus(m_language);
      bool has = m_resource->HasTranslation(m_language);
      if (status == 0 && has) links << QStringLiteral("confirm");
      bool toolbar = numeric && t == 241;
      m_statusText->setText(QStr(StatusText(status, has, toolbar)));
      if (status == 0 && has)
        m_statusIcon->setPixmap(tvl::ui::OutOfDateIcon().pixmap(16, 16));
      else if (status >= 0 && status <= 2)
        m_statusIcon->setPixmap(tvl::ui::StatusIcon(status).pixmap(16, 16));
      else
        m_statusIcon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxCritical).pixmap(16, 16));
    }
  }
  m_statusIcon->setVisible(statusShown);
  m_statusText->setVisible(statusShown);
  m_shownLinks = links.join(QLatin1Char(' '));
  static const std::pair<const char*, const char*> kLinkTexts[] = {
      {"export", "Export"}, {"import", "Import"}, {"delete", "Delete"}, {"confirm", "Confirm Translation"}};
  QStringList html;
  for (const auto& [id, text] : kLinkTexts)
    if (links.contains(QLatin1String(id)))
      html << QStringLiteral("<a href=\"%1\">%2</a>").arg(QLatin1String(id), tr(text));
  m_links->setText(html.join(QStringLiteral("&nbsp;&nbsp;&nbsp;")));
  m_links->setVisible(!html.isEmpty());

  // The dialog font.
  CResDialog* dialog = Dialog();
  bool fontShown = dialog && (dialog->m_style & kDsSetFont) != 0;
  m_fontLabel->setVisible(fontShown);
  m_fontBox->setVisible(fontShown);
  m_fontChoose->setVisible(fontShown && !IsSourceSelected());
  m_fontDefault->setVisible(fontShown && !IsSourceSelected());
  if (fontShown) {
    std::u16string face = dialog->m_previewFace;
    unsigned size = dialog->m_previewPointSize;
    if (face.empty()) {
      const auto* font = static_cast<const CLocalizedFontReference*>(dialog->m_font.FindValue(m_language));
      if (!font) font = &dialog->m_font;
      face = font->m_text;
      size = font->m_pointSize;
    }
    m_fontBox->setText(face.empty() ? QString()
                                    : QStr(FormatMessageText(u"%1 (%2!u!)", {Arg(face), Arg(std::int64_t{size})})));
  }
  m_updating = false;
}

void CResourceHeaderView::OnUpdate(int hint, const void* object) {
  if (m_released) return;
  switch (hint) {
    case HintRefreshAll:
      m_language = m_frame->GetSelectedLanguage();
      Redraw();
      break;
    case HintReleaseResourceView:
      Release();
      m_resource = nullptr;
      m_type = nullptr;
      m_module = nullptr;
      m_hasRequest = false;
      break;
    case HintTranslationRequest: {
      const auto* request = static_cast<const CTranslationRequest*>(object);
      m_hasRequest = request != nullptr;
      m_request = request ? *request : CTranslationRequest();
      Redraw();
      break;
    }
    case HintTranslationCommitted:
    case HintResourceChanged:
      Redraw();
      break;
    case HintUndoneItemInPlace:
      if (dynamic_cast<const CUndoTranslateResource*>(static_cast<const CUndoAction*>(object))) Redraw();
      break;
    case HintDeleteTranslation: DeleteTranslation(); break;
    default: break;
  }
}

void CResourceHeaderView::OnToggleDoNotTranslate(bool checked) {
  if (m_updating || m_released) return;
  if (CLocalizedParam* element = Element()) {
    element->SetDoNotTranslate(checked);
    m_document.SetModifiedFlag(true);
    CTranslationRequest request = m_request;
    request.m_toggle = 1;
    request.m_skip = 0;
    request.m_erase = 0;
    m_document.UpdateAllViews(HintTranslationCommitted, &request);
    return;
  }
  if (CResource* bitmap = ToolbarBitmap()) {
    // The toolbar view records the change: it names no cell of its own.
    bitmap->SetTranslatable(!checked);
    m_document.SetModifiedFlag(true);
    CTranslationRequest request = m_request;
    request.m_toggle = 1;
    request.m_skip = 0;
    request.m_erase = 0;
    request.m_element = nullptr;
    m_document.UpdateAllViews(HintTranslationCommitted, &request);
    return;
  }
  if (!m_resource) return;
  auto action = std::make_unique<CUndoTranslateResource>();
  action->m_language = m_language;
  action->m_object = m_resource;
  action->m_toggle = 1;
  action->m_status = m_resource->GetStatus(m_language);
  m_document.AddUndoAction(std::move(action));
  m_resource->SetTranslatable(!checked);
  m_document.SetModifiedFlag(true);
  m_document.UpdateAllViews(HintResourceChanged, m_resource);
  m_document.UpdateAllViews(HintResourceStatusChanged, m_resource);
}

void CResourceHeaderView::ResourceChanged(int statusBefore) {
  m_document.SetModifiedFlag(true);
  m_resource->UpdateStatus(m_language);
  m_document.UpdateAllViews(HintResourceChanged, m_resource);
  if (m_resource->GetStatus(m_language) != statusBefore)
    m_document.UpdateAllViews(HintResourceStatusChanged, m_resource);
}

void CResourceHeaderView::OnLink(const QString& link) {
  if (!m_resource || !m_resource->m_owner) return;
  const CResourceType* type = m_resource->m_owner;
  QString filter = QStr(type->m_fileFilter) + QStringLiteral(";;All Files (*)");
  if (link == QLatin1String("export")) {
    QString proposed = QStr(tvl::ExportFileName(m_resource->m_identifier.GetText(), type->GetFileExtension()));
    QString path = QFileDialog::getSaveFileName(this, tr("Export"), proposed, filter);
    if (!path.isEmpty()) ExportTo(U16(path));
  } else if (link == QLatin1String("import")) {
    if (!CanImport()) return;
    QString path = QFileDialog::getOpenFileName(this, tr("Import"), QString(), filter);
    if (!path.isEmpty()) ImportFrom(U16(path));
  } else if (link == QLatin1String("delete")) {
    DeleteTranslation();
  } else if (link == QLatin1String("confirm")) {
    ConfirmTranslation();
  }
}

void CResourceHeaderView::ExportTo(const std::u16string& path) {
  if (!m_resource) return;
  std::vector<BYTE> bytes;
  if (!m_resource->GetData(bytes, m_language)) {
    DoMessageBox(u"Failed to export resource.", MB_ICONERROR);
    return;
  }
  std::ofstream out(tvl::NativePath(path), std::ios::binary | std::ios::trunc);
  if (!out) {
    DoMessageBox(FormatMessageText(u"Error creating the file: %1", {Arg(SystemReason())}), MB_ICONERROR);
    return;
  }
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out.flush()) DoMessageBox(FormatMessageText(u"Error creating the file: %1", {Arg(SystemReason())}), MB_ICONERROR);
}

bool CResourceHeaderView::CanImport() {
  if (!IsSourceSelected()) return true;
  DoMessageBox(u"Import is not allowed for the source language. Please select the language for which you want to "
               u"import a translation.",
               MB_ICONERROR);
  return false;
}

void CResourceHeaderView::ImportFrom(const std::u16string& path) {
  if (!m_resource || !CanImport()) return;
  std::string native = tvl::NativePath(path);
  std::ifstream in(native, std::ios::binary);
  struct stat st {};
  if (!in || ::stat(native.c_str(), &st) != 0) {
    DoMessageBox(FormatMessageText(u"Error reading the file: %1", {Arg(SystemReason())}), MB_ICONERROR);
    return;
  }
  if (static_cast<std::uintmax_t>(st.st_size) > kMaxImportSize) {
    DoMessageBox(u"Error reading the file: File is too large.", MB_ICONERROR);
    return;
  }
  std::vector<BYTE> bytes(static_cast<size_t>(st.st_size));
  if (!bytes.empty() && !in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()))) {
    DoMessageBox(FormatMessageText(u"Error reading the file: %1", {Arg(SystemReason())}), MB_ICONERROR);
    return;
  }
  int before = m_resource->GetStatus(m_language);
  std::vector<int> places = tvl::TranslationPlaces(*m_resource, m_language);
  std::unique_ptr<CLocalizedParam> replaced;
  if (!m_resource->SetData(bytes, m_language, replaced)) {
    DoMessageBox(u"Failed to import resource.", MB_ICONERROR);
    return;
  }
  auto action = std::make_unique<CUndoImportResource>();
  action->m_language = m_language;
  action->m_object = m_resource;
  action->m_status = before;
  action->m_detached = std::move(replaced);
  action->m_places = std::move(places);
  m_document.AddUndoAction(std::move(action));
  ResourceChanged(before);
}

void CResourceHeaderView::DeleteTranslation() {
  if (!m_resource) return;
  if (IsSourceSelected()) {
    DoMessageBox(u"Only translations can be deleted. Please select the language for which you want to delete a "
                 u"translation.",
                 MB_ICONERROR);
    return;
  }
  if (!m_resource->HasTranslation(m_language)) {
    DoMessageBox(u"There is no such translation for this resource.", MB_ICONERROR);
    return;
  }
  if (DoMessageBox(u"Are you sure you want to delete the existing translation for this resource ?",
                   MB_YESNO | MB_ICONQUESTION) != IDYES)
    return;
  int before = m_resource->GetStatus(m_language);
  auto action = std::make_unique<CUndoTranslateResource>();
  action->m_language = m_language;
  action->m_object = m_resource;
  action->m_status = before;
  action->m_places = tvl::TranslationPlaces(*m_resource, m_language);
  action->m_detached = m_resource->DetachTranslation(m_language);
  m_document.AddUndoAction(std::move(action));
  ResourceChanged(before);
}

void CResourceHeaderView::ConfirmTranslation() {
  if (!m_resource || IsSourceSelected()) return;
  int before = m_resource->GetStatus(m_language);
  m_resource->SetTranslationStatus(m_language, 1);
  auto action = std::make_unique<CUndoTranslateResource>();
  action->m_language = m_language;
  action->m_object = m_resource;
  action->m_status = before;
  action->m_statusOnly = 1;
  m_document.AddUndoAction(std::move(action));
  ResourceChanged(before);
}

namespace {

// The undo action for a change of a dialog's font translation: the state before it.
std::unique_ptr<CUndoTranslateFont> FontAction(CResDialog* dialog, LANGID language) {
  auto action = std::make_unique<CUndoTranslateFont>();
  action->m_object = dialog;
  action->m_language = language;
  action->m_head = &dialog->m_font;
  const auto* node = static_cast<const CLocalizedFontReference*>(dialog->m_font.FindValue(language));
  if (node && node != &dialog->m_font) {
    action->m_text = node->m_text;
    action->m_status = node->m_status;
    action->m_pointSize = node->m_pointSize;
    action->m_weight = node->m_weight;
    action->m_italic = node->m_italic;
    action->m_charSet = node->m_charSet;
    action->m_chainIndex = tvl::TranslationIndex(dialog->m_font, language);
  }
  return action;
}

}  // namespace

void CResourceHeaderView::ChooseFont() {
  CResDialog* dialog = Dialog();
  if (!dialog || IsSourceSelected()) return;
  const auto* node = static_cast<const CLocalizedFontReference*>(dialog->m_font.FindValue(m_language));
  if (!node) node = &dialog->m_font;
  QFont current(node->m_text.empty() ? QStringLiteral("Tahoma") : QStr(node->m_text));
  current.setPointSize(node->m_pointSize ? node->m_pointSize : 8);
  current.setWeight(QFont::Normal);
  bool ok = false;
  QFont chosen = QFontDialog::getFont(&ok, current, this, tr("Font"));
  if (ok) SetDialogFont(U16(chosen.family()), chosen.pointSize() > 0 ? chosen.pointSize() : 8);
}

void CResourceHeaderView::SetDialogFont(const std::u16string& face, int pointSize) {
  CResDialog* dialog = Dialog();
  if (!dialog || IsSourceSelected() || face.empty()) return;
  m_document.AddUndoAction(FontAction(dialog, m_language));
  BYTE charSet = static_cast<BYTE>(LanguageCodePage(m_language).charSet);
  dialog->m_font.SetFont(m_language, face, static_cast<WORD>(pointSize), kNormalWeight, 0, charSet);
  m_document.SetModifiedFlag(true);
  Redraw();
  m_document.UpdateAllViews(HintRefreshAll);
}

void CResourceHeaderView::SetDefaultDialogFont() {
  CResDialog* dialog = Dialog();
  if (!dialog || IsSourceSelected()) return;
  m_document.AddUndoAction(FontAction(dialog, m_language));
  dialog->m_font.RemoveTranslation(m_language, true);
  m_document.SetModifiedFlag(true);
  Redraw();
  m_document.UpdateAllViews(HintRefreshAll);
}
