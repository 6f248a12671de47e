#include "peimage/ResourceUpdate.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <unicode/uchar.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <optional>
#include <set>

#include "peimage/PeFormat.h"
#include "platform/Files.h"

namespace tvl {
namespace {

using namespace pe;

constexpr DWORD kScnCntCode = 0x00000020;
constexpr DWORD kScnMemExecute = 0x20000000;
constexpr size_t kDirBoundImport = 11;
constexpr size_t kDebugEntrySize = 28;
constexpr ULONGLONG kMaxSection = 0x7FFFFFFF;  // directory offsets have 31 bits
constexpr ULONGLONG kMinSection = 32;
constexpr int kHeaderEdit = 1;
constexpr int kSectionEdit = 2;

ULONGLONG Align8(ULONGLONG v) { return (v + 7) / 8 * 8; }

char16_t UpperUnit(char16_t c) {
  if (c < 0x80) return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 0x20) : c;
  if (c >= 0xD800 && c <= 0xDFFF) return c;
  UChar32 u = u_toupper(static_cast<UChar32>(c));
  return u >= 0 && u <= 0xFFFF ? static_cast<char16_t>(u) : c;
}

// ---------------------------------------------------------------------------------------
// Headers

struct Section {
  size_t headerOffset = 0;
  DWORD virtualSize = 0;
  DWORD va = 0;
  DWORD rawSize = 0;
  DWORD rawPtr = 0;
  DWORD ptrRelocs = 0;
  DWORD ptrLines = 0;
  DWORD characteristics = 0;

  bool HasRaw() const { return rawSize != 0 && rawPtr != 0; }
  ULONGLONG RawEnd() const { return static_cast<ULONGLONG>(rawPtr) + rawSize; }
  DWORD MemSize() const { return virtualSize ? virtualSize : rawSize; }
};

struct Image {
  size_t fileHeader = 0;
  size_t optHeader = 0;
  bool pe32plus = false;
  size_t dataDirs = 0;
  DWORD numDirs = 0;
  size_t sectionTable = 0;
  DWORD fileAlignment = 0;
  DWORD sectionAlignment = 0;
  DWORD sizeOfHeaders = 0;
  std::vector<Section> sections;

  bool HasDir(size_t i) const { return i < numDirs; }
  DWORD DirRva(const BYTE* f, size_t i) const { return HasDir(i) ? Get32(f + dataDirs + i * 8) : 0; }
  DWORD DirSize(const BYTE* f, size_t i) const { return HasDir(i) ? Get32(f + dataDirs + i * 8 + 4) : 0; }
  void SetDir(BYTE* f, size_t i, DWORD rva, DWORD size) const {
    Put32(f + dataDirs + i * 8, rva);
    Put32(f + dataDirs + i * 8 + 4, size);
  }
  // Address span of a section as the loader maps it.
  ULONGLONG Span(const Section& s) const { return AlignUp64(s.MemSize(), sectionAlignment); }
  bool Contains(const Section& s, ULONGLONG rva) const { return rva >= s.va && rva < s.va + Span(s); }

  static ULONGLONG AlignUp64(ULONGLONG v, ULONGLONG a) { return a == 0 ? v : (v + a - 1) / a * a; }

