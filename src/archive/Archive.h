#pragma once
// The object archive: the byte encoding of project files.
//
// An archive either stores or loads, over a file or over memory. Values are little-endian,
// without padding. Strings, counts, class references and object references follow the
// framework's encoding byte for byte; the class and object indexes share one counter.
//
// Loading never trusts the file: every length and count is checked against the bytes left
// before anything is allocated, object nesting is bounded, and every inconsistency is a
// CArchiveException (never a crash).
//
// Ownership of loaded objects. Every object a loading archive creates belongs to the
// archive until someone claims it. ReadObject (and the owning collections) claim: they
// return a std::unique_ptr. An object can be claimed once; a reference in the file that
// would hand an object to a second owner, or to a descendant of itself, is "bad format"
// (the program's own files never hold such references: every stored reference owns its
// object). ReadObjectRef reads a reference without claiming: for a shared reference whose
// object some other field owns. Objects left unclaimed (a load that failed half-way, a
// reference read only through ReadObjectRef) are deleted with the archive. Close on a loading
// archive therefore refuses ("bad format") a file that left an object without owner: a
// pointer from ReadObjectRef is then known to point at an object that some field owns.
// The archive cannot see an owner drop what it took, so the rule for Serialize code is:
// keep every object you read until the archive is closed (a later shared reference may
// still name it).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <algorithm>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "archive/Exceptions.h"
#include "archive/Object.h"
#include "platform/Types.h"

class CArchiveException : public CException {
 public:
  enum Cause : int {
    none = 0,
    genericException = 1,  // bad use, string length out of range
    readOnly = 2,          // writing to a loading archive
    endOfFile = 3,         // reading past the end
    writeOnly = 4,         // reading from a storing archive
    badIndex = 5,          // bad object or class index, too many objects, not a project file
    badClass = 6,          // unknown class name, class not as expected
    badSchema = 7,         // schema differs for a class that is not versionable
  };

  CArchiveException(int cause, std::u16string fileName) : m_cause(cause), m_strFileName(std::move(fileName)) {}

  // The cause's message with %1 replaced by the file name ("an unnamed file" when the
  // archive has none, as the framework says).
  std::u16string GetErrorText() const override;
  static std::u16string Message(int cause, const std::u16string& fileName);

  int m_cause;
  std::u16string m_strFileName;
};

namespace tvl_detail {
// Object or class identity -> archive index, for storing. Open addressing over a flat array:
// a project stores hundreds of thousands of objects, and a node-based map spends most of the
// store in cache misses.
class PointerIndexMap {
 public:
  // 0 when absent (index 0 is never given to an object or class).
  DWORD Find(const void* key) const {
    if (m_slots.empty()) return 0;
    for (size_t i = Slot(key);; i = (i + 1) & m_mask) {
      if (m_slots[i].key == key) return m_slots[i].index;
      if (m_slots[i].key == nullptr) return 0;
    }
  }
  void Insert(const void* key, DWORD index) {
    if ((m_count + 1) * 2 > m_slots.size()) Grow();
    size_t i = Slot(key);
    while (m_slots[i].key != nullptr && m_slots[i].key != key) i = (i + 1) & m_mask;
    if (m_slots[i].key == nullptr) ++m_count;
    m_slots[i] = {key, index};
  }

 private:
  struct Entry {
    const void* key = nullptr;
    DWORD index = 0;
  };
  size_t Slot(const void* key) const {
    // Fibonacci hashing of the address; the low bits of heap pointers carry little.
    return static_cast<size_t>((reinterpret_cast<std::uintptr_t>(key) * 0x9E3779B97F4A7C15ull) >> 20) & m_mask;
  }
  void Grow() {
    std::vector<Entry> old = std::move(m_slots);
    m_slots.assign(old.empty() ? 1024 : old.size() * 2, Entry{});
    m_mask = m_slots.size() - 1;
    m_count = 0;
    for (const Entry& e : old)
      if (e.key != nullptr) Insert(e.key, e.index);
  }

