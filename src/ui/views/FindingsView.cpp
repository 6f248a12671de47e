#include "ui/views/FindingsView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDockWidget>
#include <QFormLayout>
#include <QHeaderView>
#include <QMenu>
#include <QSpinBox>
#include <QTimer>
#include <set>

#include "checks/CheckReport.h"
#include "checks/FindingTarget.h"
#include "checks/ProjectChecker.h"
#include "project/TvlDoc.h"
#include "resmodel/ResTable.h"
#include "project/Undo.h"
#include "ui/MainWindow.h"
#include "ui/QtText.h"
#include "ui/dialogs/CheckSettingsDlg.h"
#include "ui/dialogs/DialogSupport.h"
#include "ui/views/CommandIdView.h"
#include "ui/views/ElementView.h"
#include "ui/views/ProjectResView.h"
#include "ui/views/ResourceAndHeaderViews.h"
#include "workspace/ElementIds.h"
#include "workspace/ProjectNodes.h"

CFindingsView::CFindingsView(CMainFrame* frame, CTvlDoc& document, QWidget* parent)
    : QTreeWidget(parent), m_frame(frame), m_document(document) {
  setObjectName(QStringLiteral("findings"));
  setRootIsDecorated(false);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setHeaderLabels({tr("Severity"), tr("Language"), tr("Rule"), tr("Item"), tr("Message")});
  header()->setStretchLastSection(true);
  connect(this, &QTreeWidget::itemDoubleClicked, this,
          [this](QTreeWidgetItem* item) { ShowFinding(indexOfTopLevelItem(item)); });
  m_document.AddView(this);
}

CFindingsView::~CFindingsView() { m_document.RemoveView(this); }

void CFindingsView::RunChecks() {
  m_active = true;
  m_pending = false;
  CProjectChecker checker(m_document);
  CCheckOptions options;
  m_settings.ApplyTo(options);
  m_findings = FilterFindings(checker.Run(options), m_settings.m_minSeverity);
  clear();
  for (const CCheckFinding& f : m_findings) {
    auto* item = new QTreeWidgetItem(this);
    item->setText(0, QString::fromUtf8(SeverityName(f.m_severity)));
    item->setText(1, QString::fromStdString(LanguageTag(f.m_language)));
    item->setText(2, QString::fromStdString(f.m_rule));
    item->setText(3, QString::fromStdString(f.m_id));
    item->setText(4, QString::fromStdString(f.m_message));
  }
  for (int c = 0; c < columnCount() - 1; ++c) resizeColumnToContents(c);
}

void CFindingsView::ShowFinding(int row) {
  if (row < 0 || static_cast<size_t>(row) >= m_findings.size()) return;
  const CCheckFinding& f = m_findings[static_cast<size_t>(row)];
  tvl::ui::ShowItem(*m_frame, f.m_id, f.m_language);
}

namespace tvl::ui {

namespace {

// The part of an item id below its node: after "module/type/resource/", or after
// "module/type/" in a string table, whose node is the table.
std::string ElementPart(const std::string& id, bool inResource) {
  size_t at = 0;
  for (int slashes = inResource ? 3 : 2; slashes > 0 && at != std::string::npos; --slashes) {
    at = id.find('/', at);
    if (at != std::string::npos) ++at;
  }
  return at == std::string::npos ? std::string() : id.substr(at);
}

// A command's prompt and tooltip are edited with the command: the first menu, else the
// first toolbar, that issues it.
CResource* CommandResource(CModule& module, DWORD command) {
  for (CResourceType* type : {static_cast<CResourceType*>(&module.m_resTable.m_menus),
                              static_cast<CResourceType*>(&module.m_resTable.m_toolbars)})
    for (const auto& r : type->m_resources) {
      std::set<DWORD> ids;
      r->CollectCommandIds(ids);
      if (ids.count(command)) return r.get();
    }
  return nullptr;
}

}  // namespace

bool ShowItem(CMainFrame& frame, const std::string& id, LANGID language) {
  CTvlDoc& document = frame.GetDocument();
  auto target = LocateFinding(document, id);
  CProjectResView* tree = frame.Tree();
  if (!target || !tree || !tree->Root()) return false;
  if (language != 0 && frame.GetSelectedLanguage() != language) frame.ChooseLanguage(language);
  std::string element = ElementPart(id, target->resource != nullptr);
  const void* object = target->resource ? static_cast<const void*>(target->resource) : target->type;
  std::optional<tvl::CTableCell> cell = target->resource ? std::nullopt : tvl::TableCellOf(element);
  CResource* commands = nullptr;
  if (cell && cell->part != "text" && target->module->m_resTable.m_promptAndTips.m_enabled)
    if ((commands = CommandResource(*target->module, cell->id))) object = commands;
  CProjectNode* node = tree->Root()->FindNode(object);
  if (!node) return false;
  // A mode that hides the node gives way to one that lists everything.
  if (!node->m_treeItem) frame.ChooseModeEntry(0);
  if (!node->m_treeItem) return false;
  tree->SelectNode(node);
  QWidget* view = frame.ResourcePane()->View();
  if (commands) {
    auto* grid = qobject_cast<CCommandIdView*>(view);
    return grid && grid->SelectCommand(cell->id, cell->part == "tooltip");
  }
  auto* elements = dynamic_cast<CElementView*>(view);
  return elements && elements->SelectElement(element);
}

}  // namespace tvl::ui

