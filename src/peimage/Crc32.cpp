#include "peimage/Crc32.h"

#include <array>

namespace tvl {

namespace {
std::array<DWORD, 256> MakeTable() {
  std::array<DWORD, 256> table{};
  for (DWORD i = 0; i < 256; ++i) {
    DWORD c = i;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[i] = c;
  }
  return table;
}
}  // namespace

DWORD Crc32(const BYTE* data, size_t size, DWORD previous) {
  static const std::array<DWORD, 256> table = MakeTable();
  DWORD c = ~previous;
  for (size_t i = 0; i < size; ++i) c = table[(c ^ data[i]) & 0xFF] ^ (c >> 8);
  return ~c;
}

}  // namespace tvl
