#include "platform/Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "platform/Text.h"

namespace tvl {
namespace {
std::u16string g_programDirOverride;

bool IsWritableDir(const std::string& dir) {
  struct stat st{};
  return !dir.empty() && ::stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && ::access(dir.c_str(), W_OK) == 0;
}

std::u16string WithSlash(std::string dir) {
  if (dir.empty() || dir.back() != '/') dir += '/';
  return FromUtf8(dir);
}
}  // namespace

std::string NativePath(const std::u16string& path) { return ToUtf8(path); }

void SetProgramDirectory(const std::u16string& dir) { g_programDirOverride = dir; }

std::u16string ProgramDirectory() {
  if (!g_programDirOverride.empty()) return g_programDirOverride;
  char buf[4096];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return {};
  std::string p(buf, static_cast<size_t>(n));
  size_t slash = p.rfind('/');
  if (slash == std::string::npos) return {};
  return FromUtf8(p.substr(0, slash + 1));
}

std::u16string TempDirectory() {
  const char* env = std::getenv("TMPDIR");
  if (env && IsWritableDir(env)) return WithSlash(env);
  if (IsWritableDir("/tmp")) return u"/tmp/";
  return {};
}

}  // namespace tvl

std::u16string MakeTempFileName(const std::u16string& prefix) {
  std::u16string dir = tvl::TempDirectory();
  if (dir.empty()) dir = u"./";
  std::u16string pre = prefix.substr(0, 3);
  // Start from a time-based number like the platform's service, then probe upwards.
  unsigned start = static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                   static_cast<unsigned>(::getpid());
  for (unsigned i = 0; i < 0x10000; ++i) {
    unsigned unique = (start + i) & 0xFFFF;
    if (unique == 0) continue;
    char hex[8];
    std::snprintf(hex, sizeof hex, "%X", unique);
    std::u16string name = dir + pre + tvl::FromUtf8(hex) + u".TMP";
    int fd = ::open(tvl::NativePath(name).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) {
      ::close(fd);
      return name;
    }
    if (errno != EEXIST) break;
  }
  return u"C:\\VELTRUNE" + prefix + u".TMP";
}
