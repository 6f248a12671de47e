#include "ui/views/StringTableView.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QPalette>
#include <QScrollBar>
#include <algorithm>

#include "formats/text/ResStringTable.h"
#include "project/TvlDoc.h"
#include "project/Undo.h"
#include "resmodel/ResTable.h"
#include "ui/MainWindow.h"
#include "ui/views/ImageStrip.h"
#include "ui/views/ListViewSupport.h"
#include "ui/views/ProjectResView.h"
#include "workspace/ElementIds.h"
#include "workspace/TextFinder.h"
#include "workspace/ViewRules.h"
#include "platform/Text.h"
#include "ui/QtText.h"

namespace {

// A language's translation node of a string, or null.
const CLocalizedString* Entry(const CResString& s, LANGID language) {
  return dynamic_cast<const CLocalizedString*>(s.m_value.FindValue(language));
}

}  // namespace

// ---------------------------------------------------------------------------------------
// The model

CStringTableModel::CStringTableModel(CResStringTable* table, QObject* parent)
    : QAbstractTableModel(parent), m_table(table) {}

int CStringTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() || !m_drawing ? 0 : static_cast<int>(m_rows.size());
}

int CStringTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 2; }

CResString* CStringTableModel::StringAt(int row) const {
  if (!m_drawing || row < 0 || row >= static_cast<int>(m_rows.size())) return nullptr;
  int index = m_rows[static_cast<size_t>(row)];
  if (index < 0 || index >= m_table->GetCount()) return nullptr;
  return m_table->GetString(index);
}

QVariant CStringTableModel::data(const QModelIndex& index, int role) const {
  const CResString* s = StringAt(index.row());
  if (!s) return {};
  bool dnt = s->m_value.IsDoNotTranslate();
  switch (role) {
    case Qt::DisplayRole:
      if (index.column() == 0) return QString::number(s->m_id);
      {
        const CLocalizedString* entry = dnt ? nullptr : Entry(*s, m_language);
        return QStr(tvl::EscapeControlChars(entry ? entry->m_text : s->m_value.m_text));
      }
    case Qt::DecorationRole:
      if (index.column() != 0 || dnt) return {};
      return tvl::ui::ValueStatusIcon(s->m_value, m_language);
    case Qt::ForegroundRole:
      if (dnt) return QPalette().brush(QPalette::Disabled, QPalette::Text);
      return {};
    case Qt::TextAlignmentRole:
      if (index.column() == 0) return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
      return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    default: return {};
  }
}

QVariant CStringTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal) return {};
  if (role == Qt::DisplayRole) return section == 0 ? QStringLiteral("Id") : QStringLiteral("String");
  if (role == Qt::TextAlignmentRole)
    return QVariant::fromValue(section == 0 ? (Qt::AlignRight | Qt::AlignVCenter) : (Qt::AlignLeft | Qt::AlignVCenter));
  return {};
}

void CStringTableModel::SetRows(std::vector<int> rows, LANGID language) {
  beginResetModel();
  m_rows = std::move(rows);
  m_language = language;
  endResetModel();
}

void CStringTableModel::Release() {
  beginResetModel();
  m_drawing = false;
  m_rows.clear();
  endResetModel();
}

void CStringTableModel::RowChanged(int row) {
  if (row < 0 || row >= static_cast<int>(m_rows.size())) return;
  emit dataChanged(index(row, 0), index(row, 1));
}

// ---------------------------------------------------------------------------------------
// The view

CStringTableView::CStringTableView(CMainFrame* frame, CTvlDoc& document, CResStringTable* table, QWidget* parent)
    : QTreeView(parent), m_frame(frame), m_document(document), m_table(table) {
  setObjectName(QStringLiteral("StringTableView"));
  m_model = new CStringTableModel(table, this);
  setModel(m_model);
  tvl::ui::SetUpTranslationList(*this);
  setTextElideMode(Qt::ElideRight);
  header()->setStretchLastSection(false);
  // 60 pixels, widened when this font and the status image need more for five digits.
  header()->resizeSection(0, std::max(60, fontMetrics().horizontalAdvance(QStringLiteral("000000")) + 16 + 12));
  header()->resizeSection(1, 600);
  header()->setSectionsClickable(false);
  connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current, const QModelIndex&) {
            if (current.isValid()) Offer(current.row());
          });
  m_document.AddView(this);
}

CStringTableView::~CStringTableView() { Release(); }

void CStringTableView::Release() { tvl::ui::LeaveDocument(m_released, m_document, this, m_model); }

bool CStringTableView::IsClaimed(DWORD id) const {
  const auto* owner = dynamic_cast<const CResTable*>(m_table->m_owner);
  if (!owner || &owner->m_stringTable != m_table || !owner->m_promptAndTips.m_enabled) return false;
  return owner->m_promptAndTips.Find(id) != nullptr;
}

