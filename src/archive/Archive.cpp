#include "archive/Archive.h"

#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdio>
#include <limits>
#include <new>

#include "platform/Files.h"
#include "platform/Text.h"

namespace {

// Tags of class and object references.
constexpr WORD kNullTag = 0x0000;
constexpr WORD kNewClassTag = 0xFFFF;
constexpr WORD kClassTag = 0x8000;
constexpr DWORD kBigClassTag = 0x80000000u;
constexpr WORD kBigObjectTag = 0x7FFF;

// Class names are shorter than this in every file the framework can read.
constexpr WORD kMaxClassNameLength = 64;

std::u16string ReplaceFileName(std::u16string_view format, const std::u16string& fileName) {
  std::u16string out;
  size_t at = format.find(u"%1");
  if (at == std::u16string_view::npos) return std::u16string(format);
  out.assign(format.substr(0, at));
  out += fileName;
  out.append(format.substr(at + 2));
  return out;
}

}  // namespace

// --- CArchiveException ------------------------------------------------------------------

std::u16string CArchiveException::Message(int cause, const std::u16string& fileName) {
  const std::u16string name = fileName.empty() ? std::u16string(u"an unnamed file") : fileName;
  const char16_t* format;
  switch (cause) {
    case none: format = u"No error occurred."; break;
    case readOnly: format = u"An attempt was made to write to the reading %1."; break;
    case endOfFile: format = u"An attempt was made to access %1 past its end."; break;
    case writeOnly: format = u"An attempt was made to read from the writing %1."; break;
    case badIndex: format = u"%1 has a bad format."; break;
    case badClass: format = u"%1 contained an unexpected object."; break;
    case badSchema: format = u"%1 contains an incorrect schema."; break;
    case genericException:
    default: format = u"An unknown error occurred while accessing %1."; break;
  }
  return ReplaceFileName(format, name);
}

std::u16string CArchiveException::GetErrorText() const { return Message(m_cause, m_strFileName); }

// --- construction -------------------------------------------------------------------------

CArchive::CArchive(Mode mode, const std::u16string& fileName) : m_storing(mode == store), m_fileName(fileName) {
  const std::string path = tvl::NativePath(fileName);
  if (m_storing) {
    m_file = std::fopen(path.c_str(), "wb");
    if (m_file == nullptr) throw CWin32Exception(u"Unable to create " + fileName + u".");
    m_out.reserve(kFileBufferSize);
  } else {
    std::uint64_t fileSize = 0;
    int fd = tvl::OpenRegularFile(path, kMaxFileSize, EINVAL, fileSize);
    std::FILE* f = fd < 0 ? nullptr : ::fdopen(fd, "rb");
    if (f == nullptr) {
      if (fd >= 0) ::close(fd);
      throw CWin32Exception(u"Unable to open " + fileName + u".");
    }
    // Read it whole: a project file is read once, front to back, and the bytes left must be
    // known to check lengths and counts.
    std::vector<BYTE> bytes;
    bytes.reserve(static_cast<size_t>(fileSize));
    BYTE chunk[1 << 16];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0 && bytes.size() <= kMaxFileSize)
      bytes.insert(bytes.end(), chunk, chunk + n);
    bool failed = std::ferror(f) != 0;
    int error = errno;
    std::fclose(f);
    if (failed) {
      errno = error;
      throw CWin32Exception(u"Unable to read " + fileName + u".");
    }
    m_fileBytes = std::move(bytes);
    m_data = m_fileBytes.data();
    m_size = m_fileBytes.size();
  }
  m_loadArray.resize(1);  // index 0: null
}

CArchive::CArchive() : m_storing(true) {}

CArchive::CArchive(const void* data, size_t size, std::u16string fileName)
    : m_storing(false), m_fileName(std::move(fileName)), m_data(static_cast<const BYTE*>(data)), m_size(size) {
  if (m_data == nullptr) m_size = 0;
  m_loadArray.resize(1);
}

