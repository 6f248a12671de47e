#pragma once
// Our own resource update service: rewrites the resource section of a PE file (PE32 or PE32+)
// so that it holds exactly a pending set of (type, name, language, bytes) entries.
//
// Usage mirrors the platform's service: Begin opens an update (reading the headers; the file
// stays open), Add puts entries into the pending set, Commit writes the new file, reading the
// rest of the original as it goes, Discard drops the update. Commit first plans the new file
// in memory (the new headers, where the section goes, what moves) and then writes it in one
// go; CommitPlanned keeps the plan instead, for another update to start from, so several
// updates in a row cost one write. Failures
// return false and leave errno set (ENOEXEC for a file that is not a usable PE image, EBADF
// for a call outside an update, EINVAL for bad arguments, EFBIG when the result would not
// fit the format, otherwise the error of the failing file operation), so a CWin32Exception
// created right after carries a meaningful text. The file is never modified before Commit,
// and Commit writes a temporary file in the same folder and renames it over the original,
// so a discarded or failed update leaves the file byte for byte as it was. A file that was
// changed or replaced between Begin and Commit (its identity, size or modification time
// differ) makes Commit fail with EBUSY rather than mix old and new.
//
// Layout of the written section: directory tables (root, then every type's table, then every
// name's table), then the data entries, then the name strings (a WORD length and UTF-16
// code units, no terminator), then the data, each block aligned to 8. At every level named
// entries come first, then numbered ones by ascending id. Names are sorted case-insensitively:
// by their code units mapped to upper case (the loader looks names up in upper case), ties
// (names that differ only in case) by the raw code units so the order is total.
//
// Where the new section goes:
//  - The section holding the resource directory is reused in place when it holds resources
//    only. Its file data is replaced; whatever follows it in the file (other sections' data,
//    the COFF symbol table, an overlay) moves with the size change and every file offset that
//    points there is adjusted (section headers, debug directory entries, symbol table).
//  - If it must grow past the next section's address, or may shrink, the sections after it
//    in memory are moved when nothing can refer to their addresses except data directories
//    we fix: the base relocation section and discardable, non-code sections such as debug
//    data (the debug directory's entries are fixed too). Otherwise the old section keeps its
//    address range, padded so no hole appears in memory.
//  - When it cannot grow in place, or the file has no resource section yet, a new ".rsrc"
//    section is appended after the last one; an old section that held only resources is
//    zeroed and renamed ".oldrsrc" so stale resources do not linger. Room for the extra
//    section header is taken from the header slack, growing the headers if needed.
//  - An Authenticode certificate is removed (the signature cannot hold any more): its bytes
//    are dropped and its data directory cleared.
//  - SizeOfImage, SizeOfInitializedData (by the change in raw size) and the resource data
//    directory follow; the checksum is recomputed when the file had a non-zero one.
#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Types.h"

namespace tvl {

// A resource type or name: an ordinal or a name string.
struct ResId {
  std::u16string name;
  WORD ordinal = 0;
  bool isName = false;

