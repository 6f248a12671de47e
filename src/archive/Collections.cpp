#include "archive/Collections.h"

#include <algorithm>

#include "archive/Archive.h"

IMPLEMENT_SERIAL(CObArray, CObject, 0)
IMPLEMENT_SERIAL(CStringArray, CObject, 0)
IMPLEMENT_SERIAL(CWordArray, CObject, 0)
IMPLEMENT_SERIAL(CByteArray, CObject, 0)
IMPLEMENT_DYNAMIC(CMapWordToString, CObject)

// --- CObArray ---------------------------------------------------------------------------------

size_t CObArray::Add(std::unique_ptr<CObject> object) {
  m_data.push_back(std::move(object));
  return m_data.size() - 1;
}

void CObArray::InsertAt(size_t i, std::unique_ptr<CObject> object) {
  if (i > m_data.size()) m_data.resize(i);
  m_data.insert(m_data.begin() + static_cast<std::ptrdiff_t>(i), std::move(object));
}

void CObArray::SetAt(size_t i, std::unique_ptr<CObject> object) { m_data.at(i) = std::move(object); }

std::unique_ptr<CObject> CObArray::Detach(size_t i) {
  std::unique_ptr<CObject> object = std::move(m_data.at(i));
  m_data.erase(m_data.begin() + static_cast<std::ptrdiff_t>(i));
  return object;
}

void CObArray::Serialize(CArchive& ar) {
  CObject::Serialize(ar);
  if (ar.IsStoring()) {
    ar.WriteCount(m_data.size());
    for (const auto& object : m_data) ar.WriteObject(object.get());
  } else {
    size_t count = ar.ReadCount();
    ar.CheckAvailable(count, 2);  // every reference is at least one WORD
    m_data.clear();
    m_data.resize(count);
    const CRuntimeClass* elementClass = GetElementClass();
    for (auto& object : m_data) object = ar.ReadObject(elementClass);
  }
}

// --- CStringArray, CWordArray, CByteArray -----------------------------------------------------

void CStringArray::Serialize(CArchive& ar) {
  CObject::Serialize(ar);
  if (ar.IsStoring()) {
    ar.WriteCount(m_data.size());
    for (const auto& s : m_data) ar << s;
  } else {
    size_t count = ar.ReadCount();
    ar.CheckAvailable(count, 1);  // every string is at least its length byte
    m_data.clear();
    m_data.resize(count);
    for (auto& s : m_data) ar >> s;
  }
}

void CWordArray::Serialize(CArchive& ar) {
  CObject::Serialize(ar);
  if (ar.IsStoring()) {
    ar.WriteCount(m_data.size());
    for (WORD w : m_data) ar << w;
  } else {
    size_t count = ar.ReadCount();
    ar.CheckAvailable(count, 2);
    m_data.assign(count, 0);
    for (WORD& w : m_data) ar >> w;
  }
}

void CByteArray::Serialize(CArchive& ar) {
  CObject::Serialize(ar);
  if (ar.IsStoring()) {
    ar.WriteCount(m_data.size());
    if (!m_data.empty()) ar.Write(m_data.data(), m_data.size());
  } else {
    size_t count = ar.ReadCount();
    ar.CheckAvailable(count, 1);
    m_data.assign(count, 0);
    if (count) ar.ReadExact(m_data.data(), count);
  }
}

// --- CMapWordToString --------------------------------------------------------------------------

std::vector<std::pair<WORD, std::u16string>> CMapWordToString::GetEntries() const {
  std::vector<std::pair<WORD, std::u16string>> entries;
  entries.reserve(GetCount());
  ForEach([&](WORD key, const std::u16string& value) { entries.emplace_back(key, value); });
  return entries;
}

void CMapWordToString::Serialize(CArchive& ar) {
  CObject::Serialize(ar);
  if (ar.IsStoring()) {
    ar.WriteCount(GetCount());
    ForEach([&](WORD key, const std::u16string& value) { ar << key << value; });
  } else {
    size_t count = ar.ReadCount();
    ar.CheckAvailable(count, 3);  // a WORD key and at least a length byte
    for (size_t i = 0; i < count; ++i) {
      WORD key;
      ar >> key;
      SetAt(key, ar.ReadString());
    }
  }
}
