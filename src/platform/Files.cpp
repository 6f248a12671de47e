#include "platform/Files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <optional>

#include "platform/Paths.h"
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

// Working files beside a destination: short, so a destination name near the file system's
// limit still leaves room, and recognisable, so stale ones can be found.
constexpr char kWorkingPrefix[] = ".tvl";
constexpr size_t kRandomLetters = 8;

std::string RandomLetters() {
  static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  unsigned char bytes[kRandomLetters];
  if (::getrandom(bytes, sizeof bytes, 0) != static_cast<ssize_t>(sizeof bytes)) {
    // No entropy source: time, process and address bits still keep the names unguessable enough.
    std::uint64_t x = static_cast<std::uint64_t>(std::time(nullptr)) ^ reinterpret_cast<std::uintptr_t>(bytes) ^
                      (static_cast<std::uint64_t>(::getpid()) << 32);
    for (unsigned char& b : bytes) {
      x = x * 6364136223846793005ull + 1442695040888963407ull;
      b = static_cast<unsigned char>(x >> 33);
    }
  }
  std::string out;
  for (unsigned char b : bytes) out += kAlphabet[b % (sizeof kAlphabet - 1)];
  return out;
}

bool IsWorkingFileName(const char* name) {
  size_t prefix = std::strlen(kWorkingPrefix);
  if (std::strncmp(name, kWorkingPrefix, prefix) != 0 || std::strlen(name) != prefix + kRandomLetters) return false;
  for (const char* p = name + prefix; *p; ++p)
    if (!std::isalnum(static_cast<unsigned char>(*p))) return false;
  return true;
}
}  // namespace

int CreateUniqueFile(const std::string& dir, const std::string& prefix, const std::string& suffix,
                     std::string& path) {
  std::string folder = dir.empty() ? std::string("./") : dir;
  if (folder.back() != '/') folder += '/';
  for (int attempt = 0; attempt < 100; ++attempt) {
    path = folder + prefix + RandomLetters() + suffix;
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd >= 0) return fd;
    if (errno != EEXIST) break;
  }
  path.clear();
  return -1;
}

mode_t ReplacementMode(const std::string& destination) {
  struct stat st{};
  if (::stat(destination.c_str(), &st) == 0 && S_ISREG(st.st_mode)) return (st.st_mode & 07777) | S_IWUSR;
  mode_t mask = ::umask(0);
  ::umask(mask);
  return (0666 & ~mask) | S_IWUSR;
}

void RemoveStaleWorkingFiles(const std::string& folder) {
  DIR* d = ::opendir(folder.c_str());
  if (d == nullptr) return;
  const time_t now = std::time(nullptr);
  while (dirent* e = ::readdir(d)) {
    if (!IsWorkingFileName(e->d_name)) continue;
    int fd = ::openat(::dirfd(d), e->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat st{};
    // A live writer holds its lock; a fresh file may be one whose writer has not locked it yet.
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() && now - st.st_mtime > 60 &&
        ::flock(fd, LOCK_EX | LOCK_NB) == 0)
      ::unlinkat(::dirfd(d), e->d_name, 0);
    ::close(fd);
  }
  ::closedir(d);
}

int OpenRegularFile(const std::string& path, std::uint64_t maxSize, int otherKindError, std::uint64_t& size) {
  int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat st{};
  int error = 0;
  if (::fstat(fd, &st) != 0)
    error = errno;
  else if (S_ISDIR(st.st_mode))
    error = EISDIR;
  else if (!S_ISREG(st.st_mode))
    error = otherKindError;
  else if (static_cast<std::uint64_t>(st.st_size) > maxSize)
    error = EFBIG;
  if (error != 0) {
    ::close(fd);
    errno = error;
    return -1;
  }
  // Reads of a regular file do not block anyway; later readers expect blocking semantics.
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  size = static_cast<std::uint64_t>(st.st_size);
  return fd;
}

bool ReadUpTo(int fd, void* data, size_t& size) {
  size_t got = 0;
  while (got < size) {
    ssize_t n = ::read(fd, static_cast<char*>(data) + got, size - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) break;
    got += static_cast<size_t>(n);
  }
  size = got;
  return true;
}