void CFindingsView::ScheduleRefresh() {
  if (!m_active || m_pending) return;
  m_pending = true;
  // After the views have applied the change this hint announces.
  QTimer::singleShot(0, this, [this] {
    if (m_pending) RunChecks();
  });
}

void CFindingsView::OnUpdate(int hint, const void*) {
  switch (hint) {
    case HintTranslationCommitted:
    case HintUndoRedo:
    case HintRefreshAll:
    case HintTargetLanguageAdded:
    case HintLanguageRemoved:
    case HintModuleInserted:
      ScheduleRefresh();
      break;
    default:
      break;
  }
}

CPseudoTranslateDlg::CPseudoTranslateDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle(tr("Pseudo-translate"));
  auto* form = new QFormLayout(this);
  m_language = new QComboBox(this);
  for (LANGID l : {kPseudoLocale, kPseudoAsianLocale, kPseudoMirroredLocale})
    m_language->addItem(QString::fromStdString(LanguageTag(l)), static_cast<unsigned>(l));
  m_expand = new QSpinBox(this);
  m_expand->setRange(0, 1000);
  m_expand->setValue(CPseudoOptions().expandPercent);
  m_expand->setSuffix(QStringLiteral(" %"));
  m_brackets = new QCheckBox(tr("Brackets around each text"), this);
  m_brackets->setChecked(true);
  form->addRow(tr("&Language:"), m_language);
  form->addRow(tr("&Longer by:"), m_expand);
  form->addRow(m_brackets);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  form->addRow(buttons);
}

LANGID CPseudoTranslateDlg::Language() const { return static_cast<LANGID>(m_language->currentData().toUInt()); }

CPseudoOptions CPseudoTranslateDlg::Options() const { return {m_expand->value(), m_brackets->isChecked()}; }

namespace tvl::ui {

CFindingsView* InstallChecks(CMainFrame& frame, QMenu& translations) {
  auto* dock = new QDockWidget(QObject::tr("Findings"), &frame);
  dock->setObjectName(QStringLiteral("findingsDock"));
  auto* view = new CFindingsView(&frame, frame.GetDocument(), dock);
  CCheckSettings settings;
  settings.Load(frame.Store());
  view->SetSettings(settings);
  dock->setWidget(view);
  frame.addDockWidget(Qt::BottomDockWidgetArea, dock);
  dock->hide();
  translations.addSeparator();
  QAction* check = translations.addAction(QObject::tr("&Check"));
  check->setObjectName(QStringLiteral("checkTranslations"));
  check->setStatusTip(QObject::tr("Check the translations for what breaks the translated program"));
  QObject::connect(check, &QAction::triggered, view, [dock, view] {
    view->RunChecks();
    dock->show();
  });
  QAction* checkSettings = translations.addAction(QObject::tr("Check Se&ttings..."));
  checkSettings->setObjectName(QStringLiteral("checkSettings"));
  checkSettings->setStatusTip(QObject::tr("Choose the rules the checks run and what the list shows"));
  QObject::connect(checkSettings, &QAction::triggered, view, [&frame, view] {
    CDialogCheckSettings dialog(view->Settings(), &frame);
    if (RunModal(dialog) != QDialog::Accepted) return;
    view->SetSettings(dialog.Settings());
    // Kept at once: `tvl check` reads the same file.
    dialog.Settings().Save(frame.Store());
    frame.Store().Sync();
    if (view->IsActive()) view->RunChecks();
  });
  QAction* pseudo = translations.addAction(QObject::tr("Ps&eudo-translate..."));
  pseudo->setObjectName(QStringLiteral("pseudoTranslate"));
  pseudo->setStatusTip(QObject::tr("Fill a pseudo language to test the layouts"));
  QObject::connect(pseudo, &QAction::triggered, view, [&frame] {
    if (frame.GetDocument().m_modules.empty()) return;
    CPseudoTranslateDlg dialog(&frame);
    if (RunModal(dialog) != QDialog::Accepted) return;
    PseudoLocalizeProject(frame.GetDocument(), dialog.Language(), dialog.Options());
    frame.GetDocument().UpdateAllViews(HintRefreshAll);
  });
  return view;
}

}  // namespace tvl::ui
