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
#include <span>
#include <unordered_map>

#include "peimage/PeFormat.h"
#include "peimage/PeHeaders.h"
#include "peimage/ResourceDirectory.h"
#include "platform/ByteReader.h"
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
// Headers: strictly parsed, since the layout is rewritten from them.

using Section = PeSectionHeader;
using Image = PeHeaders;

bool ParseImage(const BYTE* f, size_t size, ULONGLONG fileSize, Image& img) {
  return ParsePeHeaders(f, size, fileSize, true, img);
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
// Reading an existing directory: strictly, since what cannot be read would be dropped.

bool ReadDirectory(const BYTE* f, size_t fileSize, const Image& img, size_t start, size_t end, ResTypeMap& out) {
  ULONGLONG copied = 0;
  auto id = [](const ResDirId& d) { return d.isName ? ResId::Name(d.name) : ResId::Id(d.ordinal); };
  return WalkResourceDirectory(std::span<const BYTE>(f + start, end - start), true, [&](const ResDirLeaf& l) {
    std::vector<BYTE> bytes;
    if (l.size != 0) {
      auto at = img.RvaToOffset(l.dataRva, l.size);
      if (!at) return false;
      // Entries may share data; do not let a crafted file multiply its size in memory.
      copied += l.size;
      if (copied > 4 * static_cast<ULONGLONG>(fileSize) + (1u << 20)) return false;
      bytes.assign(f + *at, f + *at + l.size);
    }
    out[id(l.type)][id(l.name)][l.language] = std::move(bytes);
    return true;
  });
}

// Index of the section whose address span holds `rva`, or -1.
int SectionAt(const Image& img, ULONGLONG rva) {
  for (size_t i = 0; i < img.sections.size(); ++i)
    if (img.Contains(img.sections[i], rva)) return static_cast<int>(i);
  return -1;
}

// ---------------------------------------------------------------------------------------
// Output: the file being updated with ranges replaced. Only the headers are held in memory;
// the rest is read from the original file while the new one is written.

struct Piece {
  enum Kind { kMemory, kZeros, kFile } kind;
  const BYTE* data;  // kMemory
  size_t offset;     // kFile: offset in the original file
  size_t size;
};
Piece Memory(const BYTE* p, size_t n) { return {Piece::kMemory, p, 0, n}; }
Piece Zeros(size_t n) { return {Piece::kZeros, nullptr, 0, n}; }

struct Edit {
  size_t begin, end;  // replaced range of the original file (begin == end: insertion)
  std::vector<Piece> pieces;
  int tag = 0;
  bool overwrite = false;  // same size: offsets inside keep their place
  size_t size = 0;         // of the pieces, summed by EditList::Finish
};

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

}  // namespace

// The original file, open for reading for as long as any update or plan uses its bytes.
struct OriginalFile {
  int fd = -1;
  ~OriginalFile() {
    if (fd >= 0) ::close(fd);
  }
};

// The bytes an update reads: the original file, or the planned output of an earlier update
// of it that was never written (pieces of the original and of memory the plan owns).
class FileBytes {
 public:
  FileBytes(std::shared_ptr<OriginalFile> file, size_t size) : m_file(std::move(file)), m_size(size) {
    if (size) m_pieces.push_back({Piece::kFile, nullptr, 0, size});
    m_starts.push_back(0);
  }
  FileBytes(std::shared_ptr<OriginalFile> file, std::vector<Piece> pieces, std::shared_ptr<const void> owner)
      : m_file(std::move(file)), m_pieces(std::move(pieces)), m_owner(std::move(owner)) {
    for (const Piece& p : m_pieces) {
      m_starts.push_back(m_size);
      m_size += p.size;
    }
  }

  size_t Size() const { return m_size; }
  int Descriptor() const { return m_file->fd; }
  const std::shared_ptr<OriginalFile>& File() const { return m_file; }

  // Appends the pieces that make up [offset, offset + n).
  void Slice(size_t offset, size_t n, std::vector<Piece>& out) const {
    size_t i = Find(offset);
    for (; n > 0 && i < m_pieces.size(); ++i) {
      Piece p = m_pieces[i];
      size_t skip = offset - m_starts[i], take = std::min(n, p.size - skip);
      if (p.kind == Piece::kMemory) p.data += skip;
      if (p.kind == Piece::kFile) p.offset += skip;
      p.size = take;
      out.push_back(p);
      offset += take;
      n -= take;
    }
  }

