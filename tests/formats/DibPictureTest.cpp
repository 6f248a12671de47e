#include <gtest/gtest.h>

#include <vector>

#include "formats/layout/DibPicture.h"

namespace {

// A 40-byte header followed by extra (masks, colours, pixels).
std::vector<BYTE> Dib(int width, int height, WORD bpp, DWORD compression, std::vector<BYTE> extra) {
  std::vector<BYTE> d(40 + extra.size(), 0);
  auto put32 = [&](size_t at, DWORD v) {
    for (int i = 0; i < 4; ++i) d[at + i] = static_cast<BYTE>(v >> (8 * i));
  };
  put32(0, 40);
  put32(4, static_cast<DWORD>(width));
  put32(8, static_cast<DWORD>(height));
  d[12] = 1;
  d[14] = static_cast<BYTE>(bpp);
  put32(16, compression);
  for (size_t i = 0; i < extra.size(); ++i) d[40 + i] = extra[i];
  return d;
}

}  // namespace

TEST(DibPicture, DecodesLayoutsTheFixturesLack) {
  const struct {
    const char* what;
    std::vector<BYTE> dib;
    bool withMask;
    std::vector<uint32_t> pixels;  // top row first
  } cases[] = {
      // 5-6-5 bit fields: red, green (the row padded to 4 bytes)
      {"565", Dib(2, 1, 16, 3, {0x00, 0xF8, 0, 0, 0xE0, 0x07, 0, 0, 0x1F, 0, 0, 0, 0x00, 0xF8, 0xE0, 0x07}), false,
       {0xFFFF0000u, 0xFF00FF00u}},
      // plain 16 bits are 5-5-5
      {"555", Dib(1, 1, 16, 0, {0x00, 0x7C, 0, 0}), false, {0xFFFF0000u}},
      // a negative height stores the top row first
      {"top-down", Dib(1, -2, 24, 0, {0xFF, 0, 0, 0, 0, 0xFF, 0, 0}), false, {0xFF0000FFu, 0xFF00FF00u}},
      // a 32-bit bitmap without masks is opaque whatever its fourth byte
      {"32 opaque", Dib(1, 1, 32, 0, {1, 2, 3, 0}), false, {0xFF030201u}},
      // an icon: 1 bpp colour plane, then the mask; a set mask bit is transparent
      {"icon mask", Dib(2, 2, 1, 0, {0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0, 0xC0, 0, 0, 0, 0x40, 0, 0, 0}), true,
       {0xFFFFFFFFu, 0}},
      // a 32-bit icon with alpha uses it and ignores the mask
      {"icon alpha", Dib(1, 2, 32, 0, {1, 2, 3, 0x80, 0x80, 0, 0, 0}), true, {0x80030201u}},
  };
  for (const auto& c : cases) {
    CDibPicture picture;
    ASSERT_TRUE(DecodeDib(c.dib.data(), c.dib.size(), c.withMask, picture)) << c.what;
    EXPECT_EQ(picture.pixels, c.pixels) << c.what;
  }
}

TEST(DibPicture, RefusesCompressedOrShortData) {
  const struct {
    const char* what;
    std::vector<BYTE> dib;
  } cases[] = {
      {"run-length", Dib(1, 1, 8, 1, std::vector<BYTE>(1024 + 8, 0))},
      {"pixels missing", Dib(4, 4, 24, 0, std::vector<BYTE>(47, 0))},
      {"palette missing", Dib(1, 1, 8, 0, std::vector<BYTE>(100, 0))},
      {"no width", Dib(0, 1, 24, 0, std::vector<BYTE>(4, 0))},
      {"odd depth", Dib(1, 1, 7, 0, std::vector<BYTE>(8, 0))},
      {"header cut", std::vector<BYTE>(20, 0)},
  };
  for (const auto& c : cases) {
    CDibPicture picture;
    EXPECT_FALSE(DecodeDib(c.dib.data(), c.dib.size(), false, picture)) << c.what;
  }
}