  // File offset of `len` bytes at `rva`, when they lie in one section's file data.
  std::optional<size_t> RvaToOffset(ULONGLONG rva, ULONGLONG len) const {
    for (const Section& s : sections) {
      if (!s.HasRaw() || rva < s.va) continue;
      ULONGLONG rel = rva - s.va;
      if (rel < s.rawSize && len <= s.rawSize - rel) return static_cast<size_t>(s.rawPtr + rel);
    }
    return std::nullopt;
  }
};

bool IsPowerOfTwo(DWORD v) { return v != 0 && (v & (v - 1)) == 0; }

bool ParseImage(const BYTE* f, size_t size, Image& img) {
  if (size < 0x40 || Get16(f) != kDosSignature) return false;
  size_t nt = Get32(f + kDosLfanew);
  if (nt > size || size - nt < kOptionalHeaderOffset || Get32(f + nt) != kNtSignature) return false;
  img.fileHeader = nt + kFileHeaderOffset;
  img.optHeader = nt + kOptionalHeaderOffset;
  size_t sizeOpt = Get16(f + img.fileHeader + kFhSizeOfOptionalHeader);
  size_t numSections = Get16(f + img.fileHeader + kFhNumberOfSections);
  if (size - img.optHeader < sizeOpt) return false;
  WORD magic = sizeOpt >= 2 ? Get16(f + img.optHeader) : 0;
  if (magic == kMagicPe32Plus)
    img.pe32plus = true;
  else if (magic != kMagicPe32)
    return false;
  size_t dirOffset = img.pe32plus ? kOhDataDirectory64 : kOhDataDirectory32;
  if (sizeOpt < dirOffset) return false;
  DWORD declared = Get32(f + img.optHeader + (img.pe32plus ? kOhNumberOfRvaAndSizes64 : kOhNumberOfRvaAndSizes32));
  img.numDirs = static_cast<DWORD>(std::min<size_t>({declared, (sizeOpt - dirOffset) / kDataDirectoryEntrySize, 16}));
  img.dataDirs = img.optHeader + dirOffset;
  img.fileAlignment = Get32(f + img.optHeader + kOhFileAlignment);
  img.sectionAlignment = Get32(f + img.optHeader + kOhSectionAlignment);
  img.sizeOfHeaders = Get32(f + img.optHeader + kOhSizeOfHeaders);
  if (!IsPowerOfTwo(img.fileAlignment) || img.fileAlignment > 0x10000 || !IsPowerOfTwo(img.sectionAlignment) ||
      img.sectionAlignment < img.fileAlignment)
    return false;
  img.sectionTable = img.optHeader + sizeOpt;
  if ((size - img.sectionTable) / kSectionHeaderSize < numSections) return false;
  img.sections.resize(numSections);
  for (size_t i = 0; i < numSections; ++i) {
    Section& s = img.sections[i];
    s.headerOffset = img.sectionTable + i * kSectionHeaderSize;
    const BYTE* h = f + s.headerOffset;
    s.virtualSize = Get32(h + kShVirtualSize);
    s.va = Get32(h + kShVirtualAddress);
    s.rawSize = Get32(h + kShSizeOfRawData);
    s.rawPtr = Get32(h + kShPointerToRawData);
    s.ptrRelocs = Get32(h + kShPointerToRelocations);
    s.ptrLines = Get32(h + 28);
    s.characteristics = Get32(h + kShCharacteristics);
    if (s.HasRaw() && s.RawEnd() > size) return false;
  }
  return true;
}

void WriteSectionHeader(BYTE* f, const Section& s) {
  BYTE* h = f + s.headerOffset;
  Put32(h + kShVirtualSize, s.virtualSize);
  Put32(h + kShVirtualAddress, s.va);
  Put32(h + kShSizeOfRawData, s.rawSize);
  Put32(h + kShPointerToRawData, s.rawPtr);
  Put32(h + kShPointerToRelocations, s.ptrRelocs);
  Put32(h + 28, s.ptrLines);
  Put32(h + kShCharacteristics, s.characteristics);
}

// ---------------------------------------------------------------------------------------
// Checksum: 16-bit words with end-around carry. Words are summed as 32-bit values into a
// 64-bit accumulator, which is congruent modulo 0xFFFF, and folded at the end.

class ChecksumAccumulator {
 public:
  void Add(const BYTE* p, size_t n) {
    if (n == 0) return;
    if (m_length & 1) {
      m_sum += static_cast<ULONGLONG>(p[0]) << 8;
      ++p;
      --n;
      ++m_length;
    }
    size_t words4 = n / 4;
    for (size_t i = 0; i < words4; ++i) m_sum += Get32(p + 4 * i);
    size_t done = words4 * 4;
    if (n - done >= 2) {
      m_sum += Get16(p + done);
      done += 2;
    }
    if (done < n) m_sum += p[done];
    m_length += n;
  }
  void AddZeros(size_t n) { m_length += n; }
  DWORD Finish() const {
    ULONGLONG s = m_sum;
    while (s > 0xFFFF) s = (s & 0xFFFF) + (s >> 16);
    return static_cast<DWORD>(s + m_length);
  }

 private:
  ULONGLONG m_sum = 0;
  ULONGLONG m_length = 0;
};

// ---------------------------------------------------------------------------------------
// Section layout

struct Layout {
  size_t types = 0, names = 0, leaves = 0;
  ULONGLONG dataEntries = 0, strings = 0, data = 0, total = 0;
};

bool CountLevel(size_t named, size_t ids) { return named <= 0xFFFF && ids <= 0xFFFF; }

bool Measure(const ResTypeMap& set, Layout& l) {
  ULONGLONG dirs = kResDirHeaderSize + kResDirEntrySize * set.size();
  ULONGLONG strings = 0, data = 0;
  size_t namedTypes = 0;
  for (const auto& [type, names] : set) {
    if (type.isName) {
      ++namedTypes;
      strings += 2 + 2 * type.name.size();
    }
    dirs += kResDirHeaderSize + kResDirEntrySize * names.size();
    size_t namedNames = 0;
    for (const auto& [name, langs] : names) {
      if (name.isName) {
        ++namedNames;
        strings += 2 + 2 * name.name.size();
      }
      if (langs.size() > 0xFFFF) return false;
      dirs += kResDirHeaderSize + kResDirEntrySize * langs.size();
      l.leaves += langs.size();
      for (const auto& [lang, bytes] : langs) data += Align8(bytes.size());
    }
    if (!CountLevel(namedNames, names.size() - namedNames)) return false;
    l.names += names.size();
  }
  if (!CountLevel(namedTypes, set.size() - namedTypes)) return false;
  l.types = set.size();
  l.dataEntries = dirs;
  l.strings = dirs + kResDataEntrySize * l.leaves;
  l.data = (l.strings + strings + 7) / 8 * 8;
  // Some PE tools call a section corrupt when it ends right after an empty root directory;
  // a few zero bytes after it cost nothing.
  l.total = std::max<ULONGLONG>(l.data + data, kMinSection);
  return l.total <= kMaxSection;
}

class SectionWriter {
 public:
  SectionWriter(BYTE* out, const Layout& l, DWORD base) : m_out(out), m_base(base) {
    m_typeDir = kResDirHeaderSize + kResDirEntrySize * l.types;
    m_nameDir = m_typeDir;  // advanced past the type tables in Write
    m_dataEntry = l.dataEntries;
    m_string = l.strings;
    m_data = l.data;
  }

