#include "peimage/PeImage.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <iterator>

#include "peimage/PeFormat.h"
#include "peimage/PeHeaders.h"
#include "peimage/ResourceDirectory.h"
#include "platform/ByteReader.h"
#include "platform/Files.h"
#include "platform/LanguageFacts.h"

namespace {

int CompareNames(const CResName& a, const CResName& b) {
  // Named entries sort before ordinals, as the directory lists them.
  if (a.IsName() != b.IsName()) return a.IsName() ? -1 : 1;
  if (a.IsOrdinal()) return a.GetOrdinal() < b.GetOrdinal() ? -1 : (a.GetOrdinal() > b.GetOrdinal() ? 1 : 0);
  return a.GetName().compare(b.GetName());
}

}  // namespace

bool CPeImage::KeyLess::operator()(const Key& a, const Key& b) const {
  if (int c = CompareNames(a.type, b.type)) return c < 0;
  if (int c = CompareNames(a.name, b.name)) return c < 0;
  return a.language < b.language;
}

bool CPeImage::LoadFile(const std::string& nativePath) {
  m_loaded = false;
  // Only a regular file of at most 4 GB can be an image; a folder, FIFO or device is refused
  // before anything is read from it (errno tells why).
  std::uint64_t size = 0;
  int fd = tvl::OpenRegularFile(nativePath, 0xFFFFFFFFull, ENOEXEC, size);
  if (fd < 0) return false;
  // One read of the whole file: a character-wise copy costs more than the parse.
  std::vector<BYTE> bytes(static_cast<size_t>(size));
  size_t got = bytes.size();
  bool ok = tvl::ReadUpTo(fd, bytes.data(), got);
  int saved = errno;
  ::close(fd);
  errno = saved;
  if (!ok) return false;
  bytes.resize(got);
  return LoadBytes(std::move(bytes));
}

bool CPeImage::LoadBytes(std::vector<BYTE> bytes) {
  m_bytes = std::move(bytes);
  m_sections.clear();
  m_resources.clear();
  m_index.clear();
  m_hasResources = false;
  m_resourceRva = m_resourceSize = 0;
  m_resDirOffset = m_resRegionSize = 0;
  m_loaded = Parse();
  if (m_loaded) WalkResources();
  return m_loaded;
}

size_t CPeImage::GetOptionalHeaderOffset() const { return m_ntOffset + pe::kOptionalHeaderOffset; }

bool CPeImage::Parse() {
  // Lenient: a damaged file still shows what can be read of it.
  const size_t fileSize = m_bytes.size();
  tvl::PeHeaders h;
  if (!tvl::ParsePeHeaders(m_bytes.data(), fileSize, fileSize, false, h)) return false;
  m_ntOffset = h.fileHeader - pe::kFileHeaderOffset;
  m_dll = (tvl::Get16(&m_bytes[h.fileHeader + pe::kFhCharacteristics]) & pe::kFileDll) != 0;
  m_pe32Plus = h.pe32plus;
  m_sizeOfHeaders = h.sizeOfHeaders;
  m_resourceRva = h.DirRva(m_bytes.data(), pe::kDirResource);
  m_resourceSize = h.DirSize(m_bytes.data(), pe::kDirResource);

  m_endOfSections = 0;
  for (const tvl::PeSectionHeader& sh : h.sections) {
    CPeSection s;
    const BYTE* name = &m_bytes[sh.headerOffset + pe::kShName];
    s.name.assign(name, std::find(name, name + 8, BYTE{0}));
    s.virtualSize = sh.virtualSize;
    s.virtualAddress = sh.va;
    s.sizeOfRawData = sh.rawSize;
    s.pointerToRawData = sh.rawPtr;
    s.characteristics = sh.characteristics;
    if (s.sizeOfRawData && s.pointerToRawData < fileSize) {
      size_t end = static_cast<size_t>(s.pointerToRawData) + s.sizeOfRawData;
      if (end > fileSize) end = fileSize;
      if (end > m_endOfSections) m_endOfSections = end;
    }
    m_sections.push_back(std::move(s));
  }
  const size_t tableEnd = h.sectionTable + h.sections.size() * pe::kSectionHeaderSize;
  if (m_endOfSections == 0) m_endOfSections = std::min<size_t>(fileSize, tableEnd);
  return true;
}

