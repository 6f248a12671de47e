#include "peimage/ResourceUpdate.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>
#include <unicode/uchar.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>
#include <new>
#include <optional>
#include <set>
#include <span>
#include <unordered_map>

#include "peimage/PeFormat.h"
#include "platform/ByteReader.h"
#include "platform/Files.h"

namespace tvl {
namespace {

using namespace pe;

constexpr DWORD kScnCntCode = 0x00000020;
constexpr DWORD kScnMemExecute = 0x20000000;
constexpr size_t kDirBoundImport = 11;
constexpr size_t kDebugEntrySize = 28;
constexpr size_t kShPointerToLinenumbers = 28;
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

// Reads the headers from the first `size` bytes of a file of `fileSize` bytes.
bool ParseImage(const BYTE* f, size_t size, ULONGLONG fileSize, Image& img) {
  CByteReader in(std::span<const BYTE>(f, size));
  if (size < 0x40 || in.U16At(0) != kDosSignature) return false;
  size_t nt = in.U32At(kDosLfanew);
  if (!in.Fits(nt, kOptionalHeaderOffset) || in.U32At(nt) != kNtSignature) return false;
  img.fileHeader = nt + kFileHeaderOffset;
  img.optHeader = nt + kOptionalHeaderOffset;
  size_t sizeOpt = in.U16At(img.fileHeader + kFhSizeOfOptionalHeader);
  size_t numSections = in.U16At(img.fileHeader + kFhNumberOfSections);
  if (!in.Fits(img.optHeader, sizeOpt)) return false;
  CByteReader opt = in.Sub(img.optHeader, sizeOpt);
  WORD magic = sizeOpt >= 2 ? opt.U16At(0) : 0;
  if (magic == kMagicPe32Plus)
    img.pe32plus = true;
  else if (magic != kMagicPe32)
    return false;
  size_t dirOffset = img.pe32plus ? kOhDataDirectory64 : kOhDataDirectory32;
  if (sizeOpt < dirOffset) return false;
  DWORD declared = opt.U32At(img.pe32plus ? kOhNumberOfRvaAndSizes64 : kOhNumberOfRvaAndSizes32);
  img.numDirs = static_cast<DWORD>(std::min<size_t>({declared, (sizeOpt - dirOffset) / kDataDirectoryEntrySize, 16}));
  img.dataDirs = img.optHeader + dirOffset;
  img.fileAlignment = opt.U32At(kOhFileAlignment);
  img.sectionAlignment = opt.U32At(kOhSectionAlignment);
  img.sizeOfHeaders = opt.U32At(kOhSizeOfHeaders);
  if (!IsPowerOfTwo(img.fileAlignment) || img.fileAlignment > 0x10000 || !IsPowerOfTwo(img.sectionAlignment) ||
      img.sectionAlignment < img.fileAlignment)
    return false;
  img.sectionTable = img.optHeader + sizeOpt;
  if ((size - img.sectionTable) / kSectionHeaderSize < numSections) return false;
  img.sections.resize(numSections);
  for (size_t i = 0; i < numSections; ++i) {
    Section& s = img.sections[i];
    s.headerOffset = img.sectionTable + i * kSectionHeaderSize;
    CByteReader h = in.Sub(s.headerOffset, kSectionHeaderSize);
    s.virtualSize = h.U32At(kShVirtualSize);
    s.va = h.U32At(kShVirtualAddress);
    s.rawSize = h.U32At(kShSizeOfRawData);
    s.rawPtr = h.U32At(kShPointerToRawData);
    s.ptrRelocs = h.U32At(kShPointerToRelocations);
    s.ptrLines = h.U32At(kShPointerToLinenumbers);
    s.characteristics = h.U32At(kShCharacteristics);
    if (s.HasRaw() && s.RawEnd() > fileSize) return false;
  }
  return true;
}
bool ParseImage(const BYTE* f, size_t size, Image& img) { return ParseImage(f, size, size, img); }

void WriteSectionHeader(BYTE* f, const Section& s) {
  BYTE* h = f + s.headerOffset;
  Put32(h + kShVirtualSize, s.virtualSize);
  Put32(h + kShVirtualAddress, s.va);
  Put32(h + kShSizeOfRawData, s.rawSize);
  Put32(h + kShPointerToRawData, s.rawPtr);
  Put32(h + kShPointerToRelocations, s.ptrRelocs);
  Put32(h + kShPointerToLinenumbers, s.ptrLines);
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

}  // namespace

// ---------------------------------------------------------------------------------------
// The pending set: entries appended as they come, their bytes copied into large blocks, names
// interned. Replacing and removing are settled when the set is put in directory order, so
// an Add costs a copy and nothing more.

class PendingSet {
 public:
  static constexpr DWORD kNameBit = 0x80000000;