  void Write(const ResTypeMap& set) {
    for (const auto& [type, names] : set) m_nameDir += kResDirHeaderSize + kResDirEntrySize * names.size();
    size_t root = 0;
    Header(root, set);
    size_t slot = root + kResDirHeaderSize;
    for (const auto& [type, names] : set) {
      size_t typeDir = m_typeDir;
      m_typeDir += kResDirHeaderSize + kResDirEntrySize * names.size();
      Entry(slot, type, kResDataIsDirectory | static_cast<DWORD>(typeDir));
      slot += kResDirEntrySize;
      Header(typeDir, names);
      size_t nameSlot = typeDir + kResDirHeaderSize;
      for (const auto& [name, langs] : names) {
        size_t nameDir = m_nameDir;
        m_nameDir += kResDirHeaderSize + kResDirEntrySize * langs.size();
        Entry(nameSlot, name, kResDataIsDirectory | static_cast<DWORD>(nameDir));
        nameSlot += kResDirEntrySize;
        Put16(m_out + nameDir + kResDirNamedCount, 0);
        Put16(m_out + nameDir + kResDirIdCount, static_cast<WORD>(langs.size()));
        size_t langSlot = nameDir + kResDirHeaderSize;
        for (const auto& [lang, bytes] : langs) {
          Put32(m_out + langSlot, lang);
          Put32(m_out + langSlot + 4, static_cast<DWORD>(m_dataEntry));
          langSlot += kResDirEntrySize;
          Put32(m_out + m_dataEntry, m_base + static_cast<DWORD>(m_data));
          Put32(m_out + m_dataEntry + 4, static_cast<DWORD>(bytes.size()));
          m_dataEntry += kResDataEntrySize;
          if (!bytes.empty()) std::memcpy(m_out + m_data, bytes.data(), bytes.size());
          m_data += Align8(bytes.size());
        }
      }
    }
  }

 private:
  template <class Map>
  void Header(size_t at, const Map& m) {
    size_t named = 0;
    for (const auto& kv : m) named += kv.first.isName ? 1 : 0;
    Put16(m_out + at + kResDirNamedCount, static_cast<WORD>(named));
    Put16(m_out + at + kResDirIdCount, static_cast<WORD>(m.size() - named));
  }

  void Entry(size_t at, const ResId& id, DWORD target) {
    if (id.isName) {
      Put32(m_out + at, kResNameIsString | static_cast<DWORD>(m_string));
      Put16(m_out + m_string, static_cast<WORD>(id.name.size()));
      for (size_t i = 0; i < id.name.size(); ++i) Put16(m_out + m_string + 2 + 2 * i, id.name[i]);
      m_string += 2 + 2 * id.name.size();
    } else {
      Put32(m_out + at, id.ordinal);
    }
    Put32(m_out + at + 4, target);
  }

  BYTE* m_out;
  DWORD m_base;
  size_t m_typeDir, m_nameDir;
  ULONGLONG m_dataEntry, m_string, m_data;
};

// ---------------------------------------------------------------------------------------
// Reading an existing directory

class DirectoryReader {
 public:
  DirectoryReader(const BYTE* f, size_t fileSize, const Image& img, size_t start, size_t end, ResTypeMap& out)
      : m_f(f), m_fileSize(fileSize), m_img(img), m_start(start), m_end(end), m_out(out) {}

  bool Read() {
    std::vector<Item> types;
    if (!Table(0, true, types)) return false;
    for (const Item& t : types) {
      std::vector<Item> names;
      if (!Table(t.target, true, names)) return false;
      for (const Item& n : names) {
        std::vector<Item> langs;
        if (!Table(n.target, false, langs)) return false;
        for (const Item& l : langs)
          if (!Leaf(t.id, n.id, static_cast<WORD>(l.id.ordinal), l.target)) return false;
      }
    }
    return true;
  }

 private:
  struct Item {
    ResId id;
    DWORD target;
  };

  size_t Length() const { return m_end - m_start; }

  bool Table(DWORD offset, bool subdirs, std::vector<Item>& items) {
    // Each table is read once: a loop or a shared table would multiply the work.
    if (!m_seen.insert(offset).second) return false;
    if (offset > Length() || Length() - offset < kResDirHeaderSize) return false;
    const BYTE* p = m_f + m_start + offset;
    size_t count = static_cast<size_t>(Get16(p + kResDirNamedCount)) + Get16(p + kResDirIdCount);
    if ((Length() - offset - kResDirHeaderSize) / kResDirEntrySize < count) return false;
    items.reserve(count);
    for (size_t i = 0; i < count; ++i) {
      const BYTE* e = p + kResDirHeaderSize + i * kResDirEntrySize;
      DWORD nameField = Get32(e), target = Get32(e + 4);
      if (((target & kResDataIsDirectory) != 0) != subdirs) return false;
      Item item;
      if (nameField & kResNameIsString) {
        if (!subdirs) return false;  // languages are numbers
        if (!Name(nameField & ~kResNameIsString, item.id)) return false;
      } else {
        item.id = ResId::Id(static_cast<WORD>(nameField));
      }
      item.target = target & ~kResDataIsDirectory;
      items.push_back(std::move(item));
    }
    return true;
  }

  bool Name(DWORD offset, ResId& id) {
    if (offset > Length() || Length() - offset < 2) return false;
    const BYTE* p = m_f + m_start + offset;
    size_t len = Get16(p);
    if ((Length() - offset - 2) / 2 < len) return false;
    std::u16string s(len, u'\0');
    for (size_t i = 0; i < len; ++i) s[i] = static_cast<char16_t>(Get16(p + 2 + 2 * i));
    id = ResId::Name(std::move(s));
    return true;
  }

