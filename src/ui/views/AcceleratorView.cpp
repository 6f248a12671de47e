#include "ui/views/AcceleratorView.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPalette>
#include <QStyle>

#include "formats/text/ResAccelerator.h"
#include "platform/Text.h"
#include "project/TvlDoc.h"
#include "project/Undo.h"
#include "ui/MainWindow.h"
#include "ui/QtText.h"
#include "ui/dialogs/DialogAccelerator.h"
#include "ui/dialogs/DialogSupport.h"
#include "ui/views/ImageStrip.h"
#include "ui/views/ListViewSupport.h"
#include "ui/views/ProjectResView.h"
#include "workspace/AcceleratorRules.h"
#include "workspace/ElementIds.h"

namespace {

enum Column { kColumnId, kColumnModifiers, kColumnKey, kColumnType, kColumnCount };

// The key a row shows: the language's own while the table is translated, else the source.
const CLocalizedHotKey& ShownKey(const CResAcceleratorTable& table, const CResAccelerator& entry, LANGID language) {
  return table.IsTranslatable() ? entry.GetKey(language) : entry.m_key;
}

QString KeyCombination(const CLocalizedHotKey& key) {
  std::u16string modifiers = tvl::AcceleratorModifiersText(key.m_hotFlags);
  std::u16string name = tvl::AcceleratorKeyText(key.m_hotFlags, key.m_key);
  return QStr(modifiers.empty() ? name : modifiers + u"+" + name);
}

}  // namespace

// ---------------------------------------------------------------------------------------
// The model

CAcceleratorModel::CAcceleratorModel(CResAcceleratorTable* table, QObject* parent)
    : QAbstractTableModel(parent), m_table(table) {}

int CAcceleratorModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() || !m_drawing ? 0 : static_cast<int>(m_entries.size());
}

int CAcceleratorModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumnCount; }

int CAcceleratorModel::EntryAt(int row) const {
  if (!m_drawing || row < 0 || row >= static_cast<int>(m_entries.size())) return -1;
  return m_entries[static_cast<size_t>(row)];
}

int CAcceleratorModel::RowOfEntry(int entry) const {
  for (size_t r = 0; r < m_entries.size(); ++r)
    if (m_entries[r] == entry) return static_cast<int>(r);
  return -1;
}

QVariant CAcceleratorModel::data(const QModelIndex& index, int role) const {
  int e = EntryAt(index.row());
  if (e < 0) return {};
  const CResAccelerator& entry = *m_table->GetEntry(static_cast<size_t>(e));
  const CLocalizedHotKey& key = ShownKey(*m_table, entry, m_language);
  int clash = static_cast<size_t>(e) < m_clashes.size() ? m_clashes[static_cast<size_t>(e)] : -1;
  switch (role) {
    case Qt::DisplayRole:
      switch (index.column()) {
        case kColumnId: return QString::number(entry.m_commandId);
        case kColumnModifiers: return QStr(tvl::AcceleratorModifiersText(key.m_hotFlags));
        case kColumnKey: return QStr(tvl::AcceleratorKeyText(key.m_hotFlags, key.m_key));
        case kColumnType: return QStr(tvl::AcceleratorTypeText(key.m_hotFlags));
        default: return {};
      }
    case Qt::DecorationRole:
      if (index.column() == kColumnId && m_table->IsTranslatable())
        return tvl::ui::ValueStatusIcon(entry.m_key, m_language);
      if (index.column() == kColumnKey && clash >= 0)
        return QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
      return {};
    case Qt::ToolTipRole:
      // A shortcut clash only informs: both entries keep their keys.
      if (clash < 0) return {};
      return tr("%1 is also the key of command %2.")
          .arg(KeyCombination(key))
          .arg(m_table->GetEntry(static_cast<size_t>(clash))->m_commandId);
    case Qt::ForegroundRole:
      if (!m_table->IsTranslatable()) return QPalette().brush(QPalette::Disabled, QPalette::Text);
      return {};
    default: return {};
  }
}

QVariant CAcceleratorModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  static const char* const kHeadings[] = {"Id", "Modifiers", "Key", "Type"};
  return section >= 0 && section < kColumnCount ? QString::fromLatin1(kHeadings[section]) : QVariant();
}

void CAcceleratorModel::FindClashes() {
  std::vector<tvl::CAccelEntry> keys;
  for (size_t i = 0; i < m_table->GetCount(); ++i) {
    const CLocalizedHotKey& key = ShownKey(*m_table, *m_table->GetEntry(i), m_language);
    keys.push_back({key.m_hotFlags, key.m_key});
  }
  m_clashes = tvl::FindKeyClashes(keys);
}

