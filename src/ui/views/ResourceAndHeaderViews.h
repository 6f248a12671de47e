#pragma once
// The right pane: the resource header above the view of the selected node, or the
// document's form with its three links.
#include <QWidget>

#include "project/ViewHints.h"
#include "workspace/ProjectNodes.h"

class CMainFrame;
class CTvlDoc;
class CResourceHeaderView;
class CStringTableView;
class QVBoxLayout;

// The form shown for the document node: Insert a Module, Languages and Build.
class CDocumentNodeView : public QWidget {
  Q_OBJECT
 public:
  CDocumentNodeView(CMainFrame* frame, QWidget* parent = nullptr);
  // Enables the links whose commands are available; runs whenever one of them changes.
  void UpdateLinks();

 private:
  CMainFrame* m_frame;
  std::vector<std::pair<int, QWidget*>> m_links;
};

class CWndResourceAndHeaderViews : public QWidget, public CDocumentView {
  Q_OBJECT
 public:
  CWndResourceAndHeaderViews(CMainFrame* frame, CTvlDoc& document, QWidget* parent = nullptr);
  ~CWndResourceAndHeaderViews() override;

  void OnUpdate(int hint, const void* object) override;

  // Discards the current views and creates those of the node (none: an empty list).
  void ShowNode(CProjectNode* node);
  // The model object the pane shows, or null.
  const void* ShownObject() const { return m_object; }
  CModule* ShownModule() const { return m_module; }

  CResourceHeaderView* Header() const { return m_header; }
  QWidget* View() const { return m_view; }
  CStringTableView* StringView() const;
  NodeViewKind ViewKind() const { return m_kind; }
  // Delete Translation of the shown view: false when the view has no such command, else
  // whether it is enabled now.
  bool ViewHasDeleteTranslation(bool& enabled) const;
  void ViewDeleteTranslation();

 private:
  void Discard();
  void FollowSelection();
  // The preview of a dialog, or the error form when it cannot be built.
  QWidget* CreateDialogView(CProjectNodeResource* node);

  CMainFrame* m_frame;
  CTvlDoc& m_document;
  QVBoxLayout* m_layout;
  CResourceHeaderView* m_header = nullptr;
  QWidget* m_view = nullptr;
  const void* m_object = nullptr;
  CModule* m_module = nullptr;
  NodeViewKind m_kind = NodeViewKind::EmptyList;
};
