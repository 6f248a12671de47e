#include "ui/views/FindViews.h"

#include <QCheckBox>
#include <QDockWidget>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QToolBar>
#include <QVBoxLayout>

#include "platform/Text.h"
#include "project/TvlDoc.h"
#include "ui/MainWindow.h"
#include "ui/QtText.h"
#include "ui/views/FindingsView.h"
#include "ui/views/ResourceAndHeaderViews.h"
#include "ui/views/ElementView.h"
#include "workspace/ViewRules.h"

namespace {

// The list on the right when it takes the find bar's filter.
QWidget* ShownList(CMainFrame& frame) {
  QWidget* view = frame.ResourcePane()->View();
  return dynamic_cast<CElementView*>(view) && qobject_cast<QAbstractItemView*>(view) ? view : nullptr;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// The fields

CFindFields::CFindFields(QWidget* parent) : QWidget(parent) {
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  m_edit = new QLineEdit(this);
  m_edit->setObjectName(QStringLiteral("findText"));
  m_edit->setPlaceholderText(tr("Find source text, translation or id"));
  m_edit->setClearButtonEnabled(true);
  m_wholeWord = new QCheckBox(tr("&Whole word"), this);
  m_matchCase = new QCheckBox(tr("Match &case"), this);
  m_regex = new QCheckBox(tr("Regular e&xpression"), this);
  row->addWidget(m_edit, 1);
  for (QCheckBox* box : {m_wholeWord, m_matchCase, m_regex}) {
    row->addWidget(box);
    connect(box, &QCheckBox::toggled, this, &CFindFields::changed);
  }
  connect(m_edit, &QLineEdit::textChanged, this, &CFindFields::changed);
}

std::shared_ptr<const tvl::CTextMatcher> CFindFields::Matcher() {
  tvl::CFindOptions options{m_wholeWord->isChecked(), m_matchCase->isChecked(), m_regex->isChecked()};
  auto matcher = std::make_shared<tvl::CTextMatcher>(U16(m_edit->text()), options);
  m_edit->setStyleSheet(matcher->IsValid() ? QString() : QStringLiteral("QLineEdit { color: red; }"));
  m_edit->setToolTip(matcher->IsValid() ? QString() : tr("The regular expression is not valid"));
  return matcher;
}

// ---------------------------------------------------------------------------------------
// The bar

CFindBar::CFindBar(CMainFrame* frame, QWidget* parent) : QWidget(parent), m_frame(frame) {
  setObjectName(QStringLiteral("findBar"));
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(2, 0, 2, 0);
  m_fields = new CFindFields(this);
  row->addWidget(m_fields);
  connect(m_fields, &CFindFields::changed, this, &CFindBar::Apply);
}

void CFindBar::Open() {
  auto* toolBar = qobject_cast<QToolBar*>(parentWidget());
  if (toolBar && !m_onItsOwnLine) {
    // The window's tool bar came after the bar was made: the bar goes on a line below it.
    m_onItsOwnLine = true;
    m_frame->removeToolBar(toolBar);
    m_frame->addToolBarBreak();
    m_frame->addToolBar(Qt::TopToolBarArea, toolBar);
  }
  if (parentWidget()) parentWidget()->show();
  m_fields->Edit()->setFocus();
  m_fields->Edit()->selectAll();
}

void CFindBar::Close() {
  m_fields->Edit()->clear();
  if (parentWidget()) parentWidget()->hide();
  if (QWidget* list = ShownList(*m_frame)) list->setFocus();
}

void CFindBar::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    Close();
    event->accept();
    return;
  }
  // Down goes on to the rows found.
  if (event->key() == Qt::Key_Down || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    if (QWidget* list = ShownList(*m_frame)) list->setFocus();
    event->accept();
    return;
  }
  QWidget::keyPressEvent(event);
}

void CFindBar::Apply() {
  std::shared_ptr<const tvl::CTextMatcher> matcher = m_fields->Matcher();
  m_frame->SetRowFilter(matcher->IsEmpty() ? nullptr : matcher);
  if (auto* view = dynamic_cast<CElementView*>(m_frame->ResourcePane()->View())) view->Refilter();
}

// ---------------------------------------------------------------------------------------
// The project's matches