  bool Leaf(const ResId& type, const ResId& name, WORD lang, DWORD offset) {
    if (offset > Length() || Length() - offset < kResDataEntrySize) return false;
    const BYTE* p = m_f + m_start + offset;
    DWORD rva = Get32(p), size = Get32(p + 4);
    std::vector<BYTE> bytes;
    if (size != 0) {
      auto at = m_img.RvaToOffset(rva, size);
      if (!at) return false;
      // Entries may share data; do not let a crafted file multiply its size in memory.
      m_copied += size;
      if (m_copied > 4 * static_cast<ULONGLONG>(m_fileSize) + (1u << 20)) return false;
      bytes.assign(m_f + *at, m_f + *at + size);
    }
    m_out[type][name][lang] = std::move(bytes);
    return true;
  }

  const BYTE* m_f;
  size_t m_fileSize;
  const Image& m_img;
  size_t m_start, m_end;
  ResTypeMap& m_out;
  std::set<DWORD> m_seen;
  ULONGLONG m_copied = 0;
};

// Index of the section whose address span holds `rva`, or -1.
int SectionAt(const Image& img, ULONGLONG rva) {
  for (size_t i = 0; i < img.sections.size(); ++i)
    if (img.Contains(img.sections[i], rva)) return static_cast<int>(i);
  return -1;
}

// ---------------------------------------------------------------------------------------
// File edits: ranges of the original file replaced by new bytes, in ascending order.

struct Piece {
  const BYTE* data;  // nullptr: zeros
  size_t size;
};

struct Edit {
  size_t begin, end;  // replaced range of the original file (begin == end: insertion)
  std::vector<Piece> pieces;
  int tag = 0;
  size_t Size() const {
    size_t n = 0;
    for (const Piece& p : pieces) n += p.size;
    return n;
  }
};

class EditList {
 public:
  void Add(Edit e) { m_edits.push_back(std::move(e)); }
  bool Finish() {
    std::stable_sort(m_edits.begin(), m_edits.end(),
              [](const Edit& a, const Edit& b) { return a.begin != b.begin ? a.begin < b.begin : a.end < b.end; });
    for (size_t i = 1; i < m_edits.size(); ++i)
      if (m_edits[i].begin < m_edits[i - 1].end) return false;
    return true;
  }
  // New position of an original offset; none when it lies in a replaced range.
  std::optional<ULONGLONG> Map(size_t old) const {
    long long delta = 0;
    for (const Edit& e : m_edits) {
      if (old >= e.end) {
        delta += static_cast<long long>(e.Size()) - static_cast<long long>(e.end - e.begin);
      } else if (old >= e.begin) {
        return std::nullopt;
      } else {
        break;
      }
    }
    return static_cast<ULONGLONG>(static_cast<long long>(old) + delta);
  }
  // New position of the first byte an edit writes.
  ULONGLONG Start(const Edit* which) const {
    long long delta = 0;
    for (const Edit& e : m_edits) {
      if (&e == which) break;
      delta += static_cast<long long>(e.Size()) - static_cast<long long>(e.end - e.begin);
    }
    return static_cast<ULONGLONG>(static_cast<long long>(which->begin) + delta);
  }
  const Edit* Find(int tag) const {
    for (const Edit& e : m_edits)
      if (e.tag == tag) return &e;
    return nullptr;
  }
  // The output as pieces over the original bytes.
  std::vector<Piece> Output(const BYTE* f, size_t size) const {
    std::vector<Piece> out;
    size_t pos = 0;
    for (const Edit& e : m_edits) {
      if (e.begin > pos) out.push_back({f + pos, e.begin - pos});
      for (const Piece& p : e.pieces)
        if (p.size) out.push_back(p);
      pos = e.end;
    }
    if (pos < size) out.push_back({f + pos, size - pos});
    return out;
  }

 private:
  std::vector<Edit> m_edits;
};

bool AllZero(const BYTE* p, size_t n) {
  for (size_t i = 0; i < n; ++i)
    if (p[i]) return false;
  return true;
}

bool Fail(int code) {
  errno = code;
  return false;
}

// Writes the pieces to a new file beside `path` and renames it over `path`.
bool WriteReplacing(const std::string& path, const std::vector<Piece>& pieces, const std::vector<BYTE>& zeros) {
  struct stat st{};
  if (::stat(path.c_str(), &st) != 0) return false;
  size_t slash = path.rfind('/');
  std::string dir = slash == std::string::npos ? std::string(".") : path.substr(0, slash == 0 ? 1 : slash);
  std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  std::string tmpl = dir + "/." + base + ".tvlXXXXXX";
  int fd = ::mkstemp(tmpl.data());
  if (fd < 0) return false;
  auto abandon = [&]() {
    int saved = errno;
    ::close(fd);
    ::unlink(tmpl.c_str());
    errno = saved;
    return false;
  };
  for (const Piece& piece : pieces) {
    size_t left = piece.size;
    while (left > 0) {
      const BYTE* src = piece.data ? piece.data + (piece.size - left) : zeros.data();
      size_t chunk = piece.data ? left : std::min(left, zeros.size());
      ssize_t n = ::write(fd, src, chunk);
      if (n < 0) {
        if (errno == EINTR) continue;
        return abandon();
      }
      if (n == 0) {
        errno = EIO;
        return abandon();
      }
      left -= static_cast<size_t>(n);
    }
  }
  if (::fchmod(fd, st.st_mode & 07777) != 0) return abandon();
  if (::close(fd) != 0) {
    int saved = errno;
    ::unlink(tmpl.c_str());
    errno = saved;
    return false;
  }
  if (::rename(tmpl.c_str(), path.c_str()) != 0) {
    int saved = errno;
    ::unlink(tmpl.c_str());
    errno = saved;
    return false;
  }
  return true;
}

// Whether a section after the resource section may get a new address: only the base
// relocations, the debug directory and data nothing addresses (discardable, no code).
bool IsMovable(const BYTE* f, const Image& img, const Section& s) {
  if (s.characteristics & (kScnCntCode | kScnMemExecute)) return false;
  bool holdsRelocs = false;
  for (size_t d = 0; d < img.numDirs; ++d) {
    if (d == kDirResource || d == kDirSecurity) continue;
    DWORD rva = img.DirRva(f, d), len = img.DirSize(f, d);
    if (rva == 0) continue;
    ULONGLONG end = static_cast<ULONGLONG>(rva) + std::max<DWORD>(len, 1);
    bool overlaps = rva < s.va + img.Span(s) && end > s.va;
    if (!overlaps) continue;
    if (d == kDirBaseReloc)
      holdsRelocs = true;
    else if (d != kDirDebug)
      return false;
  }
  if (!holdsRelocs && !(s.characteristics & kScnMemDiscardable)) return false;
  // No relocation may patch bytes inside it: those would be addresses we cannot follow.
  DWORD relRva = img.DirRva(f, kDirBaseReloc), relSize = img.DirSize(f, kDirBaseReloc);
  if (relRva && relSize) {
    auto at = img.RvaToOffset(relRva, relSize);
    if (!at) return false;
    size_t pos = 0;
    while (relSize - pos >= 8) {
      DWORD page = Get32(f + *at + pos), block = Get32(f + *at + pos + 4);
      if (block < 8 || block > relSize - pos) break;
      if (block > 8 && page < s.va + img.Span(s) && static_cast<ULONGLONG>(page) + 0x1000 > s.va) return false;
      pos += block;
    }
  }
  return true;
}

}  // namespace

