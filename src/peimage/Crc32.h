#pragma once
// CRC-32 (the common reflected polynomial 0xEDB88320), for listing and comparing
// resource bytes.
#include <cstddef>

#include "platform/Types.h"

namespace tvl {
DWORD Crc32(const BYTE* data, size_t size, DWORD previous = 0);
}
