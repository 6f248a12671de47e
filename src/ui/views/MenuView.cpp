#include "ui/views/MenuView.h"

#include <algorithm>

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPalette>
#include <QStyle>

#include "formats/layout/ResMenu.h"
#include "formats/text/PromptAndTips.h"
#include "resmodel/ResTable.h"
#include "project/TvlDoc.h"
#include "project/Undo.h"
#include "ui/MainWindow.h"
#include "ui/QtText.h"
#include "ui/views/ImageStrip.h"
#include "ui/views/ProjectResView.h"
#include "workspace/CommandIds.h"

namespace {

const char16_t* const kSeparatorText = u"------------";

// The text a cell shows for a language: the translation unless the value is marked
// do-not-translate or has none, else the source.
const std::u16string& ShownText(const CLocalizedString& value, LANGID language) {
  if (value.IsDoNotTranslate()) return value.m_text;
  const CLocalizedString* node = value.FindString(language);
  return node ? node->m_text : value.m_text;
}

bool IsSeparator(const CResMenuItem& item) {
  return item.m_id == 0 && !item.m_popup && item.m_label.m_text.empty() && item.m_shortcut.m_text.empty();
}

// Whether an item still needs work in the filtered modes; an empty prompt or tooltip has
// nothing to translate.
bool NeedsWork(const CResMenuItem& item, const CPromptAndTip* prompt, LANGID language) {
  if (item.m_label.EffectiveStatus(language) < 1 || item.m_shortcut.EffectiveStatus(language) < 1) return true;
  return prompt && (prompt->m_prompt.EffectiveStatus(language) < 1 || prompt->m_tooltip.EffectiveStatus(language) < 1);
}

bool UsesPrompts(const CResMenu& menu) {
  const auto* table = menu.m_owner ? dynamic_cast<const CResTable*>(menu.m_owner->m_owner) : nullptr;
  return table && table->m_promptAndTips.m_enabled;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// The model

CMenuModel::CMenuModel(CResMenu* menu, QObject* parent)
    : QAbstractTableModel(parent), m_menu(menu), m_items(menu->Flatten()), m_prompts(UsesPrompts(*menu)) {}

int CMenuModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() || !m_drawing ? 0 : static_cast<int>(m_rows.size());
}

int CMenuModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : (m_prompts ? kTooltip + 1 : kId + 1);
}

std::vector<int> CMenuModel::TextColumns() const {
  return m_prompts ? std::vector<int>{kText, kShortcut, kPrompt, kTooltip} : std::vector<int>{kText, kShortcut};
}

CPromptAndTip* CMenuModel::PromptAt(int row) const {
  CResMenuItem* item = Item(ItemAt(row));
  if (!item || !m_prompts) return nullptr;
  return const_cast<CPromptAndTip*>(tvl::FindCommandPrompt(*m_menu, item->m_id));
}

int CMenuModel::ItemAt(int row) const {
  if (!m_drawing || row < 0 || row >= static_cast<int>(m_rows.size())) return -1;
  return m_rows[static_cast<size_t>(row)].item;
}

int CMenuModel::RowOfItem(int item) const {
  for (size_t r = 0; r < m_rows.size(); ++r)
    if (m_rows[r].item == item) return static_cast<int>(r);
  return -1;
}

CResMenuItem* CMenuModel::Item(int item) const {
  return item >= 0 && item < static_cast<int>(m_items.size()) ? m_items[static_cast<size_t>(item)] : nullptr;
}

CLocalizedString* CMenuModel::ValueAt(int row, int column) const {
  CResMenuItem* item = Item(ItemAt(row));
  if (!item || IsSeparator(*item)) return nullptr;
  if (column == kText) return &item->m_label;
  if (column == kShortcut) return &item->m_shortcut;
  if (column == kPrompt || column == kTooltip) {
    CPromptAndTip* prompt = PromptAt(row);
    if (!prompt) return nullptr;
    return column == kPrompt ? &prompt->m_prompt : &prompt->m_tooltip;
  }
  return nullptr;
}

QVariant CMenuModel::Display(int row, int column) const {
  const tvl::CMenuRow& r = m_rows[static_cast<size_t>(row)];
  if (r.item < 0) return column == kText ? QStr(r.caption) : QVariant();
  const CResMenuItem& item = *Item(r.item);
  QString indent(r.indent, QLatin1Char(' '));
  if (IsSeparator(item)) return column == kText ? indent + QStr(kSeparatorText) : QVariant();
  switch (column) {
    case kText: return indent + QStr(ShownText(item.m_label, m_language));
    case kShortcut: return QStr(ShownText(item.m_shortcut, m_language));
    case kId: return item.m_id == 0 ? QString() : QString::number(item.m_id);
    default:
      if (const CLocalizedString* value = ValueAt(row, column)) return QStr(ShownText(*value, m_language));
      return {};
  }
}

