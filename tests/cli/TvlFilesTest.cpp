// What the command line reads and writes: targets listed before a build, exports put in
// place whole, and inputs that are no file or have no end refused.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "TestSupport.h"
#include "TvlRun.h"
#include "languages/AvailableLanguages.h"
#include "platform/Text.h"

namespace fs = std::filesystem;

namespace {

// A project with App.exe and German and Italian targets, one of them outside its folder.
struct TvlProject {
  TvlProject() {
    SetLanguageCatalogueFile(tvl::FromUtf8(std::string(TVL_SOURCE_DIR) + "/data/Languages.dat"));
    fs::create_directory(dir.file("p"));
    fs::copy_file(FixturePath("all32.exe"), dir.file("p/App.exe"));
    EXPECT_EQ(Tvl({"new", project}).rc, 0);
    EXPECT_EQ(Tvl({"insert", project, dir.file("p/App.exe"), "--lang", "DEU", "--lang", "ITA"}).rc, 0);
  }
  size_t Entries(const std::string& folder) const {
    return static_cast<size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
  }
  CScratchDir dir;
  std::string project = dir.file("p/p.tvl");
};

}  // namespace

TEST(TvlFiles, DumpAndDryRunListEveryTargetAndWriteNothing) {
  TvlProject p;
  TvlRun dump = Tvl({"dump", p.project});
  ASSERT_EQ(dump.rc, 0) << dump.err;
  EXPECT_NE(dump.out.find("Target DEU " + p.dir.file("p/AppDEU.exe") + "\n"), std::string::npos) << dump.out;
  EXPECT_NE(dump.out.find("Target ITA " + p.dir.file("p/AppITA.exe") + "\n"), std::string::npos);

  TvlRun dry = Tvl({"build", p.project, "--dry-run"});
  ASSERT_EQ(dry.rc, 0) << dry.err;
  EXPECT_EQ(dry.out, p.dir.file("p/AppDEU.exe") + "\n" + p.dir.file("p/AppITA.exe") + "\n");
  EXPECT_EQ(p.Entries(p.dir.file("p")), 2u);  // the source and the project only
}

TEST(TvlFiles, ExportReplacesTheFileWholeOrNotAtAll) {
  TvlProject p;
  std::string out = p.dir.file("p/de.xlf");
  std::ofstream(out) << "old";
  TvlRun first = Tvl({"export", p.project, "--lang", "DEU", "-o", out});
  ASSERT_EQ(first.rc, 0) << first.err;
  EXPECT_EQ(ReadFileText(out).rfind("<?xml", 0), 0u);
  EXPECT_EQ(p.Entries(p.dir.file("p")), 3u);  // no working file beside it

  TvlRun missing = Tvl({"export", p.project, "--lang", "DEU", "-o", p.dir.file("none/de.xlf")});
  EXPECT_EQ(missing.rc, 1);
  EXPECT_EQ(missing.err, "Error: Cannot write " + p.dir.file("none/de.xlf") + ".  No such file or directory\n");
}

TEST(TvlFiles, ImportOfADeviceFolderOrFifoIsRefusedAndTheProjectStays) {
  TvlProject p;
  fs::create_directory(p.dir.file("folder.xlf"));
  ASSERT_EQ(::mkfifo(p.dir.file("fifo.xlf").c_str(), 0600), 0);
  std::vector<unsigned char> before = ReadFileBytes(p.project);
  const std::pair<std::string, std::string> inputs[] = {
      {"/dev/zero", "Invalid argument"},
      {p.dir.file("folder.xlf"), "Is a directory"},
      {p.dir.file("fifo.xlf"), "Invalid argument"}};
  for (const auto& [input, reason] : inputs) {
    TvlRun run = Tvl({"import", p.project, "--lang", "DEU", input});
    EXPECT_EQ(run.rc, 1) << input;
    EXPECT_EQ(run.err, "Error: Cannot read " + input + ".  " + reason + "\n");
  }
  EXPECT_EQ(ReadFileBytes(p.project), before);
}