  struct Item {
    ULONGLONG key;  // type key << 32 | name key, filled in by Normalize
    DWORD type, name;  // an ordinal, or kNameBit | index of the interned name
    DWORD seq;
    DWORD size;
    WORD language;
    bool remove;
    const BYTE* data;
  };

  bool Add(const ResId& type, const ResId& name, WORD language, const BYTE* data, size_t size, bool remove,
           bool borrow = false) {
    if (m_items.size() >= 0xFFFFFFFEu) return false;
    Item item{0, Code(type), Code(name), static_cast<DWORD>(m_items.size()), static_cast<DWORD>(size), language, remove,
              nullptr};
    item.data = size == 0 ? nullptr : borrow ? data : Copy(data, size);
    m_items.push_back(item);
    m_normalized = false;
    return true;
  }

  // Puts the entries in directory order and settles replacements and removals: of several
  // entries with the same type, name and language the last added wins.
  void Normalize() {
    if (m_normalized) return;
    std::vector<DWORD> order(m_names.size());
    for (DWORD i = 0; i < order.size(); ++i) order[i] = i;
    std::sort(order.begin(), order.end(),
              [&](DWORD a, DWORD b) { return CompareResourceNames(m_names[a], m_names[b]) < 0; });
    std::vector<DWORD> rank(m_names.size());
    for (DWORD i = 0; i < order.size(); ++i) rank[order[i]] = i;
    // Names (by rank) before ordinals at every level.
    auto key = [&](DWORD code) -> ULONGLONG { return (code & kNameBit) ? rank[code & ~kNameBit] : (kNameBit | code); };
    for (Item& it : m_items) it.key = key(it.type) << 32 | key(it.name);
    auto before = [](const Item& a, const Item& b) {
      if (a.key != b.key) return a.key < b.key;
      if (a.language != b.language) return a.language < b.language;
      return a.seq < b.seq;
    };
    // Entries taken from another file's walk come in directory order already.
    if (!std::is_sorted(m_items.begin(), m_items.end(), before)) std::sort(m_items.begin(), m_items.end(), before);
    size_t out = 0;
    for (size_t i = 0; i < m_items.size(); ++i) {
      bool last = i + 1 == m_items.size() || m_items[i + 1].key != m_items[i].key ||
                  m_items[i + 1].language != m_items[i].language;
      if (last && !m_items[i].remove) m_items[out++] = m_items[i];
    }
    m_items.resize(out);
    for (size_t i = 0; i < m_items.size(); ++i) m_items[i].seq = static_cast<DWORD>(i);
    m_normalized = true;
  }

  const std::vector<Item>& Items() const { return m_items; }
  bool IsName(DWORD code) const { return (code & kNameBit) != 0; }
  const std::u16string& Name(DWORD code) const { return m_names[code & ~kNameBit]; }

 private:
  DWORD Code(const ResId& id) {
    if (!id.isName) return id.ordinal;
    auto [it, added] = m_nameIndex.try_emplace(id.name, static_cast<DWORD>(m_names.size()));
    if (added) m_names.push_back(id.name);
    return kNameBit | it->second;
  }

  struct FreeBlock {
    size_t size;
    void operator()(BYTE* p) const { ::munmap(p, size); }
  };
  using Block = std::unique_ptr<BYTE[], FreeBlock>;

