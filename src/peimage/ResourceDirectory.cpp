#include "peimage/ResourceDirectory.h"

#include <set>
#include <vector>

#include "peimage/PeFormat.h"
#include "platform/ByteReader.h"

namespace tvl {
namespace {

struct RawEntry {
  DWORD name, offset;
};

class Walker {
 public:
  Walker(std::span<const BYTE> region, bool strict) : m_region(region), m_strict(strict) {}

  bool Table(size_t offset, std::vector<RawEntry>& entries) {
    entries.clear();
    if (offset >= m_region.Size() || !m_region.Fits(offset, pe::kResDirHeaderSize)) return false;
    if (!m_visited.insert(offset).second) return false;
    CByteReader dir = m_region.Sub(offset, m_region.Size() - offset);
    const size_t count = static_cast<size_t>(dir.U16At(pe::kResDirNamedCount)) + dir.U16At(pe::kResDirIdCount);
    if ((dir.Size() - pe::kResDirHeaderSize) / pe::kResDirEntrySize < count) return false;
    const std::span<const BYTE> array = dir.BytesAt(pe::kResDirHeaderSize, count * pe::kResDirEntrySize);
    entries.reserve(count);
    for (size_t e = 0; e < array.size(); e += pe::kResDirEntrySize)
      entries.push_back({Get32(&array[e]), Get32(&array[e + 4])});
    return true;
  }

  bool Id(DWORD field, ResDirId& out) {
    out.isName = (field & pe::kResNameIsString) != 0;
    if (!out.isName) {
      out.name.clear();
      out.ordinal = static_cast<WORD>(field);
      return field <= 0xFFFF;
    }
    const size_t offset = field & ~pe::kResNameIsString;
    if (!m_region.Fits(offset, 2)) return false;
    const size_t length = m_region.U16At(offset);
    if ((m_region.Size() - offset - 2) / 2 < length) return false;
    const std::span<const BYTE> chars = m_region.BytesAt(offset + 2, 2 * length);
    out.ordinal = 0;
    out.name.assign(length, u'\0');
    for (size_t i = 0; i < length; ++i) out.name[i] = static_cast<char16_t>(Get16(&chars[2 * i]));
    return true;
  }

  // A subdirectory entry's id and table; false means skip it (or, strict, fail).
  bool Branch(const RawEntry& e, ResDirId& id, std::vector<RawEntry>& entries) {
    return (e.offset & pe::kResDataIsDirectory) && Id(e.name, id) && Table(e.offset & ~pe::kResDataIsDirectory, entries);
  }

  bool Languages(const ResDirId& type, const ResDirId& name, const std::vector<RawEntry>& languages,
                 const std::function<bool(const ResDirLeaf&)>& leaf) {
    for (const RawEntry& l : languages) {
      // Languages are ordinals and lead to data entries.
      if ((l.name & pe::kResNameIsString) || l.name > 0xFFFF || (l.offset & pe::kResDataIsDirectory) ||
          !m_region.Fits(l.offset, pe::kResDataEntrySize)) {
        if (m_strict) return false;
        continue;
      }
      CByteReader de = m_region.Sub(l.offset, pe::kResDataEntrySize);
      if (!leaf({type, name, static_cast<WORD>(l.name), de.U32At(0), de.U32At(4), de.U32At(8)})) return false;
    }
    return true;
  }

  bool Walk(const std::function<bool(const ResDirLeaf&)>& leaf) {
    std::vector<RawEntry> types, names, languages;
    if (!Table(0, types)) return false;
    ResDirId type, name;
    for (const RawEntry& t : types) {
      if (!Branch(t, type, names)) {
        if (m_strict) return false;
        continue;
      }
      for (const RawEntry& n : names) {
        if (!Branch(n, name, languages)) {
          if (m_strict) return false;
          continue;
        }
        if (!Languages(type, name, languages, leaf)) return false;
      }
    }
    return true;
  }

 private:
  CByteReader m_region;
  bool m_strict;
  std::set<size_t> m_visited;
};

}  // namespace

bool WalkResourceDirectory(std::span<const BYTE> region, bool strict,
                           const std::function<bool(const ResDirLeaf&)>& leaf) {
  return Walker(region, strict).Walk(leaf);
}

}  // namespace tvl
