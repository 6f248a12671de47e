#pragma once
// CPeImage: an executable opened as a data file. Stands for the module handle the
// resource functions work on: the file's bytes, its headers and sections, and its
// resource directory walked once, in directory order (types, then names, then languages).
//
// Nothing in the file is trusted: every offset, RVA, size and count is checked against
// the bytes that are there. A directory that is reached twice (a loop, or a shared
// subtree), a directory whose entries do not fit, or an entry that cannot be read is left
// out; only an unreadable root makes the resource directory unusable.
#include <cstddef>
#include <map>
#include <unordered_set>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "peimage/ResName.h"
#include "platform/ByteReader.h"
#include "platform/Types.h"

struct CPeSection {
  std::string name;  // up to 8 bytes, as stored
  DWORD virtualSize = 0;
  DWORD virtualAddress = 0;
  DWORD sizeOfRawData = 0;
  DWORD pointerToRawData = 0;
  DWORD characteristics = 0;
};

// One leaf of the resource directory.
struct CPeResource {
  CResName type;
  CResName name;
  LANGID language = 0;
  DWORD dataRva = 0;
  DWORD size = 0;
  DWORD codePage = 0;           // as stored in the data entry; informational
  const BYTE* data = nullptr;   // null when the RVA range lies in no section
};

class CPeImage {
 public:
  CPeImage() = default;
  CPeImage(const CPeImage&) = delete;
  CPeImage& operator=(const CPeImage&) = delete;

  // Reads the whole file and parses it. False when the file cannot be read or is not a
  // PE32/PE32+ image; a missing or unreadable resource directory is not a failure here
  // (HasResources() tells).
  bool LoadFile(const std::string& nativePath);
  bool LoadBytes(std::vector<BYTE> bytes);

  bool IsLoaded() const { return m_loaded; }
  bool IsPe32Plus() const { return m_pe32Plus; }
  bool IsDll() const { return m_dll; }
  const std::vector<BYTE>& GetBytes() const { return m_bytes; }
  const std::vector<CPeSection>& GetSections() const { return m_sections; }
  size_t GetNtHeadersOffset() const { return m_ntOffset; }
  size_t GetOptionalHeaderOffset() const;
  DWORD GetSizeOfHeaders() const { return m_sizeOfHeaders; }
  // File offset just past the raw data of the last section (clamped to the file): where an
  // overlay starts, if the file is longer.
  size_t GetEndOfSections() const { return m_endOfSections; }

  // The resource data directory as stored in the optional header.
  DWORD GetResourceRva() const { return m_resourceRva; }
  DWORD GetResourceDirectorySize() const { return m_resourceSize; }
  // True when the root resource directory could be read (it may be empty).
  bool HasResources() const { return m_hasResources; }
  // File offset of the root resource directory (meaningful when HasResources()).
  size_t GetResourceDirectoryOffset() const { return m_resDirOffset; }

  // File offset of [rva, rva + size) when the whole range lies in the raw data of one
  // section (or in the headers).
  std::optional<size_t> RvaToOffset(DWORD rva, DWORD size) const;

  // Every leaf in directory order, including entries whose data cannot be read.
  const std::vector<CPeResource>& GetResources() const { return m_resources; }

  // The entry of (type, name, language), as FindResourceEx finds it; null when absent.
  const CPeResource* FindResourceEx(const CResName& type, const CResName& name, LANGID language) const;
  // The entry of (type, name) in any language, as FindResource picks it: language-neutral
  // first, then the system default language, then the first one in directory order.
  const CPeResource* FindResource(const CResName& type, const CResName& name) const;

  // The bytes of an entry; empty when they cannot be read.
  std::span<const BYTE> GetData(const CPeResource& resource) const;

 private:
  struct Key {
    CResName type;
    CResName name;
    LANGID language;
  };
  struct KeyLess {
    bool operator()(const Key& a, const Key& b) const;
  };

  bool Parse();
  void WalkResources();

  std::vector<BYTE> m_bytes;
  bool m_loaded = false;
  bool m_pe32Plus = false;
  bool m_dll = false;
  size_t m_ntOffset = 0;
  DWORD m_sizeOfHeaders = 0;
  size_t m_endOfSections = 0;
  std::vector<CPeSection> m_sections;

  DWORD m_resourceRva = 0;
  DWORD m_resourceSize = 0;
  bool m_hasResources = false;
  size_t m_resDirOffset = 0;  // file offset of the root
  size_t m_resRegionSize = 0;  // bytes from the root to the end of its section's raw data
  std::vector<CPeResource> m_resources;
  std::map<Key, size_t, KeyLess> m_index;
};
