#include "ui/views/ProjectResView.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QPalette>

#include "platform/Messages.h"
#include "platform/Text.h"
#include "project/TvlDoc.h"
#include "project/Undo.h"
#include "ui/MainWindow.h"
#include "ui/views/ImageStrip.h"
#include "ui/views/ProgressStatus.h"
#include "ui/views/ResourceAndHeaderViews.h"
#include "workspace/ViewRules.h"
#include "ui/QtText.h"

namespace {

constexpr int kNodeRole = Qt::UserRole + 1;

tvl::ui::TreeMark MarkOf(NodeProgress progress) {
  switch (progress) {
    case NodeProgress::Source:
    case NodeProgress::Ignored: return tvl::ui::TreeMark::None;
    case NodeProgress::Untranslated: return tvl::ui::TreeMark::Untranslated;
    case NodeProgress::Partial: return tvl::ui::TreeMark::Partial;
    case NodeProgress::OutOfDate: return tvl::ui::TreeMark::OutOfDate;
    case NodeProgress::Translated: return tvl::ui::TreeMark::Translated;
  }
  return tvl::ui::TreeMark::None;
}

QIcon NodeIcon(int image, int selectedImage, tvl::ui::TreeMark mark, bool ghosted) {
  QIcon icon;
  const QSize size(tvl::ui::kTreeImageWidth, tvl::ui::kTreeImageHeight);
  for (QIcon::State state : {QIcon::Off, QIcon::On}) {
    icon.addPixmap(tvl::ui::TreeIcon(image, mark, ghosted).pixmap(size), QIcon::Normal, state);
    icon.addPixmap(tvl::ui::TreeIcon(selectedImage, mark, ghosted).pixmap(size), QIcon::Selected, state);
  }
  return icon;
}

void SetLabel(QTreeWidgetItem* item, const QString& label) { item->setText(0, label); }

// A narrow pane cuts labels off: the tooltip shows them whole, with the node's counts.
QString Tooltip(const QString& label, const CProjectNode* node, bool source) {
  if (source || node->m_progress.total == 0) return label;
  return label + QLatin1Char('\n') + tvl::ui::ProgressText(node->m_progress);
}

}  // namespace

CProjectResView::CProjectResView(CMainFrame* frame, CTvlDoc& document, QWidget* parent)
    : QTreeWidget(parent), m_frame(frame), m_document(document) {
  setObjectName(QStringLiteral("ProjectTree"));
  setHeaderHidden(true);
  setColumnCount(1);
  setIconSize(QSize(tvl::ui::kTreeImageWidth, tvl::ui::kTreeImageHeight));
  setSelectionMode(QAbstractItemView::SingleSelection);
  setExpandsOnDoubleClick(true);
  // The column is as wide as the longest label, so a narrow pane scrolls sideways.
  header()->setStretchLastSection(false);
  header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  connect(this, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* current, QTreeWidgetItem*) {
    if (!m_busy) OnSelectionChanged(current);
  });
  m_document.AddView(this);
}

CProjectResView::~CProjectResView() {
  m_document.RemoveView(this);
  m_busy = true;
  clear();
  m_root.reset();
}

CProjectNode* CProjectResView::NodeOf(QTreeWidgetItem* item) {
  return item ? reinterpret_cast<CProjectNode*>(item->data(0, kNodeRole).value<quintptr>()) : nullptr;
}

QTreeWidgetItem* CProjectResView::ItemOf(const CProjectNode* node) {
  return node ? static_cast<QTreeWidgetItem*>(node->m_treeItem) : nullptr;
}

CProjectNode* CProjectResView::SelectedNode() const { return NodeOf(currentItem()); }

int CProjectResView::EffectiveMode() const { return tvl::EffectiveMode(m_mode, m_showNonTranslatable); }

void CProjectResView::ClearTree() {
  bool busy = m_busy;
  m_busy = true;
  clear();
  m_root.reset();
  m_busy = busy;
}

void CProjectResView::OnInitialUpdate() {
  m_frame->ResetLanguageList();
  if (m_document.m_sourceLanguage.GetLanguage() != 0)
    m_frame->InsertLanguage(m_document.m_sourceLanguage.GetLanguage(), true);
  for (const CLanguage& l : m_document.m_languages) m_frame->InsertLanguage(l.GetLanguage(), false);
  m_frame->SelectStoredLanguage();
  Rebuild();
}

