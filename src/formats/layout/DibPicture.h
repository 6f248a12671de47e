#pragma once
// Pixels of the pictures the image views show: device-independent bitmaps (as bitmap,
// icon and cursor resources hold them) decoded to 32-bit colour with transparency.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/Types.h"

// Rows top to bottom, each pixel 0xAARRGGBB.
struct CDibPicture {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
};

// What a bitmap header says.
struct CDibHeader {
  DWORD headerSize = 0;
  long width = 0;
  long height = 0;  // as stored: doubled for icons, negative for top-down rows
  WORD bitCount = 0;
  DWORD compression = 0;  // 0 plain, 1 and 2 run-length, 3 and 6 bit fields, 4 JPEG, 5 PNG
  DWORD colorsUsed = 0;
};
bool ReadDibHeader(const BYTE* data, size_t size, CDibHeader& header);

// Whether the bytes start with the PNG signature.
bool IsPngData(const BYTE* data, size_t size);

// Decodes a plain or bit-field bitmap of 1, 4, 8, 16, 24 or 32 bits per pixel. withMask:
// an icon or cursor image, whose header counts the colour and the mask planes and whose
// mask makes pixels transparent (a 32-bit image with any alpha uses its alpha instead).
// False for compressed or damaged data.
bool DecodeDib(const BYTE* data, size_t size, bool withMask, CDibPicture& picture);
