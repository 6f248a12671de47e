#include "ui/views/ToolbarView.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QPalette>

#include "formats/layout/ResMenu.h"
#include "formats/layout/ResToolBar.h"
#include "formats/text/PromptAndTips.h"
#include "project/TvlDoc.h"
#include "project/Undo.h"
#include "resmodel/ResTable.h"
#include "resmodel/ResourceType.h"
#include "ui/MainWindow.h"
#include "ui/QtText.h"
#include "ui/views/ImageStrip.h"
#include "ui/views/PictureViews.h"
#include "ui/views/ProjectResView.h"
#include "workspace/AcceleratorRules.h"
#include "workspace/CommandIds.h"

namespace {

const std::u16string& ShownText(const CLocalizedString& value, LANGID language) {
  if (value.IsDoNotTranslate()) return value.m_text;
  const CLocalizedString* node = value.FindString(language);
  return node ? node->m_text : value.m_text;
}

// The text of the first item of a level (depth first) with the command, "%1 > %2" for
// nested items; false when none has it.
bool FindItemText(const CResSubMenu& level, WORD command, LANGID language, std::u16string& text) {
  for (size_t i = 0; i < level.GetCount(); ++i) {
    const CResMenuItem& item = *level.GetItem(i);
    if (item.m_id == command && !item.m_popup) {
      text = ShownText(item.m_label, language);
      return true;
    }
    std::u16string below;
    if (item.m_popup && FindItemText(*item.m_popup, command, language, below)) {
      text = ShownText(item.m_label, language) + u" > " + below;
      return true;
    }
  }
  return false;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// The model

CToolbarModel::CToolbarModel(CResToolBar* toolbar, QObject* parent) : QAbstractTableModel(parent), m_toolbar(toolbar) {
  if (toolbar->m_owner) m_table = dynamic_cast<CResTable*>(toolbar->m_owner->m_owner);
  m_prompts = m_table && m_table->m_promptAndTips.m_enabled;
}

int CToolbarModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() || !m_drawing ? 0 : static_cast<int>(m_buttons.size());
}

int CToolbarModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : (HasPrompts() ? kTooltip + 1 : kId + 1);
}

int CToolbarModel::ButtonAt(int row) const {
  if (!m_drawing || row < 0 || row >= static_cast<int>(m_buttons.size())) return -1;
  return m_buttons[static_cast<size_t>(row)];
}

int CToolbarModel::RowOfButton(int button) const {
  for (size_t r = 0; r < m_buttons.size(); ++r)
    if (m_buttons[r] == button) return static_cast<int>(r);
  return -1;
}

WORD CToolbarModel::CommandAt(int row) const {
  int button = ButtonAt(row);
  return button < 0 ? 0 : m_toolbar->m_items.m_data[static_cast<size_t>(button)];
}

CPromptAndTip* CToolbarModel::PromptOfButton(int button) const {
  if (!HasPrompts() || button < 0 || static_cast<size_t>(button) >= m_toolbar->m_items.m_data.size()) return nullptr;
  WORD command = m_toolbar->m_items.m_data[static_cast<size_t>(button)];
  return command == 0 ? nullptr : m_table->m_promptAndTips.Find(command);
}

CPromptAndTip* CToolbarModel::PromptAt(int row) const { return PromptOfButton(ButtonAt(row)); }

CLocalizedString* CToolbarModel::ValueAt(int row, int column) const {
  CPromptAndTip* prompt = PromptAt(row);
  if (!prompt) return nullptr;
  if (column == kPrompt) return &prompt->m_prompt;
  if (column == kTooltip) return &prompt->m_tooltip;
  return nullptr;
}

QString CToolbarModel::MenuText(WORD command) const {
  if (!m_table) return {};
  for (int i = 0; i < m_table->m_menus.GetCount(); ++i) {
    auto* menu = dynamic_cast<const CResMenu*>(m_table->m_menus.GetResource(i));
    std::u16string text;
    if (menu && FindItemText(menu->m_root, command, m_language, text)) return QStr(text);
  }
  return {};
}