void CStringTableView::OnInitialUpdate() {
  BuildRows();
  tvl::ui::FitColumnsToContents(*this);
}

void CStringTableView::BuildRows() {
  tvl::ui::ReadFrameFilter(*m_frame, m_language, m_mode, m_showNonTranslatable);
  m_untranslated = m_toEdit = 0;
  std::vector<int> rows;
  int restoreRow = -1;
  for (int i = 0; i < m_table->GetCount(); ++i) {
    const CResString* s = m_table->GetString(i);
    tvl::CStringRowRule rule =
        tvl::ClassifyString(IsClaimed(s->m_id), s->m_value.IsDoNotTranslate(), s->m_value.m_text.empty(),
                            s->m_value.GetValueStatus(m_language), m_mode, m_showNonTranslatable);
    if (rule.untranslated) ++m_untranslated;
    if (rule.toEdit) ++m_toEdit;
    bool forced = m_hasForcedId && s->m_id == m_forcedId;
    if (!forced && (!rule.shown || !PassesFilter(*s))) continue;
    if (m_restore && s->m_id == m_restoreId) restoreRow = static_cast<int>(rows.size());
    rows.push_back(i);
  }
  m_model->SetRows(std::move(rows), m_language);
  StoreTableStatus();

  bool restore = m_restore;
  m_restore = false;
  if (restore && restoreRow >= 0) {
    if (m_restoreTop >= 0 && m_restoreTop < m_model->rowCount()) scrollTo(m_model->index(m_restoreTop, 0), PositionAtTop);
    SelectRow(restoreRow);
    return;
  }
  SelectNextToTranslate(-1);
}

bool CStringTableView::AnyText(const CResString& s, const tvl::TextTest& test) const {
  return test(tvl::ui::IdText(s.m_id)) || test(s.m_value.m_text) || test(tvl::OwnTranslation(s.m_value, m_language));
}

bool CStringTableView::PassesFilter(const CResString& s) const {
  return tvl::ui::PassesRowFilter(*m_frame, [&](const tvl::TextTest& test) { return AnyText(s, test); });
}

void CStringTableView::Refilter() { OnUpdate(HintRefreshAll, nullptr); }

bool CStringTableView::StoreTableStatus() {
  int status = tvl::TableStatusFromCounts(m_untranslated, m_toEdit);
  int before = m_table->GetStatus(m_language);
  if (before == status) return false;
  m_table->UpdateStatus(m_language);
  return m_table->GetStatus(m_language) != before;
}

int CStringTableView::RowOfId(DWORD id) const {
  const std::vector<int>& rows = m_model->Rows();
  for (size_t r = 0; r < rows.size(); ++r)
    if (m_table->GetString(rows[r])->m_id == id) return static_cast<int>(r);
  return -1;
}

int CStringTableView::CurrentRow() const {
  QModelIndex i = currentIndex();
  return i.isValid() ? i.row() : -1;
}

void CStringTableView::SelectRow(int row) {
  QModelIndex index = m_model->index(row, 0);
  if (!index.isValid()) return;
  bool same = currentIndex().row() == row;
  selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  scrollTo(index);
  // Making it current again does not signal: offer it anyway.
  if (same) Offer(row);
}

void CStringTableView::Offer(int row) {
  if (m_released) return;
  CResString* s = m_model->StringAt(row);
  if (!s) return;
  m_offer = CTranslationRequest();
  m_offer.m_view = this;
  m_offer.m_item = row;
  m_offer.m_language = m_language;
  m_offer.m_element = &s->m_value;
  m_document.UpdateAllViews(HintTranslationRequest, &m_offer);
}

void CStringTableView::SelectNextToTranslate(int afterRow) {
  int n = m_model->rowCount();
  if (n == 0) return;
  int steps = afterRow < 0 ? n : n - 1;
  for (int k = 1; k <= steps; ++k) {
    int row = ((afterRow + k) % n + n) % n;
    const CResString* s = m_model->StringAt(row);
    // Strings without source text have nothing to translate: the editor refuses them.
    if (!s || s->m_value.IsDoNotTranslate() || s->m_value.m_text.empty()) continue;
    if (s->m_value.GetValueStatus(m_language) == 0) {
      SelectRow(row);
      return;
    }
  }
  if (afterRow >= 0) m_document.SendToViews(HintNextToTranslate);
}