void CProjectResView::Rebuild() {
  ClearTree();
  m_frame->ShowNodeViews(nullptr);
  m_root = BuildProjectTree(m_document);
  m_language = m_frame->GetSelectedLanguage();
  m_mode = m_frame->GetMode();
  m_showNonTranslatable = m_frame->GetShowNonTranslatable();
  m_root->UpdateStatus(m_language, EffectiveMode());
  Redisplay();
  emit progressChanged();
}

void CProjectResView::RefreshAll() {
  if (!m_root) return;
  m_language = m_frame->GetSelectedLanguage();
  m_mode = m_frame->GetMode();
  m_showNonTranslatable = m_frame->GetShowNonTranslatable();
  m_root->UpdateStatus(m_language, EffectiveMode());
  Redisplay();
  emit progressChanged();
}

bool CProjectResView::ShowsSourceLanguage() const { return m_language == 0 || m_frame->IsSourceLanguageSelected(); }

void CProjectResView::SetItemLook(QTreeWidgetItem* item, const CProjectNode* node) {
  const bool source = ShowsSourceLanguage();
  item->setIcon(0, NodeIcon(node->m_image, node->m_selectedImage, MarkOf(node->GetProgress(source)),
                            node->m_notTranslatable));
  item->setToolTip(0, Tooltip(item->text(0), node, source));
  // Items marked do-not-translate are drawn ghosted.
  if (node->m_notTranslatable)
    item->setForeground(0, palette().brush(QPalette::Disabled, QPalette::Text));
  else
    item->setData(0, Qt::ForegroundRole, QVariant());
}

void CProjectResView::ForgetItems(CProjectNode* node) {
  node->m_treeItem = nullptr;
  for (const auto& c : node->m_children) ForgetItems(c.get());
}

void CProjectResView::Display(CProjectNode* node, InsertAt where, QTreeWidgetItem* after, bool noRecursion) {
  QTreeWidgetItem* item = ItemOf(node);
  if (!node->m_visible) {
    if (item) {
      ForgetItems(node);
      delete item;  // the whole branch goes with it
    }
    return;
  }
  if (!item) {
    QTreeWidgetItem* parentItem = node->m_parent ? ItemOf(node->m_parent) : nullptr;
    if (node->m_parent && !parentItem) return;  // the parent is not displayed
    int count = parentItem ? parentItem->childCount() : topLevelItemCount();
    auto indexOf = [&](QTreeWidgetItem* i) { return parentItem ? parentItem->indexOfChild(i) : indexOfTopLevelItem(i); };
    int index = 0;
    switch (where) {
      case InsertAt::FindPlace:
        if (node->m_parent) {
          QTreeWidgetItem* previous = nullptr;
          for (const auto& sibling : node->m_parent->m_children) {
            if (sibling.get() == node) break;
            if (sibling->m_visible && sibling->m_treeItem) previous = ItemOf(sibling.get());
          }
          index = previous ? indexOf(previous) + 1 : 0;
        }
        break;
      case InsertAt::First: index = 0; break;
      case InsertAt::Last: index = count; break;
      case InsertAt::After: index = after ? indexOf(after) + 1 : 0; break;
    }
    item = new QTreeWidgetItem();
    SetLabel(item, QStr(node->GetLabel()));
    item->setData(0, kNodeRole, QVariant::fromValue(reinterpret_cast<quintptr>(node)));
    if (parentItem)
      parentItem->insertChild(index, item);
    else
      insertTopLevelItem(index, item);
    node->m_treeItem = item;
  }
  SetItemLook(item, node);
  if (noRecursion) return;
  QTreeWidgetItem* last = nullptr;
  for (const auto& child : node->m_children) {
    Display(child.get(), last ? InsertAt::After : InsertAt::First, last, false);
    if (child->m_treeItem) last = ItemOf(child.get());
  }
}

void CProjectResView::Redisplay() {
  if (!m_root) return;
  CProjectNode* previous = SelectedNode();
  std::vector<CProjectNode*> chain;
  for (CProjectNode* n = previous; n; n = n->m_parent) chain.push_back(n);
  m_busy = true;
  Display(m_root.get(), InsertAt::FindPlace, nullptr, false);
  m_busy = false;

  QTreeWidgetItem* target = nullptr;
  for (CProjectNode* n : chain)
    if ((target = ItemOf(n))) break;
  if (!target) target = topLevelItemCount() ? topLevelItem(0) : nullptr;
  if (!target) return;
  if (NodeOf(target) != previous) {
    if (target == currentItem())
      OnSelectionChanged(target);
    else
      setCurrentItem(target);
    target->setExpanded(true);
  }
  scrollToItem(target);
}