  // Blocks mapped with their pages populated at once: copying tens of megabytes into fresh
  // memory is otherwise dominated by one page fault per page.
  static Block NewBlock(size_t n) {
    void* p = ::mmap(nullptr, n, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
    if (p == MAP_FAILED) throw std::bad_alloc();
    return Block(static_cast<BYTE*>(p), FreeBlock{n});
  }

  const BYTE* Copy(const BYTE* p, size_t n) {
    constexpr size_t kBlock = 4 << 20;
    if (n > kBlock / 4) {
      m_blocks.push_back(NewBlock(n));
      std::memcpy(m_blocks.back().get(), p, n);
      return m_blocks.back().get();
    }
    if (n > m_left) {
      m_blocks.push_back(NewBlock(kBlock));
      m_next = m_blocks.back().get();
      m_left = kBlock;
    }
    BYTE* at = m_next;
    std::memcpy(at, p, n);
    m_next += n;
    m_left -= n;
    return at;
  }

  std::vector<Item> m_items;
  std::vector<std::u16string> m_names;
  std::unordered_map<std::u16string, DWORD> m_nameIndex;
  std::vector<Block> m_blocks;
  BYTE* m_next = nullptr;
  size_t m_left = 0;
  bool m_normalized = true;
};

namespace {

// ---------------------------------------------------------------------------------------
// Section layout over a normalized set: directory tables (root, every type's, every name's),
// data entries, name strings, then the data, each blob padded to 8.

struct Layout {
  struct Group {
    size_t first, count;  // items, or (for types) names
    size_t named;         // named entries among them
  };
  std::vector<Group> types;  // groups of names
  std::vector<Group> names;  // groups of items (languages)
  size_t namedTypes = 0;
  ULONGLONG dataEntries = 0, strings = 0, data = 0, blobs = 0, total = 0;
};

bool Measure(const PendingSet& set, Layout& l) {
  const auto& items = set.Items();
  ULONGLONG strings = 0;
  for (size_t i = 0; i < items.size(); ++i) {
    const auto& it = items[i];
    bool newType = i == 0 || items[i - 1].type != it.type;
    bool newName = newType || items[i - 1].name != it.name;
    if (newType) {
      l.types.push_back({l.names.size(), 0, 0});
      if (set.IsName(it.type)) {
        ++l.namedTypes;
        strings += 2 + 2 * set.Name(it.type).size();
      }
    }
    if (newName) {
      l.names.push_back({i, 0, 0});
      Layout::Group& t = l.types.back();
      ++t.count;
      if (set.IsName(it.name)) {
        ++t.named;
        strings += 2 + 2 * set.Name(it.name).size();
      }
    }
    ++l.names.back().count;
    l.blobs += Align8(it.size);
  }
  auto fits = [](size_t named, size_t all) { return named <= 0xFFFF && all - named <= 0xFFFF; };
  if (!fits(l.namedTypes, l.types.size())) return false;
  for (const auto& t : l.types)
    if (!fits(t.named, t.count)) return false;
  for (const auto& n : l.names)
    if (n.count > 0xFFFF) return false;
  ULONGLONG dirs = kResDirHeaderSize + (kResDirEntrySize + kResDirHeaderSize) * l.types.size() +
                   (kResDirEntrySize + kResDirHeaderSize) * l.names.size() + kResDirEntrySize * items.size();
  l.dataEntries = dirs;
  l.strings = dirs + kResDataEntrySize * items.size();
  l.data = Align8(l.strings + strings);
  // Some PE tools call a section corrupt when it ends right after an empty root directory;
  // a few zero bytes after it cost nothing.
  // A zero-length entry last would point just past the section's end, which readers
  // that check the address alone refuse; a few zero bytes keep it inside.
  const ULONGLONG tail = !items.empty() && items.back().size == 0 ? 8 : 0;
  l.total = std::max<ULONGLONG>(l.data + l.blobs + tail, kMinSection);
  return l.total <= kMaxSection;
}

// Writes the first `Layout::data` bytes of the section: everything but the blobs.
void WriteIndex(const PendingSet& set, const Layout& l, DWORD base, BYTE* out) {
  const auto& items = set.Items();
  ULONGLONG typeDir = kResDirHeaderSize + kResDirEntrySize * l.types.size();
  ULONGLONG nameDir = typeDir + kResDirHeaderSize * l.types.size() + kResDirEntrySize * l.names.size();
  ULONGLONG entry = l.dataEntries, string = l.strings, data = l.data;
  auto id = [&](size_t at, DWORD code, ULONGLONG target) {
    if (set.IsName(code)) {
      const std::u16string& name = set.Name(code);
      Put32(out + at, kResNameIsString | static_cast<DWORD>(string));
      Put16(out + string, static_cast<WORD>(name.size()));
      for (size_t i = 0; i < name.size(); ++i) Put16(out + string + 2 + 2 * i, name[i]);
      string += 2 + 2 * name.size();
    } else {
      Put32(out + at, code);
    }
    Put32(out + at + 4, static_cast<DWORD>(target));
  };
  Put16(out + kResDirNamedCount, static_cast<WORD>(l.namedTypes));
  Put16(out + kResDirIdCount, static_cast<WORD>(l.types.size() - l.namedTypes));
  for (size_t t = 0; t < l.types.size(); ++t) {
    const Layout::Group& type = l.types[t];
    const ULONGLONG thisType = typeDir;
    typeDir += kResDirHeaderSize + kResDirEntrySize * type.count;
    id(kResDirHeaderSize + kResDirEntrySize * t, items[l.names[type.first].first].type, kResDataIsDirectory | thisType);
    Put16(out + thisType + kResDirNamedCount, static_cast<WORD>(type.named));
    Put16(out + thisType + kResDirIdCount, static_cast<WORD>(type.count - type.named));
    for (size_t n = 0; n < type.count; ++n) {
      const Layout::Group& name = l.names[type.first + n];
      const ULONGLONG thisName = nameDir;
      nameDir += kResDirHeaderSize + kResDirEntrySize * name.count;
      id(thisType + kResDirHeaderSize + kResDirEntrySize * n, items[name.first].name, kResDataIsDirectory | thisName);
      Put16(out + thisName + kResDirIdCount, static_cast<WORD>(name.count));
      for (size_t k = 0; k < name.count; ++k) {
        const auto& it = items[name.first + k];
        size_t slot = static_cast<size_t>(thisName + kResDirHeaderSize + kResDirEntrySize * k);
        Put32(out + slot, it.language);
        Put32(out + slot + 4, static_cast<DWORD>(entry));
        Put32(out + entry, base + static_cast<DWORD>(data));
        Put32(out + entry + 4, it.size);
        entry += kResDataEntrySize;
        data += Align8(it.size);
      }
    }
  }
}

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
  CByteReader Region() const { return CByteReader(std::span<const BYTE>(m_f + m_start, Length())); }