QVariant CMenuModel::data(const QModelIndex& index, int role) const {
  int row = index.row(), column = index.column();
  if (!m_drawing || row < 0 || row >= static_cast<int>(m_rows.size())) return {};
  int item = ItemAt(row);
  const CLocalizedString* value = ValueAt(row, column);
  int clash = item >= 0 ? m_clashes[static_cast<size_t>(item)] : -1;
  switch (role) {
    case Qt::DisplayRole: return Display(row, column);
    case Qt::DecorationRole:
      // An empty source text has nothing to translate: no image rather than a red one.
      if (value && !value->IsDoNotTranslate() && !value->m_text.empty())
        return tvl::ui::StatusIcon(value->GetValueStatus(m_language));
      if (column == kId && clash >= 0) return QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
      return {};
    case Qt::ToolTipRole:
      // A mnemonic clash only informs.
      if (clash < 0) return {};
      return tr("The same mnemonic as \"%1\".").arg(QStr(ShownText(Item(clash)->m_label, m_language)));
    case Qt::ForegroundRole:
      if (column != kId && (item < 0 || !value || value->IsDoNotTranslate()))
        return QPalette().brush(QPalette::Disabled, QPalette::Text);
      return {};
    case Qt::BackgroundRole:
      if (row == m_currentRow && column == m_column && item >= 0) return QPalette().brush(QPalette::Midlight);
      return {};
    default: return {};
  }
}

QVariant CMenuModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  static const char* const kHeadings[] = {"Text", "Shortcut", "Id", "Prompt", "Tooltip"};
  return section >= 0 && section < columnCount() ? QString::fromLatin1(kHeadings[section]) : QVariant();
}

void CMenuModel::FindClashes() {
  m_clashes.assign(m_items.size(), -1);
  std::vector<const CResSubMenu*> levels{&m_menu->m_root};
  for (const CResMenuItem* item : m_items)
    if (item->m_popup) levels.push_back(item->m_popup.get());
  auto indexOf = [&](const CResMenuItem* item) {
    for (size_t i = 0; i < m_items.size(); ++i)
      if (m_items[i] == item) return static_cast<int>(i);
    return -1;
  };
  for (const CResSubMenu* level : levels) {
    std::vector<std::u16string> texts;
    std::vector<int> indices;
    for (size_t i = 0; i < level->GetCount(); ++i) {
      texts.push_back(ShownText(level->GetItem(i)->m_label, m_language));
      indices.push_back(indexOf(level->GetItem(i)));
    }
    std::vector<int> clashes = tvl::FindMnemonicClashes(texts);
    for (size_t i = 0; i < clashes.size(); ++i)
      if (clashes[i] >= 0 && indices[i] >= 0)
        m_clashes[static_cast<size_t>(indices[i])] = indices[static_cast<size_t>(clashes[i])];
  }
}

void CMenuModel::SetRows(std::vector<tvl::CMenuRow> rows, LANGID language) {
  beginResetModel();
  m_rows = std::move(rows);
  m_language = language;
  m_currentRow = -1;
  FindClashes();
  endResetModel();
}

void CMenuModel::Release() {
  beginResetModel();
  m_drawing = false;
  m_rows.clear();
  endResetModel();
}

void CMenuModel::TextsChanged() {
  if (m_rows.empty()) return;
  FindClashes();
  emit dataChanged(index(0, 0), index(static_cast<int>(m_rows.size()) - 1, columnCount() - 1));
}

void CMenuModel::SetCurrentCell(int row, int column) {
  if (row == m_currentRow && column == m_column) return;
  int before = m_currentRow;
  m_currentRow = row;
  m_column = column;
  for (int r : {before, row})
    if (r >= 0 && r < static_cast<int>(m_rows.size())) emit dataChanged(index(r, 0), index(r, columnCount() - 1));
}

// ---------------------------------------------------------------------------------------
// The view

CMenuView::CMenuView(CMainFrame* frame, CTvlDoc& document, CResMenu* menu, QWidget* parent)
    : QTreeView(parent), m_frame(frame), m_document(document), m_menu(menu) {
  setObjectName(QStringLiteral("MenuView"));
  m_model = new CMenuModel(menu, this);
  setModel(m_model);
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setUniformRowHeights(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setAllColumnsShowFocus(true);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  header()->setStretchLastSection(false);
  header()->resizeSection(CMenuModel::kText, 200);
  header()->resizeSection(CMenuModel::kShortcut, 100);
  header()->resizeSection(CMenuModel::kId, 100);
  if (m_model->HasPrompts()) {
    header()->resizeSection(CMenuModel::kPrompt, 300);
    header()->resizeSection(CMenuModel::kTooltip, 100);
  }
  header()->setSectionsClickable(false);
  connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current, const QModelIndex&) {
            if (current.isValid()) Offer();
          });
  connect(this, &QTreeView::clicked, this, [this](const QModelIndex& index) {
    if (index.column() != CMenuModel::kId) SelectCell(index.row(), index.column());
  });
  m_document.AddView(this);
}

