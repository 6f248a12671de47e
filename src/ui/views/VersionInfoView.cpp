#include "ui/views/VersionInfoView.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QPalette>

#include "formats/text/ResVersion.h"
#include "platform/Messages.h"
#include "project/TvlDoc.h"
#include "project/Undo.h"
#include "ui/MainWindow.h"
#include "ui/QtText.h"
#include "ui/views/ImageStrip.h"
#include "ui/views/ListViewSupport.h"
#include "ui/views/ProjectResView.h"
#include "workspace/ContentViewRules.h"
#include "workspace/ElementIds.h"
#include "workspace/ViewRules.h"

namespace {

bool IsVersionItem(int item) { return item == tvl::kVersionItemFile || item == tvl::kVersionItemProduct; }

// The text a row shows for a language: the translation unless the value is marked
// do-not-translate or has none, else the source.
const std::u16string& ShownText(const CLocalizedString& value, LANGID language) {
  if (value.IsDoNotTranslate()) return value.m_text;
  const CLocalizedString* node = value.FindString(language);
  return node ? node->m_text : value.m_text;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// The model

CVersionInfoModel::CVersionInfoModel(CResVersion* version, QObject* parent)
    : QAbstractTableModel(parent), m_version(version) {}

int CVersionInfoModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() || !m_drawing ? 0 : static_cast<int>(m_items.size());
}

int CVersionInfoModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 2; }

int CVersionInfoModel::ItemAt(int row) const {
  if (!m_drawing || row < 0 || row >= static_cast<int>(m_items.size())) return tvl::kVersionItemBlank;
  return m_items[static_cast<size_t>(row)];
}

int CVersionInfoModel::RowOfItem(int item) const {
  for (size_t r = 0; r < m_items.size(); ++r)
    if (m_items[r] == item) return static_cast<int>(r);
  return -1;
}

CLocalizedString* CVersionInfoModel::ValueOf(int item) const {
  if (!m_drawing) return nullptr;
  if (item == tvl::kVersionItemFile) return &m_version->m_fileVersion;
  if (item == tvl::kVersionItemProduct) return &m_version->m_productVersion;
  if (item < 0 || item >= static_cast<int>(m_version->m_values.size())) return nullptr;
  return &m_version->m_values[static_cast<size_t>(item)]->m_value;
}

QVariant CVersionInfoModel::data(const QModelIndex& index, int role) const {
  int item = ItemAt(index.row());
  const CLocalizedString* value = ValueOf(item);
  if (!value) return {};
  bool dnt = value->IsDoNotTranslate();
  switch (role) {
    case Qt::DisplayRole:
      if (index.column() == 1) return QStr(tvl::EscapeControlChars(ShownText(*value, m_language)));
      if (item == tvl::kVersionItemFile) return QStringLiteral("File Version");
      if (item == tvl::kVersionItemProduct) return QStringLiteral("Product Version");
      return QStr(m_version->m_values[static_cast<size_t>(item)]->m_key);
    case Qt::DecorationRole:
      if (index.column() != 0 || dnt) return {};
      return tvl::ui::ValueStatusIcon(*value, m_language);
    case Qt::ForegroundRole:
      if (dnt) return QPalette().brush(QPalette::Disabled, QPalette::Text);
      return {};
    default: return {};
  }
}

QVariant CVersionInfoModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  return section == 0 ? QStringLiteral("Key") : QStringLiteral("Value");
}

void CVersionInfoModel::SetItems(std::vector<int> items, LANGID language) {
  beginResetModel();
  m_items = std::move(items);
  m_language = language;
  endResetModel();
}

void CVersionInfoModel::Release() {
  beginResetModel();
  m_drawing = false;
  m_items.clear();
  endResetModel();
}

void CVersionInfoModel::RowChanged(int row) {
  if (row < 0 || row >= static_cast<int>(m_items.size())) return;
  emit dataChanged(index(row, 0), index(row, 1));
}

// ---------------------------------------------------------------------------------------
// The view

CVersionInfoView::CVersionInfoView(CMainFrame* frame, CTvlDoc& document, CResVersion* version, QWidget* parent)
    : QTreeView(parent), m_frame(frame), m_document(document), m_version(version) {
  setObjectName(QStringLiteral("VersionInfoView"));
  m_model = new CVersionInfoModel(version, this);
  setModel(m_model);
  tvl::ui::SetUpTranslationList(*this);
  header()->setStretchLastSection(false);
  header()->resizeSection(0, 200);
  header()->resizeSection(1, 400);
  header()->setSectionsClickable(false);
  connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current, const QModelIndex&) {
            if (current.isValid()) Offer(current.row());
          });
  m_document.AddView(this);
}

