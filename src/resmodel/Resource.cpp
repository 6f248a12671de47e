#include "resmodel/Resource.h"

#include <ostream>

#include "archive/Archive.h"
#include "platform/Text.h"
#include "resmodel/CompileContext.h"

IMPLEMENT_DYNAMIC(CResourceElement, CObject)
IMPLEMENT_SERIAL(CResource, CResourceElement, VERSIONABLE_SCHEMA | 1)

CResource::CResource() = default;
CResource::~CResource() = default;

void CResource::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    m_identifier.Serialize(ar);
    m_statusChain.Serialize(ar);
    ar << static_cast<BYTE>(m_doNotTranslate ? 1 : 0);
  } else {
    ar.GetObjectSchema();
    m_identifier.Serialize(ar);
    m_statusChain.Serialize(ar);
    BYTE b = 0;
    ar >> b;
    m_doNotTranslate = b ? 1 : 0;
  }
}

void CResource::Dump(std::ostream& out) const {
  out << GetRuntimeClass()->m_lpszClassName << ' ' << tvl::ToUtf8(m_identifier.GetText(true))
      << " language " << std::hex << m_statusChain.m_language << std::dec
      << (m_doNotTranslate ? " (do not translate)" : "") << '\n';
}

void CResource::Parse(CResStream&) {}

void CResource::Write(CCompileContext& context) {
  context.m_data.Reset();
  context.m_name = m_identifier.ToResName();
  if (m_doNotTranslate && context.m_data.m_satelliteDll && context.m_data.m_noDuplicateNeutral) return;
  try {
    WriteData(context.m_data);
  } catch (const CException&) {
    return;  // a resource that cannot be written is left out of the target
  }
  context.AddToWriter();
}

void CResource::Merge(const CResource&, bool, bool) {}
void CResource::WriteData(CResourceData&) {}
bool CResource::GetData(std::vector<BYTE>&, LANGID) const { return false; }
bool CResource::SetData(const std::vector<BYTE>&, LANGID, std::unique_ptr<CLocalizedParam>&) { return false; }
std::unique_ptr<CLocalizedParam> CResource::DetachTranslation(LANGID) { return nullptr; }
void CResource::AttachTranslation(std::unique_ptr<CLocalizedParam>, int) {}
void CResource::SetTranslationStatus(LANGID, int) {}

bool CResource::HasTranslation(LANGID language) const { return m_statusChain.FindValue(language) != nullptr; }

void CResource::UpdateStatus(LANGID language) { m_statusChain.SetStatus(language, ComputeStatus(language)); }

int CResource::ComputeStatus(LANGID) const { return 0; }

void CResource::CollectTextItems(std::vector<CTextItem>&) {}

void CResource::MergeResourceLevel(const CResource& other, bool copyProperties, bool importMode) {
  if (copyProperties) m_doNotTranslate = other.m_doNotTranslate;
  for (const CLocalizedParam* n = &other.m_statusChain; n; n = n->GetNext()) {
    CLocalizedParam* mine = m_statusChain.FindValue(n->m_language);
    if (!mine)
      m_statusChain.SetStatus(n->m_language, 0);
    else if (importMode)
      mine->m_status = 0;
  }
}
