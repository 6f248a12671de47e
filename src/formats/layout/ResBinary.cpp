#include "formats/layout/ResBinary.h"

#include <ostream>

#include "archive/Archive.h"
#include "peimage/ResStream.h"
#include "resmodel/CompileContext.h"

IMPLEMENT_SERIAL(CResBinary, CResource, VERSIONABLE_SCHEMA | 1)

CResBinary::CResBinary() { m_doNotTranslate = 1; }

void CResBinary::Serialize(CArchive& ar) {
  CResource::Serialize(ar);
  m_data.Serialize(ar);
}

void CResBinary::Dump(std::ostream& out) const {
  CResource::Dump(out);
  for (const CLocalizedParam* n = &m_data; n; n = n->GetNext())
    out << "  language " << std::hex << n->m_language << std::dec << ": "
        << static_cast<const CLocalizedBlob*>(n)->m_data.size() << " bytes, status " << n->m_status << '\n';
}

void CResBinary::Parse(CResStream& stream) {
  const BYTE* p = stream.Read(stream.GetRemaining());
  m_data.m_data.assign(p, p + stream.m_size);
  m_data.m_language = stream.m_language;
  m_data.m_status = 0;
}

void CResBinary::Merge(const CResource& other, bool copyProperties, bool importMode) {
  MergeResourceLevel(other, copyProperties, importMode);
  if (const auto* o = dynamic_cast<const CResBinary*>(&other)) m_data.MergeFrom(o->m_data, copyProperties, importMode);
}

void CResBinary::WriteData(CResourceData& data) {
  const CLocalizedBlob* value = &m_data;
  if (IsTranslatable() && !m_data.IsDoNotTranslate()) {
    const CLocalizedParam* n = m_data.FindValue(data.m_language);
    if (n && n->m_status >= 1) value = static_cast<const CLocalizedBlob*>(n);
  }
  data.WriteBytes(value->m_data.data(), value->m_data.size());
}

const std::vector<BYTE>& CResBinary::GetBytes(LANGID language) const {
  const CLocalizedParam* n = m_data.FindValue(language);
  return n ? static_cast<const CLocalizedBlob*>(n)->m_data : m_data.m_data;
}

bool CResBinary::ToFile(const std::vector<BYTE>& value, std::vector<BYTE>& file) const {
  file = value;
  return true;
}

bool CResBinary::FromFile(const std::vector<BYTE>& file, std::vector<BYTE>& value) const {
  value = file;
  return true;
}

bool CResBinary::GetData(std::vector<BYTE>& bytes, LANGID language) const { return ToFile(GetBytes(language), bytes); }

bool CResBinary::SetData(const std::vector<BYTE>& bytes, LANGID language, std::unique_ptr<CLocalizedParam>& replaced) {
  std::vector<BYTE> value;
  if (!FromFile(bytes, value)) return false;
  replaced = TakeOutForReplacement(language);
  m_data.SetBlob(language, std::move(value));
  return true;
}