  bool Table(DWORD offset, bool subdirs, std::vector<Item>& items) {
    // Each table is read once: a loop or a shared table would multiply the work.
    if (!m_seen.insert(offset).second) return false;
    CByteReader region = Region();
    if (!region.Fits(offset, kResDirHeaderSize)) return false;
    CByteReader table = region.Sub(offset, Length() - offset);
    size_t count = static_cast<size_t>(table.U16At(kResDirNamedCount)) + table.U16At(kResDirIdCount);
    if ((table.Size() - kResDirHeaderSize) / kResDirEntrySize < count) return false;
    items.reserve(count);
    for (size_t i = 0; i < count; ++i) {
      const size_t e = kResDirHeaderSize + i * kResDirEntrySize;
      DWORD nameField = table.U32At(e), target = table.U32At(e + 4);
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
    CByteReader region = Region();
    if (!region.Fits(offset, 2)) return false;
    size_t len = region.U16At(offset);
    if ((Length() - offset - 2) / 2 < len) return false;
    std::u16string s(len, u'\0');
    for (size_t i = 0; i < len; ++i) s[i] = static_cast<char16_t>(region.U16At(offset + 2 + 2 * i));
    id = ResId::Name(std::move(s));
    return true;
  }

  bool Leaf(const ResId& type, const ResId& name, WORD lang, DWORD offset) {
    CByteReader region = Region();
    if (!region.Fits(offset, kResDataEntrySize)) return false;
    DWORD rva = region.U32At(offset), size = region.U32At(offset + 4);
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
// Output: the original file with ranges replaced. Only the headers are held in memory; the
// rest of the original is read from the file while the new one is written.

struct Piece {
  enum Kind { kMemory, kZeros, kFile, kBlobs } kind;
  const BYTE* data;  // kMemory
  size_t offset;     // kFile: offset in the original
  size_t size;
  const PendingSet* blobs = nullptr;  // kBlobs: every entry's bytes, each padded to 8
};
Piece Memory(const BYTE* p, size_t n) { return {Piece::kMemory, p, 0, n}; }
Piece Zeros(size_t n) { return {Piece::kZeros, nullptr, 0, n}; }

struct Edit {
  size_t begin, end;  // replaced range of the original file (begin == end: insertion)
  std::vector<Piece> pieces;
  int tag = 0;
  bool overwrite = false;  // same size: offsets inside keep their place
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
        if (!e.overwrite) return std::nullopt;
        break;
      } else {
        break;
      }
    }
    return static_cast<ULONGLONG>(static_cast<long long>(old) + delta);
  }
  // New position of the first byte an edit writes.
  ULONGLONG Start(int tag) const {
    long long delta = 0;
    for (const Edit& e : m_edits) {
      if (e.tag == tag) return static_cast<ULONGLONG>(static_cast<long long>(e.begin) + delta);
      delta += static_cast<long long>(e.Size()) - static_cast<long long>(e.end - e.begin);
    }
    return 0;
  }
  // The whole output: edits, and between them the original from `head` or from the file.
  std::vector<Piece> Output(const std::vector<BYTE>& head, size_t fileSize) const {
    std::vector<Piece> out;
    auto original = [&](size_t from, size_t to) {
      if (from < head.size()) {
        size_t mid = std::min(to, head.size());
        out.push_back(Memory(head.data() + from, mid - from));
        from = mid;
      }
      if (from < to) out.push_back({Piece::kFile, nullptr, from, to - from});
    };
    size_t pos = 0;
    for (const Edit& e : m_edits) {
      if (e.begin > pos) original(pos, e.begin);
      for (const Piece& p : e.pieces)
        if (p.size) out.push_back(p);
      pos = std::max(pos, e.end);
    }
    if (pos < fileSize) original(pos, fileSize);
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

bool PreadAll(int fd, BYTE* p, size_t n, size_t offset) {
  while (n > 0) {
    ssize_t got = ::pread(fd, p, n, static_cast<off_t>(offset));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) return Fail(EIO);  // the file shrank under us
    p += got;
    n -= static_cast<size_t>(got);
    offset += static_cast<size_t>(got);
  }
  return true;
}

bool WriteAll(int fd, const BYTE* p, size_t n) {
  while (n > 0) {
    ssize_t put = ::write(fd, p, n);
    if (put < 0 && errno == EINTR) continue;
    if (put < 0) return false;
    if (put == 0) return Fail(EIO);
    p += put;
    n -= static_cast<size_t>(put);
  }
  return true;
}

// Streams pieces into a file, summing them for the checksum if asked. Memory is handed to the
// kernel in gathered writes, without another copy; the original's bytes are copied by the
// kernel when there is nothing to sum.
class OutputWriter {
 public:
  OutputWriter(int out, int source, ChecksumAccumulator* checksum)
      : m_out(out), m_source(source), m_checksum(checksum) {}