  std::vector<Entry> m_slots;
  size_t m_mask = 0;
  size_t m_count = 0;
};
}  // namespace tvl_detail

class CArchive {
 public:
  // Files above this size are refused before reading: far beyond any real project, and a
  // bound on what a hostile file can make the program allocate.
  static constexpr std::uint64_t kMaxFileSize = 1ull << 30;
  enum Mode { store = 0, load = 1 };

  // The limit of the map count: an index above this is "bad index".
  static constexpr DWORD kMaxMapIndex = 0x3FFFFFFD;
  // Loading: how deeply objects may nest inside objects' Serialize calls. The program's own
  // files nest a few levels plus one per language of a value chain.
  static constexpr int kDefaultMaxDepth = 1024;
  // Storing to a file: bytes kept before they are written out.
  static constexpr size_t kFileBufferSize = 1 << 16;

  // Over a file: storing creates (or truncates) it, loading reads it. A file that cannot be
  // opened throws CWin32Exception. fileName is also the name used in error messages.
  CArchive(Mode mode, const std::u16string& fileName);
  // Storing into memory (GetStoredBytes).
  CArchive();
  // Loading from memory; the bytes must outlive the archive.
  CArchive(const void* data, size_t size, std::u16string fileName = {});

  // Abandons without flushing (use Close to finish a stored file).
  ~CArchive();
  CArchive(const CArchive&) = delete;
  CArchive& operator=(const CArchive&) = delete;

  bool IsLoading() const { return !m_storing; }
  bool IsStoring() const { return m_storing; }
  const std::u16string& GetFileName() const { return m_fileName; }
  void SetFileName(std::u16string name) { m_fileName = std::move(name); }

  // Which languages' translations are stored or loaded: all, unless a filter is set (a
  // translator's copy holds only the languages chosen for it).
  void SetLanguageFilter(std::set<WORD> languages) {
    m_filterLanguages = true;
    m_languages = std::move(languages);
  }
  bool PassesLanguage(WORD language) const { return !m_filterLanguages || m_languages.count(language) != 0; }

  // Storing: writes out the buffered bytes and closes the file (write errors throw
  // CWin32Exception). Loading: checks that every object read has an owner (else "bad
  // format"); call it before using what was loaded.
  void Close();
  // Abandons the archive without writing anything more.
  void Abort();

  // Storing into memory: everything written so far.
  const std::vector<BYTE>& GetStoredBytes() const { return m_out; }
  // Loading: bytes not read yet; storing: 0.
  size_t GetRemaining() const { return m_storing ? 0 : m_size - m_pos; }
  // Loading: copies up to n of the next bytes without consuming them; returns how many.
  size_t Peek(void* data, size_t n) const {
    if (m_storing) return 0;
    n = std::min(n, m_size - m_pos);
    if (n) std::memcpy(data, m_data + m_pos, n);
    return n;
  }
  size_t GetPosition() const { return m_storing ? m_flushed + m_out.size() : m_pos; }

  // --- plain values -------------------------------------------------------------------
  CArchive& operator<<(BYTE v) { return Put(&v, 1); }
  CArchive& operator<<(bool v) { BYTE b = v ? 1 : 0; return Put(&b, 1); }
  CArchive& operator<<(char v) { return Put(&v, 1); }
  CArchive& operator<<(WORD v) { return PutLE(v); }
  CArchive& operator<<(std::int16_t v) { return PutLE(static_cast<WORD>(v)); }
  CArchive& operator<<(DWORD v) { return PutLE(v); }
  CArchive& operator<<(LONG v) { return PutLE(static_cast<DWORD>(v)); }
  CArchive& operator<<(LONGLONG v) { return PutLE(static_cast<ULONGLONG>(v)); }
  CArchive& operator<<(ULONGLONG v) { return PutLE(v); }
  CArchive& operator<<(float v) { DWORD d; std::memcpy(&d, &v, 4); return PutLE(d); }
  CArchive& operator<<(double v) { ULONGLONG d; std::memcpy(&d, &v, 8); return PutLE(d); }

