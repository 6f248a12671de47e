#include "ui/views/ResourceAndHeaderViews.h"

#include <QAbstractItemView>
#include <QAction>
#include <QItemSelectionModel>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

#include "formats/text/ResStringTable.h"
#include "project/TvlDoc.h"
#include "ui/MainWindow.h"
#include "formats/layout/ResDialog.h"
#include "ui/views/ContentViews.h"
#include "ui/views/DialogView.h"
#include "ui/views/ResourceHeaderView.h"
#include "ui/views/StringTableView.h"
#include "workspace/ViewRules.h"

CDocumentNodeView::CDocumentNodeView(CMainFrame* frame, QWidget* parent) : QWidget(parent), m_frame(frame) {
  setObjectName(QStringLiteral("DocumentNodeView"));
  auto* box = new QVBoxLayout(this);
  box->setContentsMargins(24, 24, 24, 24);
  box->setSpacing(6);
  const struct {
    int id;
    const char* link;
    const char* text;
  } entries[] = {
      {ID_FILE_INSERT_MODULE, "Insert a Module",
       "Follow this link to insert a new executable module (exe, dll, ocx,...) into the project."},
      {ID_TRANSLATIONS_LANGUAGES, "Languages",
       "Follow this link to define a new translation, to remove or modify the properties of an existing one."},
      {ID_TRANSLATIONS_BUILD, "Build",
       "Follow this link to build the translated modules files (exe, dll, ocx,...) or satellite DLLs."},
  };
  for (const auto& e : entries) {
    auto* link = new QLabel(this);
    link->setProperty("linkText", tr(e.link));
    link->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    connect(link, &QLabel::linkActivated, this, [this](const QString& id) { m_frame->RunCommand(id.toInt()); });
    auto* text = new QLabel(tr(e.text), this);
    text->setWordWrap(true);
    text->setContentsMargins(16, 0, 0, 12);
    box->addWidget(link);
    box->addWidget(text);
    m_links.emplace_back(e.id, link);
    // A link is as available as its command, and follows it.
    if (QAction* command = m_frame->Action(e.id)) connect(command, &QAction::changed, this, &CDocumentNodeView::UpdateLinks);
  }
  box->addStretch(1);
  UpdateLinks();
}

void CDocumentNodeView::UpdateLinks() {
  for (auto& [id, widget] : m_links) {
    QAction* a = m_frame->Action(id);
    bool enabled = a && a->isEnabled();
    auto* label = static_cast<QLabel*>(widget);
    QString text = label->property("linkText").toString();
    // A command that is not available reads as plain text, not as a link.
    QString html = enabled ? QStringLiteral("<a href=\"%1\"><b>%2</b></a>").arg(id).arg(text)
                           : QStringLiteral("<b>%1</b>").arg(text);
    if (label->text() != html) label->setText(html);
    label->setEnabled(enabled);
  }
}

CWndResourceAndHeaderViews::CWndResourceAndHeaderViews(CMainFrame* frame, CTvlDoc& document, QWidget* parent)
    : QWidget(parent), m_frame(frame), m_document(document) {
  setObjectName(QStringLiteral("ResourcePane"));
  m_layout = new QVBoxLayout(this);
  m_layout->setContentsMargins(0, 0, 0, 0);
  m_layout->setSpacing(0);
  ShowNode(nullptr);
  m_document.AddView(this);
}

CWndResourceAndHeaderViews::~CWndResourceAndHeaderViews() {
  m_document.RemoveView(this);
  Discard();
}

CStringTableView* CWndResourceAndHeaderViews::StringView() const { return qobject_cast<CStringTableView*>(m_view); }