void CAcceleratorModel::SetEntries(std::vector<int> entries, LANGID language) {
  beginResetModel();
  m_entries = std::move(entries);
  m_language = language;
  FindClashes();
  endResetModel();
}

void CAcceleratorModel::Release() {
  beginResetModel();
  m_drawing = false;
  m_entries.clear();
  endResetModel();
}

void CAcceleratorModel::KeysChanged() {
  if (m_entries.empty()) return;
  FindClashes();
  emit dataChanged(index(0, 0), index(static_cast<int>(m_entries.size()) - 1, kColumnCount - 1));
}

// ---------------------------------------------------------------------------------------
// The view

CAcceleratorView::CAcceleratorView(CMainFrame* frame, CTvlDoc& document, CResAcceleratorTable* table, QWidget* parent)
    : QTreeView(parent), m_frame(frame), m_document(document), m_table(table) {
  setObjectName(QStringLiteral("AcceleratorView"));
  m_model = new CAcceleratorModel(table, this);
  setModel(m_model);
  tvl::ui::SetUpTranslationList(*this);
  setExpandsOnDoubleClick(false);
  header()->setStretchLastSection(false);
  for (int c = 0; c < kColumnCount; ++c) header()->resizeSection(c, 100);
  header()->setSectionsClickable(false);
  m_hint.SetDoNotTranslate(true);
  connect(this, &QTreeView::doubleClicked, this, [this](const QModelIndex& index) { EditRow(index.row()); });
  m_document.AddView(this);
}

CAcceleratorView::~CAcceleratorView() { Release(); }

void CAcceleratorView::Release() { tvl::ui::LeaveDocument(m_released, m_document, this, m_model); }

void CAcceleratorView::OnInitialUpdate() { BuildRows(); }

void CAcceleratorView::BuildRows() {
  tvl::ui::ReadFrameFilter(*m_frame, m_language, m_mode, m_showNonTranslatable);
  m_sourceLanguage = m_frame->IsSourceLanguageSelected();
  int selected = m_model->EntryAt(CurrentRow());
  int limit = tvl::AcceleratorStatusLimit(m_mode);
  std::vector<int> entries;
  for (size_t i = 0; i < m_table->GetCount(); ++i) {
    int status = m_table->GetEntry(i)->m_key.GetValueStatus(m_language);
    const bool passes = status <= limit && tvl::ui::PassesRowFilter(*m_frame, [&](const tvl::TextTest& test) {
      return AnyText(static_cast<int>(i), test);
    });
    if (passes || static_cast<int>(i) == m_forcedEntry) entries.push_back(static_cast<int>(i));
  }
  m_model->SetEntries(std::move(entries), m_language);
  int row = m_model->RowOfEntry(selected);
  if (row >= 0) SelectRow(row);
  OfferHint();
}

bool CAcceleratorView::AnyText(int e, const tvl::TextTest& test) const {
  const CResAccelerator& entry = *m_table->GetEntry(static_cast<size_t>(e));
  if (test(tvl::ui::IdText(entry.m_commandId)) || test(U16(KeyCombination(entry.m_key)))) return true;
  const auto* own = static_cast<const CLocalizedHotKey*>(entry.m_key.FindValue(m_language));
  return own && own != &entry.m_key && test(U16(KeyCombination(*own)));
}

int CAcceleratorView::ShowEntry(int entry) {
  int row = m_model->RowOfEntry(entry);
  if (row >= 0) return row;
  m_forcedEntry = entry;
  BuildRows();
  m_forcedEntry = -1;
  return m_model->RowOfEntry(entry);
}

bool CAcceleratorView::SelectElement(const std::string& element) {
  std::optional<size_t> entry = tvl::AcceleratorEntryOf(*m_table, element);
  if (!entry) return false;
  int row = ShowEntry(static_cast<int>(*entry));
  if (row < 0) return false;
  SelectRow(row);
  return true;
}

void CAcceleratorView::keyboardSearch(const QString& search) {
  int row = m_typeAhead.Find(search, m_model->rowCount(), CurrentRow(), [this](int r, const tvl::TextTest& test) {
    int e = m_model->EntryAt(r);
    return e >= 0 && AnyText(e, test);
  });
  if (row >= 0) SelectRow(row);
}

void CAcceleratorView::OfferHint() {
  if (m_released) return;
  m_hint.m_text = CanEdit() ? u"To translate or edit an accelerator, double-click it." : u"";
  m_offer = CTranslationRequest();
  m_offer.m_view = this;
  m_offer.m_language = m_language;
  m_offer.m_element = &m_hint;
  m_document.UpdateAllViews(HintTranslationRequest, &m_offer);
}