  bool Read(size_t offset, size_t n, BYTE* out) const {
    if (offset > m_size || n > m_size - offset) return Fail(EIO);
    std::vector<Piece> parts;
    Slice(offset, n, parts);
    for (const Piece& p : parts) {
      if (p.kind == Piece::kMemory) std::memcpy(out, p.data, p.size);
      if (p.kind == Piece::kZeros) std::memset(out, 0, p.size);
      if (p.kind == Piece::kFile && !PreadAll(m_file->fd, out, p.size, p.offset)) return false;
      out += p.size;
    }
    return true;
  }

 private:
  size_t Find(size_t offset) const {
    auto it = std::upper_bound(m_starts.begin(), m_starts.end(), offset);
    return it == m_starts.begin() ? 0 : static_cast<size_t>(it - m_starts.begin() - 1);
  }

  std::shared_ptr<OriginalFile> m_file;
  std::vector<Piece> m_pieces;
  std::vector<size_t> m_starts;
  size_t m_size = 0;
  std::shared_ptr<const void> m_owner;  // keeps the memory of a planned file's pieces
};

// What one Commit produces: the new file as pieces, with the memory they point into.
struct PlannedFile {
  std::shared_ptr<const FileBytes> source;
  std::unique_ptr<PendingSet> pending;
  std::vector<BYTE> head, index, headerGrowth, debugBytes;
  std::vector<Piece> pieces;
  bool checksum = false;
  size_t checksumAt = 0;
};

