#include "platform/Files.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>

#include "TestSupport.h"
#include "platform/Text.h"

namespace fs = std::filesystem;

namespace {

void WriteText(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

mode_t ModeOf(const std::string& path) {
  struct stat st{};
  EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
  return st.st_mode & 07777;
}

size_t EntryCount(const std::string& folder) {
  return static_cast<size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

mode_t Umask() {
  mode_t mask = ::umask(0);
  ::umask(mask);
  return mask;
}

}  // namespace

TEST(ReplacingFile, CommitReplacesWithTheDestinationsModeAndTheOwnerCanWrite) {
  CScratchDir dir;
  struct Case {
    const char* name;
    int existingMode;  // -1: no file there yet
    mode_t expected;
  };
  const Case cases[] = {
      {"kept.txt", 0640, 0640},
      {"readonly.txt", 0444, 0644},
      {"new.txt", -1, static_cast<mode_t>((0666 & ~Umask()) | S_IWUSR)},
  };
  for (const Case& c : cases) {
    std::string path = dir.file(c.name);
    if (c.existingMode >= 0) {
      WriteText(path, "old contents");
      ASSERT_EQ(::chmod(path.c_str(), static_cast<mode_t>(c.existingMode)), 0);
    }
    tvl::ReplacingFile file(path);
    ASSERT_TRUE(file.IsOpen()) << c.name;
    EXPECT_EQ(tvl::FolderOf(file.WorkingPath()), dir.path());
    ASSERT_TRUE(file.Write("new"));
    ASSERT_TRUE(file.Commit()) << c.name;
    EXPECT_EQ(ReadFileText(path), "new") << c.name;
    EXPECT_EQ(ModeOf(path), c.expected) << c.name;
  }
  EXPECT_EQ(EntryCount(dir.path()), 3u);  // no working file left beside them
}

TEST(ReplacingFile, WithoutCommitTheDestinationStaysAndNothingIsLeft) {
  CScratchDir dir;
  std::string path = dir.file("p.tvl");
  WriteText(path, "old");
  {
    tvl::ReplacingFile file(path);
    ASSERT_TRUE(file.Write("half of the new"));
  }
  EXPECT_EQ(ReadFileText(path), "old");
  EXPECT_EQ(EntryCount(dir.path()), 1u);

  // A folder that does not exist: no file, errno tells why, and Commit refuses.
  tvl::ReplacingFile missing(dir.file("no/such/p.tvl"));
  EXPECT_FALSE(missing.IsOpen());
  EXPECT_FALSE(missing.Commit());
}

// /logfile:/dev/stdout or -o /dev/null: as root a rename would replace the device's name.
TEST(ReplacingFile, DevicesAreWrittenInPlaceAndFoldersRefused) {
  {
    tvl::ReplacingFile device("/dev/null");
    ASSERT_TRUE(device.IsOpen());
    EXPECT_TRUE(device.Write("gone"));
    EXPECT_TRUE(device.Commit());
  }
  struct stat st{};
  ASSERT_EQ(::stat("/dev/null", &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode));

  CScratchDir dir;
  errno = 0;
  tvl::ReplacingFile folder(dir.path());
  EXPECT_FALSE(folder.IsOpen());
  EXPECT_EQ(errno, EISDIR);
}

TEST(ReplacingFile, ADestinationNameNearTheLimitStillWorks) {
  CScratchDir dir;
  std::string path = dir.file(std::string(250, 'n') + ".exe");  // 254 bytes, the limit is 255
  tvl::ReplacingFile file(path);
  ASSERT_TRUE(file.IsOpen()) << std::strerror(errno);
  ASSERT_TRUE(file.Write("x"));
  EXPECT_TRUE(file.Commit());
  EXPECT_TRUE(fs::exists(path));
}

TEST(ReplacingFile, StaleWorkingFilesOfDeadWritersAreRemoved) {
  CScratchDir dir;
  const timespec old[2] = {{std::time(nullptr) - 3600, 0}, {std::time(nullptr) - 3600, 0}};
  auto make = [&](const std::string& name, bool aged) {
    WriteText(dir.file(name), "x");
    if (aged) ::utimensat(AT_FDCWD, dir.file(name).c_str(), old, 0);
  };
  make(".tvlAbCdEf12", true);   // a dead writer's: removed
  make(".tvlFreshOne", false);  // just made, its writer may not hold the lock yet: kept
  make(".tvlLockedXY", true);   // a live writer holds its lock: kept
  make(".tvlTooLongName", true);
  make("plain.exe", true);
  int held = ::open(dir.file(".tvlLockedXY").c_str(), O_RDONLY);
  ASSERT_GE(held, 0);
  ASSERT_EQ(::flock(held, LOCK_EX), 0);

  tvl::RemoveStaleWorkingFiles(dir.path());
  ::close(held);
  EXPECT_FALSE(fs::exists(dir.file(".tvlAbCdEf12")));
  for (const char* kept : {".tvlFreshOne", ".tvlLockedXY", ".tvlTooLongName", "plain.exe"})
    EXPECT_TRUE(fs::exists(dir.file(kept))) << kept;
}

TEST(OpenRegularFile, OnlyRegularFilesWithinTheLimitOpenAndNothingBlocks) {
  CScratchDir dir;
  WriteText(dir.file("small"), "12345");
  ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0600), 0);
  struct Case {
    std::string path;
    std::uint64_t limit;
    int error;  // 0: opens
  };
  const Case cases[] = {
      {dir.file("small"), 5, 0},        {dir.file("small"), 4, EFBIG}, {dir.path(), 100, EISDIR},
      {dir.file("fifo"), 100, ENOEXEC}, {"/dev/zero", 100, ENOEXEC},   {dir.file("missing"), 100, ENOENT},
  };
  for (const Case& c : cases) {
    std::uint64_t size = 0;
    errno = 0;
    int fd = tvl::OpenRegularFile(c.path, c.limit, ENOEXEC, size);
    if (c.error == 0) {
      EXPECT_GE(fd, 0) << c.path;
      EXPECT_EQ(size, 5u);
      ::close(fd);
    } else {
      EXPECT_EQ(fd, -1) << c.path;
      EXPECT_EQ(errno, c.error) << c.path;
    }
  }
}