  CArchive& operator>>(BYTE& v) { return Get(&v, 1); }
  CArchive& operator>>(bool& v) { BYTE b; Get(&b, 1); v = b != 0; return *this; }
  CArchive& operator>>(char& v) { return Get(&v, 1); }
  CArchive& operator>>(WORD& v) { return GetLE(v); }
  CArchive& operator>>(std::int16_t& v) { WORD w; GetLE(w); v = static_cast<std::int16_t>(w); return *this; }
  CArchive& operator>>(DWORD& v) { return GetLE(v); }
  CArchive& operator>>(LONG& v) { DWORD d; GetLE(d); v = static_cast<LONG>(d); return *this; }
  CArchive& operator>>(LONGLONG& v) { ULONGLONG d; GetLE(d); v = static_cast<LONGLONG>(d); return *this; }
  CArchive& operator>>(ULONGLONG& v) { return GetLE(v); }
  CArchive& operator>>(float& v) { DWORD d; GetLE(d); std::memcpy(&v, &d, 4); return *this; }
  CArchive& operator>>(double& v) { ULONGLONG d; GetLE(d); std::memcpy(&v, &d, 8); return *this; }

  // Raw bytes, no length. Read returns how many bytes there were (fewer at the end of the
  // file, as the framework's Read); ReadExact throws "end of file" instead.
  void Write(const void* data, size_t n) { Put(data, n); }
  size_t Read(void* data, size_t n);
  void ReadExact(void* data, size_t n) { Get(data, n); }

  // Loading: throws "end of file" unless count elements of at least minBytes each can still
  // be in the file. Collections call it before they allocate.
  void CheckAvailable(size_t count, size_t minBytes);

  // --- counts -------------------------------------------------------------------------
  // Below 0xFFFF one WORD, else WORD 0xFFFF and the DWORD.
  void WriteCount(size_t count);
  size_t ReadCount();

  // --- strings (the framework's string: wide form when storing, both forms loading) -----
  CArchive& operator<<(std::u16string_view s) { WriteString(s); return *this; }
  CArchive& operator<<(const std::u16string& s) { WriteString(s); return *this; }
  CArchive& operator<<(const char16_t* s) { WriteString(s ? std::u16string_view(s) : std::u16string_view()); return *this; }
  CArchive& operator>>(std::u16string& s) { s = ReadString(); return *this; }
  void WriteString(std::u16string_view s);
  // Cut at the first zero code unit. 8-bit strings are converted from the system's ANSI
  // code page.
  std::u16string ReadString();

  // --- class and object references -----------------------------------------------------
  // Throws CNotSupportedException for a class without schema.
  void WriteClass(const CRuntimeClass* cls);
  // Reads a class reference; requested (may be nullptr) must be the class read or one of its
  // bases. Sets the object schema for the Serialize call the caller makes next (as
  // SerializeClass does). Returns the class.
  const CRuntimeClass* ReadClass(const CRuntimeClass* requested = nullptr);
  void SerializeClass(const CRuntimeClass* cls);

  void WriteObject(const CObject* object);
  // Reads an object reference and takes the object (see the ownership note at the top).
  // requested (may be nullptr) must be the object's class or one of its bases.
  std::unique_ptr<CObject> ReadObject(const CRuntimeClass* requested);
  template <class T>
  std::unique_ptr<T> ReadObject() {
    return std::unique_ptr<T>(static_cast<T*>(ReadObject(T::GetThisClass()).release()));
  }
  // Reads an object reference without taking the object.
  CObject* ReadObjectRef(const CRuntimeClass* requested);