int CAcceleratorView::CurrentRow() const {
  QModelIndex i = currentIndex();
  return i.isValid() ? i.row() : -1;
}

void CAcceleratorView::SelectRow(int row) {
  QModelIndex index = m_model->index(row, 0);
  if (!index.isValid()) return;
  selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  scrollTo(index);
}

bool CAcceleratorView::CanEdit() const {
  return !m_released && m_language != 0 && !m_sourceLanguage && m_table->IsTranslatable();
}

void CAcceleratorView::EditRow(int row) {
  int e = m_model->EntryAt(row);
  if (e < 0 || !CanEdit()) return;
  const CLocalizedHotKey& key = m_table->GetEntry(static_cast<size_t>(e))->GetKey(m_language);
  CDialogAccelerator dialog(key.m_hotFlags, key.m_key, this);
  if (tvl::ui::RunModal(dialog) != QDialog::Accepted) return;
  ChangeEntry(row, false, dialog.Flags(), dialog.Key());
}

void CAcceleratorView::ChangeEntry(int row, bool erase, WORD flags, WORD key) {
  int e = m_model->EntryAt(row);
  if (e < 0) return;
  CLocalizedHotKey& head = m_table->GetEntry(static_cast<size_t>(e))->m_key;
  LANGID language = m_language;
  auto* node = static_cast<CLocalizedHotKey*>(head.FindValue(language));
  bool hasValue = node && node != &head;
  // The action holds the state before the change; applying it exchanges the two.
  auto action = std::make_unique<CUndoTranslateAccel>();
  action->m_object = m_table;
  action->m_language = language;
  action->m_head = &head;
  action->m_noValue = hasValue ? 0 : 1;
  action->m_key = hasValue ? node->m_key : head.m_key;
  action->m_flags = hasValue ? node->m_hotFlags : head.m_hotFlags;
  action->m_status = node ? node->m_status : 0;
  action->m_chainIndex = hasValue ? tvl::TranslationIndex(head, language) : -1;
  m_document.AddUndoAction(std::move(action));
  if (erase)
    head.RemoveTranslation(language, true);
  else
    head.SetHotKey(language, flags, key);
  m_document.SetModifiedFlag(true);
  int before = m_table->GetStatus(language);
  m_table->UpdateStatus(language);
  m_model->KeysChanged();
  if (m_table->GetStatus(language) != before) m_document.UpdateAllViews(HintResourceStatusChanged, m_table);
}

bool CAcceleratorView::CanDeleteTranslation() const {
  if (!CanEdit()) return false;
  int e = m_model->EntryAt(CurrentRow());
  if (e < 0) return false;
  const CLocalizedHotKey& head = m_table->GetEntry(static_cast<size_t>(e))->m_key;
  const CLocalizedParam* node = head.FindValue(m_language);
  return node && node != &head && node->m_status != 0;
}

void CAcceleratorView::DeleteTranslation() {
  if (CanDeleteTranslation()) ChangeEntry(CurrentRow(), true, 0, 0);
}

void CAcceleratorView::ApplyUndo(int hint, const CUndoAction* action) {
  if (const auto* resource = dynamic_cast<const CUndoTranslateResource*>(action)) {
    // The table's do-not-translate mark changes how every row reads.
    if (resource->m_object == m_table) BuildRows();
    return;
  }
  const auto* accel = dynamic_cast<const CUndoTranslateAccel*>(action);
  if (!accel || accel->m_object != m_table) return;
  int entry = -1;
  for (size_t i = 0; i < m_table->GetCount(); ++i)
    if (&m_table->GetEntry(i)->m_key == accel->m_head) entry = static_cast<int>(i);
  if (entry < 0) return;
  int row = ShowEntry(entry);
  if (row < 0) return;
  if (hint == HintUndoneItemInPlace) m_model->KeysChanged();
  SelectRow(row);
}

void CAcceleratorView::OnUpdate(int hint, const void* object) {
  if (m_released) return;
  switch (hint) {
    case HintRefreshAll: BuildRows(); break;
    case HintResourceChanged:
      if (object == m_table) BuildRows();
      break;
    case HintUndoneItemInPlace:
    case HintUndoneItemSelect: ApplyUndo(hint, static_cast<const CUndoAction*>(object)); break;
    case HintReleaseResourceView: Release(); break;
    default: break;
  }
}

void CAcceleratorView::keyPressEvent(QKeyEvent* event) {
  if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
    switch (event->key()) {
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
        EditRow(CurrentRow());
        event->accept();
        return;
      default: break;
    }
  }
  QTreeView::keyPressEvent(event);
}
