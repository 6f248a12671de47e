#include "archive/Object.h"

#include <algorithm>
#include <new>
#include <string>
#include <unordered_map>
#include <vector>

const CRuntimeClass CObject::classCObject = {"CObject", kNoSchema, nullptr, nullptr};

const CRuntimeClass* CObject::GetRuntimeClass() const { return &classCObject; }

void CObject::Serialize(CArchive&) {}

bool CObject::IsKindOf(const CRuntimeClass* cls) const { return GetRuntimeClass()->IsDerivedFrom(cls); }

CObject* CRuntimeClass::CreateObject() const {
  if (m_pfnCreateObject == nullptr) return nullptr;
  try {
    return m_pfnCreateObject();
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

bool CRuntimeClass::IsDerivedFrom(const CRuntimeClass* base) const {
  for (const CRuntimeClass* c = this; c != nullptr; c = c->m_pBaseClass)
    if (c == base) return true;
  return false;
}

namespace {

// Function-local so that registrations from other translation units' static initialisers
// find it constructed.
std::unordered_map<std::string, std::vector<const CRuntimeClass*>>& Registry() {
  static std::unordered_map<std::string, std::vector<const CRuntimeClass*>> registry;
  return registry;
}

}  // namespace

const CRuntimeClass* CRuntimeClass::FromName(std::string_view name) {
  auto& registry = Registry();
  auto it = registry.find(std::string(name));
  if (it == registry.end() || it->second.empty()) return nullptr;
  return it->second.back();
}

namespace ClassRegistry {

void Register(const CRuntimeClass* cls) {
  if (cls == nullptr || !cls->IsStorable()) return;
  Registry()[cls->m_lpszClassName].push_back(cls);
}

void Unregister(const CRuntimeClass* cls) {
  if (cls == nullptr) return;
  auto& registry = Registry();
  auto it = registry.find(cls->m_lpszClassName);
  if (it == registry.end()) return;
  auto& stack = it->second;
  auto found = std::find(stack.rbegin(), stack.rend(), cls);
  if (found != stack.rend()) stack.erase(std::next(found).base());
  if (stack.empty()) registry.erase(it);
}

}  // namespace ClassRegistry