namespace {

class EditList {
 public:
  void Add(Edit e) { m_edits.push_back(std::move(e)); }
  bool Finish() {
    std::stable_sort(m_edits.begin(), m_edits.end(),
                     [](const Edit& a, const Edit& b) { return a.begin != b.begin ? a.begin < b.begin : a.end < b.end; });
    for (Edit& e : m_edits) {
      e.size = 0;
      for (const Piece& p : e.pieces) e.size += p.size;
    }
    for (size_t i = 1; i < m_edits.size(); ++i)
      if (m_edits[i].begin < m_edits[i - 1].end) return false;
    return true;
  }
  // New position of an original offset; none when it lies in a replaced range.
  std::optional<ULONGLONG> Map(size_t old) const {
    long long delta = 0;
    for (const Edit& e : m_edits) {
      if (old >= e.end) {
        delta += static_cast<long long>(e.size) - static_cast<long long>(e.end - e.begin);
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
      delta += static_cast<long long>(e.size) - static_cast<long long>(e.end - e.begin);
    }
    return 0;
  }
  // The whole output: edits, and between them the original from `head` or from `source`.
  std::vector<Piece> Output(const std::vector<BYTE>& head, const FileBytes& source) const {
    std::vector<Piece> out;
    auto original = [&](size_t from, size_t to) {
      if (from < head.size()) {
        size_t mid = std::min(to, head.size());
        out.push_back(Memory(head.data() + from, mid - from));
        from = mid;
      }
      if (from < to) source.Slice(from, to - from, out);
    };
    size_t pos = 0;
    for (const Edit& e : m_edits) {
      if (e.begin > pos) original(pos, e.begin);
      for (const Piece& p : e.pieces)
        if (p.size) out.push_back(p);
      pos = std::max(pos, e.end);
    }
    if (pos < source.Size()) original(pos, source.Size());
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

// Writes a planned file to `fd`, which is empty and positioned at its start.
bool WritePlanned(int fd, const PlannedFile& plan) {
  ChecksumAccumulator sum;
  OutputWriter out(fd, plan.source->Descriptor(), plan.checksum ? &sum : nullptr);
  for (const Piece& piece : plan.pieces)
    if (!out.Put(piece)) return false;
  if (!out.Flush()) return false;
  if (!plan.checksum) return true;
  BYTE value[4];
  Put32(value, sum.Finish());
  return ::pwrite(fd, value, 4, static_cast<off_t>(plan.checksumAt)) == 4;
}

// Bytes of the file being updated: from the headers in memory, else from its source.
bool ReadOriginal(const FileBytes& source, const std::vector<BYTE>& head, size_t offset, size_t n,
                  std::vector<BYTE>& out) {
  out.resize(n);
  if (offset + n <= head.size()) {
    std::memcpy(out.data(), head.data() + offset, n);
    return true;
  }
  return source.Read(offset, n, out.data());
}

// Whether a section after the resource section may get a new address: only the base
// relocations, the debug directory and data nothing addresses (discardable, no code).
bool IsMovable(const FileBytes& source, const std::vector<BYTE>& headBytes, const Image& img, const Section& s) {
  const BYTE* head = headBytes.data();
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
    if (!at || !ReadOriginal(source, headBytes, *at, relSize, rel)) return false;
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
    if (it.size && it.data) std::memcpy(out.data() + at, it.data, it.size);
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
    if (!ReadDirectory(file, size, img, start, static_cast<size_t>(s.RawEnd()), read)) return Fail(ENOEXEC);
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

// Plans the new file of one Commit: where the resource section goes, what moves, the new
// headers. The steps patch the headers in `plan.head` and collect edits of the file; the plan
// ends as the list of pieces of the new file, which one writer then writes.
class CommitPlanner {
 public:
  explicit CommitPlanner(PlannedFile& plan)
      : m_plan(plan), m_f(plan.head.data()), m_headSize(plan.head.size()), m_fileSize(plan.source->Size()) {}

  bool Make() {
    if (!ParseAndMeasure()) return false;
    FindResourceSection();
    ChoosePlacement();
    if (m_inPlace) {
      m_target = m_img.sections[m_rs];
      m_sectionBegin = m_target.rawPtr;
      m_sectionEnd = static_cast<size_t>(m_target.RawEnd());
    } else if (!PlaceNewSection()) {
      return false;
    }
    DropCertificate();
    if (!AddSectionEdit()) return false;
    ReadDebugEntries();
    if (!m_edits.Finish()) return Fail(ENOEXEC);
    FixDebugEntries();
    if (m_moveFollowers) MoveFollowersInMemory();
    if (!MapFileOffsets() || !WriteResourceSectionHeader() || !UpdateImageSizes() || !PlaceDebugEntries())
      return false;
    m_plan.pieces = m_edits.Output(m_plan.head, *m_plan.source);
    ULONGLONG outSize = 0;
    for (const Piece& p : m_plan.pieces) outSize += p.size;
    if (outSize > 0xFFFFFFFFull) return Fail(EFBIG);
    m_plan.checksumAt = m_img.optHeader + kOhCheckSum;
    m_plan.checksum = Get32(m_f + m_plan.checksumAt) != 0;
    Put32(m_f + m_plan.checksumAt, 0);  // summed as zero, written once known
    return true;
  }

 private:
  bool ParseAndMeasure() {
    if (!ParseImage(m_f, m_headSize, m_fileSize, m_img) || m_img.numDirs <= kDirResource) return Fail(ENOEXEC);
    m_plan.pending->Normalize();
    if (!Measure(*m_plan.pending, m_layout)) return Fail(EFBIG);
    m_content = m_layout.total;
    m_newRaw = Image::AlignUp64(m_content, m_img.fileAlignment);
    m_newSpan = Image::AlignUp64(m_content, m_img.sectionAlignment);
    m_newVirtualSize = static_cast<DWORD>(m_content);
    m_newHeaderSize = m_img.sizeOfHeaders;
    return true;
  }

  // The section that holds the directory, and whether it holds nothing else.
  void FindResourceSection() {
    DWORD resRva = m_img.DirRva(m_f, kDirResource);
    m_rs = resRva ? SectionAt(m_img, resRva) : -1;
    if (m_rs < 0) return;
    const Section& s = m_img.sections[m_rs];
    m_ours = resRva == s.va && s.HasRaw() && s.rawPtr >= m_headSize;
    for (size_t d = 0; m_ours && d < m_img.numDirs; ++d) {
      if (d == kDirResource || d == kDirSecurity) continue;
      DWORD rva = m_img.DirRva(m_f, d);
      if (rva != 0 && m_img.Contains(s, rva)) m_ours = false;
    }
    for (size_t i = 0; m_ours && i < m_img.sections.size(); ++i) {
      const Section& o = m_img.sections[i];
      if (static_cast<int>(i) != m_rs && o.HasRaw() && o.rawPtr < s.RawEnd() && o.RawEnd() > s.rawPtr)
        m_ours = false;
    }
  }

  // In place (moving the sections after it in memory when they allow it), or a new section.
  void ChoosePlacement() {
    if (!m_ours) return;
    const Section& s = m_img.sections[m_rs];
    for (size_t i = 0; i < m_img.sections.size(); ++i)
      if (m_img.sections[i].va > s.va) m_followers.push_back(i);
    if (m_followers.empty()) {
      m_inPlace = true;
      return;
    }
    ULONGLONG next = ULLONG_MAX;
    bool movable = true;
    for (size_t i : m_followers) {
      const Section& f = m_img.sections[i];
      next = std::min<ULONGLONG>(next, f.va);
      if (f.va % m_img.sectionAlignment != 0 || !IsMovable(*m_plan.source, m_plan.head, m_img, f)) movable = false;
    }
    ULONGLONG gap = next - s.va;
    if (movable && m_newSpan != gap) {
      m_inPlace = m_moveFollowers = true;
      m_vdelta = static_cast<long long>(m_newSpan) - static_cast<long long>(gap);
    } else if (m_newSpan <= gap) {
      m_inPlace = true;
      if (m_newSpan != gap) m_newVirtualSize = static_cast<DWORD>(gap);  // no hole before the next section
    }
  }

  // A new section after the last one, in memory and in the file, with room for its header.
  bool PlaceNewSection() {
    const DWORD FA = m_img.fileAlignment, SA = m_img.sectionAlignment;
    ULONGLONG vaEnd = 0, rawEnd = 0, firstRaw = ULLONG_MAX, firstVa = ULLONG_MAX;
    for (const Section& s : m_img.sections) {
      vaEnd = std::max<ULONGLONG>(vaEnd, s.va + m_img.Span(s));
      firstVa = std::min<ULONGLONG>(firstVa, s.va);
      if (s.HasRaw()) {
        rawEnd = std::max(rawEnd, s.RawEnd());
        firstRaw = std::min<ULONGLONG>(firstRaw, s.rawPtr);
      }
    }
    if (rawEnd == 0) rawEnd = std::min<ULONGLONG>(Image::AlignUp64(m_img.sizeOfHeaders, FA), m_fileSize);
    if (firstRaw == ULLONG_MAX) firstRaw = rawEnd;
    ULONGLONG newVa = Image::AlignUp64(std::max<ULONGLONG>(vaEnd, Image::AlignUp64(m_img.sizeOfHeaders, SA)), SA);
    if (newVa + m_newSpan > 0xFFFFFFFFull) return Fail(EFBIG);
    if (m_img.sections.size() >= 0xFFFF) return Fail(EFBIG);

    size_t tableEnd = m_img.sectionTable + kSectionHeaderSize * m_img.sections.size();
    size_t newTableEnd = tableEnd + kSectionHeaderSize;
    size_t limit = static_cast<size_t>(std::min<ULONGLONG>({firstRaw, m_fileSize, m_headSize}));
    if (tableEnd > limit) return Fail(ENOEXEC);
    DropBoundImports(tableEnd, newTableEnd, limit);
    if (!AllZero(m_f + tableEnd, std::min(newTableEnd, limit) - tableEnd)) return Fail(EFBIG);
    if (newTableEnd > m_img.sizeOfHeaders || newTableEnd > limit) {
      m_newHeaderSize = std::max<size_t>(m_img.sizeOfHeaders, static_cast<size_t>(Image::AlignUp64(newTableEnd, FA)));
      if (m_newHeaderSize > firstVa) return Fail(EFBIG);
      if (m_newHeaderSize > limit) {
        m_plan.headerGrowth.assign(static_cast<size_t>(Image::AlignUp64(m_newHeaderSize - limit, FA)), 0);
        m_edits.Add({limit, limit, {Memory(m_plan.headerGrowth.data(), m_plan.headerGrowth.size())}, kHeaderEdit});
      }
    }
    m_target.headerOffset = tableEnd;
    m_headerLimit = limit;
    m_target.va = static_cast<DWORD>(newVa);
    m_target.characteristics = kScnInitializedData | kScnMemRead;
    m_sectionBegin = m_sectionEnd = static_cast<size_t>(rawEnd);
    m_prePad = static_cast<size_t>(Image::AlignUp64(rawEnd, FA) - rawEnd);
    if (m_ours) {
      // The old section stays for its address range, but holds nothing any more.
      Section& old = m_img.sections[m_rs];
      Edit zero{old.rawPtr, static_cast<size_t>(old.RawEnd()), {Zeros(old.rawSize)}};
      zero.overwrite = true;
      m_edits.Add(std::move(zero));
      std::memcpy(m_f + old.headerOffset + kShName, ".oldrsrc", 8);
    }
    return true;
  }

  // Bound imports often sit right after the section table; they are only a load-time
  // shortcut, so they are dropped rather than give up. Only bytes after the table are
  // cleared: a directory that claims to start inside the headers must not wipe them.
  void DropBoundImports(size_t tableEnd, size_t newTableEnd, size_t limit) {
    if (!m_img.HasDir(kDirBoundImport)) return;
    ULONGLONG b = m_img.DirRva(m_f, kDirBoundImport), end = b + m_img.DirSize(m_f, kDirBoundImport);
    if (b >= tableEnd && b < newTableEnd && end <= limit) {
      std::memset(m_f + b, 0, static_cast<size_t>(end - b));
      m_img.SetDir(m_f, kDirBoundImport, 0, 0);
    }
  }

  // The certificate cannot stay valid: its bytes are dropped when they follow the sections.
  void DropCertificate() {
    if (!m_img.HasDir(kDirSecurity) || m_img.DirSize(m_f, kDirSecurity) == 0) return;
    ULONGLONG c = m_img.DirRva(m_f, kDirSecurity), end = c + m_img.DirSize(m_f, kDirSecurity);
    ULONGLONG rawEnd = 0;
    for (const Section& s : m_img.sections)
      if (s.HasRaw()) rawEnd = std::max(rawEnd, s.RawEnd());
    if (c >= rawEnd && c >= m_sectionEnd && c < m_fileSize)
      m_edits.Add({static_cast<size_t>(c), static_cast<size_t>(std::min<ULONGLONG>(end, m_fileSize)), {}});
    m_img.SetDir(m_f, kDirSecurity, 0, 0);
  }

  // The section: its index, then every entry's bytes padded to 8, then zeros to the file
  // alignment. The entries' bytes are not copied: the pieces point at them.
  bool AddSectionEdit() {
    if (m_target.va + m_content > 0xFFFFFFFFull) return Fail(EFBIG);
    m_plan.index.assign(static_cast<size_t>(m_layout.data), 0);
    WriteIndex(*m_plan.pending, m_layout, m_target.va, m_plan.index.data());
    Edit e{m_sectionBegin, m_sectionEnd, {}, kSectionEdit};
    const auto& items = m_plan.pending->Items();
    e.pieces.reserve(items.size() * 2 + 3);
    if (m_prePad) e.pieces.push_back(Zeros(m_prePad));
    e.pieces.push_back(Memory(m_plan.index.data(), m_plan.index.size()));
    for (const auto& it : items) {
      e.pieces.push_back(it.data ? Memory(it.data, it.size) : Zeros(it.size));
      if (size_t pad = static_cast<size_t>(Align8(it.size) - it.size)) e.pieces.push_back(Zeros(pad));
    }
    e.pieces.push_back(Zeros(static_cast<size_t>(m_newRaw - m_layout.data - m_layout.blobs)));
    m_edits.Add(std::move(e));
    return true;
  }

  // Debug directory entries carry both an address and a file offset; they are read now.
  void ReadDebugEntries() {
    if (!m_img.HasDir(kDirDebug)) return;
    DWORD drva = m_img.DirRva(m_f, kDirDebug), dsize = m_img.DirSize(m_f, kDirDebug);
    auto at = drva ? m_img.RvaToOffset(drva, dsize) : std::nullopt;
    if (at && dsize / kDebugEntrySize > 0 &&
        ReadOriginal(*m_plan.source, m_plan.head, *at, dsize / kDebugEntrySize * kDebugEntrySize, m_plan.debugBytes))
      m_debugOffset = *at;
  }

  DWORD MapOffset(DWORD old, bool& ok) const {
    auto m = m_edits.Map(old);
    if (!m || *m > 0xFFFFFFFFull) {
      ok = false;
      return 0;
    }
    return static_cast<DWORD>(*m);
  }

  void FixDebugEntries() {
    if (!m_debugOffset) return;
    for (size_t i = 0; i < m_plan.debugBytes.size() / kDebugEntrySize; ++i) {
      BYTE* e = m_plan.debugBytes.data() + i * kDebugEntrySize;
      DWORD addr = Get32(e + 20), ptr = Get32(e + 24);
      bool inOldResources = addr && m_ours && m_img.Contains(m_img.sections[m_rs], addr);
      if (addr && m_moveFollowers) {
        for (size_t fi : m_followers)
          if (m_img.Contains(m_img.sections[fi], addr)) {
            addr = static_cast<DWORD>(addr + m_vdelta);
            break;
          }
      }
      if (inOldResources) addr = 0;  // its bytes are gone
      bool ok = true;
      if (ptr) ptr = MapOffset(ptr, ok);
      if (!ok) ptr = 0;
      Put32(e + 20, addr);
      Put32(e + 24, ptr);
    }
  }

  // Data directories and section addresses after a move in memory.
  void MoveFollowersInMemory() {
    for (size_t d : {kDirBaseReloc, kDirDebug}) {
      DWORD rva = m_img.DirRva(m_f, d);
      if (!rva) continue;
      for (size_t fi : m_followers)
        if (m_img.Contains(m_img.sections[fi], rva)) {
          m_img.SetDir(m_f, d, static_cast<DWORD>(rva + m_vdelta), m_img.DirSize(m_f, d));
          break;
        }
    }
    for (size_t fi : m_followers) m_img.sections[fi].va = static_cast<DWORD>(m_img.sections[fi].va + m_vdelta);
  }

  // File offsets of everything the edits moved.
  bool MapFileOffsets() {
    for (size_t i = 0; i < m_img.sections.size(); ++i) {
      if (m_inPlace && static_cast<int>(i) == m_rs) continue;
      Section& s = m_img.sections[i];
      bool ok = true;
      if (s.HasRaw()) {
        s.rawPtr = MapOffset(s.rawPtr, ok);
        if (!ok) return Fail(ENOEXEC);
      }
      if (s.ptrRelocs) {
        ok = true;
        s.ptrRelocs = MapOffset(s.ptrRelocs, ok);
      }
      if (s.ptrLines) {
        ok = true;
        s.ptrLines = MapOffset(s.ptrLines, ok);
      }
    }
    BYTE* fh = m_f + m_img.fileHeader;
    DWORD sym = Get32(fh + kFhPointerToSymbolTable);
    bool ok = sym < m_fileSize;
    if (sym) sym = MapOffset(sym, ok);
    if (!ok) {
      Put32(fh + kFhPointerToSymbolTable, 0);
      Put32(fh + kFhNumberOfSymbols, 0);
    } else {
      Put32(fh + kFhPointerToSymbolTable, sym);
    }
    return true;
  }

  // The resource section's header, the other section headers and the resource directory.
  bool WriteResourceSectionHeader() {
    m_oldRaw = m_inPlace ? m_target.rawSize : 0;
    m_target.virtualSize = m_newVirtualSize;
    m_target.rawSize = static_cast<DWORD>(m_newRaw);
    if (m_inPlace) {
      m_target.rawPtr = static_cast<DWORD>(m_edits.Start(kSectionEdit));
      m_img.sections[m_rs] = m_target;
    } else {
      ULONGLONG start = m_edits.Start(kSectionEdit) + m_prePad;
      if (start + m_newRaw > 0xFFFFFFFFull) return Fail(EFBIG);
      m_target.rawPtr = static_cast<DWORD>(start);
      // The new header may reach into the bytes inserted to grow the headers.
      BYTE header[kSectionHeaderSize] = {'.', 'r', 's', 'r', 'c'};
      Section local = m_target;
      local.headerOffset = 0;
      WriteSectionHeader(header, local);
      size_t inPlaceBytes = std::min(kSectionHeaderSize, m_headerLimit - m_target.headerOffset);
      std::memcpy(m_f + m_target.headerOffset, header, inPlaceBytes);
      if (inPlaceBytes < kSectionHeaderSize)
        std::memcpy(m_plan.headerGrowth.data(), header + inPlaceBytes, kSectionHeaderSize - inPlaceBytes);
      Put16(m_f + m_img.fileHeader + kFhNumberOfSections, static_cast<WORD>(m_img.sections.size() + 1));
      Put32(m_f + m_img.optHeader + kOhSizeOfHeaders, static_cast<DWORD>(m_newHeaderSize));
    }
    for (const Section& s : m_img.sections) WriteSectionHeader(m_f, s);
    if (!m_inPlace) m_img.sections.push_back(m_target);
    m_img.SetDir(m_f, kDirResource, m_target.va, static_cast<DWORD>(m_content));
    return true;
  }

  // Sizes in the optional header.
  bool UpdateImageSizes() {
    if (m_target.characteristics & kScnInitializedData) {
      long long init = static_cast<long long>(Get32(m_f + m_img.optHeader + kOhSizeOfInitializedData)) +
                       static_cast<long long>(m_newRaw) - static_cast<long long>(m_oldRaw);
      Put32(m_f + m_img.optHeader + kOhSizeOfInitializedData,
            static_cast<DWORD>(std::clamp<long long>(init, 0, 0xFFFFFFFFLL)));
    }
    ULONGLONG imageEnd = Image::AlignUp64(m_newHeaderSize, m_img.sectionAlignment);
    for (const Section& s : m_img.sections) imageEnd = std::max<ULONGLONG>(imageEnd, s.va + m_img.Span(s));
    if (imageEnd > 0xFFFFFFFFull) return Fail(EFBIG);
    Put32(m_f + m_img.optHeader + kOhSizeOfImage, static_cast<DWORD>(imageEnd));
    return true;
  }

  // The debug directory's new bytes: in the headers, or as an edit of their own.
  bool PlaceDebugEntries() {
    if (!m_debugOffset) return true;
    const std::vector<BYTE>& bytes = m_plan.debugBytes;
    if (*m_debugOffset + bytes.size() <= m_headSize) {
      std::memcpy(m_f + *m_debugOffset, bytes.data(), bytes.size());
      return true;
    }
    Edit e{*m_debugOffset, *m_debugOffset + bytes.size(), {Memory(bytes.data(), bytes.size())}};
    e.overwrite = true;
    m_edits.Add(std::move(e));
    return m_edits.Finish() || Fail(ENOEXEC);  // it overlaps a replaced range
  }

  PlannedFile& m_plan;
  BYTE* m_f;  // the headers, patched in place
  const size_t m_headSize, m_fileSize;
  Image m_img;
  Layout m_layout;
  ULONGLONG m_content = 0, m_newRaw = 0, m_newSpan = 0;
  int m_rs = -1;        // the section holding the directory
  bool m_ours = false;  // it holds resources only
  bool m_inPlace = false, m_moveFollowers = false;
  long long m_vdelta = 0;
  DWORD m_newVirtualSize = 0, m_oldRaw = 0;
  std::vector<size_t> m_followers;
  EditList m_edits;
  Section m_target;  // the resource section as written
  size_t m_headerLimit = 0;  // where the original header bytes end
  size_t m_newHeaderSize = 0;
  size_t m_sectionBegin = 0, m_sectionEnd = 0;  // the range the section's edit replaces
  size_t m_prePad = 0;
  std::optional<size_t> m_debugOffset;
};

}  // namespace

bool CResourceUpdate::Begin(const std::u16string& path, bool deleteExisting) {
  return Begin(NativePath(path), deleteExisting);
}

bool CResourceUpdate::Begin(const std::string& path, bool deleteExisting) {
  return Open(path, deleteExisting, false);
}

bool CResourceUpdate::BeginReading(const std::string& path, bool deleteExisting) {
  return Open(path, deleteExisting, true);
}

bool CResourceUpdate::Open(const std::string& path, bool deleteExisting, bool readOnly) {
  if (m_open) return Fail(EBUSY);
  if (path.empty()) return Fail(ENOENT);
  m_planned.reset();
  // Update the file a link points to, as writing through the link would.
  std::string real = path;
  if (char* r = ::realpath(path.c_str(), nullptr)) {
    real = r;
    std::free(r);
  }
  auto file = std::make_shared<OriginalFile>();
  file->fd = ::open(real.c_str(), O_RDONLY | O_CLOEXEC);
  if (file->fd < 0) return false;
  struct stat st{};
  if (::fstat(file->fd, &st) != 0) return false;
  if (!S_ISREG(st.st_mode)) return Fail(S_ISDIR(st.st_mode) ? EISDIR : ENOEXEC);
  if (!readOnly && ::access(real.c_str(), W_OK) != 0) return false;
  if (static_cast<ULONGLONG>(st.st_size) > 0xFFFFFFFFull) return Fail(EFBIG);
  auto source = std::make_shared<const FileBytes>(file, static_cast<size_t>(st.st_size));
  if (!Start(source, deleteExisting)) return false;
  m_identity = MakeIdentity<Identity>(st);
  m_path = std::move(real);
  m_readOnly = readOnly;
  return true;
}

bool CResourceUpdate::BeginPlanned(bool deleteExisting) {
  if (m_open) return Fail(EBUSY);
  if (!m_planned) return Fail(EBADF);
  std::shared_ptr<PlannedFile> plan = std::move(m_planned);
  auto source = std::make_shared<const FileBytes>(plan->source->File(), plan->pieces, plan);
  return Start(source, deleteExisting);
}

// Reads the headers of `source`, up to the first section's data (the rest is read while
// the new file is written), and opens the update on it.
bool CResourceUpdate::Start(std::shared_ptr<const FileBytes> source, bool deleteExisting) {
  const size_t fileSize = source->Size();
  std::vector<BYTE> head;
  auto need = [&](ULONGLONG n) {
    n = std::min<ULONGLONG>(n, fileSize);
    if (head.size() >= n) return true;
    size_t old = head.size();
    head.resize(static_cast<size_t>(n));
    return source->Read(old, head.size() - old, head.data() + old);
  };
  if (!need(0x1000)) return false;
  if (head.size() < 0x40 || Get16(head.data()) != kDosSignature) return Fail(ENOEXEC);
  ULONGLONG nt = Get32(&head[kDosLfanew]);
  if (!need(nt + kOptionalHeaderOffset)) return false;
  if (nt + kOptionalHeaderOffset > head.size()) return Fail(ENOEXEC);
  ULONGLONG tableEnd = nt + kOptionalHeaderOffset + Get16(&head[nt + kFileHeaderOffset + kFhSizeOfOptionalHeader]) +
                       kSectionHeaderSize * Get16(&head[nt + kFileHeaderOffset + kFhNumberOfSections]);
  if (tableEnd > fileSize) return Fail(ENOEXEC);
  if (!need(tableEnd)) return false;
  Image img;
  if (!ParseImage(head.data(), head.size(), fileSize, img) || img.numDirs <= kDirResource) return Fail(ENOEXEC);
  ULONGLONG firstRaw = fileSize;
  for (const Section& s : img.sections)
    if (s.HasRaw()) firstRaw = std::min<ULONGLONG>(firstRaw, s.rawPtr);
  if (!need(std::max(tableEnd, firstRaw))) return false;
  head.resize(static_cast<size_t>(std::min<ULONGLONG>(std::max(tableEnd, firstRaw), fileSize)));

  auto pending = std::make_unique<PendingSet>();
  if (!deleteExisting) {
    std::vector<BYTE> whole;
    ResTypeMap existing;
    if (!ReadOriginal(*source, head, 0, fileSize, whole)) return false;
    if (!ReadResourceSet(whole.data(), whole.size(), existing)) return false;
    Fill(*pending, existing);
  }
  m_source = std::move(source);
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

bool CResourceUpdate::AddPlaceholder(const ResId& type, const ResId& name, WORD language, size_t size) {
  if (!CheckEntry(type, name, size)) return false;
  if (!m_pending->Add(type, name, language, nullptr, size, false, true)) return Fail(EFBIG);
  return true;
}

bool CResourceUpdate::CheckEntry(const ResId& type, const ResId& name, size_t size) const {
  if (!m_open) return Fail(EBADF);
  if ((type.isName && type.name.size() > 0xFFFF) || (name.isName && name.name.size() > 0xFFFF))
    return Fail(EINVAL);
  if (size > kMaxSection) return Fail(EFBIG);
  return true;
}

bool CResourceUpdate::AddEntry(const ResId& type, const ResId& name, WORD language, const void* data, size_t size,
                               bool borrow) {
  if (!CheckEntry(type, name, size)) return false;
  if (data == nullptr && size != 0) return Fail(EINVAL);
  if (!m_pending->Add(type, name, language, static_cast<const BYTE*>(data), size, data == nullptr, borrow))
    return Fail(EFBIG);
  return true;
}

void CResourceUpdate::Discard() {
  m_open = false;
  m_readOnly = false;
  m_path.clear();
  std::vector<BYTE>().swap(m_head);
  m_pending.reset();
  m_source.reset();
  m_planned.reset();
}

CResourceUpdate::CResourceUpdate() = default;
CResourceUpdate::~CResourceUpdate() { Discard(); }

size_t CResourceUpdate::PendingCount() {
  if (!m_pending) return 0;
  m_pending->Normalize();
  return m_pending->Items().size();
}

// Ends the update and plans its file; null (errno set) on failure. The original must be the
// file Begin opened, unchanged: otherwise its bytes are no longer the ones the headers describe.
std::shared_ptr<PlannedFile> CResourceUpdate::Plan() {
  struct Ender {
    CResourceUpdate* self;
    ~Ender() {
      int saved = errno;
      self->m_open = false;
      self->m_head.clear();
      self->m_pending.reset();
      self->m_source.reset();
      errno = saved;
    }
  } ender{this};
  if (!m_open) {
    errno = EBADF;
    return nullptr;
  }
  struct stat now{}, there{};
  if (::fstat(m_source->Descriptor(), &now) != 0 || ::stat(m_path.c_str(), &there) != 0) return nullptr;
  if (!(MakeIdentity<Identity>(now) == m_identity) || now.st_ino != there.st_ino || now.st_dev != there.st_dev) {
    errno = EBUSY;
    return nullptr;
  }
  auto plan = std::make_shared<PlannedFile>();
  plan->source = m_source;
  plan->pending = std::move(m_pending);
  plan->head = std::move(m_head);
  CommitPlanner planner(*plan);
  if (!planner.Make()) return nullptr;
  return plan;
}

bool CResourceUpdate::Commit() {
  if (m_open && m_readOnly) {
    Discard();
    return Fail(EBADF);  // opened for reading only
  }
  std::string path = m_path;
  std::shared_ptr<PlannedFile> plan = Plan();
  const int saved = errno;
  Discard();
  errno = saved;
  if (!plan) return false;
  ReplacingFile file(path);
  return file.IsOpen() && WritePlanned(file.Descriptor(), *plan) && file.Commit();
}

bool CResourceUpdate::CommitTo(int fd) {
  std::shared_ptr<PlannedFile> plan = Plan();
  const int saved = errno;
  Discard();
  errno = saved;
  return plan && WritePlanned(fd, *plan);
}

bool CResourceUpdate::CommitPlanned() {
  std::shared_ptr<PlannedFile> plan = Plan();
  if (!plan) {
    const int saved = errno;
    Discard();
    errno = saved;
    return false;
  }
  // The planned file keeps a non-zero checksum field so the next update recomputes it.
  if (plan->checksum) Put32(plan->head.data() + plan->checksumAt, 1);
  m_planned = std::move(plan);
  return true;
}

}  // namespace tvl