void CProjectResView::OnSelectionChanged(QTreeWidgetItem* current) { m_frame->ShowNodeViews(NodeOf(current)); }

void CProjectResView::SelectNode(CProjectNode* node) {
  QTreeWidgetItem* item = ItemOf(node);
  if (!item) return;
  if (item == currentItem())
    OnSelectionChanged(item);
  else
    setCurrentItem(item);
  item->setExpanded(true);
  scrollToItem(item);
}

void CProjectResView::RedisplayOne(CProjectNode* node) {
  bool wasDisplayed = node->m_treeItem != nullptr;
  Display(node, InsertAt::Last, nullptr, wasDisplayed);
}

void CProjectResView::RefreshSingle(const void* object, bool withParent) {
  if (!m_root) return;
  CProjectNode* selected = SelectedNode();
  CProjectNode* node = selected && selected->GetObject() == object ? selected : m_root->FindNode(object);
  if (!node) return;
  node->RefreshStatus(m_language);
  if (!node->m_parent || node->m_parent->m_treeItem) RedisplayOne(node);
  if (withParent && node->m_parent && node->m_parent->RefreshStatus(m_language)) RedisplayOne(node->m_parent);
  RecountNode(object);
}

void CProjectResView::RecountNode(const void* object) {
  if (!m_root || !object) return;
  CProjectNode* selected = SelectedNode();
  CProjectNode* node = selected && selected->GetObject() == object ? selected : m_root->FindNode(object);
  if (!node) return;
  std::vector<CProjectNode*> recounted{node};
  // Prompts and tooltips edited in a menu or toolbar are counted with the string table.
  CModule* module = node->GetModule();
  if (module && module->m_resTable.m_promptAndTips.m_enabled && object != &module->m_resTable.m_stringTable)
    if (CProjectNode* table = m_root->FindNode(&module->m_resTable.m_stringTable)) recounted.push_back(table);
  for (CProjectNode* n : recounted) {
    RecountProgress(n, m_language);
    for (; n; n = n->m_parent)
      if (QTreeWidgetItem* item = ItemOf(n)) SetItemLook(item, n);
  }
  emit progressChanged();
}

void CProjectResView::NextToTranslate() {
  CProjectNode* selected = SelectedNode();
  CProjectNode* target = FindNextToTranslate(m_root.get(), selected);
  if (!target || target == selected) return;
  m_document.UpdateAllViews(HintReleaseResourceView);
  SelectNode(target);
}

void CProjectResView::ModuleInserted(CModule* module) {
  if (!m_root) return;
  CProjectNodeModule* node = m_root->InsertModule(module);
  m_root->UpdateStatus(m_language, EffectiveMode());
  Redisplay();
  SelectNode(node);
  emit progressChanged();
}

void CProjectResView::RemoveModuleNode(CProjectNode* node) {
  if (!node || !node->m_parent) return;
  // The right pane lets go first when it shows this module or anything in it.
  if (m_frame->ResourcePane()->ShownModule() == node->GetObject()) m_frame->ShowNodeViews(nullptr);
  m_busy = true;
  if (QTreeWidgetItem* item = ItemOf(node)) {
    ForgetItems(node);
    delete item;
  }
  std::unique_ptr<CProjectNode> removed = node->m_parent->RemoveChild(node);
  m_busy = false;
  removed.reset();
  m_root->CountProgress(m_language);
  if (QTreeWidgetItem* rootItem = ItemOf(m_root.get())) SetItemLook(rootItem, m_root.get());
  OnSelectionChanged(currentItem());
  emit progressChanged();
}

