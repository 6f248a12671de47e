#include "workspace/ProjectNodes.h"

#include <algorithm>
#include <string_view>

#include "platform/Text.h"
#include "project/TvlDoc.h"
#include "workspace/ViewRules.h"

CProjectNode::~CProjectNode() = default;

CProjectNode* CProjectNode::FindNode(const void* object) {
  if (m_object == object) return this;
  for (const auto& c : m_children)
    if (CProjectNode* n = c->FindNode(object)) return n;
  return nullptr;
}

bool CProjectNode::RefreshStatus(LANGID) { return false; }

void CProjectNode::CountProgress(LANGID) { SumChildren(); }

void CProjectNode::SumChildren() {
  m_progress = {};
  for (const auto& c : m_children) m_progress += c->m_progress;
}

NodeProgress CProjectNode::GetProgress(bool sourceLanguage) const {
  if (sourceLanguage) return NodeProgress::Source;
  if (m_notTranslatable) return NodeProgress::Ignored;
  if (m_status >= kStatusTranslated) return NodeProgress::Translated;
  if (m_progress.outOfDate > 0) return NodeProgress::OutOfDate;
  if (m_progress.translated > 0) return NodeProgress::Partial;
  return NodeProgress::Untranslated;
}

void RecountProgress(CProjectNode* node, LANGID language) {
  if (!node) return;
  node->CountProgress(language);
  for (CProjectNode* n = node->m_parent; n; n = n->m_parent) n->CountProgress(language);
}

std::unique_ptr<CProjectNode> CProjectNode::RemoveChild(CProjectNode* node) {
  auto it = std::find_if(m_children.begin(), m_children.end(), [node](const auto& c) { return c.get() == node; });
  if (it == m_children.end()) return nullptr;
  std::unique_ptr<CProjectNode> taken = std::move(*it);
  m_children.erase(it);
  return taken;
}

void CProjectNode::UpdateFromChildren(LANGID language, int mode) {
  int status = kStatusNothingToTranslate;
  bool allNotTranslatable = !m_children.empty();
  for (const auto& c : m_children) {
    c->UpdateStatus(language, mode);
    status = std::min(status, c->m_status);
    allNotTranslatable = allNotTranslatable && c->m_notTranslatable;
  }
  // An empty module shows as not translated.
  m_status = m_children.empty() ? kStatusNotTranslated : status;
  m_notTranslatable = allNotTranslatable;
  m_visible = true;
  SumChildren();
}

// ---------------------------------------------------------------------------------------
// Resources

CProjectNodeResource::CProjectNodeResource(CProjectNode* parent, CResource* resource) : CProjectNode(parent, resource) {
  if (resource->m_owner) {
    m_image = resource->m_owner->m_itemImages[0];
    m_selectedImage = resource->m_owner->m_itemImages[1];
  } else {
    m_image = m_selectedImage = 4;
  }
}

std::u16string CProjectNodeResource::GetLabel() const { return GetResource()->m_identifier.GetText(true); }

namespace {

bool IsClass(const CObject* object, std::string_view name) {
  for (const CRuntimeClass* c = object->GetRuntimeClass(); c; c = c->m_pBaseClass)
    if (c->GetName() == name) return true;
  return false;
}

bool EndsWithNoCase(const std::u16string& text, std::u16string_view suffix) {
  if (text.size() < suffix.size()) return false;
  return tvl::CompareNoCase(std::u16string_view(text).substr(text.size() - suffix.size()), suffix) == 0;
}

}  // namespace

NodeViewKind CProjectNodeResource::GetViewClass() const {
  const CResource* r = GetResource();
  // Tested in this order: a bitmap is also a binary resource.
  if (IsClass(r, "CResIconGroup")) return NodeViewKind::Icon;
  if (IsClass(r, "CResVersion")) return NodeViewKind::Version;
  if (IsClass(r, "CResAcceleratorTable")) return NodeViewKind::Accelerator;
  if (IsClass(r, "CResBitmap")) return NodeViewKind::Bitmap;
  if (IsClass(r, "CResMenu")) return NodeViewKind::Menu;
  if (IsClass(r, "CResManifest")) return NodeViewKind::Manifest;
  if (IsClass(r, "CResDialog")) return NodeViewKind::Dialog;
  if (IsClass(r, "CResToolBar")) return NodeViewKind::Toolbar;
  if (IsClass(r, "CResBinary") && r->m_identifier.IsString()) {
    static const char16_t* const kPageSuffixes[] = {u".htm",  u".html", u".xhtml", u".asp", u".aspx", u".jsp",
                                                    u".php",  u".php4", u".php5",  u".png", u".gif",  u".jpg",
                                                    u".jpe",  u".jpeg", u".ico",   u".bmp"};
    for (const char16_t* s : kPageSuffixes)
      if (EndsWithNoCase(r->m_identifier.m_name, s)) return NodeViewKind::Html;
  }
  return NodeViewKind::Binary;
}

void CProjectNodeResource::UpdateStatus(LANGID language, int mode) {
  const CResource* r = GetResource();
  m_status = r->GetStatus(language);
  m_notTranslatable = !r->IsTranslatable();
  m_visible = tvl::IsNodeVisible(mode, m_notTranslatable, m_status);
  CountProgress(language);
}

void CProjectNodeResource::CountProgress(LANGID language) {
  const auto* type = dynamic_cast<const CProjectNodeResourceType*>(m_parent);
  m_progress = type ? tvl::CountResource(*type->GetType(), *GetResource(), language) : tvl::CProgress();
}

bool CProjectNodeResource::RefreshStatus(LANGID language) {
  const CResource* r = GetResource();
  int status = r->GetStatus(language);
  bool notTranslatable = !r->IsTranslatable();
  bool changed = status != m_status || notTranslatable != m_notTranslatable || !m_visible;
  m_status = status;
  m_notTranslatable = notTranslatable;
  m_visible = true;
  return changed;
}

