#include "resmodel/ResourceIdentifier.h"

#include <string>

#include "platform/Text.h"

const std::u16string& CResName::GetName() const {
  static const std::u16string empty;
  return IsName() ? std::get<1>(m_value) : empty;
}

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
