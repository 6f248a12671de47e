#include "resmodel/ResTableBase.h"

#include <ostream>

#include "archive/Archive.h"
#include "resmodel/ResourceType.h"

#include "peimage/PeImage.h"
#include "peimage/ResStream.h"
#include "platform/Files.h"

namespace {

// Icon and cursor images belong to their groups, dialog init data to its dialog; type 255
// is never a resource of its own.
bool IsSkippedType(const CResName& type) {
  if (!type.IsOrdinal()) return false;
  const WORD t = type.GetOrdinal();
  return t == 1 || t == 3 || t == 240 || t == 255;
}

}  // namespace

CResTableBase::CResTableBase() = default;
CResTableBase::~CResTableBase() = default;

bool CResTableBase::Load(const std::u16string& path, LANGID overrideLanguage) {
  m_overrideLanguage = overrideLanguage;
  m_module.reset();
  m_path = path;
  auto module = std::make_unique<CPeImage>();
  if (!module->LoadFile(tvl::NativePath(path))) return false;
  m_module = std::move(module);
  return Walk();
}

bool CResTableBase::LoadBytes(std::vector<BYTE> bytes, LANGID overrideLanguage) {
  m_overrideLanguage = overrideLanguage;
  m_module.reset();
  auto module = std::make_unique<CPeImage>();
  if (!module->LoadBytes(std::move(bytes))) return false;
  m_module = std::move(module);
  return Walk();
}

void CResTableBase::AddRawResource(CResStream& stream) {
  CResourceIdentifier type(stream.m_type);
  CResourceType* handler = FindType(type);
  if (!handler) {
    auto created = std::make_unique<CResourceType>();
    created->m_identifier = type;
    created->m_createdOnDemand = 1;
    handler = AddOwnedType(std::move(created));
  }
  handler->AddResource(stream);
}

void CResTableBase::AddEmptyResource(const CResName& type, const CResName& name, LANGID language) {
  const CResourceIdentifier typeId(type), nameId(name);
  if (const CResourceType* fixed = FindType(typeId); fixed && fixed->FindResource(nameId)) return;
  // Kept apart from the type's own handler, which could not parse it: a handler created on
  // demand holds it as raw bytes, so it is stored, listed and written like any such resource.
  CResourceType* holder = nullptr;
  for (CResourceType* t : m_types)
    if (t->m_createdOnDemand && t->m_identifier == typeId) holder = t;
  if (!holder) {
    auto created = std::make_unique<CResourceType>();
    created->m_identifier = typeId;
    created->m_createdOnDemand = 1;
    holder = AddOwnedType(std::move(created));
  }
  if (!holder->FindResource(nameId)) holder->AddEmptyResource(nameId, language);
}

CResourceType* CResTableBase::FindType(const CResourceIdentifier& type) const {
  for (CResourceType* t : m_types)
    if (t->m_identifier == type) return t;
  return nullptr;
}

CResourceType* CResTableBase::AddOwnedType(std::unique_ptr<CResourceType> type) {
  type->m_owner = this;
  m_types.push_back(type.get());
  m_ownedTypes.push_back(std::move(type));
  return m_types.back();
}

void CResTableBase::Merge(const CResTableBase& other, bool copyProperties, bool importMode) {
  for (const CResourceType* theirs : other.m_types)
    if (CResourceType* mine = FindType(theirs->m_identifier)) mine->Merge(*theirs, copyProperties, importMode);
}

void CResTableBase::Dump(std::ostream& out) const {
  for (const CResourceType* t : m_types) t->Dump(out);
}

void CResTableBase::SerializeBase(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << static_cast<WORD>(m_overrideLanguage);
    for (const CResourceType* t : m_types) {
      if (!t->m_createdOnDemand) continue;
      ar << BYTE{0};
      ar.WriteObject(t);
    }
    ar << BYTE{1};
  } else {
    WORD language = 0;
    ar >> language;
    m_overrideLanguage = language;
    for (;;) {
      BYTE end = 0;
      ar >> end;
      if (end) break;
      std::unique_ptr<CResourceType> t = ar.ReadObject<CResourceType>();
      if (!t) throw CArchiveException(CArchiveException::badIndex, ar.GetFileName());
      t->m_createdOnDemand = 1;
      AddOwnedType(std::move(t));
    }
  }
}

bool CResTableBase::Walk() {
  const bool ok = m_module->HasResources();
  if (ok) {
    for (const CPeResource& r : m_module->GetResources()) {
      if (IsSkippedType(r.type)) continue;
      const LANGID language = m_overrideLanguage != kNoLanguage ? m_overrideLanguage : r.language;
      if (r.size == 0) {
        AddEmptyResource(r.type, r.name, language);
        continue;
      }
      std::span<const BYTE> data = m_module->GetData(r);
      if (data.empty()) continue;  // unreadable: skipped without a message
      CResStream stream(m_module.get(), r.type, r.name, language, r.language, data.data(),
                        static_cast<DWORD>(data.size()));
      try {
        AddRawResource(stream);
      } catch (const CResStreamException&) {
        // A resource that fails to parse never stops the walk.
      }
    }
  }
  m_module.reset();
  return ok;
}