void CWndResourceAndHeaderViews::Discard() {
  // The views may be on the stack of a notification round: they let go at once and are
  // deleted once control is back in the event loop.
  if (m_header) {
    m_header->Release();
    m_header->hide();
    m_layout->removeWidget(m_header);
    m_header->deleteLater();
    m_header = nullptr;
  }
  if (m_view) {
    if (auto* strings = qobject_cast<CStringTableView*>(m_view)) strings->Release();
    if (auto* content = dynamic_cast<CContentView*>(m_view)) content->Release();
    m_view->hide();
    m_layout->removeWidget(m_view);
    m_view->deleteLater();
    m_view = nullptr;
  }
  m_object = nullptr;
  m_module = nullptr;
  m_kind = NodeViewKind::EmptyList;
}

void CWndResourceAndHeaderViews::ShowNode(CProjectNode* node) {
  Discard();
  if (node) {
    m_object = node->GetObject();
    m_module = node->GetModule();
    m_kind = node->GetViewClass();
    if (node->HasHeader()) {
      CResource* resource = nullptr;
      CResourceType* type = nullptr;
      CModule* module = nullptr;
      if (auto* r = dynamic_cast<CProjectNodeResource*>(node))
        resource = r->GetResource();
      else if (auto* t = dynamic_cast<CProjectNodeResourceType*>(node))
        type = t->GetType();
      else
        module = node->GetModule();
      m_header = new CResourceHeaderView(m_frame, m_document, resource, type, module, this);
      m_layout->addWidget(m_header);
    }
    if (m_kind == NodeViewKind::DocumentNode) {
      m_view = new CDocumentNodeView(m_frame, this);
    } else if (m_kind == NodeViewKind::StringTable) {
      auto* t = static_cast<CProjectNodeResourceType*>(node);
      auto* view = new CStringTableView(m_frame, m_document, static_cast<CResStringTable*>(t->GetType()), this);
      m_view = view;
    } else if (m_kind == NodeViewKind::Dialog) {
      m_view = CreateDialogView(static_cast<CProjectNodeResource*>(node));
    }
    if (auto* r = dynamic_cast<CProjectNodeResource*>(node); r && !m_view)
      m_view = CreateContentView(m_kind, m_frame, m_document, r->GetResource(), this);
  }
  if (!m_view) {
    // Kinds without a view of their own yet show an empty list.
    auto* list = new QListWidget(this);
    list->setObjectName(QStringLiteral("EmptyListView"));
    m_view = list;
  }
  m_layout->addWidget(m_view, 1);
  m_view->show();
  if (auto* strings = qobject_cast<CStringTableView*>(m_view)) strings->OnInitialUpdate();
  FollowSelection();
}

void CWndResourceAndHeaderViews::FollowSelection() {
  // Commands such as Delete Translation depend on the view's current row: the window's
  // states follow it as they follow the document.
  if (!m_frame || !dynamic_cast<CContentView*>(m_view)) return;
  for (auto* items : m_view->findChildren<QAbstractItemView*>())
    if (QItemSelectionModel* selection = items->selectionModel())
      connect(selection, &QItemSelectionModel::currentChanged, m_frame, [frame = m_frame] { frame->UpdateCommandUi(); });
}

bool CWndResourceAndHeaderViews::ViewHasDeleteTranslation(bool& enabled) const {
  auto* content = dynamic_cast<CContentView*>(m_view);
  if (!content || !content->HasDeleteTranslation()) return false;
  enabled = content->CanDeleteTranslation();
  return true;
}

void CWndResourceAndHeaderViews::ViewDeleteTranslation() {
  if (auto* content = dynamic_cast<CContentView*>(m_view)) content->DeleteTranslation();
}

QWidget* CWndResourceAndHeaderViews::CreateDialogView(CProjectNodeResource* node) {
  auto* dialog = dynamic_cast<CResDialog*>(node->GetResource());
  if (!dialog) return nullptr;
  auto* view = new CDialogView(m_frame, m_document, dialog, this);
  if (view->OnInitialUpdate()) return view;
  delete view;
  return new CErrorCreatingDialogView(this);
}

void CWndResourceAndHeaderViews::OnUpdate(int hint, const void*) {
  if (hint == HintReleaseResourceView) ShowNode(nullptr);
}