  bool Put(const Piece& p) {
    switch (p.kind) {
      case Piece::kMemory:
        return PutMemory(p.data, p.size);
      case Piece::kZeros:
        return PutZeros(p.size);
      case Piece::kFile:
        return PutFile(p.offset, p.size);
      case Piece::kBlobs:
        for (const auto& it : p.blobs->Items()) {
          if (!PutMemory(it.data, it.size)) return false;
          if (size_t pad = static_cast<size_t>(Align8(it.size) - it.size); pad && !PutZeros(pad)) return false;
        }
        return true;
    }
    return false;
  }

  bool Flush() {
    size_t i = 0;
    while (i < m_count) {
      ssize_t put = ::writev(m_out, m_iov + i, static_cast<int>(m_count - i));
      if (put < 0 && errno == EINTR) continue;
      if (put < 0) return false;
      if (put == 0) return Fail(EIO);
      size_t left = static_cast<size_t>(put);
      while (i < m_count && left >= m_iov[i].iov_len) left -= m_iov[i++].iov_len;
      if (left) {
        m_iov[i].iov_base = static_cast<BYTE*>(m_iov[i].iov_base) + left;
        m_iov[i].iov_len -= left;
      }
    }
    m_count = 0;
    return true;
  }

 private:
  static constexpr size_t kMaxIov = 1024;
  static constexpr size_t kZeroBlock = 1 << 16;
  static inline const BYTE s_zeros[kZeroBlock] = {};

  bool Gather(const BYTE* p, size_t n) {
    if (m_count == kMaxIov && !Flush()) return false;
    m_iov[m_count++] = {const_cast<BYTE*>(p), n};
    return true;
  }
  bool PutMemory(const BYTE* p, size_t n) {
    if (n == 0) return true;
    if (m_checksum) m_checksum->Add(p, n);
    return Gather(p, n);
  }
  bool PutZeros(size_t n) {
    if (m_checksum) m_checksum->AddZeros(n);
    for (size_t chunk; n > 0; n -= chunk) {
      chunk = std::min(n, kZeroBlock);
      if (!Gather(s_zeros, chunk)) return false;
    }
    return true;
  }
  bool PutFile(size_t offset, size_t n) {
    if (!Flush()) return false;
    if (!m_checksum) {
      off_t in = static_cast<off_t>(offset);
      while (n > 0) {
        ssize_t done = ::copy_file_range(m_source, &in, m_out, nullptr, n, 0);
        if (done < 0 && errno == EINTR) continue;
        if (done <= 0) break;  // not supported here: copy by hand below
        n -= static_cast<size_t>(done);
      }
      offset = static_cast<size_t>(in);
    }
    if (n > 0 && m_buffer.empty()) m_buffer.resize(1 << 20);
    for (size_t chunk; n > 0; n -= chunk, offset += chunk) {
      chunk = std::min(n, m_buffer.size());
      if (!PreadAll(m_source, m_buffer.data(), chunk, offset)) return false;
      if (m_checksum) m_checksum->Add(m_buffer.data(), chunk);
      if (!WriteAll(m_out, m_buffer.data(), chunk)) return false;
    }
    return true;
  }

