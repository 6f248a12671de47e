#include "ui/views/CommandIdView.h"

#include <algorithm>

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>

#include "formats/text/PromptAndTips.h"
#include "project/TvlDoc.h"
#include "project/Undo.h"
#include "resmodel/ResTable.h"
#include "resmodel/ResourceType.h"
#include "ui/MainWindow.h"
#include "ui/views/ImageStrip.h"
#include "ui/views/ListViewSupport.h"
#include "ui/views/ProjectResView.h"
#include "workspace/CommandIds.h"

namespace tvl::ui {

const std::u16string& ShownText(const CLocalizedString& value, LANGID language) {
  if (value.IsDoNotTranslate()) return value.m_text;
  const CLocalizedString* node = value.FindString(language);
  return node ? node->m_text : value.m_text;
}

}  // namespace tvl::ui

// ---------------------------------------------------------------------------------------
// The model

CCommandIdModel::CCommandIdModel(CResource* resource, std::vector<int> textColumns, int idColumn,
                                 std::vector<const char*> headings, QObject* parent)
    : QAbstractTableModel(parent),
      m_textColumns(std::move(textColumns)),
      m_idColumn(idColumn),
      m_headings(std::move(headings)) {
  if (resource->m_owner) m_table = dynamic_cast<CResTable*>(resource->m_owner->m_owner);
  m_prompts = m_table && m_table->m_promptAndTips.m_enabled;
}

int CCommandIdModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() || !m_drawing ? 0 : RowCount();
}

int CCommandIdModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : (m_prompts ? TooltipColumn() + 1 : m_idColumn + 1);
}

QVariant CCommandIdModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  return section >= 0 && section < columnCount() ? QString::fromLatin1(m_headings[static_cast<size_t>(section)])
                                                 : QVariant();
}

int CCommandIdModel::ItemAt(int row) const {
  if (!m_drawing || row < 0 || row >= RowCount()) return -1;
  return m_items[static_cast<size_t>(row)];
}

int CCommandIdModel::RowOfItem(int item) const {
  if (item < 0) return -1;
  auto at = std::find(m_items.begin(), m_items.end(), item);
  return at == m_items.end() ? -1 : static_cast<int>(at - m_items.begin());
}

std::vector<int> CCommandIdModel::TextColumns() const {
  std::vector<int> columns = m_textColumns;
  if (m_prompts) columns.insert(columns.end(), {PromptColumn(), TooltipColumn()});
  return columns;
}

void CCommandIdModel::AssignRows(std::vector<int> items, LANGID language) {
  m_items = std::move(items);
  m_language = language;
  m_currentRow = -1;
}

QVariant CCommandIdModel::ValueRole(const CLocalizedString* value, int role) const {
  if (role == Qt::DecorationRole) {
    // An empty source text has nothing to translate: no image rather than a red one.
    if (value && !value->IsDoNotTranslate() && !value->m_text.empty())
      return tvl::ui::ValueStatusIcon(*value, m_language);
    return {};
  }
  if (role == Qt::ForegroundRole && (!value || value->IsDoNotTranslate()))
    return QPalette().brush(QPalette::Disabled, QPalette::Text);
  return {};
}

void CCommandIdModel::Release() {
  beginResetModel();
  m_drawing = false;
  m_items.clear();
  endResetModel();
}

void CCommandIdModel::TextsChanged() {
  if (RowCount() > 0) emit dataChanged(index(0, 0), index(RowCount() - 1, columnCount() - 1));
}

void CCommandIdModel::SetCurrentCell(int row, int column) {
  if (row == m_currentRow && column == m_column) return;
  int before = m_currentRow;
  m_currentRow = row;
  m_column = column;
  for (int r : {before, row})
    if (r >= 0 && r < RowCount()) emit dataChanged(index(r, 0), index(r, columnCount() - 1));
}

QVariant CCommandIdModel::CurrentCellBackground(const QModelIndex& index) const {
  return IsCurrentCell(index) ? QVariant(QPalette().brush(QPalette::Mid)) : QVariant();
}

bool CCommandIdModel::IsCurrentCell(const QModelIndex& index) const {
  return index.row() == m_currentRow && index.column() == m_column && ItemAt(index.row()) >= 0;
}

// ---------------------------------------------------------------------------------------
// The delegate

void CCurrentCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const {
  QStyleOptionViewItem cell = option;
  const auto* model = qobject_cast<const CCommandIdModel*>(index.model());
  const auto* view = qobject_cast<const QWidget*>(option.widget);
  // The model gives the current cell its grey; with the focus it takes the selection colours.
  cell.state &= ~(QStyle::State_Selected | QStyle::State_HasFocus);
  if (model && model->IsCurrentCell(index) && view && view->hasFocus())
    cell.state |= QStyle::State_Selected | QStyle::State_HasFocus;
  QStyledItemDelegate::paint(painter, cell, index);
}

