#pragma once
// The project tree: the document, its modules, their resource types and resources, each
// with its status image, ghosted when not translatable, filtered by the display mode.
#include <QTreeWidget>
#include <memory>

#include "project/ViewHints.h"
#include "workspace/ProjectNodes.h"

class CMainFrame;
class CTvlDoc;
class CUndoAction;

class CProjectResView : public QTreeWidget, public CDocumentView {
  Q_OBJECT
 public:
  CProjectResView(CMainFrame* frame, CTvlDoc& document, QWidget* parent = nullptr);
  ~CProjectResView() override;

  // Fills the frame's language list, reads language and mode, builds the tree.
  void OnInitialUpdate();
  void OnUpdate(int hint, const void* object) override;
  int OnViewMessage(int hint, const void* object) override;
  // Deletes every item and node (before the document is emptied).
  void ClearTree();

  CProjectNodeDocument* Root() const { return m_root.get(); }
  CProjectNode* SelectedNode() const;
  static CProjectNode* NodeOf(QTreeWidgetItem* item);
  static QTreeWidgetItem* ItemOf(const CProjectNode* node);
  // Selects a node's item (which opens its views) and expands it.
  void SelectNode(CProjectNode* node);
  // Counts the texts of an object's node again after a change (with the sums above it and,
  // for menus and toolbars, the module's prompts), redrawing their images.
  void RecountNode(const void* object);

 signals:
  // The counts of some node, the root's included, may have changed.
  void progressChanged();

 public:

  // Commands.
  bool CanDeleteModule() const;
  void OnDeleteModule();
  bool CanEditProperties() const;
  void OnProperties();
  // The module the module commands work on: the selected node's, or the only one.
  CModule* CommandModule() const;
  void OnBuild();
  void OnImportTranslation();
  void OnUpdateSource();
  void OnUpdateSourceAll();
  void OnImportScribe();
  // The module node's context menu at a position on the screen.
  void ShowContextMenu(const QPoint& globalPos);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  enum class InsertAt { FindPlace, First, Last, After };
  void Rebuild();
  void RefreshAll();
  void Redisplay();
  void Display(CProjectNode* node, InsertAt where, QTreeWidgetItem* after, bool noRecursion);
  void ForgetItems(CProjectNode* node);
  void SetItemLook(QTreeWidgetItem* item, const CProjectNode* node);
  bool ShowsSourceLanguage() const;
  void RefreshSingle(const void* object, bool withParent);
  void RedisplayOne(CProjectNode* node);
  void NextToTranslate();
  void ApplyUndo(CUndoAction* action);
  void ModuleInserted(CModule* module);
  void RemoveModuleNode(CProjectNode* node);
  void OnSelectionChanged(QTreeWidgetItem* current);
  int EffectiveMode() const;

  CMainFrame* m_frame;
  CTvlDoc& m_document;
  std::unique_ptr<CProjectNodeDocument> m_root;
  LANGID m_language = 0;
  int m_mode = 32782;
  bool m_showNonTranslatable = true;
  bool m_busy = false;
};
