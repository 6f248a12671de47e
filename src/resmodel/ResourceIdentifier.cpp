#include "resmodel/ResourceIdentifier.h"

#include <string>

#include "archive/Archive.h"
#include "platform/Text.h"

IMPLEMENT_SERIAL(CResourceIdentifier, CObject, VERSIONABLE_SCHEMA | 1)

void CResourceIdentifier::SetName(const CResName& value) {
  if (value.IsName())
    SetString(value.GetName());
  else
    SetOrdinal(value.GetOrdinal());
}

void CResourceIdentifier::SetOrdinal(WORD ordinal) {
  m_kind = kOrdinal;
  m_ordinal = ordinal;
  m_name.clear();
}

void CResourceIdentifier::SetString(std::u16string name) {
  m_kind = kName;
  m_ordinal = 0;
  m_name = std::move(name);
}

void CResourceIdentifier::Clear() {
  m_kind = kNone;
  m_ordinal = 0;
  m_name.clear();
}

CResName CResourceIdentifier::ToResName() const {
  if (m_kind == kName) return CResName(m_name);
  if (m_kind == kOrdinal) return CResName(m_ordinal);
  return CResName(WORD{0});
}

bool CResourceIdentifier::operator==(const CResourceIdentifier& other) const {
  if (m_kind != other.m_kind) return false;
  if (m_kind == kOrdinal) return m_ordinal == other.m_ordinal;
  if (m_kind == kName) return m_name == other.m_name;
  return true;
}

std::u16string CResourceIdentifier::GetText(bool quoted) const {
  switch (m_kind) {
    case kOrdinal:
      return tvl::FromUtf8(std::to_string(m_ordinal));
    case kName:
      return quoted ? u"\"" + m_name + u"\"" : m_name;
    default:
      return u"???";
  }
}

void CResourceIdentifier::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << static_cast<BYTE>(m_kind);
    if (m_kind == kOrdinal)
      ar << m_ordinal;
    else if (m_kind == kName)
      ar << m_name;
  } else {
    // Stored inline by its owner, without a class tag: the pending object schema is the
    // owner's, so it is not consumed here.
    BYTE kind;
    ar >> kind;
    m_kind = kind;
    m_ordinal = 0;
    m_name.clear();
    if (m_kind == kOrdinal)
      ar >> m_ordinal;
    else if (m_kind == kName)
      ar >> m_name;
  }
}