  CArchive& operator<<(const CObject* object) { WriteObject(object); return *this; }
  template <class T>
  CArchive& operator>>(std::unique_ptr<T>& object) { object = ReadObject<T>(); return *this; }

  // The schema the current Serialize is to see; reset to unknown (0xFFFFFFFF) by the call.
  UINT GetObjectSchema() {
    UINT schema = m_objectSchema;
    m_objectSchema = 0xFFFFFFFF;
    return schema;
  }
  void SetObjectSchema(UINT schema) { m_objectSchema = schema; }

  DWORD GetMapCount() const { return m_mapCount; }
  // Storing only: lets a test reach the map-count limit without writing a billion objects.
  void SetMapCountForTesting(DWORD count) { if (m_storing) m_mapCount = count; }
  void SetMaxDepth(int depth) { m_maxDepth = depth; }

  [[noreturn]] void ThrowException(int cause) const;

 private:
  struct LoadEntry {
    void* pointer = nullptr;  // CRuntimeClass* or CObject*
    const CRuntimeClass* cls = nullptr;  // of an object: checked without touching the object
    enum Kind : BYTE { kNull, kClass, kObject } kind = kNull;
    bool claimed = false;     // an object some owner has taken
    bool inProgress = false;  // an object whose Serialize is running
  };

  CArchive& Put(const void* data, size_t n) {
    if (!m_storing) ThrowException(CArchiveException::readOnly);
    const BYTE* p = static_cast<const BYTE*>(data);
    m_out.insert(m_out.end(), p, p + n);
    if (m_file != nullptr && m_out.size() >= kFileBufferSize) Flush();
    return *this;
  }
  CArchive& Get(void* data, size_t n) {
    if (m_storing) ThrowException(CArchiveException::writeOnly);
    if (n > m_size - m_pos) ThrowException(CArchiveException::endOfFile);
    if (n) std::memcpy(data, m_data + m_pos, n);
    m_pos += n;
    return *this;
  }
  template <class T>
  CArchive& PutLE(T v) {
    BYTE b[sizeof(T)];
    for (size_t i = 0; i < sizeof(T); ++i) b[i] = static_cast<BYTE>(v >> (8 * i));
    return Put(b, sizeof(T));
  }
  template <class T>
  CArchive& GetLE(T& v) {
    BYTE b[sizeof(T)];
    Get(b, sizeof(T));
    T r = 0;
    for (size_t i = 0; i < sizeof(T); ++i) r |= static_cast<T>(static_cast<T>(b[i]) << (8 * i));
    v = r;
    return *this;
  }

  void Flush();
  DWORD NextIndex();
  // Reads a class-or-object tag. Returns the class of a new object, or nullptr with *objectTag
  // set for a reference to an object already read. objectTag nullptr: only a class may stand.
  const CRuntimeClass* ReadClassTag(const CRuntimeClass* requested, UINT* schema, DWORD* objectTag);
  // Reads an object reference; returns its table index (0 for null).
  DWORD ReadObjectIndex(const CRuntimeClass* requested);

  bool m_storing;
  bool m_filterLanguages = false;
  std::set<WORD> m_languages;
  std::u16string m_fileName;
  std::FILE* m_file = nullptr;

  // storing
  std::vector<BYTE> m_out;
  size_t m_flushed = 0;
  tvl_detail::PointerIndexMap m_storeMap;  // class or object -> index

  // loading
  std::vector<BYTE> m_fileBytes;  // the whole file, when loading a file
  const BYTE* m_data = nullptr;
  size_t m_size = 0;
  size_t m_pos = 0;
  std::vector<LoadEntry> m_loadArray;
  std::unordered_map<const CRuntimeClass*, WORD> m_schemaMap;
  int m_depth = 0;
  int m_maxDepth = kDefaultMaxDepth;

  DWORD m_mapCount = 1;
  UINT m_objectSchema = 0xFFFFFFFF;
};