CMenuView::~CMenuView() { Release(); }

void CMenuView::Release() {
  if (m_released) return;
  m_released = true;
  m_document.RemoveView(this);
  m_model->Release();
  m_document.UpdateAllViews(HintTranslationRequest, nullptr);
}

void CMenuView::OnInitialUpdate() { BuildRows(); }

void CMenuView::BuildRows() {
  m_language = m_frame->GetSelectedLanguage();
  m_mode = m_frame->GetMode();
  m_showNonTranslatable = m_frame->GetShowNonTranslatable();
  const bool everything = m_mode == ID_VIEW_TRANSLATABLE;
  int next = 0;
  std::function<std::vector<tvl::CMenuNodeFacts>(const CResSubMenu&)> facts = [&](const CResSubMenu& level) {
    std::vector<tvl::CMenuNodeFacts> nodes;
    for (size_t i = 0; i < level.GetCount(); ++i) {
      const CResMenuItem& item = *level.GetItem(i);
      tvl::CMenuNodeFacts node;
      node.item = next++;
      node.text = ShownText(item.m_label, m_language);
      const CPromptAndTip* prompt = m_model->HasPrompts() ? tvl::FindCommandPrompt(*m_menu, item.m_id) : nullptr;
      node.listed = everything || NeedsWork(item, prompt, m_language) || node.item == m_forcedItem;
      if (item.m_popup) node.children = facts(*item.m_popup);
      nodes.push_back(std::move(node));
    }
    return nodes;
  };
  int selected = m_model->ItemAt(CurrentRow());
  m_model->SetRows(tvl::MenuRows(facts(m_menu->m_root)), m_language);
  int row = m_model->RowOfItem(selected);
  if (row >= 0)
    SelectCell(row, m_column);
  else
    SelectNextToTranslate(-1, CMenuModel::kShortcut);
}

int CMenuView::CurrentRow() const {
  QModelIndex i = currentIndex();
  return i.isValid() ? i.row() : -1;
}

void CMenuView::SelectCell(int row, int column) {
  QModelIndex index = m_model->index(row, 0);
  if (!index.isValid()) return;
  m_column = column;
  m_model->SetCurrentCell(row, column);
  bool same = currentIndex().row() == row;
  selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  scrollTo(index);
  if (same) Offer();
}

void CMenuView::Offer() {
  if (m_released) return;
  m_offer = CTranslationRequest();
  m_offer.m_view = this;
  m_offer.m_item = CurrentRow();
  m_offer.m_subItem = m_column;
  m_offer.m_language = m_language;
  m_offer.m_element = m_model->ValueAt(CurrentRow(), m_column);
  m_document.UpdateAllViews(HintTranslationRequest, &m_offer);
}

void CMenuView::SelectNextToTranslate(int afterRow, int afterColumn) {
  int n = m_model->rowCount();
  if (n == 0) return;
  // Cells in reading order over the text columns, row after row, wrapping once.
  const std::vector<int> columns = m_model->TextColumns();
  const int width = static_cast<int>(columns.size());
  int at = 0;
  for (int c = 0; c < width; ++c)
    if (columns[static_cast<size_t>(c)] == afterColumn) at = c;
  int start = (afterRow < 0 ? -1 : afterRow) * width + (afterRow < 0 ? width - 1 : at);
  int cells = width * n;
  for (int k = 1; k <= cells; ++k) {
    int cell = ((start + k) % cells + cells) % cells;
    if (afterRow >= 0 && k == cells) break;
    int row = cell / width, column = columns[static_cast<size_t>(cell % width)];
    const CLocalizedString* v = m_model->ValueAt(row, column);
    if (v && v->EffectiveStatus(m_language) == 0) {
      SelectCell(row, column);
      return;
    }
  }
  if (afterRow < 0) {
    SelectCell(0, CMenuModel::kText);
    return;
  }
  m_document.SendToViews(HintNextToTranslate);
}