  static ResId Id(WORD ordinal) {
    ResId r;
    r.ordinal = ordinal;
    return r;
  }
  static ResId Name(std::u16string name) {
    ResId r;
    r.name = std::move(name);
    r.isName = true;
    return r;
  }
  bool operator==(const ResId& o) const {
    return isName == o.isName && (isName ? name == o.name : ordinal == o.ordinal);
  }
};

// Orders two names as the directory stores them (see above): <0, 0, >0.
int CompareResourceNames(std::u16string_view a, std::u16string_view b);

// Directory order: names first (CompareResourceNames), then ordinals ascending.
struct ResIdLess {
  bool operator()(const ResId& a, const ResId& b) const;
};

using ResLanguageMap = std::map<WORD, std::vector<BYTE>>;
using ResNameMap = std::map<ResId, ResLanguageMap, ResIdLess>;
using ResTypeMap = std::map<ResId, ResNameMap, ResIdLess>;

// One entry of a resource set, in directory order.
struct ResEntryView {
  const ResId* type;
  const ResId* name;
  WORD language;
  const std::vector<BYTE>* data;
};
std::vector<ResEntryView> ListEntries(const ResTypeMap& set);

// The bytes of a resource section holding `set`, laid out for the section address `baseRva`.
// Returns false (errno EFBIG or EINVAL) when the set cannot be represented.
bool BuildResourceSection(const ResTypeMap& set, DWORD baseRva, std::vector<BYTE>& out);

// Reads the resource directory of a PE image in memory into `set` (existing entries are
// replaced). Returns false with errno ENOEXEC when the image or its directory is malformed.
bool ReadResourceSet(const BYTE* file, size_t size, ResTypeMap& set);

// The PE checksum of an image whose checksum field lies at `checksumOffset`: 16-bit one's
// complement style sum of the file without that field, folded, plus the file length.
DWORD ComputePeChecksum(const BYTE* data, size_t size, size_t checksumOffset);

class PendingSet;
class FileBytes;
struct PlannedFile;

class CResourceUpdate {
 public:
  CResourceUpdate();
  CResourceUpdate(const CResourceUpdate&) = delete;
  CResourceUpdate& operator=(const CResourceUpdate&) = delete;
  ~CResourceUpdate();

  // Opens an update of the file at `path` (UTF-8), which stays open until the update ends.
  // With deleteExisting false the file's own entries start in the pending set. Fails when
  // an update is already open.
  bool Begin(const std::string& path, bool deleteExisting);
  bool Begin(const std::u16string& path, bool deleteExisting);
  // The same for an update whose file is written elsewhere (CommitTo) or only planned: the
  // file need not be writable, and Commit fails with EBADF.
  bool BeginReading(const std::string& path, bool deleteExisting);
  // Opens an update of the file the last CommitPlanned planned, as Begin would open it had
  // it been written (EBADF when there is none).
  bool BeginPlanned(bool deleteExisting);

  // Puts an entry into the pending set, replacing one with the same type, name and language.
  // A null pointer with size 0 removes that entry instead, as the platform's service does.
  bool Add(const ResId& type, const ResId& name, WORD language, const void* data, size_t size);
  // The same without copying: the bytes must stay valid and unchanged until the update ends.
  // For callers that hold all the data anyway (the resource writer).
  bool AddBorrowed(const ResId& type, const ResId& name, WORD language, const void* data, size_t size);

  // An entry of `size` zero bytes that are never held in memory.
  bool AddPlaceholder(const ResId& type, const ResId& name, WORD language, size_t size);

  // Writes the file and ends the update (also when it fails).
  bool Commit();
  // Writes the new file to `fd` (empty, open for writing) and leaves the original as it is.
  bool CommitTo(int fd);
  // Ends the update with its new file planned but not written: BeginPlanned continues from it,
  // and the original stays open, unchanged, until the plan is written or dropped.
  bool CommitPlanned();
  // Ends the update without touching the file.
  void Discard();

  bool IsOpen() const { return m_open; }
  // Entries the file would hold if committed now.
  size_t PendingCount();

 private:
  bool AddEntry(const ResId& type, const ResId& name, WORD language, const void* data, size_t size, bool borrow);
  bool CheckEntry(const ResId& type, const ResId& name, size_t size) const;
  bool Open(const std::string& path, bool deleteExisting, bool readOnly);
  bool Start(std::shared_ptr<const FileBytes> source, bool deleteExisting);
  std::shared_ptr<PlannedFile> Plan();

  bool m_open = false;
  bool m_readOnly = false;
  struct Identity {
    unsigned long long device = 0, inode = 0;
    long long seconds = 0, nanoseconds = 0;
    size_t size = 0;
    bool operator==(const Identity&) const = default;
  } m_identity;
  std::string m_path;
  std::shared_ptr<const FileBytes> m_source;  // the bytes being updated, read while Commit writes
  std::vector<BYTE> m_head;                   // their headers, up to the first section's data
  std::unique_ptr<PendingSet> m_pending;
  std::shared_ptr<PlannedFile> m_planned;  // after CommitPlanned
};

}  // namespace tvl
