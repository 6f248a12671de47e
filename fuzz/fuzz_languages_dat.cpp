// Arbitrary bytes as a Languages.dat file, through the profile reader and the catalogue.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "languages/AvailableLanguages.h"
#include "platform/Profile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  tvl::CProfileFile file = tvl::CProfileFile::FromBytes(bytes);

  for (const char16_t* section : {u"Languages", u"SubLanguages"}) {
    CAvailableLanguages cat(section, file);
    for (const auto& e : cat) {
      if (e.m_language == 0) __builtin_trap();  // key 0 is never an entry
      if (!cat.FindEntry(e.m_language)) __builtin_trap();
    }
    // Small buffers reach the cut with small inputs.
    std::u16string buffer;
    for (DWORD n : {0u, 1u, 2u, 3u, 17u, static_cast<DWORD>(size % 257)}) {
      DWORD got = file.GetSection(section, buffer, n);
      // Never more than the buffer holds, and room for the final NUL.
      if (buffer.size() > n || (n > 0 && got >= n)) __builtin_trap();
    }
    file.GetString(section, u"1033");
  }
  return 0;
}