bool ReadRegularFile(const std::string& path, std::uint64_t maxSize, std::string& bytes) {
  std::uint64_t size = 0;
  int fd = OpenRegularFile(path, maxSize, EINVAL, size);
  if (fd < 0) return false;
  bytes.assign(static_cast<size_t>(size), '\0');
  size_t got = bytes.size();
  bool ok = ReadUpTo(fd, bytes.data(), got);
  int saved = errno;
  ::close(fd);
  errno = saved;
  bytes.resize(got);
  return ok;
}

std::string FolderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return path.substr(0, slash == 0 ? 1 : slash);
}

ReplacingFile::ReplacingFile(const std::string& destination) : m_destination(destination) {
  struct stat st{};
  if (::stat(destination.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
    if (S_ISDIR(st.st_mode)) {
      errno = EISDIR;
      return;
    }
    // A device or FIFO (/dev/stdout, a pipe to a reader) is written as it is: there is no file
    // to replace, and renaming over it would replace the device's name.
    m_fd = ::open(destination.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (m_fd >= 0) ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) & ~O_NONBLOCK);
    m_working = destination;
    m_direct = true;
    return;
  }
  std::string folder = FolderOf(destination);
  RemoveStaleWorkingFiles(folder);
  m_fd = CreateUniqueFile(folder, kWorkingPrefix, "", m_working);
  if (m_fd < 0) return;
  ::flock(m_fd, LOCK_EX | LOCK_NB);
  if (::fchmod(m_fd, ReplacementMode(destination)) != 0) Abandon();
}

ReplacingFile::~ReplacingFile() { Abandon(); }

ReplacingFile& ReplacingFile::operator=(ReplacingFile&& other) noexcept {
  if (this == &other) return *this;
  Abandon();
  m_destination = std::move(other.m_destination);
  m_working = std::move(other.m_working);
  m_fd = std::exchange(other.m_fd, -1);
  m_failed = other.m_failed;
  m_direct = other.m_direct;
  other.m_working.clear();
  return *this;
}

bool ReplacingFile::Write(std::string_view bytes) {
  while (m_fd >= 0 && !bytes.empty()) {
    ssize_t n = ::write(m_fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      m_failed = true;
      return false;
    }
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return m_fd >= 0;
}

bool ReplacingFile::CopyFrom(const std::string& source) {
  int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return false;
  char buffer[1 << 16];
  bool ok = true;
  for (;;) {
    ssize_t n = ::read(in, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ok = false;
    if (n <= 0 || !Write(std::string_view(buffer, static_cast<size_t>(n)))) break;
  }
  int saved = errno;
  ::close(in);
  errno = saved;
  return ok && !m_failed;
}

bool ReplacingFile::Commit() {
  if (m_fd < 0 || m_failed) {
    int saved = m_fd < 0 ? EBADF : errno;
    Abandon();
    errno = saved;
    return false;
  }
  // The data must be on the disk before the name points at it; a full disk shows here too.
  bool ok = m_direct || ::fsync(m_fd) == 0 || errno == EINVAL;
  int saved = errno;
  if (::close(m_fd) != 0 && ok) {
    ok = false;
    saved = errno;
  }
  m_fd = -1;
  if (ok && !m_direct && ::rename(m_working.c_str(), m_destination.c_str()) != 0) {
    ok = false;
    saved = errno;
  }
  if (!ok) Abandon();
  m_working.clear();
  errno = saved;
  return ok;
}

void ReplacingFile::Abandon() {
  int saved = errno;
  if (m_fd >= 0) ::close(m_fd);
  m_fd = -1;
  if (!m_working.empty() && !m_direct) ::unlink(m_working.c_str());
  m_working.clear();
  errno = saved;
}

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

std::u16string DataDirectoryFor(const std::u16string& programDir) {
  if (programDir.empty() || PathFileExists(programDir + u"Languages.dat")) return programDir;
  std::optional<std::u16string> shared = PathCombine(programDir, u"../share/tessalingvora");
  if (shared && PathFileExists(*shared + u"/Languages.dat")) return *shared + u"/";
  return programDir;
}

std::u16string DataDirectory() { return DataDirectoryFor(ProgramDirectory()); }

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
  std::string path;
  int fd = tvl::CreateUniqueFile(tvl::NativePath(dir), tvl::NativePath(prefix.substr(0, 3)), ".TMP", path);
  if (fd < 0) return {};
  ::close(fd);
  return tvl::FromUtf8(path);
}