CArchive::~CArchive() {
  Abort();
  // Objects nobody took: a load that failed half-way, or references read only as shared.
  for (LoadEntry& e : m_loadArray)
    if (e.kind == LoadEntry::kObject && !e.claimed) delete static_cast<CObject*>(e.pointer);
}

void CArchive::Flush() {
  if (m_file == nullptr || m_out.empty()) return;
  size_t written = std::fwrite(m_out.data(), 1, m_out.size(), m_file);
  if (written != m_out.size()) throw CWin32Exception(u"Unable to write " + m_fileName + u".");
  m_flushed += written;
  m_out.clear();
}

void CArchive::Close() {
  if (!m_storing) {
    for (const LoadEntry& e : m_loadArray)
      if (e.kind == LoadEntry::kObject && !e.claimed) ThrowException(CArchiveException::badIndex);
    return;
  }
  if (m_file != nullptr) {
    Flush();
    std::FILE* f = m_file;
    m_file = nullptr;
    if (std::fclose(f) != 0) throw CWin32Exception(u"Unable to write " + m_fileName + u".");
  }
}

void CArchive::Abort() {
  if (m_file != nullptr) {
    std::fclose(m_file);
    m_file = nullptr;
  }
}

void CArchive::ThrowException(int cause) const { throw CArchiveException(cause, m_fileName); }

// --- raw bytes and counts ----------------------------------------------------------------

size_t CArchive::Read(void* data, size_t n) {
  if (m_storing) ThrowException(CArchiveException::writeOnly);
  size_t available = std::min(n, m_size - m_pos);
  Get(data, available);
  return available;
}

void CArchive::CheckAvailable(size_t count, size_t minBytes) {
  if (m_storing) ThrowException(CArchiveException::writeOnly);
  if (minBytes == 0) minBytes = 1;
  if (count > (m_size - m_pos) / minBytes) ThrowException(CArchiveException::endOfFile);
}

void CArchive::WriteCount(size_t count) {
  if (count < 0xFFFF) {
    *this << static_cast<WORD>(count);
  } else {
    if (count > 0xFFFFFFFFu) ThrowException(CArchiveException::genericException);
    *this << static_cast<WORD>(0xFFFF) << static_cast<DWORD>(count);
  }
}

size_t CArchive::ReadCount() {
  WORD w;
  *this >> w;
  if (w != 0xFFFF) return w;
  DWORD d;
  *this >> d;
  return d;
}

// --- strings --------------------------------------------------------------------------------

void CArchive::WriteString(std::u16string_view s) {
  const ULONGLONG length = s.size();
  *this << static_cast<BYTE>(0xFF) << static_cast<WORD>(0xFFFE);
  if (length < 0xFF) {
    *this << static_cast<BYTE>(length);
  } else {
    *this << static_cast<BYTE>(0xFF);
    if (length < 0xFFFE) {
      *this << static_cast<WORD>(length);
    } else {
      *this << static_cast<WORD>(0xFFFF);
      if (length < 0xFFFFFFFFu) {
        *this << static_cast<DWORD>(length);
      } else {
        *this << static_cast<DWORD>(0xFFFFFFFFu) << length;
      }
    }
  }
  if (s.empty()) return;
  // Little-endian code units; on this platform the memory image already is.
  if constexpr (std::endian::native == std::endian::little) {
    Put(s.data(), s.size() * 2);
  } else {
    for (char16_t c : s) PutLE(static_cast<WORD>(c));
  }
}

