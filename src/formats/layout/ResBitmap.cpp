#include "peimage/ResStream.h"
#include "platform/ByteReader.h"
#include "formats/layout/ResBinary.h"

IMPLEMENT_SERIAL(CResBitmap, CResBinary, VERSIONABLE_SCHEMA | 1)

namespace {
constexpr WORD kBmpSignature = 0x4D42;  // "BM"
constexpr size_t kFileHeaderSize = 14;
constexpr DWORD kCoreHeaderSize = 12;
}  // namespace

void CResBitmap::Parse(CResStream& stream) {
  CResBinary::Parse(stream);
  CByteReader b(m_data.m_data);
  const DWORD headerSize = b.U32At(0);
  if (!b.Ok() || headerSize > b.Size() || (headerSize != kCoreHeaderSize && b.Size() < 40)) throw CResStreamException();
}

bool CResBitmap::BitmapToFile(const std::vector<BYTE>& bytes, std::vector<BYTE>& file) {
  CByteReader in(bytes);
  const DWORD h = in.U32At(0);
  if (!in.Ok() || bytes.size() < h) return false;
  DWORD colours = 0;
  DWORD entrySize = 4;
  if (h == kCoreHeaderSize) {
    const WORD bitCount = in.U16At(10);
    entrySize = 3;
    if (bitCount <= 15) colours = 1u << bitCount;
  } else {
    if (h < 40 || bytes.size() < 36) return false;  // bit count and used colours lie in the header
    const WORD bitCount = in.U16At(14);
    const DWORD used = in.U32At(32);
    if (bitCount <= 15) colours = used ? used : (1u << bitCount);
  }
  file.assign(kFileHeaderSize, 0);
  tvl::Put16(file.data(), kBmpSignature);
  tvl::Put32(file.data() + 2, static_cast<DWORD>(bytes.size() + kFileHeaderSize));
  tvl::Put32(file.data() + 10, static_cast<DWORD>(kFileHeaderSize + h + colours * entrySize));
  file.insert(file.end(), bytes.begin(), bytes.end());
  return true;
}

bool CResBitmap::FileToBitmap(const std::vector<BYTE>& file, std::vector<BYTE>& bytes) {
  CByteReader in(file);
  if (!in.Fits(0, kFileHeaderSize)) return false;
  if (in.U16At(0) != kBmpSignature) return false;
  if (in.U32At(2) != file.size()) return false;
  if (in.U32At(10) > file.size()) return false;
  bytes.assign(file.begin() + kFileHeaderSize, file.end());
  return true;
}

bool CResBitmap::ToFile(const std::vector<BYTE>& value, std::vector<BYTE>& file) const {
  return BitmapToFile(value, file);
}

bool CResBitmap::FromFile(const std::vector<BYTE>& file, std::vector<BYTE>& value) const {
  return FileToBitmap(file, value);
}