void CProjectResView::ApplyUndo(CUndoAction* action) {
  if (!m_root || !action) return;
  if (auto* moduleAction = dynamic_cast<CUndoModuleAction*>(action)) {
    std::vector<CObject*> touched;
    if (moduleAction->m_kind == CUndoModuleAction::kInserted) {
      int index = m_document.FindModuleByName(moduleAction->m_moduleName);
      if (index < 0) return;
      CModule* module = m_document.m_modules[static_cast<size_t>(index)].get();
      CProjectNode* node = m_root->FindNode(module);
      if (node && m_frame->ResourcePane()->ShownModule() == module) m_frame->ShowNodeViews(nullptr);
      moduleAction->Apply(touched);
      RemoveModuleNode(node);
    } else {
      // Putting the module back announces it as inserted.
      moduleAction->Apply(touched);
    }
    return;
  }
  auto* translate = dynamic_cast<CUndoTranslate*>(action);
  if (!translate) return;
  CProjectNode* selected = SelectedNode();
  CProjectNode* node = selected && selected->GetObject() == translate->m_object ? selected
                                                                                : m_root->FindNode(translate->m_object);
  std::vector<CObject*> touched;
  translate->Apply(touched);
  m_document.SetModifiedFlag(true);
  if (translate->m_language == m_language || translate->m_language == 0) {
    for (CObject* object : touched) {
      // Tables keep their status per language: recompute it for the changed strings.
      if (auto* type = dynamic_cast<CResourceType*>(object)) type->UpdateStatus(m_language);
      CProjectNode* n = m_root->FindNode(object);
      if (!n) continue;
      n->RefreshStatus(m_language);
      if (!n->m_parent || n->m_parent->m_treeItem) RedisplayOne(n);
      if (dynamic_cast<CProjectNodeResource*>(n) && n->m_parent->RefreshStatus(m_language)) RedisplayOne(n->m_parent);
      RecountNode(object);
    }
  } else {
    m_frame->ChooseLanguage(translate->m_language);
  }
  if (!node) return;
  if (node == SelectedNode()) {
    m_document.UpdateAllViews(HintUndoneItemInPlace, action);
  } else {
    SelectNode(node);
    m_document.UpdateAllViews(HintUndoneItemSelect, action);
  }
}

void CProjectResView::OnUpdate(int hint, const void* object) {
  switch (hint) {
    case HintModuleInserted: ModuleInserted(const_cast<CModule*>(static_cast<const CModule*>(object))); break;
    case HintRefreshAll: RefreshAll(); break;
    case HintSourceLanguageAdded:
    case HintTargetLanguageAdded:
      if (const auto* l = static_cast<const CLanguage*>(object)) {
        m_frame->InsertLanguage(l->GetLanguage(), hint == HintSourceLanguageAdded);
        m_frame->ChooseLanguage(l->GetLanguage());
      }
      break;
    case HintLanguageRemoved:
      if (const auto* l = static_cast<const CLanguage*>(object)) m_frame->RemoveLanguage(l->GetLanguage());
      break;
    case HintRebuildTree: Rebuild(); break;
    case HintTitleChanged:
      if (m_root && m_root->m_treeItem) {
        SetLabel(ItemOf(m_root.get()), QStr(m_root->GetLabel()));
        SetItemLook(ItemOf(m_root.get()), m_root.get());
      }
      break;
    case HintResourceChanged: RecountNode(object); break;
    case HintResourceStatusChanged: RefreshSingle(object, true); break;
    case HintNodeStatusChanged: RefreshSingle(object, false); break;
    case HintBuildTarget: OnBuild(); break;
    case HintImportTranslation: OnImportTranslation(); break;
    case HintUpdateSource: OnUpdateSource(); break;
    case HintImportScribe: OnImportScribe(); break;
    default: break;
  }
}

int CProjectResView::OnViewMessage(int hint, const void* object) {
  if (hint == HintUndoRedo)
    ApplyUndo(const_cast<CUndoAction*>(static_cast<const CUndoAction*>(object)));
  else if (hint == HintNextToTranslate)
    NextToTranslate();
  else
    OnUpdate(hint, object);
  return kViewMessageHandled;
}

// ---------------------------------------------------------------------------------------
// Commands

bool CProjectResView::CanDeleteModule() const { return dynamic_cast<CProjectNodeModule*>(SelectedNode()) != nullptr; }