std::u16string CArchive::ReadString() {
  bool wide = false;
  ULONGLONG length = 0;
  BYTE b;
  WORD w = 0;
  *this >> b;
  if (b < 0xFF) {
    length = b;
  } else {
    *this >> w;
    if (w == 0xFFFE) {
      // Wide characters: the length starts over with one byte.
      wide = true;
      *this >> b;
      if (b < 0xFF)
        length = b;
      else
        *this >> w;
    }
    if (b == 0xFF) {
      if (w < 0xFFFF) {
        length = w;
      } else {
        DWORD d;
        *this >> d;
        if (d < 0xFFFFFFFFu) {
          length = d;
        } else {
          ULONGLONG q;
          *this >> q;
          if (q > static_cast<ULONGLONG>(std::numeric_limits<int>::max()))
            ThrowException(CArchiveException::genericException);
          length = q;
        }
      }
    }
  }
  // Never allocate for characters that are not in the file.
  const size_t unit = wide ? 2 : 1;
  if (length > (m_size - m_pos) / unit) ThrowException(CArchiveException::endOfFile);
  const size_t n = static_cast<size_t>(length);
  std::u16string result;
  if (wide) {
    result.resize(n);
    if constexpr (std::endian::native == std::endian::little) {
      Get(result.data(), n * 2);
    } else {
      for (size_t i = 0; i < n; ++i) {
        WORD c;
        GetLE(c);
        result[i] = c;
      }
    }
  } else {
    std::string_view bytes(reinterpret_cast<const char*>(m_data + m_pos), n);
    m_pos += n;
    result = tvl::MultiByteToWide(0, bytes);
  }
  size_t nul = result.find(u'\0');
  if (nul != std::u16string::npos) result.resize(nul);
  return result;
}

// --- class and object references ---------------------------------------------------------

DWORD CArchive::NextIndex() {
  if (m_mapCount > kMaxMapIndex) ThrowException(CArchiveException::badIndex);
  return m_mapCount++;
}

void CArchive::WriteClass(const CRuntimeClass* cls) {
  if (cls == nullptr || !cls->IsStorable()) throw CNotSupportedException();
  if (!m_storing) ThrowException(CArchiveException::readOnly);
  if (DWORD index = m_storeMap.Find(cls); index != 0) {
    if (index < kBigObjectTag) {
      *this << static_cast<WORD>(kClassTag | index);
    } else {
      *this << kBigObjectTag << static_cast<DWORD>(kBigClassTag | index);
    }
    return;
  }
  std::string_view name = cls->GetName();
  if (name.size() >= kMaxClassNameLength) throw CNotSupportedException();
  *this << kNewClassTag << cls->GetSchemaNumber() << static_cast<WORD>(name.size());
  Put(name.data(), name.size());
  m_storeMap.Insert(cls, NextIndex());
}

void CArchive::WriteObject(const CObject* object) {
  if (!m_storing) ThrowException(CArchiveException::readOnly);
  if (object == nullptr) {
    *this << kNullTag;
    return;
  }
  if (DWORD index = m_storeMap.Find(object); index != 0) {
    if (index < kBigObjectTag) {
      *this << static_cast<WORD>(index);
    } else {
      *this << kBigObjectTag << index;
    }
    return;
  }
  WriteClass(object->GetRuntimeClass());
  m_storeMap.Insert(object, NextIndex());
  const_cast<CObject*>(object)->Serialize(*this);
}

const CRuntimeClass* CArchive::ReadClassTag(const CRuntimeClass* requested, UINT* schema, DWORD* objectTag) {
  if (m_storing) ThrowException(CArchiveException::writeOnly);
  // requested only constrains the class read; it may be a base without schema (CObject).

  WORD w;
  DWORD tag;
  *this >> w;
  if (w == kBigObjectTag)
    *this >> tag;
  else
    tag = (static_cast<DWORD>(w & kClassTag) << 16) | (w & ~kClassTag);

  if (!(tag & kBigClassTag)) {
    // An object reference.
    if (objectTag == nullptr) ThrowException(CArchiveException::badIndex);
    *objectTag = tag;
    return nullptr;
  }

  const CRuntimeClass* cls;
  UINT stored;
  if (w == kNewClassTag) {
    WORD storedSchema, length;
    *this >> storedSchema >> length;
    char name[kMaxClassNameLength];
    if (length >= kMaxClassNameLength || Read(name, length) != length) ThrowException(CArchiveException::badClass);
    // The name ends at a zero byte, as the framework compares it.
    std::string_view text(name, length);
    text = text.substr(0, text.find('\0'));
    cls = CRuntimeClass::FromName(text);
    if (cls == nullptr || !cls->IsStorable()) ThrowException(CArchiveException::badClass);
    stored = storedSchema;
    if (cls->GetSchemaNumber() != storedSchema) {
      if (!cls->IsVersionable()) ThrowException(CArchiveException::badSchema);
      m_schemaMap[cls] = storedSchema;
    }
    DWORD index = NextIndex();
    m_loadArray.resize(index + 1);
    m_loadArray[index].pointer = const_cast<CRuntimeClass*>(cls);
    m_loadArray[index].kind = LoadEntry::kClass;
  } else {
    DWORD index = tag & ~kBigClassTag;
    if (index == 0 || index >= m_loadArray.size() || m_loadArray[index].kind != LoadEntry::kClass)
      ThrowException(CArchiveException::badIndex);
    cls = static_cast<const CRuntimeClass*>(m_loadArray[index].pointer);
    auto found = m_schemaMap.find(cls);
    stored = found != m_schemaMap.end() ? found->second : cls->GetSchemaNumber();
  }

  if (requested != nullptr && !cls->IsDerivedFrom(requested)) ThrowException(CArchiveException::badClass);
  if (schema != nullptr)
    *schema = stored;
  else
    m_objectSchema = stored;
  return cls;
}

