#include "resmodel/ResourceType.h"

#include <algorithm>
#include <new>
#include <ostream>

#include "archive/Archive.h"
#include "formats/layout/ResBinary.h"
#include "peimage/ResStream.h"
#include "platform/Messages.h"
#include "platform/Text.h"
#include "resmodel/CompileContext.h"

IMPLEMENT_SERIAL(CResourceType, CObject, VERSIONABLE_SCHEMA | 1)

CResourceType::CResourceType()
    : m_resourceClass(RUNTIME_CLASS(CResBinary)), m_fileExtension(u"bin"), m_fileFilter(u"Resource Files (*.bin)") {}

CResourceType::CResourceType(WORD type, const CRuntimeClass* resourceClass, std::u16string displayName,
                             int folderImage, int folderSelectedImage, int itemImage, int itemSelectedImage,
                             std::u16string extension, std::u16string filter)
    : m_resourceClass(resourceClass),
      m_displayName(std::move(displayName)),
      m_folderImages{folderImage, folderSelectedImage},
      m_itemImages{itemImage, itemSelectedImage},
      m_fileExtension(std::move(extension)),
      m_fileFilter(std::move(filter)) {
  m_identifier.SetOrdinal(type);
}

CResourceType::~CResourceType() = default;

void CResourceType::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    m_identifier.Serialize(ar);
    ar.WriteCount(m_resources.size());
    for (const auto& r : m_resources) ar.WriteObject(r.get());
  } else {
    ar.GetObjectSchema();
    m_identifier.Serialize(ar);
    size_t count = ar.ReadCount();
    ar.CheckAvailable(count, 2);
    m_resources.clear();
    for (size_t i = 0; i < count; ++i) {
      std::unique_ptr<CResource> r = ar.ReadObject<CResource>();
      if (!r) continue;
      r->m_owner = this;
      m_resources.push_back(std::move(r));
    }
  }
}

CResource* CResourceType::FindResource(const CResourceIdentifier& id) const {
  for (const auto& r : m_resources)
    if (r->m_identifier == id) return r.get();
  return nullptr;
}

CResource* CResourceType::AddResourceObject(std::unique_ptr<CResource> resource) {
  resource->m_owner = this;
  m_resources.push_back(std::move(resource));
  return m_resources.back().get();
}

std::unique_ptr<CResource> CResourceType::RemoveResource(CResource* resource) {
  auto it = std::find_if(m_resources.begin(), m_resources.end(), [&](const auto& r) { return r.get() == resource; });
  if (it == m_resources.end()) return nullptr;
  std::unique_ptr<CResource> out = std::move(*it);
  m_resources.erase(it);
  return out;
}

bool CResourceType::AddResource(CResStream& stream) {
  CResourceIdentifier name(stream.m_name);
  // Of a resource present in several languages the first language enumerated is kept.
  if (FindResource(name)) return true;

  std::unique_ptr<CObject> object(m_resourceClass ? m_resourceClass->CreateObject() : nullptr);
  auto* created = dynamic_cast<CResource*>(object.get());
  if (!created) return false;
  object.release();
  CResource* resource = AddResourceObject(std::unique_ptr<CResource>(created));
  resource->m_identifier = name;
  resource->m_statusChain.m_language = stream.m_language;
  resource->m_statusChain.m_status = 0;
  resource->m_statusChain.m_next.reset();

  try {
    resource->Parse(stream);
  } catch (const CException& e) {
    RemoveResource(resource);
    std::u16string message = e.GetErrorText().substr(0, 500);
    if (message.empty()) message = u"Invalid Format";
    DoMessageBox(FormatMessageText(u"Error parsing resource (type %1 - Id %2) : %3",
                                   {Arg(CResourceIdentifier(stream.m_type).GetText(false)), Arg(name.GetText(true)),
                                    Arg(message)}),
                 MB_ICONERROR);
    return false;
  } catch (const std::bad_alloc&) {
    RemoveResource(resource);
    return false;
  }
  return true;
}

void CResourceType::AddEmptyResource(const CResourceIdentifier& name, LANGID language) {
  auto resource = std::make_unique<CResBinary>();  // not translatable from the start
  resource->m_identifier = name;
  resource->m_statusChain.m_language = language;
  resource->m_statusChain.m_status = 0;
  resource->m_data.m_language = language;
  resource->m_data.m_status = 0;
  AddResourceObject(std::move(resource));
}

void CResourceType::Dump(std::ostream& out) const {
  out << "Type " << tvl::ToUtf8(GetDisplayName()) << " (" << m_resources.size() << " resources)\n";
  for (const auto& r : m_resources) r->Dump(out);
}

void CResourceType::Write(CCompileContext& context) {
  context.m_type = m_identifier.ToResName();
  for (const auto& r : m_resources) r->Write(context);
}

void CResourceType::Merge(const CResourceType& other, bool copyProperties, bool importMode) {
  for (const auto& theirs : other.m_resources) {
    CResource* mine = FindResource(theirs->m_identifier);
    if (!mine) continue;
    mine->Merge(*theirs, copyProperties, importMode);
    for (const CLocalizedParam* n = &theirs->m_statusChain; n; n = n->GetNext()) mine->UpdateStatus(n->m_language);
  }
}

void CResourceType::UpdateStatus(LANGID language) {
  for (const auto& r : m_resources) r->UpdateStatus(language);
}

int CResourceType::GetStatus(LANGID language) const {
  int status = kStatusNothingToTranslate;
  for (const auto& r : m_resources) status = std::min(status, r->GetStatus(language));
  return status;
}

void CResourceType::CollectTextItems(std::vector<CTextItem>& items) {
  for (const auto& r : m_resources) {
    size_t first = items.size();
    r->CollectTextItems(items);
    std::u16string prefix = r->m_identifier.GetText(true) + u"/";
    for (size_t i = first; i < items.size(); ++i) items[i].m_path = prefix + items[i].m_path;
  }
}

std::u16string CResourceType::GetDisplayName() const {
  return m_displayName.empty() ? m_identifier.GetText(true) : m_displayName;
}
