#include "formats/text/ResAccelerator.h"

#include <algorithm>
#include <ostream>
#include <vector>

#include "archive/Archive.h"
#include "peimage/PeFormat.h"
#include "peimage/ResStream.h"
#include "resmodel/CompileContext.h"

IMPLEMENT_SERIAL(CResAccelerator, CResourceElement, VERSIONABLE_SCHEMA | 1)
IMPLEMENT_SERIAL(CResAcceleratorTable, CResource, VERSIONABLE_SCHEMA | 1)

// ---------------------------------------------------------------------------------------
// One entry

void CResAccelerator::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << m_commandId;
  } else {
    ar.GetObjectSchema();
    ar >> m_commandId;
  }
  m_key.Serialize(ar);
}

void CResAccelerator::Dump(std::ostream& out) const {
  out << "  command " << m_commandId << std::hex;
  for (const CLocalizedParam* n = &m_key; n; n = n->GetNext()) {
    out << " [" << n->m_language << ": ";
    if (const auto* k = dynamic_cast<const CLocalizedHotKey*>(n))
      out << "flags " << k->m_hotFlags << " key " << k->m_key;
    out << " status " << n->m_status << ']';
  }
  out << std::dec << (m_key.IsDoNotTranslate() ? " (do not translate)" : "") << '\n';
}

int CResAccelerator::GetStatus(LANGID language) const {
  if (m_key.IsDoNotTranslate()) return kStatusNothingToTranslate;
  return m_key.GetValueStatus(language);
}

void CResAccelerator::Parse(CResStream& stream) {
  stream.AlignDword();
  const BYTE* p = stream.Read(8);
  m_key.m_hotFlags = pe::Get16(p);
  m_key.m_key = pe::Get16(p + 2);
  m_commandId = pe::Get16(p + 4);
  m_key.m_language = stream.m_language;
  m_key.m_status = 0;
}

const CLocalizedHotKey& CResAccelerator::GetKey(LANGID language) const {
  // A status set on a language without a key leaves a plain node: no key there.
  const auto* n = dynamic_cast<const CLocalizedHotKey*>(m_key.FindValue(language));
  return n ? *n : m_key;
}

const CLocalizedHotKey& CResAccelerator::GetBuildKey(LANGID language, bool useSource) const {
  if (useSource || m_key.IsDoNotTranslate()) return m_key;
  const CLocalizedHotKey& n = GetKey(language);
  return n.m_status >= kStatusTranslated ? n : m_key;
}

void CResAccelerator::WriteEntry(CResourceData& data, bool last, bool useSource) const {
  const CLocalizedHotKey& k = GetBuildKey(data.m_language, useSource);
  // A key taken over from the last entry of another table keeps the end bit in its stored
  // flags: the bit is the writer's to place.
  WORD flags = static_cast<WORD>(k.m_hotFlags & ~kAccelLast);
  if (last) flags |= kAccelLast;
  data.AlignDword();
  data.WriteWord(flags);
  data.WriteWord(k.m_key);
  data.WriteWord(m_commandId);
  data.WriteWord(0);
}

void CResAccelerator::MergeFrom(const CResAccelerator& other, bool copyProperties, bool importMode) {
  m_key.MergeFrom(other.m_key, copyProperties, importMode);
}

// ---------------------------------------------------------------------------------------
// The table

CResAcceleratorTable::CResAcceleratorTable() { m_doNotTranslate = 1; }

void CResAcceleratorTable::Serialize(CArchive& ar) {
  CResource::Serialize(ar);
  m_entries.Serialize(ar);
  if (ar.IsLoading()) {
    // A null reference is no entry.
    for (size_t i = m_entries.GetSize(); i-- > 0;)
      if (!m_entries.GetAt(i)) m_entries.RemoveAt(i);
  }
}

void CResAcceleratorTable::Dump(std::ostream& out) const {
  CResource::Dump(out);
  for (size_t i = 0; i < m_entries.GetSize(); ++i) m_entries.GetAt(i)->Dump(out);
}

void CResAcceleratorTable::Parse(CResStream& stream) {
  // Data that ends before an entry with the end bit fails the read: "Invalid Format".
  for (;;) {
    auto entry = std::make_unique<CResAccelerator>();
    entry->Parse(stream);
    bool last = (entry->m_key.m_hotFlags & kAccelLast) != 0;
    m_entries.Add(std::move(entry));
    if (last) break;
  }
}

void CResAcceleratorTable::WriteData(CResourceData& data) {
  bool useSource = m_doNotTranslate != 0;
  size_t count = m_entries.GetSize();
  for (size_t i = 0; i < count; ++i) m_entries.GetAt(i)->WriteEntry(data, i + 1 == count, useSource);
}

int CResAcceleratorTable::ComputeStatus(LANGID language) const {
  int status = kStatusNothingToTranslate;
  for (size_t i = 0; i < m_entries.GetSize() && status > 0; ++i)
    status = std::min(status, m_entries.GetAt(i)->GetStatus(language));
  return status;
}

void CResAcceleratorTable::Merge(const CResource& other, bool copyProperties, bool importMode) {
  MergeResourceLevel(other, copyProperties, importMode);
  const auto* o = dynamic_cast<const CResAcceleratorTable*>(&other);
  if (!o) return;
  if (!copyProperties && !importMode) {
    MergeTranslated(*o, copyProperties, importMode);
    return;
  }
  // Both versions hold source keys: an entry pairs only with an unchanged one, so an entry
  // whose key changed in the source keeps no translation.
  for (size_t i = 0; i < m_entries.GetSize(); ++i) {
    CResAccelerator* mine = m_entries.GetAt(i);
    for (size_t j = 0; j < o->m_entries.GetSize(); ++j) {
      const CResAccelerator* theirs = o->m_entries.GetAt(j);
      if (theirs->m_commandId == mine->m_commandId && mine->SameSourceKey(*theirs)) {
        mine->MergeFrom(*theirs, copyProperties, importMode);
        break;
      }
    }
  }
}

void CResAcceleratorTable::MergeTranslated(const CResAcceleratorTable& other, bool copyProperties,
                                           bool importMode) {
  std::vector<WORD> ids;
  for (size_t i = 0; i < m_entries.GetSize(); ++i) {
    WORD id = m_entries.GetAt(i)->m_commandId;
    if (std::find(ids.begin(), ids.end(), id) == ids.end()) ids.push_back(id);
  }
  for (WORD id : ids) {
    std::vector<CResAccelerator*> mine;
    std::vector<const CResAccelerator*> theirs;
    for (size_t i = 0; i < m_entries.GetSize(); ++i)
      if (m_entries.GetAt(i)->m_commandId == id) mine.push_back(m_entries.GetAt(i));
    for (size_t i = 0; i < other.m_entries.GetSize(); ++i)
      if (other.m_entries.GetAt(i)->m_commandId == id) theirs.push_back(other.m_entries.GetAt(i));
    // Keys the translation kept pair first.
    for (auto it = mine.begin(); it != mine.end();) {
      auto match = std::find_if(theirs.begin(), theirs.end(),
                                [&](const CResAccelerator* t) { return (*it)->SameSourceKey(*t); });
      if (match == theirs.end()) {
        ++it;
        continue;
      }
      (*it)->MergeFrom(**match, copyProperties, importMode);
      theirs.erase(match);
      it = mine.erase(it);
    }
    // One changed key on each side can only be the translation of the other; with more
    // there is no telling which is which.
    if (mine.size() == 1 && theirs.size() == 1) mine.front()->MergeFrom(*theirs.front(), copyProperties, importMode);
  }
}