void CStringTableView::ApplyCommit(const CTranslationRequest& request) {
  CResString* s = m_model->StringAt(request.m_item);
  if (!s) return;
  LANGID language = request.m_language;
  if (!request.m_skip) {
    CLocalizedString& value = s->m_value;
    const CLocalizedString* entry = Entry(*s, language);
    bool hasValue = entry && entry != &value;
    std::u16string previousText = hasValue ? entry->m_text : std::u16string();
    int before = value.GetValueStatus(language);
    int chainIndex = hasValue ? tvl::TranslationIndex(value, language) : -1;
    tvl::CountChange change;
    if (request.m_toggle) {
      change = value.IsDoNotTranslate() ? tvl::CountChange::BecameNotTranslatable : tvl::CountChange::BecameTranslatable;
    } else if (request.m_erase) {
      value.RemoveTranslation(language, true);
      change = tvl::CountChange::TranslationRemoved;
    } else {
      value.SetTranslation(request.m_text, language);
      change = tvl::CountChange::TranslationSet;
    }
    int after = value.GetValueStatus(language);

    auto action = std::make_unique<CUndoTranslateResString>();
    action->m_object = m_table;
    action->m_language = language;
    action->m_toggle = request.m_toggle ? 1 : 0;
    action->m_status = before;
    action->m_head = &value;
    action->m_text = previousText;
    action->m_chainIndex = chainIndex;
    action->m_index1 = static_cast<int>(s->m_id);
    action->m_status1 = before;
    action->m_status2 = after;
    m_document.AddUndoAction(std::move(action));
    m_document.SetModifiedFlag(true);

    tvl::AdjustCounts(change, before, after, m_untranslated, m_toEdit);
    if (StoreTableStatus()) m_document.UpdateAllViews(HintNodeStatusChanged, m_table);
    m_model->RowChanged(request.m_item);
    if (request.m_toggle && !value.IsDoNotTranslate()) {
      Offer(request.m_item);
      return;
    }
  }
  SelectNextToTranslate(request.m_item);
}

int CStringTableView::ShowId(DWORD id) {
  int row = RowOfId(id);
  if (row >= 0) return row;
  m_hasForcedId = true;
  m_forcedId = id;
  BuildRows();
  m_hasForcedId = false;
  return RowOfId(id);
}

bool CStringTableView::SelectElement(const std::string& element) {
  std::optional<tvl::CTableCell> cell = tvl::TableCellOf(element);
  if (!cell || !m_table->FindString(cell->id)) return false;
  int row = ShowId(cell->id);
  if (row < 0) return false;
  SelectRow(row);
  return true;
}

void CStringTableView::keyboardSearch(const QString& search) {
  int row = m_typeAhead.Find(search, m_model->rowCount(), CurrentRow(), [this](int r, const tvl::TextTest& test) {
    const CResString* s = m_model->StringAt(r);
    return s && AnyText(*s, test);
  });
  if (row >= 0) SelectRow(row);
}

void CStringTableView::ApplyUndo(int hint, const CUndoTranslateString* action) {
  if (action->m_object != m_table) return;
  DWORD id = static_cast<DWORD>(action->m_index1);
  const bool rebuilt = RowOfId(id) < 0;
  int row = ShowId(id);
  if (row < 0) return;
  if (hint == HintUndoneItemInPlace && !rebuilt) {
    if (const auto* resString = dynamic_cast<const CUndoTranslateResString*>(action)) {
      const CResString* s = m_model->StringAt(row);
      tvl::CountChange change;
      if (action->m_toggle)
        change = s->m_value.IsDoNotTranslate() ? tvl::CountChange::BecameNotTranslatable
                                               : tvl::CountChange::BecameTranslatable;
      else
        change = Entry(*s, action->m_language) && Entry(*s, action->m_language) != &s->m_value
                     ? tvl::CountChange::TranslationSet
                     : tvl::CountChange::TranslationRemoved;
      // The action's statuses were exchanged when it was applied: the first is now the
      // state before this step.
      tvl::AdjustCounts(change, resString->m_status1, resString->m_status2, m_untranslated, m_toEdit);
      StoreTableStatus();
    }
    m_model->RowChanged(row);
  }
  setFocus();
  SelectRow(row);
}

void CStringTableView::OnUpdate(int hint, const void* object) {
  if (m_released) return;
  switch (hint) {
    case HintRefreshAll: {
      int row = CurrentRow();
      const CResString* s = m_model->StringAt(row);
      m_restore = s != nullptr;
      m_restoreId = s ? s->m_id : 0;
      QModelIndex top = indexAt(QPoint(0, 0));
      m_restoreTop = top.isValid() ? top.row() : 0;
      BuildRows();
      break;
    }
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

void CStringTableView::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Tab && event->modifiers() == Qt::NoModifier) {
    if (m_frame->Tree()) m_frame->Tree()->setFocus();
    event->accept();
    return;
  }
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    m_document.UpdateAllViews(HintFocusEditor);
    event->accept();
    return;
  }
  QTreeView::keyPressEvent(event);
}