const CRuntimeClass* CArchive::ReadClass(const CRuntimeClass* requested) {
  return ReadClassTag(requested, nullptr, nullptr);
}

void CArchive::SerializeClass(const CRuntimeClass* cls) {
  if (m_storing)
    WriteClass(cls);
  else
    ReadClass(cls);
}

DWORD CArchive::ReadObjectIndex(const CRuntimeClass* requested) {
  UINT schema = 0;
  DWORD tag = 0;
  const CRuntimeClass* cls = ReadClassTag(requested, &schema, &tag);
  if (cls == nullptr) {
    if (tag >= m_loadArray.size()) ThrowException(CArchiveException::badIndex);
    const LoadEntry& e = m_loadArray[tag];
    if (e.kind == LoadEntry::kClass) ThrowException(CArchiveException::badIndex);
    if (e.kind == LoadEntry::kObject && requested != nullptr && !e.cls->IsDerivedFrom(requested))
      ThrowException(CArchiveException::badClass);
    return tag;
  }

  if (m_depth >= m_maxDepth) ThrowException(CArchiveException::badIndex);
  CObject* object = cls->CreateObject();
  if (object == nullptr) throw CMemoryException();
  DWORD index;
  try {
    index = NextIndex();
    m_loadArray.resize(index + 1);
  } catch (...) {
    delete object;
    throw;
  }
  // In the table before its content is read, so that the content may refer back to it.
  LoadEntry& entry = m_loadArray[index];
  entry.pointer = object;
  entry.cls = cls;
  entry.kind = LoadEntry::kObject;
  entry.inProgress = true;

  // On a throw the object stays the archive's and dies with it.
  struct Nesting {
    CArchive& ar;
    UINT saved;
    Nesting(CArchive& a, UINT schema) : ar(a), saved(a.m_objectSchema) {
      ar.m_objectSchema = schema;
      ++ar.m_depth;
    }
    ~Nesting() {
      --ar.m_depth;
      ar.m_objectSchema = saved;
    }
  } nesting(*this, schema);
  object->Serialize(*this);
  m_loadArray[index].inProgress = false;
  return index;
}

std::unique_ptr<CObject> CArchive::ReadObject(const CRuntimeClass* requested) {
  DWORD index = ReadObjectIndex(requested);
  if (index == 0) return nullptr;
  LoadEntry& e = m_loadArray[index];
  // A second owner, or an object inside its own Serialize: not a graph we can own.
  if (e.claimed || e.inProgress) ThrowException(CArchiveException::badIndex);
  e.claimed = true;
  return std::unique_ptr<CObject>(static_cast<CObject*>(e.pointer));
}

CObject* CArchive::ReadObjectRef(const CRuntimeClass* requested) {
  DWORD index = ReadObjectIndex(requested);
  return static_cast<CObject*>(m_loadArray[index].pointer);
}