QVariant CToolbarModel::data(const QModelIndex& index, int role) const {
  int row = index.row(), column = index.column(), button = ButtonAt(row);
  if (button < 0) return {};
  WORD command = CommandAt(row);
  const CLocalizedString* value = ValueAt(row, column);
  switch (role) {
    case Qt::DisplayRole:
      if (command == 0) return column == kButton ? QStringLiteral("------------") : QVariant();
      if (column == kButton) {
        QString text = MenuText(command);
        return text.isNull() ? QStringLiteral("(No menu item)") : text;
      }
      if (column == kId) return QString::number(command);
      return value ? QStr(ShownText(*value, m_language)) : QVariant();
    case Qt::DecorationRole:
      if (column == kButton && static_cast<size_t>(button) < m_pictures.size() &&
          !m_pictures[static_cast<size_t>(button)].isNull())
        return m_pictures[static_cast<size_t>(button)];
      if (value && !value->IsDoNotTranslate() && !value->m_text.empty())
        return tvl::ui::StatusIcon(value->GetValueStatus(m_language));
      return {};
    case Qt::ForegroundRole: {
      bool grey = column == kButton ? command != 0 && MenuText(command).isNull()
                                    : column != kId && (!value || value->IsDoNotTranslate());
      return grey ? QVariant(QPalette().brush(QPalette::Disabled, QPalette::Text)) : QVariant();
    }
    case Qt::BackgroundRole:
      if (row == m_currentRow && column == m_column) return QPalette().brush(QPalette::Midlight);
      return {};
    default: return {};
  }
}

QVariant CToolbarModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  static const char* const kHeadings[] = {"Button", "Id", "Prompt", "Tooltip"};
  return section >= 0 && section < columnCount() ? QString::fromLatin1(kHeadings[section]) : QVariant();
}

void CToolbarModel::CutPictures() {
  m_pictures.assign(m_toolbar->m_items.m_data.size(), QImage());
  if (!m_toolbar->m_bitmap || m_toolbar->m_width == 0 || m_toolbar->m_height == 0) return;
  const CResBitmap& bitmap = *m_toolbar->m_bitmap;
  QImage strip = tvl::ui::BitmapImage(bitmap.GetBytes(bitmap.IsTranslatable() ? m_language : 0));
  if (strip.isNull()) return;
  int picture = 0;
  for (size_t i = 0; i < m_pictures.size(); ++i) {
    if (m_toolbar->m_items.m_data[i] == 0) continue;
    m_pictures[i] = strip.copy(picture++ * m_toolbar->m_width, 0, m_toolbar->m_width, m_toolbar->m_height);
  }
}

void CToolbarModel::SetButtons(std::vector<int> buttons, LANGID language) {
  beginResetModel();
  m_buttons = std::move(buttons);
  m_language = language;
  m_currentRow = -1;
  CutPictures();
  endResetModel();
}

void CToolbarModel::Release() {
  beginResetModel();
  m_drawing = false;
  m_buttons.clear();
  endResetModel();
}

void CToolbarModel::TextsChanged() {
  if (!m_buttons.empty())
    emit dataChanged(index(0, 0), index(static_cast<int>(m_buttons.size()) - 1, columnCount() - 1));
}

void CToolbarModel::SetCurrentCell(int row, int column) {
  int before = m_currentRow;
  m_currentRow = row;
  m_column = column;
  for (int r : {before, row})
    if (r >= 0 && r < static_cast<int>(m_buttons.size())) emit dataChanged(index(r, 0), index(r, columnCount() - 1));
}

// ---------------------------------------------------------------------------------------
// The view

CToolbarView::CToolbarView(CMainFrame* frame, CTvlDoc& document, CResToolBar* toolbar, QWidget* parent)
    : QTreeView(parent), m_frame(frame), m_document(document), m_toolbar(toolbar) {
  setObjectName(QStringLiteral("ToolbarView"));
  m_model = new CToolbarModel(toolbar, this);
  setModel(m_model);
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setUniformRowHeights(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setAllColumnsShowFocus(true);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  header()->setStretchLastSection(false);
  header()->resizeSection(CToolbarModel::kButton, 200);
  header()->resizeSection(CToolbarModel::kId, 100);
  if (m_model->HasPrompts()) {
    header()->resizeSection(CToolbarModel::kPrompt, 300);
    header()->resizeSection(CToolbarModel::kTooltip, 100);
  }
  header()->setSectionsClickable(false);
  connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current, const QModelIndex&) {
            if (current.isValid()) Offer();
          });
  connect(this, &QTreeView::clicked, this, [this](const QModelIndex& index) {
    if (index.column() >= CToolbarModel::kPrompt) SelectCell(index.row(), index.column());
  });
  m_document.AddView(this);
}