std::optional<size_t> CPeImage::RvaToOffset(DWORD rva, DWORD size) const {
  const ULONGLONG end = static_cast<ULONGLONG>(rva) + size;
  for (const CPeSection& s : m_sections) {
    // What the loader makes visible of the raw data: at most the virtual size, when given.
    ULONGLONG extent = s.sizeOfRawData;
    if (s.virtualSize != 0 && s.virtualSize < extent) extent = s.virtualSize;
    if (rva < s.virtualAddress || end > static_cast<ULONGLONG>(s.virtualAddress) + extent) continue;
    const ULONGLONG offset = static_cast<ULONGLONG>(s.pointerToRawData) + (rva - s.virtualAddress);
    if (offset + size > m_bytes.size()) return std::nullopt;  // truncated file
    return static_cast<size_t>(offset);
  }
  // The headers are mapped at RVA 0.
  if (end <= m_sizeOfHeaders && end <= m_bytes.size()) return static_cast<size_t>(rva);
  return std::nullopt;
}

void CPeImage::WalkResources() {
  if (m_resourceRva == 0) return;
  // The root must be readable; everything below it is bounded by the raw data of the
  // section that holds it (the directory size field is not needed and not trusted).
  const size_t fileSize = m_bytes.size();
  bool found = false;
  for (const CPeSection& s : m_sections) {
    ULONGLONG extent = s.sizeOfRawData;
    if (s.virtualSize != 0 && s.virtualSize < extent) extent = s.virtualSize;
    if (m_resourceRva < s.virtualAddress || m_resourceRva - s.virtualAddress >= extent) continue;
    const ULONGLONG offset = static_cast<ULONGLONG>(s.pointerToRawData) + (m_resourceRva - s.virtualAddress);
    ULONGLONG regionEnd = static_cast<ULONGLONG>(s.pointerToRawData) + extent;
    if (regionEnd > fileSize) regionEnd = fileSize;
    if (offset >= regionEnd) return;  // truncated file
    m_resDirOffset = static_cast<size_t>(offset);
    m_resRegionSize = static_cast<size_t>(regionEnd - offset);
    found = true;
    break;
  }
  if (!found) {
    const size_t headersEnd = std::min<size_t>(m_sizeOfHeaders, fileSize);
    if (m_resourceRva >= headersEnd) return;
    m_resDirOffset = m_resourceRva;
    m_resRegionSize = headersEnd - m_resourceRva;
  }

  // Lenient: whatever can be read of a damaged directory is shown.
  auto resName = [](const tvl::ResDirId& id) { return id.isName ? CResName(id.name) : CResName(id.ordinal); };
  m_hasResources = tvl::WalkResourceDirectory(
      std::span<const BYTE>(m_bytes).subspan(m_resDirOffset, m_resRegionSize), false, [&](const tvl::ResDirLeaf& l) {
        CPeResource r;
        r.type = resName(l.type);
        r.name = resName(l.name);
        r.language = l.language;
        r.dataRva = l.dataRva;
        r.size = l.size;
        r.codePage = l.codePage;
        if (std::optional<size_t> off = RvaToOffset(r.dataRva, r.size)) r.data = m_bytes.data() + *off;
        m_index.emplace(Key{r.type, r.name, r.language}, m_resources.size());
        m_resources.push_back(std::move(r));
        return true;
      });
}

const CPeResource* CPeImage::FindResourceEx(const CResName& type, const CResName& name, LANGID language) const {
  auto it = m_index.find(Key{type, name, language});
  return it == m_index.end() ? nullptr : &m_resources[it->second];
}

const CPeResource* CPeImage::FindResource(const CResName& type, const CResName& name) const {
  const CPeResource* first = nullptr;
  const CPeResource* system = nullptr;
  const LANGID systemLanguage = SystemDefaultLanguage();
  for (auto it = m_index.lower_bound(Key{type, name, 0});
       it != m_index.end() && it->first.type == type && it->first.name == name; ++it) {
    const CPeResource* r = &m_resources[it->second];
    if (r->language == 0) return r;
    if (r->language == systemLanguage) system = r;
    if (!first || r < first) first = r;
  }
  return system ? system : first;
}

std::span<const BYTE> CPeImage::GetData(const CPeResource& resource) const {
  if (!resource.data) return {};
  return {resource.data, resource.size};
}