void CMenuView::ApplyCommit(const CTranslationRequest& request) {
  CLocalizedString* value = m_model->ValueAt(request.m_item, request.m_subItem);
  int item = m_model->ItemAt(request.m_item);
  if (!request.m_skip && value) {
    LANGID language = request.m_language;
    const CLocalizedParam* node = value->FindValue(language);
    bool hasValue = node && node != value;
    auto action = std::make_unique<CUndoTranslateString>();
    action->m_object = m_menu;
    action->m_language = language;
    action->m_toggle = request.m_toggle ? 1 : 0;
    action->m_head = value;
    action->m_index1 = item;
    action->m_index2 = request.m_subItem;
    action->m_text = hasValue ? static_cast<const CLocalizedString*>(node)->m_text : std::u16string();
    action->m_status = node ? node->m_status : 0;
    action->m_chainIndex = hasValue ? tvl::TranslationIndex(*value, language) : -1;
    CPromptAndTip* prompt = request.m_subItem >= CMenuModel::kPrompt ? m_model->PromptAt(request.m_item) : nullptr;
    action->m_promptLink = prompt;
    m_document.AddUndoAction(std::move(action));
    if (request.m_erase)
      value->RemoveTranslation(language, true);
    else if (!request.m_toggle)
      value->SetTranslation(request.m_text, language);
    m_document.SetModifiedFlag(true);
    if (prompt) PromptChanged(*prompt, language);
    int before = m_menu->GetStatus(language);
    m_menu->UpdateStatus(language);
    m_model->TextsChanged();
    if (m_menu->GetStatus(language) != before) m_document.UpdateAllViews(HintResourceStatusChanged, m_menu);
    if (request.m_toggle || request.m_erase) {
      Offer();
      return;
    }
  }
  SelectNextToTranslate(request.m_item, request.m_subItem);
}

void CMenuView::PromptChanged(CPromptAndTip& prompt, LANGID language) {
  prompt.Compose(language);
  const auto* table = dynamic_cast<const CResTable*>(m_menu->m_owner->m_owner);
  if (!table) return;
  std::vector<CResource*> changed;
  const_cast<CResTable*>(table)->m_promptAndTips.UpdateCommandsUsing(prompt.m_commandId, language, m_menu, changed);
  for (CResource* resource : changed) m_document.UpdateAllViews(HintResourceStatusChanged, resource);
}

void CMenuView::MoveColumn(int step) {
  int row = CurrentRow();
  if (row < 0) return;
  const std::vector<int> columns = m_model->TextColumns();
  const int width = static_cast<int>(columns.size());
  int at = 0;
  for (int c = 0; c < width; ++c)
    if (columns[static_cast<size_t>(c)] == m_column) at = c;
  SelectCell(row, columns[static_cast<size_t>(((at + step) % width + width) % width)]);
}

bool CMenuView::CanDeleteTranslation() const {
  if (m_released || m_language == 0 || m_frame->IsSourceLanguageSelected()) return false;
  const CLocalizedString* value = m_model->ValueAt(CurrentRow(), m_column);
  if (!value || value->m_text.empty() || value->IsDoNotTranslate()) return false;
  const CLocalizedParam* node = value->FindValue(m_language);
  return node && node != value && node->m_status != 0;
}

void CMenuView::DeleteTranslation() {
  if (!CanDeleteTranslation()) return;
  CTranslationRequest request = m_offer;
  request.m_item = CurrentRow();
  request.m_subItem = m_column;
  request.m_language = m_language;
  request.m_erase = 1;
  request.m_text.clear();
  ApplyCommit(request);
}

void CMenuView::ApplyUndo(int hint, const CUndoTranslateString* action) {
  if (action->m_object != m_menu) return;
  int row = m_model->RowOfItem(action->m_index1);
  if (row < 0) {
    m_forcedItem = action->m_index1;
    BuildRows();
    m_forcedItem = -1;
    row = m_model->RowOfItem(action->m_index1);
  }
  if (row < 0) return;
  if (hint == HintUndoneItemInPlace) m_model->TextsChanged();
  const std::vector<int> columns = m_model->TextColumns();
  bool known = std::find(columns.begin(), columns.end(), action->m_index2) != columns.end();
  SelectCell(row, known ? action->m_index2 : CMenuModel::kText);
}

void CMenuView::OnUpdate(int hint, const void* object) {
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

void CMenuView::keyPressEvent(QKeyEvent* event) {
  int row = CurrentRow();
  if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
    switch (event->key()) {
      case Qt::Key_Left:
      case Qt::Key_Right:
        MoveColumn(event->key() == Qt::Key_Left ? -1 : 1);
        event->accept();
        return;
      case Qt::Key_Home:
      case Qt::Key_End:
        if (row >= 0) SelectCell(row, event->key() == Qt::Key_Home ? CMenuModel::kText : m_model->TextColumns().back());
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
