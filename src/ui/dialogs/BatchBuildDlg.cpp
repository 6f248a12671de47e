#include "ui/dialogs/BatchBuildDlg.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/Messages.h"
#include "platform/PathForms.h"
#include "project/TvlDoc.h"
#include "ui/QtText.h"
#include "ui/dialogs/BuildDialogs.h"
#include "ui/dialogs/DialogSupport.h"

namespace {

// A row's data: module index in the high word, LANGID in the low word.
constexpr int kRowRole = Qt::UserRole;

}  // namespace

CDialogBatchBuild::CDialogBatchBuild(CTvlDoc& document, QWidget* parent) : QDialog(parent), m_document(document) {
  setWindowTitle(tr("Batch Build"));
  m_list = new QTreeWidget(this);
  m_list->setRootIsDecorated(false);
  m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_list->setAllColumnsShowFocus(true);
  m_list->setHeaderLabels({tr("Module"), tr("Language"), tr("Output File")});
  m_list->setColumnWidth(0, 120);
  m_list->setColumnWidth(1, 100);
  m_list->setColumnWidth(2, 220);
  m_list->header()->setSectionsClickable(true);
  m_list->setMinimumWidth(120 + 100 + 220 + 24);
  auto* label = new QLabel(tr("Chec&k the target modules to build:"), this);
  label->setBuddy(m_list);

  m_build = new QPushButton(tr("&Build"), this);
  m_close = new QPushButton(tr("&Close"), this);
  m_selectAll = new QPushButton(tr("&Select All"), this);
  m_deselectAll = new QPushButton(tr("&Deselect All"), this);
  m_build->setDefault(true);
  for (QPushButton* b : {m_close, m_selectAll, m_deselectAll}) b->setAutoDefault(false);

  auto* left = new QVBoxLayout;
  left->addWidget(label);
  left->addWidget(m_list);
  auto* right = new QVBoxLayout;
  right->addWidget(m_build);
  right->addWidget(m_close);
  right->addSpacing(12);
  right->addWidget(m_selectAll);
  right->addWidget(m_deselectAll);
  right->addStretch();
  auto* layout = new QHBoxLayout(this);
  layout->addLayout(left, 1);
  layout->addLayout(right);

  for (size_t m = 0; m < document.m_modules.size(); ++m) {
    const CModule& module = *document.m_modules[m];
    for (const CLanguage& l : document.m_languages) {
      LANGID language = l.GetLanguage();
      auto* item = new QTreeWidgetItem(
          m_list, {QStr(module.GetName()), QStr(l.GetName()), QStr(tvl::DisplayPath(module.GetTargetFileName(language)))});
      item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
      item->setData(0, kRowRole, static_cast<int>(m * 65536 + language));
      bool checked = std::find(module.m_batchSelection.begin(), module.m_batchSelection.end(), language) !=
                     module.m_batchSelection.end();
      item->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
    }
  }
  if (m_list->topLevelItemCount() > 0) m_list->setCurrentItem(m_list->topLevelItem(0));
  tvl::ui::FitListColumns(m_list, true);

  connect(m_list->header(), &QHeaderView::sectionClicked, this, [this](int column) { SortBy(column); });
  connect(m_build, &QPushButton::clicked, this, &CDialogBatchBuild::OnBuild);
  connect(m_close, &QPushButton::clicked, this, &CDialogBatchBuild::OnClose);
  connect(m_selectAll, &QPushButton::clicked, this, [this] { SetAll(true); });
  connect(m_deselectAll, &QPushButton::clicked, this, [this] { SetAll(false); });
}

void CDialogBatchBuild::SetAll(bool checked) {
  for (int i = 0; i < m_list->topLevelItemCount(); ++i)
    m_list->topLevelItem(i)->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
}

void CDialogBatchBuild::SortBy(int column) {
  if (column == m_sortColumn)
    m_sortOrder = m_sortOrder == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
  else
    m_sortOrder = Qt::AscendingOrder;
  m_sortColumn = column;
  m_list->sortItems(column, m_sortOrder);
  m_list->header()->setSortIndicatorShown(true);
  m_list->header()->setSortIndicator(column, m_sortOrder);
}

void CDialogBatchBuild::StoreChecks() {
  std::vector<std::vector<WORD>> selections(m_document.m_modules.size());
  for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
    QTreeWidgetItem* item = m_list->topLevelItem(i);
    if (item->checkState(0) != Qt::Checked) continue;
    unsigned data = item->data(0, kRowRole).toUInt();
    size_t module = data >> 16;
    if (module < selections.size()) selections[module].push_back(static_cast<WORD>(data & 0xFFFF));
  }
  bool changed = false;
  for (size_t m = 0; m < selections.size(); ++m) {
    std::sort(selections[m].begin(), selections[m].end());
    std::vector<WORD>& stored = m_document.m_modules[m]->m_batchSelection;
    if (stored != selections[m]) {
      stored = std::move(selections[m]);
      changed = true;
    }
  }
  if (changed) m_document.SetModifiedFlag(true);
}

void CDialogBatchBuild::OnClose() {
  StoreChecks();
  reject();
}

void CDialogBatchBuild::OnBuild() {
  StoreChecks();
  BuildSuccessList().clear();
  bool any = false;
  bool allBuilt = true;
  {
    tvl::ui::CWaitCursor wait;
    for (const auto& module : m_document.m_modules) {
      if (module->m_batchSelection.empty()) continue;
      any = true;
      std::vector<LANGID> languages(module->m_batchSelection.begin(), module->m_batchSelection.end());
      if (!module->BuildLanguages(languages)) allBuilt = false;
    }
  }
  if (!any) {
    DoMessageBox(u"No target selected.\n\nPlease check the box in front of each target to be built.", MB_ICONERROR);
    return;
  }
  if (allBuilt) accept();
  std::vector<std::u16string>& built = BuildSuccessList();
  if (!built.empty()) {
    std::u16string text = u"Target file(s) created successfully:\n\n";
    for (const std::u16string& path : built) text += path + u"\n";
    built.clear();
    DoMessageBox(text, MB_ICONINFORMATION);
  }
}