// ---------------------------------------------------------------------------------------
// Resource types

CProjectNodeResourceType::CProjectNodeResourceType(CProjectNode* parent, CResourceType* type)
    : CProjectNode(parent, type) {
  m_image = type->m_folderImages[0];
  m_selectedImage = type->m_folderImages[1];
  if (IsTable()) return;
  for (const auto& r : type->m_resources) m_children.push_back(std::make_unique<CProjectNodeResource>(this, r.get()));
}

bool CProjectNodeResourceType::IsTable() const { return GetType()->IsStringTable(); }

std::u16string CProjectNodeResourceType::GetLabel() const {
  const CResourceType* t = GetType();
  std::u16string name = t->GetDisplayName();
  return name.empty() ? t->m_identifier.GetText() : name;
}

NodeViewKind CProjectNodeResourceType::GetViewClass() const {
  const CResourceType* t = GetType();
  if (t->m_identifier.IsOrdinal() && (t->m_identifier.m_ordinal == 6 || t->m_identifier.m_ordinal == 11) && IsTable())
    return NodeViewKind::StringTable;
  return NodeViewKind::EmptyList;
}

void CProjectNodeResourceType::UpdateStatus(LANGID language, int mode) {
  bool allNotTranslatable = !m_children.empty();
  for (const auto& c : m_children) {
    c->UpdateStatus(language, mode);
    allNotTranslatable = allNotTranslatable && c->m_notTranslatable;
  }
  m_notTranslatable = allNotTranslatable;
  m_status = GetType()->GetStatus(language);
  m_visible = tvl::IsNodeVisible(mode, m_notTranslatable, m_status);
  CountProgress(language);
}

void CProjectNodeResourceType::CountProgress(LANGID language) {
  if (IsTable())
    m_progress = tvl::CountTable(*GetType(), language);
  else
    SumChildren();
}

bool CProjectNodeResourceType::RefreshStatus(LANGID language) {
  int status = m_status;
  bool notTranslatable = m_notTranslatable;
  if (IsTable()) {
    status = GetType()->GetStatus(language);
  } else {
    status = kStatusNothingToTranslate;
    notTranslatable = !m_children.empty();
    bool translatableSeen = false;
    for (const auto& c : m_children) {
      status = std::min(status, c->m_status);
      if (!c->m_notTranslatable) {
        notTranslatable = false;
        translatableSeen = true;
      }
      if (status == kStatusNotTranslated && translatableSeen) break;
    }
  }
  bool changed = status != m_status || notTranslatable != m_notTranslatable || !m_visible;
  m_status = status;
  m_notTranslatable = notTranslatable;
  m_visible = true;
  return changed;
}

// ---------------------------------------------------------------------------------------
// Modules and the document

CProjectNodeModule::CProjectNodeModule(CProjectNode* parent, CModule* module) : CProjectNode(parent, module) {
  m_image = 0;
  m_selectedImage = 2;
  for (CResourceType* t : module->m_resTable.GetTypes())
    if (t->GetCount() > 0) m_children.push_back(std::make_unique<CProjectNodeResourceType>(this, t));
}

std::u16string CProjectNodeModule::GetLabel() const { return GetModule()->GetName(); }

void CProjectNodeModule::UpdateStatus(LANGID language, int mode) { UpdateFromChildren(language, mode); }

CProjectNodeDocument::CProjectNodeDocument(CTvlDoc* document) : CProjectNode(nullptr, document) {
  m_image = 0;
  m_selectedImage = 2;
}

std::u16string CProjectNodeDocument::GetLabel() const { return GetDocument()->GetTitle(); }

void CProjectNodeDocument::UpdateStatus(LANGID language, int mode) { UpdateFromChildren(language, mode); }

CProjectNodeModule* CProjectNodeDocument::InsertModule(CModule* module) {
  auto node = std::make_unique<CProjectNodeModule>(this, module);
  auto it = std::find_if(m_children.begin(), m_children.end(), [&](const auto& c) {
    return tvl::CompareUiText(c->GetLabel(), module->GetName()) > 0;
  });
  CProjectNodeModule* raw = node.get();
  m_children.insert(it, std::move(node));
  return raw;
}

std::unique_ptr<CProjectNodeDocument> BuildProjectTree(CTvlDoc& document) {
  auto root = std::make_unique<CProjectNodeDocument>(&document);
  for (const auto& m : document.m_modules) root->InsertModule(m.get());
  return root;
}

namespace {

void PreOrder(CProjectNode* node, std::vector<CProjectNode*>& out) {
  out.push_back(node);
  for (const auto& c : node->m_children) PreOrder(c.get(), out);
}

}  // namespace

void CollectLeaves(CProjectNode* root, std::vector<CProjectNode*>& leaves) {
  std::vector<CProjectNode*> all;
  PreOrder(root, all);
  for (CProjectNode* n : all)
    if (n->m_children.empty()) leaves.push_back(n);
}

CProjectNode* FindNextToTranslate(CProjectNode* root, CProjectNode* selected) {
  if (!root) return nullptr;
  std::vector<CProjectNode*> all;
  PreOrder(root, all);
  size_t start = 0;  // index of the first node after the selection
  if (selected) {
    auto it = std::find(all.begin(), all.end(), selected);
    if (it != all.end()) start = static_cast<size_t>(it - all.begin()) + 1;
  }
  for (size_t k = 0; k < all.size(); ++k) {
    CProjectNode* n = all[(start + k) % all.size()];
    if (!n->m_children.empty()) continue;
    if (n->m_visible && n->m_treeItem && n->m_status == kStatusNotTranslated) return n;
  }
  return nullptr;
}
