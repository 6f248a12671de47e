#include "formats/layout/DibPicture.h"

#include <cstring>

#include "peimage/PeFormat.h"

namespace {

constexpr long kMaxSide = 32768;

// A colour channel given by a bit mask, scaled to 8 bits.
struct Channel {
  DWORD mask = 0;
  int shift = 0;
  int bits = 0;
  explicit Channel(DWORD m) : mask(m) {
    if (!m) return;
    while (!((m >> shift) & 1)) ++shift;
    while (shift + bits < 32 && ((m >> (shift + bits)) & 1)) ++bits;
  }
  uint32_t Get(DWORD value) const {
    if (!bits) return 0;
    uint32_t v = (value & mask) >> shift;
    uint32_t max = bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1;
    return static_cast<uint32_t>((static_cast<uint64_t>(v) * 255 + max / 2) / max);
  }
};

struct Layout {
  CDibHeader h;
  long width = 0, height = 0;  // the colour plane's
  bool topDown = false;
  size_t stride = 0;
  std::vector<uint32_t> palette;
  Channel r{0}, g{0}, b{0}, a{0};
  const BYTE* bits = nullptr;
};

// Colour table and bit masks; bits points past them.
bool ReadColors(const BYTE* data, size_t size, Layout& l) {
  const bool core = l.h.headerSize == 12;
  size_t pos = l.h.headerSize;
  if (l.h.bitCount <= 8) {
    size_t count = l.h.colorsUsed && !core ? l.h.colorsUsed : (size_t{1} << l.h.bitCount);
    if (count > 256) count = 256;
    size_t entry = core ? 3 : 4;
    if (pos + count * entry > size) return false;
    for (size_t i = 0; i < count; ++i, pos += entry)
      l.palette.push_back(0xFF000000u | (data[pos + 2] << 16) | (data[pos + 1] << 8) | data[pos]);
    l.palette.resize(size_t{1} << l.h.bitCount, 0xFF000000u);
  } else if (l.h.compression == 3 || l.h.compression == 6) {
    // Masks follow a 40-byte header; longer headers hold them at the same place.
    size_t masks = l.h.compression == 6 ? 4 : 3;
    if (40 + masks * 4 > size) return false;
    l.r = Channel(pe::Get32(data + 40));
    l.g = Channel(pe::Get32(data + 44));
    l.b = Channel(pe::Get32(data + 48));
    if (masks == 4 || l.h.headerSize >= 56) l.a = Channel(pe::Get32(data + 52));
    if (l.h.headerSize == 40) pos += masks * 4;
  } else if (l.h.bitCount == 16) {
    l.r = Channel(0x7C00);
    l.g = Channel(0x03E0);
    l.b = Channel(0x001F);
  } else {
    l.r = Channel(0xFF0000);
    l.g = Channel(0x00FF00);
    l.b = Channel(0x0000FF);
  }
  if (pos > size) return false;
  l.bits = data + pos;
  return true;
}

uint32_t PixelAt(const Layout& l, const BYTE* row, long x) {
  switch (l.h.bitCount) {
    case 1: return l.palette[(row[x >> 3] >> (7 - (x & 7))) & 1];
    case 4: return l.palette[(row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF];
    case 8: return l.palette[row[x]];
    case 24: return 0xFF000000u | (row[x * 3 + 2] << 16) | (row[x * 3 + 1] << 8) | row[x * 3];
    default: break;
  }
  DWORD v = l.h.bitCount == 16 ? pe::Get16(row + x * 2) : pe::Get32(row + x * 4);
  // Without an alpha mask a 32-bit pixel keeps its fourth byte; the caller decides whether it counts.
  uint32_t alpha = l.a.bits ? l.a.Get(v) : l.h.bitCount == 32 ? row[x * 4 + 3] : 0xFFu;
  return (alpha << 24) | (l.r.Get(v) << 16) | (l.g.Get(v) << 8) | l.b.Get(v);
}

}  // namespace

bool IsPngData(const BYTE* data, size_t size) {
  static const BYTE kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  return size >= 8 && std::memcmp(data, kSignature, 8) == 0;
}

bool ReadDibHeader(const BYTE* data, size_t size, CDibHeader& h) {
  if (size < 12) return false;
  h = CDibHeader();
  h.headerSize = pe::Get32(data);
  if (h.headerSize == 12) {
    h.width = pe::Get16(data + 4);
    h.height = static_cast<int16_t>(pe::Get16(data + 6));
    h.bitCount = pe::Get16(data + 10);
    return true;
  }
  if (h.headerSize < 40 || size < 40) return false;
  h.width = static_cast<int32_t>(pe::Get32(data + 4));
  h.height = static_cast<int32_t>(pe::Get32(data + 8));
  h.bitCount = pe::Get16(data + 14);
  h.compression = pe::Get32(data + 16);
  h.colorsUsed = pe::Get32(data + 32);
  return true;
}

bool DecodeDib(const BYTE* data, size_t size, bool withMask, CDibPicture& picture) {
  Layout l;
  if (!ReadDibHeader(data, size, l.h) || l.h.headerSize > size) return false;
  const WORD bpp = l.h.bitCount;
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return false;
  if (l.h.compression != 0 && l.h.compression != 3 && l.h.compression != 6) return false;
  l.topDown = l.h.height < 0 && !withMask;
  l.width = l.h.width;
  l.height = l.h.height < 0 ? -l.h.height : l.h.height;
  if (withMask) l.height /= 2;
  if (l.width <= 0 || l.height <= 0 || l.width > kMaxSide || l.height > kMaxSide) return false;
  if (!ReadColors(data, size, l)) return false;
  l.stride = ((static_cast<size_t>(l.width) * bpp + 31) / 32) * 4;
  const size_t maskStride = ((static_cast<size_t>(l.width) + 31) / 32) * 4;
  const size_t available = size - static_cast<size_t>(l.bits - data);
  const size_t colorBytes = l.stride * static_cast<size_t>(l.height);
  if (colorBytes > available) return false;
  // Some icons leave the mask out; they are drawn opaque.
  const bool hasMask = withMask && colorBytes + maskStride * static_cast<size_t>(l.height) <= available;

  picture.width = static_cast<int>(l.width);
  picture.height = static_cast<int>(l.height);
  picture.pixels.assign(static_cast<size_t>(l.width) * static_cast<size_t>(l.height), 0);
  bool anyAlpha = false;
  for (long y = 0; y < l.height; ++y) {
    long stored = l.topDown ? y : l.height - 1 - y;
    const BYTE* row = l.bits + static_cast<size_t>(stored) * l.stride;
    uint32_t* out = &picture.pixels[static_cast<size_t>(y) * static_cast<size_t>(l.width)];
    for (long x = 0; x < l.width; ++x) {
      out[x] = PixelAt(l, row, x);
      anyAlpha = anyAlpha || (out[x] >> 24) != 0;
    }
  }
  // Plain 32-bit bitmaps carry no transparency unless they are icons with an alpha plane.
  const bool useAlpha = bpp == 32 && (l.a.bits || (withMask && anyAlpha));
  for (long y = 0; y < l.height; ++y) {
    uint32_t* out = &picture.pixels[static_cast<size_t>(y) * static_cast<size_t>(l.width)];
    const BYTE* mask = hasMask ? l.bits + colorBytes + static_cast<size_t>(l.height - 1 - y) * maskStride : nullptr;
    for (long x = 0; x < l.width; ++x) {
      if (!useAlpha) out[x] |= 0xFF000000u;
      if (!useAlpha && mask && ((mask[x >> 3] >> (7 - (x & 7))) & 1)) out[x] = 0;
    }
  }
  return true;
}