  int m_out, m_source;
  ChecksumAccumulator* m_checksum;
  iovec m_iov[kMaxIov];
  size_t m_count = 0;
  std::vector<BYTE> m_buffer;
};

// Writes the pieces to a new file beside `path` and renames it over `path`.
bool WriteReplacing(const std::string& path, int source, const std::vector<Piece>& pieces, bool checksum,
                    size_t checksumAt) {
  ReplacingFile file(path);
  if (!file.IsOpen()) return false;
  const int fd = file.Descriptor();
  ChecksumAccumulator sum;
  OutputWriter out(fd, source, checksum ? &sum : nullptr);
  for (const Piece& piece : pieces)
    if (!out.Put(piece)) return false;
  if (!out.Flush()) return false;
  if (checksum) {
    BYTE value[4];
    Put32(value, sum.Finish());
    if (::pwrite(fd, value, 4, static_cast<off_t>(checksumAt)) != 4) return false;
  }
  return file.Commit();
}

// Original bytes: from the headers in memory, else from the file.
bool ReadOriginal(int fd, const std::vector<BYTE>& head, size_t offset, size_t n, std::vector<BYTE>& out) {
  out.resize(n);
  if (offset + n <= head.size()) {
    std::memcpy(out.data(), head.data() + offset, n);
    return true;
  }
  return PreadAll(fd, out.data(), n, offset);
}

// Whether a section after the resource section may get a new address: only the base
// relocations, the debug directory and data nothing addresses (discardable, no code).
bool IsMovable(const BYTE* head, int fd, const std::vector<BYTE>& headBytes, const Image& img, const Section& s) {
  if (s.characteristics & (kScnCntCode | kScnMemExecute)) return false;
  bool holdsRelocs = false;
  for (size_t d = 0; d < img.numDirs; ++d) {
    if (d == kDirResource || d == kDirSecurity) continue;
    DWORD rva = img.DirRva(head, d), len = img.DirSize(head, d);
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
  DWORD relRva = img.DirRva(head, kDirBaseReloc), relSize = img.DirSize(head, kDirBaseReloc);
  if (relRva && relSize) {
    auto at = img.RvaToOffset(relRva, relSize);
    std::vector<BYTE> rel;
    if (!at || !ReadOriginal(fd, headBytes, *at, relSize, rel)) return false;
    size_t pos = 0;
    while (relSize - pos >= 8) {
      DWORD page = Get32(&rel[pos]), block = Get32(&rel[pos + 4]);
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

namespace {
void Fill(PendingSet& pending, const ResTypeMap& set) {
  for (const auto& e : ListEntries(set)) pending.Add(*e.type, *e.name, e.language, e.data->data(), e.data->size(), false);
  pending.Normalize();
}
}  // namespace

bool BuildResourceSection(const ResTypeMap& set, DWORD baseRva, std::vector<BYTE>& out) {
  PendingSet pending;
  Fill(pending, set);
  Layout l;
  if (!Measure(pending, l) || baseRva + l.total > 0xFFFFFFFFull) return Fail(EFBIG);
  out.assign(static_cast<size_t>(l.total), 0);
  WriteIndex(pending, l, baseRva, out.data());
  size_t at = static_cast<size_t>(l.data);
  for (const auto& it : pending.Items()) {
    if (it.size) std::memcpy(out.data() + at, it.data, it.size);
    at += static_cast<size_t>(Align8(it.size));
  }
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

namespace {
template <class Identity>
Identity MakeIdentity(const struct stat& st) {
  return {static_cast<unsigned long long>(st.st_dev), static_cast<unsigned long long>(st.st_ino),
          static_cast<long long>(st.st_mtim.tv_sec), static_cast<long long>(st.st_mtim.tv_nsec),
          static_cast<size_t>(st.st_size)};
}
}  // namespace

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
  auto fail = [fd](int code) {
    ::close(fd);
    return Fail(code);
  };
  struct stat st{};
  if (::fstat(fd, &st) != 0) return fail(errno);
  if (!S_ISREG(st.st_mode)) return fail(S_ISDIR(st.st_mode) ? EISDIR : ENOEXEC);
  if (::access(real.c_str(), W_OK) != 0) return fail(errno);
  if (static_cast<ULONGLONG>(st.st_size) > 0xFFFFFFFFull) return fail(EFBIG);
  const size_t fileSize = static_cast<size_t>(st.st_size);

  // Only the headers, up to the first section's data, are read now; Commit reads the rest
  // while it writes.
  std::vector<BYTE> head;
  auto need = [&](ULONGLONG n) {
    n = std::min<ULONGLONG>(n, fileSize);
    if (head.size() >= n) return true;
    size_t old = head.size();
    head.resize(static_cast<size_t>(n));
    return PreadAll(fd, head.data() + old, head.size() - old, old);
  };
  if (!need(0x1000)) return fail(errno);
  if (head.size() < 0x40 || Get16(head.data()) != kDosSignature) return fail(ENOEXEC);
  ULONGLONG nt = Get32(&head[kDosLfanew]);
  if (!need(nt + kOptionalHeaderOffset)) return fail(errno);
  if (nt + kOptionalHeaderOffset > head.size()) return fail(ENOEXEC);
  ULONGLONG tableEnd = nt + kOptionalHeaderOffset + Get16(&head[nt + kFileHeaderOffset + kFhSizeOfOptionalHeader]) +
                       kSectionHeaderSize * Get16(&head[nt + kFileHeaderOffset + kFhNumberOfSections]);
  if (tableEnd > fileSize) return fail(ENOEXEC);
  if (!need(tableEnd)) return fail(errno);
  Image img;
  if (!ParseImage(head.data(), head.size(), fileSize, img) || img.numDirs <= kDirResource) return fail(ENOEXEC);
  ULONGLONG firstRaw = fileSize;
  for (const Section& s : img.sections)
    if (s.HasRaw()) firstRaw = std::min<ULONGLONG>(firstRaw, s.rawPtr);
  if (!need(std::max(tableEnd, firstRaw))) return fail(errno);
  head.resize(static_cast<size_t>(std::min<ULONGLONG>(std::max(tableEnd, firstRaw), fileSize)));

  auto pending = std::make_unique<PendingSet>();
  if (!deleteExisting) {
    std::vector<BYTE> whole;
    ResTypeMap existing;
    if (!ReadOriginal(fd, head, 0, fileSize, whole)) return fail(errno);
    if (!ReadResourceSet(whole.data(), whole.size(), existing)) return fail(errno);
    Fill(*pending, existing);
  }
  m_fd = fd;
  m_fileSize = fileSize;
  m_identity = MakeIdentity<Identity>(st);
  m_path = std::move(real);
  m_head = std::move(head);
  m_pending = std::move(pending);
  m_open = true;
  return true;
}

bool CResourceUpdate::Add(const ResId& type, const ResId& name, WORD language, const void* data, size_t size) {
  return AddEntry(type, name, language, data, size, false);
}

bool CResourceUpdate::AddBorrowed(const ResId& type, const ResId& name, WORD language, const void* data, size_t size) {
  return AddEntry(type, name, language, data, size, true);
}

bool CResourceUpdate::AddEntry(const ResId& type, const ResId& name, WORD language, const void* data, size_t size,
                               bool borrow) {
  if (!m_open) return Fail(EBADF);
  if ((type.isName && type.name.size() > 0xFFFF) || (name.isName && name.name.size() > 0xFFFF))
    return Fail(EINVAL);
  if (data == nullptr && size != 0) return Fail(EINVAL);
  if (size > kMaxSection) return Fail(EFBIG);
  if (!m_pending->Add(type, name, language, static_cast<const BYTE*>(data), size, data == nullptr, borrow))
    return Fail(EFBIG);
  return true;
}

void CResourceUpdate::Discard() {
  if (m_fd >= 0) ::close(m_fd);
  m_fd = -1;
  m_open = false;
  m_path.clear();
  std::vector<BYTE>().swap(m_head);
  m_pending.reset();
}

CResourceUpdate::CResourceUpdate() = default;
CResourceUpdate::~CResourceUpdate() { Discard(); }

size_t CResourceUpdate::PendingCount() {
  if (!m_pending) return 0;
  m_pending->Normalize();
  return m_pending->Items().size();
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

  // Someone else wrote or replaced the file since Begin: its bytes are no longer the ones
  // the headers describe.
  struct stat now{}, there{};
  if (::fstat(m_fd, &now) != 0) return false;
  if (::stat(m_path.c_str(), &there) != 0) return false;
  if (!(MakeIdentity<Identity>(now) == m_identity) || now.st_ino != there.st_ino || now.st_dev != there.st_dev)
    return Fail(EBUSY);

  BYTE* f = m_head.data();  // headers up to the first section's data; patched in place
  const size_t headSize = m_head.size();
  const size_t fileSize = m_fileSize;
  Image img;
  if (!ParseImage(f, headSize, fileSize, img) || img.numDirs <= kDirResource) return Fail(ENOEXEC);
  const DWORD FA = img.fileAlignment, SA = img.sectionAlignment;

  m_pending->Normalize();
  Layout layout;
  if (!Measure(*m_pending, layout)) return Fail(EFBIG);
  const ULONGLONG content = layout.total;
  const ULONGLONG newRaw = Image::AlignUp64(content, FA);
  const ULONGLONG newSpan = Image::AlignUp64(content, SA);

  // The section that holds the directory, and whether it holds nothing else.
  DWORD resRva = img.DirRva(f, kDirResource);
  int rs = resRva ? SectionAt(img, resRva) : -1;
  bool ours = false;
  if (rs >= 0) {
    const Section& s = img.sections[rs];
    ours = resRva == s.va && s.HasRaw() && s.rawPtr >= headSize;
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
        if (img.sections[i].va % SA != 0 || !IsMovable(f, m_fd, m_head, img, img.sections[i])) movable = false;
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
  std::vector<std::vector<BYTE>> owned;  // bytes that edits point into
  owned.reserve(8);
  Section target;                  // the resource section as written
  std::vector<BYTE> headerGrowth;  // bytes inserted after the headers when they must grow
  size_t headerLimit = 0;          // where the original header bytes end
  size_t newHeaderSize = img.sizeOfHeaders;
  size_t sectionBegin = 0, sectionEnd = 0;  // the range the section's edit replaces
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
    size_t limit = static_cast<size_t>(std::min<ULONGLONG>({firstRaw, fileSize, headSize}));
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
        edits.Add({limit, limit, {Memory(headerGrowth.data(), headerGrowth.size())}, kHeaderEdit});
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
      Edit zero{old.rawPtr, static_cast<size_t>(old.RawEnd()), {Zeros(old.rawSize)}};
      zero.overwrite = true;
      edits.Add(std::move(zero));
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

  // The section: its index, then every blob padded to 8, then zeros to the file alignment.
  std::vector<BYTE> index(static_cast<size_t>(layout.data), 0);
  {
    if (target.va + content > 0xFFFFFFFFull) return Fail(EFBIG);
    WriteIndex(*m_pending, layout, target.va, index.data());
    Edit e{sectionBegin, sectionEnd, {}, kSectionEdit};
    if (prePad) e.pieces.push_back(Zeros(prePad));
    e.pieces.push_back(Memory(index.data(), index.size()));
    e.pieces.push_back({Piece::kBlobs, nullptr, 0, static_cast<size_t>(layout.blobs), m_pending.get()});
    e.pieces.push_back(Zeros(static_cast<size_t>(newRaw - layout.data - layout.blobs)));
    edits.Add(std::move(e));
  }

  // Debug directory entries carry both an address and a file offset; they are read now.
  struct DebugPatch {
    size_t offset;
    std::vector<BYTE> bytes;
  };
  std::optional<DebugPatch> debug;
  if (img.HasDir(kDirDebug)) {
    DWORD drva = img.DirRva(f, kDirDebug), dsize = img.DirSize(f, kDirDebug);
    auto at = drva ? img.RvaToOffset(drva, dsize) : std::nullopt;
    DebugPatch patch{at.value_or(0), {}};
    if (at && dsize / kDebugEntrySize > 0 &&
        ReadOriginal(m_fd, m_head, *at, dsize / kDebugEntrySize * kDebugEntrySize, patch.bytes))
      debug = std::move(patch);
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

  if (debug) {
    for (size_t i = 0; i < debug->bytes.size() / kDebugEntrySize; ++i) {
      BYTE* e = debug->bytes.data() + i * kDebugEntrySize;
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
    target.rawPtr = static_cast<DWORD>(edits.Start(kSectionEdit));
    img.sections[rs] = target;
  } else {
    ULONGLONG start = edits.Start(kSectionEdit) + prePad;
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

  // The debug directory's new bytes: in the headers, or as an edit of their own.
  std::vector<Piece> pieces;
  if (debug) {
    if (debug->offset + debug->bytes.size() <= headSize) {
      std::memcpy(f + debug->offset, debug->bytes.data(), debug->bytes.size());
    } else {
      Edit e{debug->offset, debug->offset + debug->bytes.size(), {Memory(debug->bytes.data(), debug->bytes.size())}};
      e.overwrite = true;
      edits.Add(std::move(e));
      if (!edits.Finish()) return Fail(ENOEXEC);  // it overlaps a replaced range
    }
  }
  pieces = edits.Output(m_head, fileSize);
  ULONGLONG outSize = 0;
  for (const Piece& p : pieces) outSize += p.size;
  if (outSize > 0xFFFFFFFFull) return Fail(EFBIG);

  size_t checksumAt = img.optHeader + kOhCheckSum;
  bool checksum = Get32(f + checksumAt) != 0;
  Put32(f + checksumAt, 0);  // summed as zero, written once known
  return WriteReplacing(m_path, m_fd, pieces, checksum, checksumAt);
}

}  // namespace tvl