// ---------------------------------------------------------------------------------------
// The view

CCommandIdView::CCommandIdView(CMainFrame* frame, CTvlDoc& document, CResource* resource, QWidget* parent)
    : QTreeView(parent), m_frame(frame), m_document(document), m_resource(resource) {
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setUniformRowHeights(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setExpandsOnDoubleClick(false);
  setItemDelegate(new CCurrentCellDelegate(this));
  header()->setStretchLastSection(false);
  header()->setSectionsClickable(false);
}

CCommandIdView::~CCommandIdView() { CCommandIdView::Release(); }

void CCommandIdView::SetModel(CCommandIdModel* model, const std::vector<int>& widths) {
  m_model = model;
  m_column = model->TextColumns().empty() ? 0 : model->TextColumns().front();
  setModel(model);
  for (int c = 0; c < model->columnCount() && c < static_cast<int>(widths.size()); ++c)
    header()->resizeSection(c, widths[static_cast<size_t>(c)]);
  connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current, const QModelIndex&) {
            if (current.isValid()) {
              m_model->SetCurrentCell(current.row(), m_column);
              Offer();
            }
          });
  connect(this, &QTreeView::clicked, this, &CCommandIdView::ClickCell);
  connect(this, &QTreeView::doubleClicked, this, [this](const QModelIndex&) {
    m_document.UpdateAllViews(HintFocusEditor);
  });
  m_document.AddView(this);
}

void CCommandIdView::Release() {
  if (m_model) tvl::ui::LeaveDocument(m_released, m_document, this, m_model);
}

void CCommandIdView::OnInitialUpdate() { Rebuild(false); }

void CCommandIdView::Rebuild(bool keep) {
  const int item = keep ? m_model->ItemAt(CurrentRow()) : -1;
  const int column = m_column;
  const int top = keep ? indexAt(QPoint(0, 0)).row() : -1;
  bool showNonTranslatable = false;  // both lists show every command
  tvl::ui::ReadFrameFilter(*m_frame, m_language, m_mode, showNonTranslatable);
  FillRows();
  const int row = m_model->RowOfItem(item);
  if (row < 0) {
    SelectNextToTranslate(-1, -1);
    return;
  }
  if (top >= 0) scrollTo(m_model->index(std::min(top, m_model->rowCount() - 1), 0), PositionAtTop);
  SelectCell(row, column);
}

int CCommandIdView::CurrentRow() const {
  QModelIndex i = currentIndex();
  return i.isValid() ? i.row() : -1;
}

void CCommandIdView::SelectCell(int row, int column) {
  QModelIndex index = m_model->index(row, 0);
  if (!index.isValid()) return;
  m_column = column;
  m_model->SetCurrentCell(row, column);
  bool same = currentIndex().row() == row;
  selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  scrollTo(index);
  if (same) Offer();
}

void CCommandIdView::Offer() {
  if (m_released) return;
  m_offer = CTranslationRequest();
  m_offer.m_view = this;
  m_offer.m_item = CurrentRow();
  m_offer.m_subItem = m_column;
  m_offer.m_language = m_language;
  m_offer.m_element = m_model->ValueAt(CurrentRow(), m_column);
  m_document.UpdateAllViews(HintTranslationRequest, &m_offer);
}

void CCommandIdView::SelectNextToTranslate(int afterRow, int afterColumn) {
  const int n = m_model->rowCount();
  const std::vector<int> columns = m_model->TextColumns();
  const int width = static_cast<int>(columns.size());
  if (n == 0 || width == 0) {
    // Nothing to offer: the editor is cleared rather than left on another view's cell.
    if (n > 0) SelectCell(0, m_column);
    else Offer();
    return;
  }
  int at = width - 1;
  for (int c = 0; c < width; ++c)
    if (columns[static_cast<size_t>(c)] == afterColumn) at = c;
  const int start = (afterRow < 0 ? -1 : afterRow) * width + (afterRow < 0 ? width - 1 : at);
  const int cells = width * n;
  auto cellAt = [&](int k) { return ((start + k) % cells + cells) % cells; };
  for (int k = 1; k < cells || (afterRow < 0 && k == cells); ++k) {
    int cell = cellAt(k), row = cell / width, column = columns[static_cast<size_t>(cell % width)];
    const CLocalizedString* v = m_model->ValueAt(row, column);
    if (v && !v->m_text.empty() && !v->IsDoNotTranslate() && v->EffectiveStatus(m_language) == 0) {
      SelectCell(row, column);
      return;
    }
  }
  if (afterRow >= 0) {
    m_document.SendToViews(HintNextToTranslate);
    return;
  }
  // Nothing to translate: the first cell with a translatable value, else the first cell.
  for (int cell = 0; cell < cells; ++cell) {
    int row = cell / width, column = columns[static_cast<size_t>(cell % width)];
    const CLocalizedString* v = m_model->ValueAt(row, column);
    if (v && !v->IsDoNotTranslate()) {
      SelectCell(row, column);
      return;
    }
  }
  SelectCell(0, columns.front());
}