TEST(TempFileNames, CarryEnoughRandomnessAndNeverAFixedFallback) {
  CScratchDir tmp;
  std::string a, b;
  int fa = tvl::CreateUniqueFile(tmp.path(), "log", ".TMP", a);
  int fb = tvl::CreateUniqueFile(tmp.path(), "log", ".TMP", b);
  ASSERT_GE(fa, 0);
  ASSERT_GE(fb, 0);
  ::close(fa);
  ::close(fb);
  EXPECT_NE(a, b);
  EXPECT_EQ(fs::path(a).filename().string().size(), 3u + 8u + 4u);

  // A folder where nothing can be made: no name at all rather than a guessable one.
  std::string none;
  EXPECT_EQ(tvl::CreateUniqueFile(tmp.file("missing"), "log", ".TMP", none), -1);
  EXPECT_TRUE(none.empty());
}

// Where the data files are found for each layout the program runs from: the build folder
// (files beside the program), an installed tree (share/tessalingvora beside bin), neither.
TEST(DataDirectory, FoundBesideTheProgramOrInTheSharedFolderOfItsPrefix) {
  struct Case {
    const char* name;
    bool besideProgram;
    bool inShare;
    const char* expected;  // relative to the scratch folder
  };
  const Case cases[] = {
      {"build folder", true, false, "bin/"},
      {"installed", false, true, "share/tessalingvora/"},
      {"both: the program's own folder wins", true, true, "bin/"},
      {"neither: the program's folder", false, false, "bin/"},
  };
  for (const Case& c : cases) {
    CScratchDir dir;
    std::string bin = dir.path() + "/bin/";
    std::string share = dir.path() + "/share/tessalingvora/";
    fs::create_directories(bin);
    fs::create_directories(share);
    if (c.besideProgram) WriteText(bin + "Languages.dat", "[Languages]\n");
    if (c.inShare) WriteText(share + "Languages.dat", "[Languages]\n");
    EXPECT_EQ(tvl::ToUtf8(tvl::DataDirectoryFor(tvl::FromUtf8(bin))), dir.path() + "/" + c.expected) << c.name;
  }
  EXPECT_EQ(tvl::DataDirectoryFor(u""), u"");
}

TEST(DataDirectory, FollowsTheProgramDirectoryOverride) {
  CScratchDir dir;
  fs::create_directories(dir.path() + "/bin");
  fs::create_directories(dir.path() + "/share/tessalingvora");
  WriteText(dir.path() + "/share/tessalingvora/Languages.dat", "[Languages]\n");
  tvl::SetProgramDirectory(tvl::FromUtf8(dir.path() + "/bin/"));
  std::u16string found = tvl::DataDirectory();
  tvl::SetProgramDirectory({});
  EXPECT_EQ(tvl::ToUtf8(found), dir.path() + "/share/tessalingvora/");
}