CFindResultsView::CFindResultsView(CMainFrame* frame, QWidget* parent) : QWidget(parent), m_frame(frame) {
  setObjectName(QStringLiteral("findResults"));
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(2, 2, 2, 2);
  m_fields = new CFindFields(this);
  m_summary = new QLabel(this);
  m_list = new QTreeWidget(this);
  m_list->setRootIsDecorated(false);
  m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_list->setHeaderLabels({tr("Item"), tr("Source"), tr("Translation")});
  m_list->header()->setStretchLastSection(true);
  column->addWidget(m_fields);
  column->addWidget(m_summary);
  column->addWidget(m_list, 1);
  connect(m_fields->Edit(), &QLineEdit::returnPressed, this, &CFindResultsView::Search);
  connect(m_list, &QTreeWidget::itemActivated, this,
          [this](QTreeWidgetItem* item) { ShowHit(m_list->indexOfTopLevelItem(item)); });
}

void CFindResultsView::Search() {
  std::shared_ptr<const tvl::CTextMatcher> matcher = m_fields->Matcher();
  m_hits.clear();
  m_list->clear();
  if (matcher->IsEmpty() || !matcher->IsValid()) {
    m_summary->clear();
    return;
  }
  LANGID language = m_frame->GetSelectedLanguage();
  QList<QTreeWidgetItem*> rows;
  for (tvl::CFindMatch& match : tvl::FindInProject(m_frame->GetDocument(), *matcher, language)) {
    auto* row = new QTreeWidgetItem;
    row->setText(0, QString::fromStdString(match.id));
    row->setText(1, QStr(tvl::EscapeControlChars(match.source)));
    row->setText(2, QStr(tvl::EscapeControlChars(match.translation)));
    rows.append(row);
    m_hits.push_back({std::move(match.id), language});
  }
  m_list->addTopLevelItems(rows);
  for (int c = 0; c < 2; ++c) m_list->resizeColumnToContents(c);
  m_summary->setText(tr("%n match(es)", nullptr, static_cast<int>(m_hits.size())));
}

void CFindResultsView::ShowHit(int row) {
  if (row < 0 || static_cast<size_t>(row) >= m_hits.size()) return;
  const CFindHit& hit = m_hits[static_cast<size_t>(row)];
  tvl::ui::ShowItem(*m_frame, hit.m_id, hit.m_language);
}

namespace tvl::ui {

CFindBar* InstallFind(CMainFrame& frame, QMenu& edit) {
  auto* toolBar = new QToolBar(QObject::tr("Find"), &frame);
  toolBar->setObjectName(QStringLiteral("findToolBar"));
  toolBar->setMovable(false);
  auto* bar = new CFindBar(&frame, toolBar);
  toolBar->addWidget(bar);
  frame.addToolBar(Qt::TopToolBarArea, toolBar);
  toolBar->hide();
  // However the bar is hidden, a filter nobody sees must not hide rows.
  QObject::connect(toolBar, &QToolBar::visibilityChanged, bar, [bar](bool visible) {
    if (!visible) bar->Fields()->Edit()->clear();
  });

  auto* dock = new QDockWidget(QObject::tr("Find in Project"), &frame);
  dock->setObjectName(QStringLiteral("findResultsDock"));
  auto* results = new CFindResultsView(&frame, dock);
  dock->setWidget(results);
  frame.addDockWidget(Qt::BottomDockWidgetArea, dock);
  dock->hide();

  edit.addSeparator();
  QAction* find = edit.addAction(QObject::tr("&Find..."));
  find->setObjectName(QStringLiteral("find"));
  find->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
  find->setStatusTip(QObject::tr("Show only the rows holding a text"));
  QObject::connect(find, &QAction::triggered, bar, &CFindBar::Open);
  QAction* project = edit.addAction(QObject::tr("Find &in Project..."));
  project->setObjectName(QStringLiteral("findInProject"));
  project->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F));
  project->setStatusTip(QObject::tr("List every item of the project holding a text"));
  QObject::connect(project, &QAction::triggered, results, [dock, bar, results] {
    // Starts from what the bar holds.
    QString text = bar->Fields()->Edit()->text();
    if (!text.isEmpty() && results->Fields()->Edit()->text().isEmpty()) results->Fields()->Edit()->setText(text);
    dock->show();
    results->Fields()->Edit()->setFocus();
    results->Fields()->Edit()->selectAll();
  });
  return bar;
}

}  // namespace tvl::ui