CVersionInfoView::~CVersionInfoView() { Release(); }

void CVersionInfoView::Release() { tvl::ui::LeaveDocument(m_released, m_document, this, m_model); }

void CVersionInfoView::OnInitialUpdate() {
  BuildRows();
  tvl::ui::FitColumnsToContents(*this);
}

void CVersionInfoView::BuildRows() {
  tvl::ui::ReadFrameFilter(*m_frame, m_language, m_mode, m_showNonTranslatable);
  const bool allItems = m_mode == ID_VIEW_TRANSLATABLE && m_showNonTranslatable;
  auto shown = [&](int item) {
    if (m_hasForcedItem && item == m_forcedItem) return true;
    const CLocalizedString* v = m_model->ValueOf(item);
    tvl::CVersionRowFacts facts{!IsVersionItem(item), v->IsDoNotTranslate(), ShownText(*v, m_language).empty(),
                                v->GetValueStatus(m_language)};
    return tvl::IsVersionRowShown(facts, m_mode, allItems) &&
           tvl::ui::PassesRowFilter(*m_frame, [&](const tvl::TextTest& test) { return AnyText(item, test); });
  };
  std::vector<int> items;
  // Without a fixed info block the resource writes no versions: nothing to translate there.
  if (!m_version->m_noFixedInfo) {
    for (int item : {tvl::kVersionItemFile, tvl::kVersionItemProduct})
      if (shown(item)) items.push_back(item);
  }
  items.push_back(tvl::kVersionItemBlank);
  for (int i = 0; i < static_cast<int>(m_version->m_values.size()); ++i)
    if (shown(i)) items.push_back(i);
  tvl::TrimBlankRows(items);
  m_model->SetItems(std::move(items), m_language);

  bool restore = m_restore;
  m_restore = false;
  int row = restore ? m_model->RowOfItem(m_restoreItem) : -1;
  if (row >= 0) {
    if (m_restoreTop >= 0 && m_restoreTop < m_model->rowCount()) scrollTo(m_model->index(m_restoreTop, 0), PositionAtTop);
    SelectRow(row);
    return;
  }
  SelectNextToTranslate(-1);
}

bool CVersionInfoView::AnyText(int item, const tvl::TextTest& test) const {
  const CLocalizedString* value = m_model->ValueOf(item);
  if (!value) return false;
  std::u16string key = item == tvl::kVersionItemFile      ? u"File Version"
                       : item == tvl::kVersionItemProduct ? u"Product Version"
                                                          : m_version->m_values[static_cast<size_t>(item)]->m_key;
  return test(key) || test(value->m_text) || test(tvl::OwnTranslation(*value, m_language));
}

int CVersionInfoView::ShowItem(int item) {
  int row = m_model->RowOfItem(item);
  if (row >= 0) return row;
  m_hasForcedItem = true;
  m_forcedItem = item;
  BuildRows();
  m_hasForcedItem = false;
  return m_model->RowOfItem(item);
}

bool CVersionInfoView::SelectElement(const std::string& element) {
  std::optional<int> item = tvl::VersionItemOf(*m_version, element);
  if (!item) return false;
  int row = ShowItem(*item);
  if (row < 0) return false;
  SelectRow(row);
  return true;
}

void CVersionInfoView::keyboardSearch(const QString& search) {
  int row = m_typeAhead.Find(search, m_model->rowCount(), CurrentRow(), [this](int r, const tvl::TextTest& test) {
    return AnyText(m_model->ItemAt(r), test);
  });
  if (row >= 0) SelectRow(row);
}

void CVersionInfoView::RememberSelection() {
  int row = CurrentRow();
  m_restore = row >= 0;
  m_restoreItem = m_model->ItemAt(row);
  QModelIndex top = indexAt(QPoint(0, 0));
  m_restoreTop = top.isValid() ? top.row() : 0;
}

void CVersionInfoView::Refilter() {
  RememberSelection();
  BuildRows();
}

int CVersionInfoView::CurrentRow() const {
  QModelIndex i = currentIndex();
  return i.isValid() ? i.row() : -1;
}

void CVersionInfoView::SelectRow(int row) {
  QModelIndex index = m_model->index(row, 0);
  if (!index.isValid()) return;
  bool same = currentIndex().row() == row;
  selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  scrollTo(index);
  if (same) Offer(row);
}

void CVersionInfoView::Offer(int row) {
  if (m_released) return;
  m_offer = CTranslationRequest();
  m_offer.m_view = this;
  m_offer.m_item = row;
  m_offer.m_language = m_language;
  m_offer.m_element = m_model->ValueOf(m_model->ItemAt(row));
  m_document.UpdateAllViews(HintTranslationRequest, &m_offer);
}

