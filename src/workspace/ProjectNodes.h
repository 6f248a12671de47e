#pragma once
// The project tree's nodes, kept beside the tree control: one for the document, one per
// module, per resource type holding resources and per resource. Each node computes its
// status, its not-translatable flag and whether the display mode lists it; the window side
// only draws them.
#include <memory>
#include <string>
#include <vector>

#include "platform/Types.h"
#include "workspace/Progress.h"

class CTvlDoc;
class CModule;
class CResourceType;
class CResource;

// The resource view a node opens.
// What a node's image tells of its translation into the selected language.
enum class NodeProgress {
  Source,        // the source language is selected
  Ignored,       // marked not to translate, as everything below it
  Untranslated,  // nothing translated yet
  Partial,       // some texts translated
  OutOfDate,     // some translations older than their source
  Translated,    // translated or edited throughout
};

enum class NodeViewKind {
  DocumentNode,
  EmptyList,
  StringTable,
  Icon,
  Version,
  Accelerator,
  Bitmap,
  Menu,
  Manifest,
  Dialog,
  Toolbar,
  Html,
  Binary,
};

class CProjectNode {
 public:
  CProjectNode(CProjectNode* parent, const void* object) : m_parent(parent), m_object(object) {}
  virtual ~CProjectNode();
  CProjectNode(const CProjectNode&) = delete;
  CProjectNode& operator=(const CProjectNode&) = delete;

  const void* GetObject() const { return m_object; }
  virtual std::u16string GetLabel() const = 0;
  virtual NodeViewKind GetViewClass() const { return NodeViewKind::EmptyList; }
  virtual bool HasHeader() const { return true; }
  virtual CModule* GetModule() const { return m_parent ? m_parent->GetModule() : nullptr; }
  // This node when it stands for the object, else the first match below, depth first.
  CProjectNode* FindNode(const void* object);
  // Recomputes status, flag and visibility of the node and its subtree; mode is the
  // effective mode (32791 for All Items).
  virtual void UpdateStatus(LANGID language, int mode) = 0;
  // Recomputes this node alone and marks it visible; true when anything changed.
  virtual bool RefreshStatus(LANGID language);
  std::unique_ptr<CProjectNode> RemoveChild(CProjectNode* node);
  virtual bool HasProperties() const { return false; }
  // Recounts the texts of a resource or table node; other nodes sum their children.
  virtual void CountProgress(LANGID language);
  NodeProgress GetProgress(bool sourceLanguage) const;

  // The images of the node's pair for its status: the translated variant follows each.
  int GetImage() const { return m_image + (m_status >= 1 ? 1 : 0); }
  int GetSelectedImage() const { return m_selectedImage + (m_status >= 1 ? 1 : 0); }

  CProjectNode* m_parent;
  std::vector<std::unique_ptr<CProjectNode>> m_children;
  int m_image = 0;
  int m_selectedImage = 2;
  bool m_visible = true;
  bool m_notTranslatable = false;
  int m_status = 0;
  tvl::CProgress m_progress;   // the node's texts for the selected language
  void* m_treeItem = nullptr;  // the control's item, or null when not displayed

 protected:
  // Module and document nodes: the lowest child status (0 without children), the flag
  // when every child is not translatable; always visible.
  void UpdateFromChildren(LANGID language, int mode);
  void SumChildren();

  const void* m_object;
};

class CProjectNodeResource : public CProjectNode {
 public:
  CProjectNodeResource(CProjectNode* parent, CResource* resource);
  CResource* GetResource() const { return const_cast<CResource*>(static_cast<const CResource*>(m_object)); }
  std::u16string GetLabel() const override;
  NodeViewKind GetViewClass() const override;
  void UpdateStatus(LANGID language, int mode) override;
  bool RefreshStatus(LANGID language) override;
  void CountProgress(LANGID language) override;
};

class CProjectNodeResourceType : public CProjectNode {
 public:
  CProjectNodeResourceType(CProjectNode* parent, CResourceType* type);
  CResourceType* GetType() const { return const_cast<CResourceType*>(static_cast<const CResourceType*>(m_object)); }
  // The string and message tables stand for the table itself and have no children.
  bool IsTable() const;
  std::u16string GetLabel() const override;
  NodeViewKind GetViewClass() const override;
  void UpdateStatus(LANGID language, int mode) override;
  bool RefreshStatus(LANGID language) override;
  void CountProgress(LANGID language) override;
};

class CProjectNodeModule : public CProjectNode {
 public:
  CProjectNodeModule(CProjectNode* parent, CModule* module);
  CModule* GetModule() const override { return const_cast<CModule*>(static_cast<const CModule*>(m_object)); }
  std::u16string GetLabel() const override;
  void UpdateStatus(LANGID language, int mode) override;
  bool HasProperties() const override { return true; }
};

class CProjectNodeDocument : public CProjectNode {
 public:
  explicit CProjectNodeDocument(CTvlDoc* document);
  CTvlDoc* GetDocument() const { return const_cast<CTvlDoc*>(static_cast<const CTvlDoc*>(m_object)); }
  std::u16string GetLabel() const override;
  NodeViewKind GetViewClass() const override { return NodeViewKind::DocumentNode; }
  bool HasHeader() const override { return false; }
  CModule* GetModule() const override { return nullptr; }
  void UpdateStatus(LANGID language, int mode) override;
  // Builds a module node in name order; returns it.
  CProjectNodeModule* InsertModule(CModule* module);
};

// The whole tree of a document, modules in name order.
std::unique_ptr<CProjectNodeDocument> BuildProjectTree(CTvlDoc& document);

// Recounts a node's texts after a change, then the sums of every node above it.
void RecountProgress(CProjectNode* node, LANGID language);

// The leaves (nodes without children) in tree order.
void CollectLeaves(CProjectNode* root, std::vector<CProjectNode*>& leaves);
// The next leaf after `selected` (wrapping) that is visible, displayed and has status 0;
// null when a whole round finds none. With no selection the walk starts at the first leaf.
CProjectNode* FindNextToTranslate(CProjectNode* root, CProjectNode* selected);
