// Arbitrary bytes as a file through the update service: Begin keeping the existing entries,
// a few adds and removals, Commit. Nothing may crash, hang or read out of bounds, and when
// Commit succeeds the result must open again.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "peimage/ResourceUpdate.h"

namespace {

std::string ScratchFile() {
  const char* base = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
  std::string dir = std::string(base) + "/tvl-fuzz-update-XXXXXX";
  if (!::mkdtemp(dir.data())) std::abort();
  return dir + "/file.exe";
}

bool WriteFile(const std::string& path, const uint8_t* data, size_t size) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(data, 1, size, f) == size;
  return std::fclose(f) == 0 && ok;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = ScratchFile();

  tvl::ResTypeMap existing;
  tvl::ReadResourceSet(data, size, existing);

  if (!WriteFile(path, data, size)) return 0;
  tvl::CResourceUpdate update;
  if (!update.Begin(path, false)) return 0;
  const BYTE small[] = {1, 2, 3};
  update.Add(tvl::ResId::Id(6), tvl::ResId::Id(1), 0x0409, data, size < 64 ? size : 64);
  update.Add(tvl::ResId::Name(u"FUZZ"), tvl::ResId::Name(u"item"), 0, small, sizeof small);
  update.Add(tvl::ResId::Id(16), tvl::ResId::Id(1), 0x0409, nullptr, 0);
  update.PendingCount();
  if (update.Commit()) {
    tvl::CResourceUpdate again;
    if (!again.Begin(path, true)) std::abort();
  }
  return 0;
}