void CVersionInfoView::SelectNextToTranslate(int afterRow) {
  int n = m_model->rowCount();
  if (n == 0) return;
  int steps = afterRow < 0 ? n : n - 1;
  for (int k = 1; k <= steps; ++k) {
    int row = ((afterRow + k) % n + n) % n;
    const CLocalizedString* v = m_model->ValueOf(m_model->ItemAt(row));
    // Values the editor refuses (marked do-not-translate, or without source text) are passed by.
    if (!v || v->IsDoNotTranslate() || v->m_text.empty()) continue;
    if (v->GetValueStatus(m_language) == 0) {
      SelectRow(row);
      return;
    }
  }
  if (afterRow >= 0) m_document.SendToViews(HintNextToTranslate);
}

bool CVersionInfoView::ChangeValue(const CTranslationRequest& request, int item, CLocalizedString& value) {
  if (request.m_toggle) return true;
  if (request.m_erase) {
    value.RemoveTranslation(request.m_language, true);
    return true;
  }
  if (IsVersionItem(item))
    return CResVersion::SetVersionText(static_cast<CLocalizedStringSizePos&>(value), request.m_language,
                                       request.m_text);
  value.SetTranslation(request.m_text, request.m_language);
  return true;
}

void CVersionInfoView::ApplyCommit(const CTranslationRequest& request) {
  int item = m_model->ItemAt(request.m_item);
  CLocalizedString* value = m_model->ValueOf(item);
  if (!request.m_skip && value) {
    LANGID language = request.m_language;
    const CLocalizedParam* node = value->FindValue(language);
    bool hasValue = node && node != value;
    auto action = std::make_unique<CUndoTranslateString>();
    action->m_object = m_version;
    action->m_language = language;
    action->m_toggle = request.m_toggle ? 1 : 0;
    action->m_head = value;
    action->m_index1 = item;
    action->m_sizePosMode = IsVersionItem(item) ? 1 : 0;
    action->m_text = hasValue ? static_cast<const CLocalizedString*>(node)->m_text : std::u16string();
    action->m_status = node ? node->m_status : 0;
    action->m_chainIndex = hasValue ? tvl::TranslationIndex(*value, language) : -1;
    // A malformed version number was answered with its message: the user stays on the row.
    if (!ChangeValue(request, item, *value)) return;
    m_document.AddUndoAction(std::move(action));
    m_document.SetModifiedFlag(true);
    int before = m_version->GetStatus(language);
    m_version->UpdateStatus(language);
    m_model->RowChanged(request.m_item);
    if (m_version->GetStatus(language) != before) m_document.UpdateAllViews(HintResourceStatusChanged, m_version);
    if (request.m_toggle && !value->IsDoNotTranslate()) {
      Offer(request.m_item);
      return;
    }
  }
  SelectNextToTranslate(request.m_item);
}

bool CVersionInfoView::CanDeleteTranslation() const {
  if (m_released || m_language == 0 || m_frame->IsSourceLanguageSelected()) return false;
  const CLocalizedString* value = m_model->ValueOf(m_model->ItemAt(CurrentRow()));
  if (!value || value->m_text.empty()) return false;
  const CLocalizedParam* node = value->FindValue(m_language);
  return node && node != value && node->m_status != 0;
}

void CVersionInfoView::DeleteTranslation() {
  if (!CanDeleteTranslation()) return;
  CTranslationRequest request = m_offer;
  request.m_view = this;
  request.m_item = CurrentRow();
  request.m_language = m_language;
  request.m_erase = 1;
  request.m_text.clear();
  // As a commit, so that whoever counts or checks translations hears of it.
  m_document.UpdateAllViews(HintTranslationCommitted, &request);
}

void CVersionInfoView::ApplyUndo(int hint, const CUndoTranslateString* action) {
  if (action->m_object != m_version) return;
  int row = ShowItem(action->m_index1);
  if (row < 0) return;
  if (hint == HintUndoneItemInPlace) m_model->RowChanged(row);
  SelectRow(row);
}

void CVersionInfoView::OnUpdate(int hint, const void* object) {
  if (m_released) return;
  switch (hint) {
    case HintRefreshAll: Refilter(); break;
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

void CVersionInfoView::keyPressEvent(QKeyEvent* event) {
  if (event->modifiers() == Qt::NoModifier) {
    switch (event->key()) {
      case Qt::Key_Tab:
        if (m_frame->Tree()) m_frame->Tree()->setFocus();
        event->accept();
        return;
      case Qt::Key_Delete:
        DeleteTranslation();
        event->accept();
        return;
      default: break;
    }
  }
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    m_document.UpdateAllViews(HintFocusEditor);
    event->accept();
    return;
  }
  QTreeView::keyPressEvent(event);
}
