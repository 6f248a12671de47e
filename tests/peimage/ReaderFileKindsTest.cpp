// Only regular files are read as images: a folder, FIFO or device is refused at once, with the
// reason, by the reader, the survey and tvl-dump alike.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>

#include "TestSupport.h"
#include "peimage/LanguageSurvey.h"
#include "peimage/PeImage.h"
#include "platform/Text.h"

namespace {

struct OddFile {
  std::string path;
  int error;
};

// A folder, a FIFO nobody writes to, and a device that never ends.
std::vector<OddFile> OddFiles(const CScratchDir& dir) {
  std::filesystem::create_directory(dir.file("folder.exe"));
  EXPECT_EQ(::mkfifo(dir.file("fifo.exe").c_str(), 0600), 0);
  return {{dir.file("folder.exe"), EISDIR}, {dir.file("fifo.exe"), ENOEXEC}, {"/dev/zero", ENOEXEC}};
}

// tvl-dump's exit code and standard error; `timeout` turns a hang into a failure.
int RunDump(const std::string& args, std::string& err) {
  std::string cmd = "timeout 20 " + std::string(TVL_BINARY_DIR) + "/tvl-dump " + args + " 2>&1 >/dev/null";
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return -1;
  char buffer[4096];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, p)) > 0;) err.append(buffer, n);
  int status = pclose(p);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

TEST(ReaderFileKinds, OnlyRegularFilesAreReadAndTheReasonIsKept) {
  CScratchDir dir;
  for (const OddFile& f : OddFiles(dir)) {
    CPeImage image;
    errno = 0;
    EXPECT_FALSE(image.LoadFile(f.path)) << f.path;
    EXPECT_EQ(errno, f.error) << f.path;
    CLanguageSurvey survey;
    EXPECT_FALSE(survey.Survey(tvl::FromUtf8(f.path))) << f.path;
  }
  CPeImage real;
  EXPECT_TRUE(real.LoadFile(FixturePath("all32.exe")));
}

TEST(ReaderFileKinds, DumpToolRefusesThemWithoutHangingOrAborting) {
  CScratchDir dir;
  const std::vector<OddFile> files = OddFiles(dir);
  const char* reasons[] = {"Is a directory", "Exec format error", "Exec format error"};
  for (size_t i = 0; i < files.size(); ++i) {
    for (const char* mode : {"", "--survey ", "--load "}) {
      std::string err;
      EXPECT_EQ(RunDump(mode + files[i].path, err), 1) << mode << files[i].path;
      EXPECT_NE(err.find(reasons[i]), std::string::npos) << err;
    }
  }
}