void CCommandIdView::MoveColumn(int step) {
  const int row = CurrentRow();
  const std::vector<int> columns = m_model->TextColumns();
  const int width = static_cast<int>(columns.size());
  if (row < 0 || width == 0) return;
  int at = 0;
  for (int c = 0; c < width; ++c)
    if (columns[static_cast<size_t>(c)] == m_column) at = c;
  SelectCell(row, columns[static_cast<size_t>(((at + step) % width + width) % width)]);
}

void CCommandIdView::ApplyCommit(const CTranslationRequest& request) {
  CLocalizedString* value = m_model->ValueAt(request.m_item, request.m_subItem);
  if (!request.m_skip && value) {
    const LANGID language = request.m_language;
    const CLocalizedParam* node = value->FindValue(language);
    const bool hasValue = node && node != value;
    CPromptAndTip* prompt = request.m_subItem >= m_model->PromptColumn() ? m_model->PromptAt(request.m_item) : nullptr;
    auto action = std::make_unique<CUndoTranslateString>();
    action->m_object = m_resource;
    action->m_language = language;
    action->m_toggle = request.m_toggle ? 1 : 0;
    action->m_head = value;
    action->m_index1 = m_model->ItemAt(request.m_item);
    action->m_index2 = request.m_subItem;
    action->m_text = hasValue ? static_cast<const CLocalizedString*>(node)->m_text : std::u16string();
    action->m_status = node ? node->m_status : 0;
    action->m_chainIndex = hasValue ? tvl::TranslationIndex(*value, language) : -1;
    action->m_promptLink = prompt;
    m_document.AddUndoAction(std::move(action));
    if (request.m_erase)
      value->RemoveTranslation(language, true);
    else if (!request.m_toggle)
      value->SetTranslation(request.m_text, language);
    m_document.SetModifiedFlag(true);
    if (prompt) prompt->Compose(language);
    StatusMayHaveChanged(m_resource->GetStatus(language), prompt);
    if (request.m_toggle && !value->IsDoNotTranslate()) {
      Offer();
      return;
    }
  }
  SelectNextToTranslate(request.m_item, request.m_subItem);
}

void CCommandIdView::StatusMayHaveChanged(int before, const CPromptAndTip* prompt) {
  m_resource->UpdateStatus(m_language);
  std::vector<CResource*> changed;
  if (prompt && m_model->Table())
    m_model->Table()->m_promptAndTips.UpdateCommandsUsing(prompt->m_commandId, m_language, m_resource, changed);
  m_model->TextsChanged();
  if (m_resource->GetStatus(m_language) != before) m_document.UpdateAllViews(HintResourceStatusChanged, m_resource);
  for (CResource* resource : changed) m_document.UpdateAllViews(HintResourceStatusChanged, resource);
}

bool CCommandIdView::CanDeleteTranslation() const {
  if (m_released || m_language == 0 || m_frame->IsSourceLanguageSelected()) return false;
  const CLocalizedString* value = m_model->ValueAt(CurrentRow(), m_column);
  if (!value || value->m_text.empty() || value->IsDoNotTranslate()) return false;
  const CLocalizedParam* node = value->FindValue(m_language);
  return node && node != value && node->m_status != 0;
}

void CCommandIdView::DeleteTranslation() {
  if (!CanDeleteTranslation()) return;
  CTranslationRequest request = m_offer;
  request.m_view = this;
  request.m_item = CurrentRow();
  request.m_subItem = m_column;
  request.m_language = m_language;
  request.m_erase = 1;
  request.m_text.clear();
  // As a commit, so that whoever counts or checks translations hears of it.
  m_document.UpdateAllViews(HintTranslationCommitted, &request);
}

void CCommandIdView::ApplyUndo(int hint, const CUndoAction* undone) {
  const auto* action = dynamic_cast<const CUndoTranslateString*>(undone);
  if (!action || action->m_object != m_resource) return;
  int row = m_model->RowOfItem(action->m_index1);
  if (row < 0) {
    m_forcedItem = action->m_index1;
    Rebuild(false);
    m_forcedItem = -1;
    row = m_model->RowOfItem(action->m_index1);
  }
  // The undo changed the prompt's string: the other menus and toolbars with the command
  // may have changed status too.
  if (action->m_promptLink && m_model->Table()) {
    std::vector<CResource*> changed;
    m_model->Table()->m_promptAndTips.UpdateCommandsUsing(action->m_promptLink->m_commandId, action->m_language,
                                                          m_resource, changed);
    for (CResource* resource : changed) m_document.UpdateAllViews(HintResourceStatusChanged, resource);
  }
  if (row < 0) return;
  if (hint == HintUndoneItemInPlace) m_model->TextsChanged();
  const std::vector<int> columns = m_model->TextColumns();
  const bool known = std::find(columns.begin(), columns.end(), action->m_index2) != columns.end();
  SelectCell(row, known ? action->m_index2 : m_column);
}

