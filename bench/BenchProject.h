#pragma once
// Generated inputs shared by the project and build benchmarks: an executable with many
// strings (and optionally messages, a version resource and padding), made by our own
// resource writer on the satellite template.
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "peimage/PeImage.h"
#include "peimage/Satellite.h"
#include "platform/Text.h"
#include "resmodel/CompileContext.h"
#include "resmodel/ResourceIdentifier.h"

namespace bench {

inline double Seconds(std::chrono::steady_clock::time_point a, std::chrono::steady_clock::time_point b) {
  return std::chrono::duration<double>(b - a).count();
}

inline void WriteBytes(const std::string& path, const std::vector<BYTE>& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<std::streamsize>(bytes.size()));
}

inline std::vector<BYTE> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<BYTE>(std::istreambuf_iterator<char>(in), {});
}

// strings in RT_STRING blocks of 16; messages in one message table; padding in RCDATA
// resources of 100 KB; the version resource copied from a fixture when asked.
inline void MakeExecutable(const std::string& path, int strings, int messages, size_t paddingBytes, bool version) {
  WriteBytes(path, tvl::MakeSatelliteDll());
  CResourceWriter writer;
  for (int block = 0; block * 16 < strings; ++block) {
    std::vector<BYTE> data;
    for (int i = 0; i < 16; ++i) {
      int id = block * 16 + i;
      std::u16string text = tvl::FromUtf8("String number " + std::to_string(id) + " with a few words");
      if (id >= strings) text.clear();
      data.push_back(static_cast<BYTE>(text.size()));
      data.push_back(static_cast<BYTE>(text.size() >> 8));
      for (char16_t c : text) {
        data.push_back(static_cast<BYTE>(c));
        data.push_back(static_cast<BYTE>(c >> 8));
      }
    }
    writer.Add(CResName(WORD{6}), CResName(static_cast<WORD>(block + 1)), 0x0409, data.data(), data.size());
  }
  if (messages > 0) {
    // One block of ids 1..messages, UTF-16 entries padded to 4 bytes.
    std::vector<BYTE> data;
    auto put16 = [&](std::uint32_t v) {
      for (int k = 0; k < 2; ++k) data.push_back(static_cast<BYTE>(v >> (8 * k)));
    };
    auto put32 = [&](std::uint32_t v) {
      for (int k = 0; k < 4; ++k) data.push_back(static_cast<BYTE>(v >> (8 * k)));
    };
    put32(1);
    put32(1);
    put32(static_cast<std::uint32_t>(messages));
    put32(16);
    for (int i = 0; i < messages; ++i) {
      std::u16string text = tvl::FromUtf8("Message " + std::to_string(i) + " for the user.\r\n");
      size_t length = (4 + (text.size() + 1) * 2 + 3) & ~size_t{3};
      put16(static_cast<std::uint32_t>(length));
      put16(1);
      for (char16_t c : text) put16(c);
      for (size_t n = 4 + text.size() * 2; n < length; ++n) data.push_back(0);
    }
    writer.Add(CResName(WORD{11}), CResName(WORD{1}), 0x0409, data.data(), data.size());
  }
  if (version) {
    CPeImage fixture;
    if (fixture.LoadFile(std::string(TVL_SOURCE_DIR) + "/tests/fixtures/all32.exe"))
      if (const CPeResource* r = fixture.FindResource(CResName(WORD{16}), CResName(WORD{1}))) {
        auto d = fixture.GetData(*r);
        writer.Add(CResName(WORD{16}), CResName(WORD{1}), 0x0409, d.data(), d.size());
      }
  }
  std::vector<BYTE> pad(100 * 1024, 0x5A);
  for (size_t done = 0, id = 1000; done < paddingBytes; done += pad.size(), ++id)
    writer.Add(CResName(WORD{10}), CResName(static_cast<WORD>(id)), 0x0409, pad.data(), pad.size());
  writer.Write(tvl::FromUtf8(path));
}

}  // namespace bench