void CProjectResView::OnDeleteModule() {
  auto* node = dynamic_cast<CProjectNodeModule*>(SelectedNode());
  if (!node) {
    DoMessageBox(u"Please select the module you want to delete from the document.", MB_ICONERROR);
    return;
  }
  CModule* module = node->GetModule();
  if (DoMessageBox(FormatMessageText(u"Are you sure you want to delete %1 from the document ?", {Arg(module->GetName())}),
                   MB_YESNO | MB_ICONQUESTION) != IDYES)
    return;
  auto it = std::find_if(m_document.m_modules.begin(), m_document.m_modules.end(),
                         [module](const auto& m) { return m.get() == module; });
  if (it == m_document.m_modules.end()) return;
  if (m_frame->ResourcePane()->ShownModule() == module) m_frame->ShowNodeViews(nullptr);
  // Only this module's branch goes; the rest of the tree stays as it is.
  m_document.DeleteModule(static_cast<size_t>(it - m_document.m_modules.begin()), false);
  RemoveModuleNode(node);
}

bool CProjectResView::CanEditProperties() const {
  CProjectNode* node = SelectedNode();
  return node && node->HasProperties() && m_frame->Hooks().moduleProperties;
}

void CProjectResView::OnProperties() {
  if (!CanEditProperties()) return;
  if (m_frame->Hooks().moduleProperties(SelectedNode()->GetModule())) m_document.SetModifiedFlag(true);
}

CModule* CProjectResView::CommandModule() const {
  CProjectNode* node = SelectedNode();
  CModule* module = node ? node->GetModule() : nullptr;
  if (!module && m_document.m_modules.size() == 1) module = m_document.m_modules[0].get();
  return module;
}

void CProjectResView::OnBuild() {
  if (m_frame->Hooks().buildTarget) m_frame->Hooks().buildTarget(CommandModule(), m_frame->GetSelectedLanguage());
}

void CProjectResView::OnImportTranslation() {
  if (!m_frame->Hooks().importTranslation) return;
  CProjectNode* node = SelectedNode();
  if (CModule* module = m_document.ChooseModule(node ? node->GetModule() : nullptr))
    m_frame->Hooks().importTranslation(module);
}

void CProjectResView::OnUpdateSource() {
  CProjectNode* node = SelectedNode();
  if (CModule* module = m_document.ChooseModule(node ? node->GetModule() : nullptr)) m_document.UpdateSource(module);
}

void CProjectResView::OnUpdateSourceAll() { m_document.UpdateSourceAll(); }

void CProjectResView::OnImportScribe() {
  if (m_frame->Hooks().importScribe) m_frame->Hooks().importScribe();
}

void CProjectResView::ShowContextMenu(const QPoint& globalPos) {
  if (!dynamic_cast<CProjectNodeModule*>(SelectedNode())) return;
  QMenu menu(this);
  const int ids[] = {ID_TRANSLATIONS_BUILD, ID_UPDATE_SOURCE, 0, ID_FILE_INSERT_MODULE, ID_IMPORT_TRANSLATION, 0,
                     ID_EDIT_DELETE, 0, ID_MODULE_PROPERTIES};
  const char16_t* texts[] = {u"&Build...\tF7", u"&Update Source", nullptr, u"&Insert Module...",
                             u"&Import an Existing Translation...", nullptr, u"&Delete\tDel", nullptr,
                             u"&Properties\tAlt+Enter"};
  for (size_t i = 0; i < std::size(ids); ++i) {
    if (!ids[i]) {
      menu.addSeparator();
      continue;
    }
    QAction* a = menu.addAction(QStr(texts[i]));
    QAction* command = m_frame->Action(ids[i]);
    a->setEnabled(ids[i] == ID_EDIT_DELETE ? CanDeleteModule() : command && command->isEnabled());
    int id = ids[i];
    connect(a, &QAction::triggered, this, [this, id] {
      if (id == ID_EDIT_DELETE)
        OnDeleteModule();
      else
        m_frame->RunCommand(id);
    });
  }
  menu.exec(globalPos);
}

void CProjectResView::contextMenuEvent(QContextMenuEvent* event) {
  if (event->reason() == QContextMenuEvent::Mouse) {
    // A right click first selects the node under the pointer.
    if (QTreeWidgetItem* item = itemAt(event->pos())) setCurrentItem(item);
    ShowContextMenu(event->globalPos());
  } else if (QTreeWidgetItem* item = currentItem()) {
    QRect r = visualItemRect(item);
    ShowContextMenu(viewport()->mapToGlobal(QPoint(r.left() + iconSize().width() + 10, r.bottom() + 3)));
  }
  event->accept();
}

void CProjectResView::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier && !event->isAutoRepeat()) {
    OnDeleteModule();
    event->accept();
    return;
  }
  QTreeWidget::keyPressEvent(event);
}
