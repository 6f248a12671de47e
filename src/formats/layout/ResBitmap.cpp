#include "peimage/PeFormat.h"
#include "peimage/ResStream.h"
#include "formats/layout/ResBinary.h"

IMPLEMENT_SERIAL(CResBitmap, CResBinary, VERSIONABLE_SCHEMA | 1)

namespace {
constexpr WORD kBmpSignature = 0x4D42;  // "BM"
constexpr size_t kFileHeaderSize = 14;
constexpr DWORD kCoreHeaderSize = 12;
}  // namespace

void CResBitmap::Parse(CResStream& stream) {
  CResBinary::Parse(stream);
  const std::vector<BYTE>& b = m_data.m_data;
  if (b.size() < 4) throw CResStreamException();
  DWORD headerSize = pe::Get32(b.data());
  if (headerSize > b.size() || (headerSize != kCoreHeaderSize && b.size() < 40)) throw CResStreamException();
}

bool CResBitmap::BitmapToFile(const std::vector<BYTE>& bytes, std::vector<BYTE>& file) {
  if (bytes.size() <= 3) return false;
  DWORD h = pe::Get32(bytes.data());
  if (bytes.size() < h) return false;
  DWORD colours = 0;
  DWORD entrySize = 4;
  if (h == kCoreHeaderSize) {
    WORD bitCount = pe::Get16(bytes.data() + 10);
    entrySize = 3;
    if (bitCount <= 15) colours = 1u << bitCount;
  } else {
    if (h < 40 || bytes.size() < 36) return false;  // bit count and used colours lie in the header
    WORD bitCount = pe::Get16(bytes.data() + 14);
    DWORD used = pe::Get32(bytes.data() + 32);
    if (bitCount <= 15) colours = used ? used : (1u << bitCount);
  }
  file.assign(kFileHeaderSize, 0);
  pe::Put16(file.data(), kBmpSignature);
  pe::Put32(file.data() + 2, static_cast<DWORD>(bytes.size() + kFileHeaderSize));
  pe::Put32(file.data() + 10, static_cast<DWORD>(kFileHeaderSize + h + colours * entrySize));
  file.insert(file.end(), bytes.begin(), bytes.end());
  return true;
}

bool CResBitmap::FileToBitmap(const std::vector<BYTE>& file, std::vector<BYTE>& bytes) {
  if (file.size() <= 13) return false;
  if (pe::Get16(file.data()) != kBmpSignature) return false;
  if (pe::Get32(file.data() + 2) != file.size()) return false;
  if (pe::Get32(file.data() + 10) > file.size()) return false;
  bytes.assign(file.begin() + kFileHeaderSize, file.end());
  return true;
}

bool CResBitmap::ToFile(const std::vector<BYTE>& value, std::vector<BYTE>& file) const {
  return BitmapToFile(value, file);
}

bool CResBitmap::FromFile(const std::vector<BYTE>& file, std::vector<BYTE>& value) const {
  return FileToBitmap(file, value);
}