CToolbarView::~CToolbarView() { Release(); }

void CToolbarView::Release() {
  if (m_released) return;
  m_released = true;
  m_document.RemoveView(this);
  m_model->Release();
  m_document.UpdateAllViews(HintTranslationRequest, nullptr);
}

void CToolbarView::OnInitialUpdate() { BuildRows(); }

void CToolbarView::BuildRows() {
  m_language = m_frame->GetSelectedLanguage();
  m_mode = m_frame->GetMode();
  m_showNonTranslatable = m_frame->GetShowNonTranslatable();
  const bool everything = m_mode == ID_VIEW_TRANSLATABLE;
  const int limit = tvl::AcceleratorStatusLimit(m_mode);
  int selected = m_model->ButtonAt(CurrentRow());
  std::vector<int> buttons;
  for (int b = 0; b < static_cast<int>(m_toolbar->m_items.m_data.size()); ++b) {
    const CPromptAndTip* prompt = m_model->PromptOfButton(b);
    bool listed = prompt ? prompt->GetStatus(m_language) <= limit || b == m_forcedButton : everything;
    if (listed) buttons.push_back(b);
  }
  m_model->SetButtons(std::move(buttons), m_language);
  int row = m_model->RowOfButton(selected);
  if (row >= 0)
    SelectCell(row, m_column);
  else
    SelectNextToTranslate(-1, CToolbarModel::kTooltip);
}

int CToolbarView::CurrentRow() const {
  QModelIndex i = currentIndex();
  return i.isValid() ? i.row() : -1;
}

void CToolbarView::SelectCell(int row, int column) {
  QModelIndex index = m_model->index(row, 0);
  if (!index.isValid()) return;
  m_column = column;
  m_model->SetCurrentCell(row, column);
  bool same = currentIndex().row() == row;
  selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  scrollTo(index);
  if (same) Offer();
}

void CToolbarView::Offer() {
  if (m_released) return;
  m_offer = CTranslationRequest();
  m_offer.m_view = this;
  m_offer.m_item = CurrentRow();
  m_offer.m_subItem = m_column;
  m_offer.m_language = m_language;
  m_offer.m_element = m_model->ValueAt(CurrentRow(), m_column);
  m_document.UpdateAllViews(HintTranslationRequest, &m_offer);
}

void CToolbarView::SelectNextToTranslate(int afterRow, int afterColumn) {
  int n = m_model->rowCount();
  if (n == 0) return;
  // Prompt, then tooltip, row after row, wrapping once.
  int start = afterRow < 0 ? -1 : afterRow * 2 + (afterColumn == CToolbarModel::kTooltip ? 1 : 0);
  int cells = 2 * n;
  for (int k = 1; k <= cells; ++k) {
    if (afterRow >= 0 && k == cells) break;
    int cell = ((start + k) % cells + cells) % cells;
    int row = cell / 2, column = CToolbarModel::kPrompt + cell % 2;
    const CLocalizedString* v = m_model->ValueAt(row, column);
    if (v && v->EffectiveStatus(m_language) == 0) {
      SelectCell(row, column);
      return;
    }
  }
  if (afterRow < 0) {
    SelectCell(0, CToolbarModel::kPrompt);
    return;
  }
  m_document.SendToViews(HintNextToTranslate);
}

