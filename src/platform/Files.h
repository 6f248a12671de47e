#pragma once
// Files and paths where the program would call the platform's file services.
#include <sys/types.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "platform/Types.h"

namespace tvl {

// A path held by the model (UTF-16) as the file system here wants it (UTF-8).
std::string NativePath(const std::u16string& path);

// The folder of the running program with a trailing separator; empty when unknown.
std::u16string ProgramDirectory();
// Overrides ProgramDirectory (tests, tools that ship beside another folder).
void SetProgramDirectory(const std::u16string& dir);
// The folder of the program's data files (Languages.dat, Satellite.dll), trailing separator
// included: the program's own folder when they lie there (a build folder), else
// share/tessalingvora beside the program's bin folder, so an installed copy works under any
// prefix or DESTDIR. ProgramDirectory() itself when neither holds them; empty when unknown.
std::u16string DataDirectory();
// The same for a given program folder.
std::u16string DataDirectoryFor(const std::u16string& programDir);

// The user's temporary directory with a trailing separator: $TMPDIR, else /tmp;
// empty when neither is a usable directory.
std::u16string TempDirectory();

// Creates a new file `dir`/`prefix`<8 random letters and digits>`suffix` exclusively, never
// through a symbolic link, and returns its descriptor (-1 with errno when none can be made).
int CreateUniqueFile(const std::string& dir, const std::string& prefix, const std::string& suffix,
                     std::string& path);

// The mode a file written to replace `destination` gets: the destination's own mode when it
// exists, else 0666 less the umask; the owner can always write it.
mode_t ReplacementMode(const std::string& destination);

// Removes working files left beside their destinations in `folder` by writers that died:
// ours, unlocked, and not touched for a minute.
void RemoveStaleWorkingFiles(const std::string& folder);

// A file written beside its destination under a new unpredictable name and renamed over the
// destination by Commit, so the destination is either the old file or the whole new one.
// Without Commit the new file is removed. A device or FIFO destination is written directly;
// a folder fails with EISDIR. Failures leave errno set.
class ReplacingFile {
 public:
  ReplacingFile() = default;  // nothing open yet
  explicit ReplacingFile(const std::string& destination);
  ~ReplacingFile();
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;
  ReplacingFile(ReplacingFile&& other) noexcept { *this = std::move(other); }
  // Abandons the file being written, then takes over the other's.
  ReplacingFile& operator=(ReplacingFile&& other) noexcept;

  bool IsOpen() const { return m_fd >= 0; }
  int Descriptor() const { return m_fd; }
  // Where the new file is being written.
  const std::string& WorkingPath() const { return m_working; }
  const std::string& Destination() const { return m_destination; }

  bool Write(std::string_view bytes);
  // Copies the whole of `source` into the new file.
  bool CopyFrom(const std::string& source);
  bool Commit();
  void Abandon();

 private:
  std::string m_destination, m_working;
  int m_fd = -1;
  bool m_failed = false;
  bool m_direct = false;  // written in place: a device or FIFO
};

// Opens a regular file for reading without blocking on a FIFO or device: a folder fails with
// EISDIR, any other kind of file with `otherKindError`, a file above `maxSize` bytes with EFBIG.
// Returns the descriptor and its size, or -1 with errno.
int OpenRegularFile(const std::string& path, std::uint64_t maxSize, int otherKindError, std::uint64_t& size);

// Reads until `size` bytes or the end of the file; `size` becomes the count read. False with
// errno on a read error.
bool ReadUpTo(int fd, void* data, size_t& size);

// The whole of a regular file of at most `maxSize` bytes (OpenRegularFile's rules); false
// with errno.
bool ReadRegularFile(const std::string& path, std::uint64_t maxSize, std::string& bytes);

// The folder part of a path ("." for a bare name).
std::string FolderOf(const std::string& path);

}  // namespace tvl

// A new unique, empty file in the temporary directory (else the current directory),
// named <prefix up to 3 characters><8 random letters and digits>.TMP. Empty (errno set) when
// none can be made: there is no fixed fallback name another user could plant a link at.
std::u16string MakeTempFileName(const std::u16string& prefix);