// ---------------------------------------------------------------------------------------

int CompareResourceNames(std::u16string_view a, std::u16string_view b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    char16_t x = UpperUnit(a[i]), y = UpperUnit(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  int raw = a.compare(b);
  return raw < 0 ? -1 : raw > 0 ? 1 : 0;
}

bool ResIdLess::operator()(const ResId& a, const ResId& b) const {
  if (a.isName != b.isName) return a.isName;
  if (a.isName) return CompareResourceNames(a.name, b.name) < 0;
  return a.ordinal < b.ordinal;
}

std::vector<ResEntryView> ListEntries(const ResTypeMap& set) {
  std::vector<ResEntryView> out;
  for (const auto& [type, names] : set)
    for (const auto& [name, langs] : names)
      for (const auto& [lang, bytes] : langs) out.push_back({&type, &name, lang, &bytes});
  return out;
}

bool BuildResourceSection(const ResTypeMap& set, DWORD baseRva, std::vector<BYTE>& out) {
  Layout l;
  if (!Measure(set, l) || baseRva + l.total > 0xFFFFFFFFull) return Fail(EFBIG);
  out.assign(static_cast<size_t>(l.total), 0);
  SectionWriter(out.data(), l, baseRva).Write(set);
  return true;
}

bool ReadResourceSet(const BYTE* file, size_t size, ResTypeMap& set) {
  Image img;
  if (!ParseImage(file, size, img)) return Fail(ENOEXEC);
  DWORD rva = img.DirRva(file, kDirResource);
  if (rva == 0) return true;
  for (const Section& s : img.sections) {
    if (!s.HasRaw() || rva < s.va || rva - s.va >= s.rawSize) continue;
    size_t start = s.rawPtr + (rva - s.va);
    ResTypeMap read;
    DirectoryReader reader(file, size, img, start, static_cast<size_t>(s.RawEnd()), read);
    if (!reader.Read()) return Fail(ENOEXEC);
    for (auto& [type, names] : read)
      for (auto& [name, langs] : names)
        for (auto& [lang, bytes] : langs) set[type][name][lang] = std::move(bytes);
    return true;
  }
  return Fail(ENOEXEC);
}

DWORD ComputePeChecksum(const BYTE* data, size_t size, size_t checksumOffset) {
  ChecksumAccumulator acc;
  size_t head = std::min(checksumOffset, size);
  acc.Add(data, head);
  size_t field = std::min<size_t>(4, size - head);
  acc.AddZeros(field);
  acc.Add(data + head + field, size - head - field);
  return acc.Finish();
}

// ---------------------------------------------------------------------------------------

bool CResourceUpdate::Begin(const std::u16string& path, bool deleteExisting) {
  return Begin(NativePath(path), deleteExisting);
}

bool CResourceUpdate::Begin(const std::string& path, bool deleteExisting) {
  if (m_open) return Fail(EBUSY);
  if (path.empty()) return Fail(ENOENT);
  // Update the file a link points to, as writing through the link would.
  std::string real = path;
  if (char* r = ::realpath(path.c_str(), nullptr)) {
    real = r;
    std::free(r);
  }
  int fd = ::open(real.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st{};
  if (::fstat(fd, &st) != 0) {
    int saved = errno;
    ::close(fd);
    return Fail(saved);
  }
  if (!S_ISREG(st.st_mode)) {
    ::close(fd);
    return Fail(S_ISDIR(st.st_mode) ? EISDIR : ENOEXEC);
  }
  if (::access(real.c_str(), W_OK) != 0) {
    int saved = errno;
    ::close(fd);
    return Fail(saved);
  }
  if (static_cast<ULONGLONG>(st.st_size) > 0xFFFFFFFFull) {
    ::close(fd);
    return Fail(EFBIG);
  }
  std::vector<BYTE> bytes(static_cast<size_t>(st.st_size));
  size_t got = 0;
  while (got < bytes.size()) {
    ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      int saved = n < 0 ? errno : EIO;
      ::close(fd);
      return Fail(saved);
    }
    got += static_cast<size_t>(n);
  }
  ::close(fd);

  Image img;
  if (!ParseImage(bytes.data(), bytes.size(), img) || img.numDirs <= kDirResource) return Fail(ENOEXEC);
  ResTypeMap pending;
  if (!deleteExisting && !ReadResourceSet(bytes.data(), bytes.size(), pending)) return false;
  m_path = std::move(real);
  m_file = std::move(bytes);
  m_pending = std::move(pending);
  m_open = true;
  return true;
}

bool CResourceUpdate::Add(const ResId& type, const ResId& name, WORD language, const void* data, size_t size) {
  if (!m_open) return Fail(EBADF);
  if ((type.isName && type.name.size() > 0xFFFF) || (name.isName && name.name.size() > 0xFFFF))
    return Fail(EINVAL);
  if (data == nullptr && size != 0) return Fail(EINVAL);
  if (size > kMaxSection) return Fail(EFBIG);
  if (data == nullptr) {
    auto t = m_pending.find(type);
    if (t == m_pending.end()) return true;
    auto n = t->second.find(name);
    if (n == t->second.end()) return true;
    n->second.erase(language);
    if (n->second.empty()) t->second.erase(n);
    if (t->second.empty()) m_pending.erase(t);
    return true;
  }
  const BYTE* p = static_cast<const BYTE*>(data);
  m_pending[type][name][language].assign(p, p + size);
  return true;
}

void CResourceUpdate::Discard() {
  m_open = false;
  m_path.clear();
  std::vector<BYTE>().swap(m_file);
  m_pending.clear();
}

size_t CResourceUpdate::PendingCount() const {
  size_t n = 0;
  for (const auto& [type, names] : m_pending)
    for (const auto& [name, langs] : names) n += langs.size();
  return n;
}

bool CResourceUpdate::Commit() {
  if (!m_open) return Fail(EBADF);

  struct Closer {
    CResourceUpdate* self;
    ~Closer() {
      int saved = errno;
      self->Discard();
      errno = saved;
    }
  } closer{this};

  BYTE* f = m_file.data();
  const size_t fileSize = m_file.size();
  Image img;
  if (!ParseImage(f, fileSize, img) || img.numDirs <= kDirResource) return Fail(ENOEXEC);
  const DWORD FA = img.fileAlignment, SA = img.sectionAlignment;

  Layout layout;
  if (!Measure(m_pending, layout)) return Fail(EFBIG);
  const ULONGLONG content = layout.total;
  const ULONGLONG newRaw = Image::AlignUp64(content, FA);
  const ULONGLONG newSpan = Image::AlignUp64(content, SA);

  // The section that holds the directory, and whether it holds nothing else.
  DWORD resRva = img.DirRva(f, kDirResource);
  int rs = resRva ? SectionAt(img, resRva) : -1;
  bool ours = false;
  if (rs >= 0) {
    const Section& s = img.sections[rs];
    ours = resRva == s.va && s.HasRaw();
    for (size_t d = 0; ours && d < img.numDirs; ++d) {
      if (d == kDirResource || d == kDirSecurity) continue;
      DWORD rva = img.DirRva(f, d);
      if (rva != 0 && img.Contains(s, rva)) ours = false;
    }
    for (size_t i = 0; ours && i < img.sections.size(); ++i) {
      const Section& o = img.sections[i];
      if (static_cast<int>(i) != rs && o.HasRaw() && o.rawPtr < s.RawEnd() && o.RawEnd() > s.rawPtr) ours = false;
    }
  }

  // Placement.
  bool inPlace = false, moveFollowers = false;
  long long vdelta = 0;
  DWORD newVirtualSize = static_cast<DWORD>(content);
  std::vector<size_t> followers;
  if (ours) {
    const Section& s = img.sections[rs];
    for (size_t i = 0; i < img.sections.size(); ++i)
      if (img.sections[i].va > s.va) followers.push_back(i);
    if (followers.empty()) {
      inPlace = true;
    } else {
      ULONGLONG next = ULLONG_MAX;
      bool movable = true;
      for (size_t i : followers) {
        next = std::min<ULONGLONG>(next, img.sections[i].va);
        if (!IsMovable(f, img, img.sections[i]) || img.sections[i].va % SA != 0) movable = false;
      }
      ULONGLONG gap = next - s.va;
      if (movable && newSpan != gap) {
        inPlace = moveFollowers = true;
        vdelta = static_cast<long long>(newSpan) - static_cast<long long>(gap);
      } else if (newSpan <= gap) {
        inPlace = true;
        if (newSpan != gap) newVirtualSize = static_cast<DWORD>(gap);  // no hole before the next section
      }
    }
  }

  EditList edits;
  std::vector<BYTE> section;
  std::vector<BYTE> zeros(std::max<size_t>(2 * FA, 4096), 0);
  Section target;  // the resource section as written
  std::vector<BYTE> headerGrowth;  // bytes inserted after the headers when they must grow
  size_t headerLimit = 0;          // where the original header bytes end
  size_t newHeaderSize = img.sizeOfHeaders;
  size_t sectionBegin = 0, sectionEnd = 0;  // the edit that carries the section
  size_t prePad = 0;

  if (inPlace) {
    target = img.sections[rs];
    sectionBegin = target.rawPtr;
    sectionEnd = static_cast<size_t>(target.RawEnd());
  } else {
    // A new section after the last one, in memory and in the file.
    ULONGLONG vaEnd = 0, rawEnd = 0, firstRaw = ULLONG_MAX, firstVa = ULLONG_MAX;
    for (const Section& s : img.sections) {
      vaEnd = std::max<ULONGLONG>(vaEnd, s.va + img.Span(s));
      firstVa = std::min<ULONGLONG>(firstVa, s.va);
      if (s.HasRaw()) {
        rawEnd = std::max(rawEnd, s.RawEnd());
        firstRaw = std::min<ULONGLONG>(firstRaw, s.rawPtr);
      }
    }
    if (rawEnd == 0) rawEnd = std::min<ULONGLONG>(Image::AlignUp64(img.sizeOfHeaders, FA), fileSize);
    if (firstRaw == ULLONG_MAX) firstRaw = rawEnd;
    ULONGLONG newVa = Image::AlignUp64(std::max<ULONGLONG>(vaEnd, Image::AlignUp64(img.sizeOfHeaders, SA)), SA);
    if (newVa + newSpan > 0xFFFFFFFFull) return Fail(EFBIG);
    if (img.sections.size() >= 0xFFFF) return Fail(EFBIG);

    // Room for one more section header: the header slack, else grown headers.
    size_t tableEnd = img.sectionTable + kSectionHeaderSize * img.sections.size();
    size_t newTableEnd = tableEnd + kSectionHeaderSize;
    size_t limit = static_cast<size_t>(std::min<ULONGLONG>(firstRaw, fileSize));
    if (tableEnd > limit) return Fail(ENOEXEC);
    if (img.HasDir(kDirBoundImport)) {
      // Bound imports often sit right after the section table; they are only a load-time
      // shortcut, so drop them rather than give up.
      ULONGLONG b = img.DirRva(f, kDirBoundImport), end = b + img.DirSize(f, kDirBoundImport);
      if (b != 0 && b < newTableEnd && end > tableEnd && end <= limit) {
        std::memset(f + b, 0, static_cast<size_t>(end - b));
        img.SetDir(f, kDirBoundImport, 0, 0);
      }
    }
    if (!AllZero(f + tableEnd, std::min(newTableEnd, limit) - tableEnd)) return Fail(EFBIG);
    if (newTableEnd > img.sizeOfHeaders || newTableEnd > limit) {
      newHeaderSize = std::max<size_t>(img.sizeOfHeaders, static_cast<size_t>(Image::AlignUp64(newTableEnd, FA)));
      if (newHeaderSize > firstVa) return Fail(EFBIG);
      if (newHeaderSize > limit) {
        headerGrowth.assign(static_cast<size_t>(Image::AlignUp64(newHeaderSize - limit, FA)), 0);
        edits.Add({limit, limit, {{headerGrowth.data(), headerGrowth.size()}}, kHeaderEdit});
      }
    }
    target.headerOffset = tableEnd;
    headerLimit = limit;
    target.va = static_cast<DWORD>(newVa);
    target.characteristics = kScnInitializedData | kScnMemRead;
    sectionBegin = sectionEnd = static_cast<size_t>(rawEnd);
    prePad = static_cast<size_t>(Image::AlignUp64(rawEnd, FA) - rawEnd);
    if (ours) {
      // The old section stays for its address range, but holds nothing any more.
      Section& old = img.sections[rs];
      std::memset(f + old.rawPtr, 0, old.rawSize);
      std::memcpy(f + old.headerOffset + kShName, ".oldrsrc", 8);
    }
  }

  // The certificate cannot stay valid: drop its bytes when they follow the sections.
  if (img.HasDir(kDirSecurity) && img.DirSize(f, kDirSecurity) != 0) {
    ULONGLONG c = img.DirRva(f, kDirSecurity), end = c + img.DirSize(f, kDirSecurity);
    ULONGLONG rawEnd = 0;
    for (const Section& s : img.sections)
      if (s.HasRaw()) rawEnd = std::max(rawEnd, s.RawEnd());
    if (c >= rawEnd && c >= sectionEnd && c < fileSize)
      edits.Add({static_cast<size_t>(c), static_cast<size_t>(std::min<ULONGLONG>(end, fileSize)), {}});
    img.SetDir(f, kDirSecurity, 0, 0);
  }

  if (!BuildResourceSection(m_pending, target.va, section)) return false;
  {
    Edit e{sectionBegin, sectionEnd, {}, kSectionEdit};
    if (prePad) e.pieces.push_back({nullptr, prePad});
    e.pieces.push_back({section.data(), section.size()});
    e.pieces.push_back({nullptr, static_cast<size_t>(newRaw - content)});
    edits.Add(std::move(e));
  }
  if (!edits.Finish()) return Fail(ENOEXEC);
  auto mapOffset = [&](DWORD old, bool& ok) -> DWORD {
    auto m = edits.Map(old);
    if (!m || *m > 0xFFFFFFFFull) {
      ok = false;
      return 0;
    }
    return static_cast<DWORD>(*m);
  };

  // Debug directory entries carry both an address and a file offset.
  if (img.HasDir(kDirDebug)) {
    DWORD drva = img.DirRva(f, kDirDebug), dsize = img.DirSize(f, kDirDebug);
    auto at = drva ? img.RvaToOffset(drva, dsize) : std::nullopt;
    if (at) {
      for (size_t i = 0; i < dsize / kDebugEntrySize; ++i) {
        BYTE* e = f + *at + i * kDebugEntrySize;
        DWORD addr = Get32(e + 20), ptr = Get32(e + 24);
        bool inOldResources = addr && ours && img.Contains(img.sections[rs], addr);
        if (addr && moveFollowers) {
          for (size_t fi : followers)
            if (img.Contains(img.sections[fi], addr)) {
              addr = static_cast<DWORD>(addr + vdelta);
              break;
            }
        }
        if (inOldResources) addr = 0;  // its bytes are gone
        bool ok = true;
        if (ptr) ptr = mapOffset(ptr, ok);
        if (!ok) ptr = 0;
        Put32(e + 20, addr);
        Put32(e + 24, ptr);
      }
    }
  }

  // Data directories and section addresses after a move in memory.
  if (moveFollowers) {
    for (size_t d : {kDirBaseReloc, kDirDebug}) {
      DWORD rva = img.DirRva(f, d);
      if (!rva) continue;
      for (size_t fi : followers)
        if (img.Contains(img.sections[fi], rva)) {
          img.SetDir(f, d, static_cast<DWORD>(rva + vdelta), img.DirSize(f, d));
          break;
        }
    }
    for (size_t fi : followers) img.sections[fi].va = static_cast<DWORD>(img.sections[fi].va + vdelta);
  }

  // File offsets of everything the edits moved.
  for (size_t i = 0; i < img.sections.size(); ++i) {
    if (inPlace && static_cast<int>(i) == rs) continue;
    Section& s = img.sections[i];
    bool ok = true;
    if (s.HasRaw()) {
      s.rawPtr = mapOffset(s.rawPtr, ok);
      if (!ok) return Fail(ENOEXEC);
    }
    if (s.ptrRelocs) {
      ok = true;
      s.ptrRelocs = mapOffset(s.ptrRelocs, ok);
    }
    if (s.ptrLines) {
      ok = true;
      s.ptrLines = mapOffset(s.ptrLines, ok);
    }
  }
  {
    BYTE* fh = f + img.fileHeader;
    DWORD sym = Get32(fh + kFhPointerToSymbolTable);
    bool ok = sym < fileSize;
    if (sym) sym = mapOffset(sym, ok);
    if (!ok) {
      Put32(fh + kFhPointerToSymbolTable, 0);
      Put32(fh + kFhNumberOfSymbols, 0);
    } else {
      Put32(fh + kFhPointerToSymbolTable, sym);
    }
  }

  // The resource section itself.
  DWORD oldRaw = inPlace ? target.rawSize : 0;
  target.virtualSize = newVirtualSize;
  target.rawSize = static_cast<DWORD>(newRaw);
  if (inPlace) {
    target.rawPtr = static_cast<DWORD>(edits.Start(edits.Find(kSectionEdit)));
    img.sections[rs] = target;
  } else {
    ULONGLONG start = edits.Start(edits.Find(kSectionEdit)) + prePad;
    if (start + newRaw > 0xFFFFFFFFull) return Fail(EFBIG);
    target.rawPtr = static_cast<DWORD>(start);
    // The new header may reach into the bytes inserted to grow the headers.
    BYTE header[kSectionHeaderSize] = {'.', 'r', 's', 'r', 'c'};
    Section local = target;
    local.headerOffset = 0;
    WriteSectionHeader(header, local);
    size_t inPlaceBytes = std::min(kSectionHeaderSize, headerLimit - target.headerOffset);
    std::memcpy(f + target.headerOffset, header, inPlaceBytes);
    if (inPlaceBytes < kSectionHeaderSize)
      std::memcpy(headerGrowth.data(), header + inPlaceBytes, kSectionHeaderSize - inPlaceBytes);
    Put16(f + img.fileHeader + kFhNumberOfSections, static_cast<WORD>(img.sections.size() + 1));
    Put32(f + img.optHeader + kOhSizeOfHeaders, static_cast<DWORD>(newHeaderSize));
  }
  for (const Section& s : img.sections) WriteSectionHeader(f, s);
  if (!inPlace) img.sections.push_back(target);
  img.SetDir(f, kDirResource, target.va, static_cast<DWORD>(content));

  // Sizes in the optional header.
  if (target.characteristics & kScnInitializedData) {
    long long init = static_cast<long long>(Get32(f + img.optHeader + kOhSizeOfInitializedData)) +
                     static_cast<long long>(newRaw) - static_cast<long long>(oldRaw);
    Put32(f + img.optHeader + kOhSizeOfInitializedData, static_cast<DWORD>(std::clamp<long long>(init, 0, 0xFFFFFFFFLL)));
  }
  ULONGLONG imageEnd = Image::AlignUp64(newHeaderSize, SA);
  for (const Section& s : img.sections) imageEnd = std::max<ULONGLONG>(imageEnd, s.va + img.Span(s));
  if (imageEnd > 0xFFFFFFFFull) return Fail(EFBIG);
  Put32(f + img.optHeader + kOhSizeOfImage, static_cast<DWORD>(imageEnd));

  std::vector<Piece> pieces = edits.Output(f, fileSize);
  ULONGLONG outSize = 0;
  for (const Piece& p : pieces) outSize += p.size;
  if (outSize > 0xFFFFFFFFull) return Fail(EFBIG);

  size_t checksumAt = img.optHeader + kOhCheckSum;
  if (Get32(f + checksumAt) != 0) {
    Put32(f + checksumAt, 0);
    ChecksumAccumulator acc;
    for (const Piece& p : pieces) {
      if (p.data)
        acc.Add(p.data, p.size);
      else
        acc.AddZeros(p.size);
    }
    Put32(f + checksumAt, acc.Finish());
  }

  return WriteReplacing(m_path, pieces, zeros);
}

}  // namespace tvl