void CCommandIdView::OnUpdate(int hint, const void* object) {
  if (m_released) return;
  switch (hint) {
    case HintRefreshAll: Rebuild(true); break;
    case HintResourceChanged:
      if (object == m_resource) Rebuild(true);
      break;
    case HintTranslationCommitted: {
      const auto* request = static_cast<const CTranslationRequest*>(object);
      if (request && request->m_view == this) ApplyCommit(*request);
      break;
    }
    case HintUndoneItemInPlace:
    case HintUndoneItemSelect: ApplyUndo(hint, static_cast<const CUndoAction*>(object)); break;
    case HintReleaseResourceView: Release(); break;
    default: break;
  }
}

bool CCommandIdView::PassesFilter(int item) const {
  return tvl::ui::PassesRowFilter(*m_frame, [&](const tvl::TextTest& test) { return AnyText(item, test); });
}

bool CCommandIdView::SelectItemCell(int item, int column) {
  if (item < 0 || m_released) return false;
  int row = m_model->RowOfItem(item);
  if (row < 0) {
    m_forcedItem = item;
    Rebuild(false);
    m_forcedItem = -1;
    row = m_model->RowOfItem(item);
  }
  if (row < 0) return false;
  SelectCell(row, column);
  return true;
}

bool CCommandIdView::SelectElement(const std::string& element) {
  std::optional<std::pair<int, int>> cell = CellOf(element);
  return cell && SelectItemCell(cell->first, cell->second);
}

bool CCommandIdView::SelectCommand(DWORD command, bool tooltip) {
  if (!m_model->HasPrompts()) return false;
  return SelectItemCell(m_model->ItemOfCommand(command), tooltip ? m_model->TooltipColumn() : m_model->PromptColumn());
}

void CCommandIdView::keyboardSearch(const QString& search) {
  int row = m_typeAhead.Find(search, m_model->rowCount(), CurrentRow(), [this](int r, const tvl::TextTest& test) {
    int item = m_model->ItemAt(r);
    return item >= 0 && AnyText(item, test);
  });
  if (row >= 0) SelectCell(row, m_column);
}

void CCommandIdView::ClickCell(const QModelIndex& index) {
  const std::vector<int> columns = m_model->TextColumns();
  if (index.isValid() && std::find(columns.begin(), columns.end(), index.column()) != columns.end())
    SelectCell(index.row(), index.column());
}

void CCommandIdView::mousePressEvent(QMouseEvent* event) {
  QTreeView::mousePressEvent(event);
  if (event->button() == Qt::RightButton) ClickCell(indexAt(event->position().toPoint()));
}

bool CCommandIdView::HomeOrEnd(QKeyEvent* event) {
  const std::vector<int> columns = m_model->TextColumns();
  const int row = CurrentRow();
  if (columns.empty() || row < 0 || (event->modifiers() & (Qt::ShiftModifier | Qt::AltModifier))) return false;
  const int column = event->key() == Qt::Key_Home ? columns.front() : columns.back();
  // Already there, or with Ctrl: the list's own first or last row.
  if (column == m_column || (event->modifiers() & Qt::ControlModifier)) return false;
  SelectCell(row, column);
  return true;
}

void CCommandIdView::keyPressEvent(QKeyEvent* event) {
  const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
  bool handled = false;
  switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
      if (modifiers != Qt::NoModifier) break;
      MoveColumn(event->key() == Qt::Key_Left ? -1 : 1);
      handled = true;
      break;
    case Qt::Key_Home:
    case Qt::Key_End: handled = HomeOrEnd(event); break;
    case Qt::Key_Tab:
      if (modifiers != Qt::NoModifier) break;
      if (m_frame->Tree()) m_frame->Tree()->setFocus();
      handled = true;
      break;
    case Qt::Key_Delete:
      if (modifiers != Qt::NoModifier) break;
      DeleteTranslation();
      handled = true;
      break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (modifiers != Qt::NoModifier) break;
      m_document.UpdateAllViews(HintFocusEditor);
      handled = true;
      break;
    default: break;
  }
  if (handled)
    event->accept();
  else
    QTreeView::keyPressEvent(event);
}