void CToolbarView::ApplyCommit(const CTranslationRequest& request) {
  CLocalizedString* value = m_model->ValueAt(request.m_item, request.m_subItem);
  CPromptAndTip* prompt = m_model->PromptAt(request.m_item);
  if (!request.m_skip && value && prompt) {
    LANGID language = request.m_language;
    const CLocalizedParam* node = value->FindValue(language);
    bool hasValue = node && node != value;
    auto action = std::make_unique<CUndoTranslateString>();
    action->m_object = m_toolbar;
    action->m_language = language;
    action->m_toggle = request.m_toggle ? 1 : 0;
    action->m_head = value;
    action->m_promptLink = prompt;
    action->m_index1 = m_model->ButtonAt(request.m_item);
    action->m_index2 = request.m_subItem;
    action->m_text = hasValue ? static_cast<const CLocalizedString*>(node)->m_text : std::u16string();
    action->m_status = node ? node->m_status : 0;
    action->m_chainIndex = hasValue ? tvl::TranslationIndex(*value, language) : -1;
    m_document.AddUndoAction(std::move(action));
    if (request.m_erase)
      value->RemoveTranslation(language, true);
    else if (!request.m_toggle)
      value->SetTranslation(request.m_text, language);
    m_document.SetModifiedFlag(true);
    prompt->Compose(language);
    int before = m_toolbar->GetStatus(language);
    m_toolbar->UpdateStatus(language);
    std::vector<CResource*> changed;
    if (m_model->HasPrompts()) {
      auto* table = dynamic_cast<CResTable*>(m_toolbar->m_owner->m_owner);
      if (table) table->m_promptAndTips.UpdateCommandsUsing(prompt->m_commandId, language, m_toolbar, changed);
    }
    m_model->TextsChanged();
    if (m_toolbar->GetStatus(language) != before) m_document.UpdateAllViews(HintResourceStatusChanged, m_toolbar);
    for (CResource* resource : changed) m_document.UpdateAllViews(HintResourceStatusChanged, resource);
    if (request.m_toggle || request.m_erase) {
      Offer();
      return;
    }
  }
  SelectNextToTranslate(request.m_item, request.m_subItem);
}

bool CToolbarView::CanDeleteTranslation() const {
  if (m_released || m_language == 0 || m_frame->IsSourceLanguageSelected()) return false;
  const CLocalizedString* value = m_model->ValueAt(CurrentRow(), m_column);
  if (!value || value->m_text.empty() || value->IsDoNotTranslate()) return false;
  const CLocalizedParam* node = value->FindValue(m_language);
  return node && node != value && node->m_status != 0;
}

void CToolbarView::DeleteTranslation() {
  if (!CanDeleteTranslation()) return;
  CTranslationRequest request = m_offer;
  request.m_item = CurrentRow();
  request.m_subItem = m_column;
  request.m_language = m_language;
  request.m_erase = 1;
  request.m_text.clear();
  ApplyCommit(request);
}

void CToolbarView::ApplyUndo(int hint, const CUndoTranslateString* action) {
  if (action->m_object != m_toolbar) return;
  int row = m_model->RowOfButton(action->m_index1);
  if (row < 0) {
    m_forcedButton = action->m_index1;
    BuildRows();
    m_forcedButton = -1;
    row = m_model->RowOfButton(action->m_index1);
  }
  if (row < 0) return;
  if (hint == HintUndoneItemInPlace) m_model->TextsChanged();
  SelectCell(row, action->m_index2 == CToolbarModel::kTooltip ? CToolbarModel::kTooltip : CToolbarModel::kPrompt);
}

void CToolbarView::OnUpdate(int hint, const void* object) {
  if (m_released) return;
  switch (hint) {
    case HintRefreshAll: BuildRows(); break;
    case HintTranslationCommitted: {
      const auto* request = static_cast<const CTranslationRequest*>(object);
      if (request && request->m_view == this) ApplyCommit(*request);
      break;
    }
    case HintUndoneItemInPlace:
    case HintUndoneItemSelect:
      if (const auto* action = dynamic_cast<const CUndoTranslateString*>(static_cast<const CUndoAction*>(object)))
        ApplyUndo(hint, action);
      break;
    case HintReleaseResourceView: Release(); break;
    default: break;
  }
}

void CToolbarView::keyPressEvent(QKeyEvent* event) {
  int row = CurrentRow();
  if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
    switch (event->key()) {
      // The current cell moves between prompt and tooltip.
      case Qt::Key_Left:
      case Qt::Key_Right:
      case Qt::Key_Home:
      case Qt::Key_End:
        if (row >= 0) {
          bool toTooltip = event->key() == Qt::Key_End ||
                           ((event->key() == Qt::Key_Left || event->key() == Qt::Key_Right) &&
                            m_column == CToolbarModel::kPrompt);
          SelectCell(row, toTooltip ? CToolbarModel::kTooltip : CToolbarModel::kPrompt);
        }
        event->accept();
        return;
      case Qt::Key_Tab:
        if (m_frame->Tree()) m_frame->Tree()->setFocus();
        event->accept();
        return;
      case Qt::Key_Delete:
        DeleteTranslation();
        event->accept();
        return;
      case Qt::Key_Return:
      case Qt::Key_Enter:
        m_document.UpdateAllViews(HintFocusEditor);
        event->accept();
        return;
      default: break;
    }
  }
  QTreeView::keyPressEvent(event);
}
