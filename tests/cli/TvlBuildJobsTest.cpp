// Building with several jobs writes what one job writes, and a killed build leaves the target
// whole.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <thread>

#include "TestSupport.h"
#include "TvlRun.h"
#include "peimage/Satellite.h"
#include "platform/Text.h"
#include "resmodel/CompileContext.h"

namespace fs = std::filesystem;

namespace {

const char* const kModules[] = {"all32.exe",    "all64.exe",   "empty64.dll", "mfc32.exe",
                                "mfc64.exe",    "neutral64.dll", "neutralver32.dll", "overlay32.exe",
                                "reloc32.dll",  "reloc64.dll"};

// The fixture modules in one project with three target languages, and the example project.
void MakeProjects(const std::string& dir) {
  for (const char* m : kModules) fs::copy_file(FixturePath(m), dir + "/" + m);
  ASSERT_EQ(Tvl({"new", dir + "/P.tvl"}).rc, 0);
  for (const char* m : kModules)
    ASSERT_EQ(Tvl({"insert", dir + "/P.tvl", dir + "/" + m, "--lang", "FRA", "--lang", "DEU", "--lang", "JPN"}).rc, 0)
        << m;
  fs::create_directory(dir + "/ex");
  for (const char* f : {"Example.tvl", "Sample.exe"})
    fs::copy_file(std::string(TVL_SOURCE_DIR) + "/examples/" + f, dir + "/ex/" + f);
}

// Every file under `dir` but the projects (which hold their folder's name), by relative name.
std::map<std::string, std::vector<unsigned char>> Files(const std::string& dir) {
  std::map<std::string, std::vector<unsigned char>> files;
  for (const auto& e : fs::recursive_directory_iterator(dir))
    if (e.is_regular_file() && e.path().extension() != ".tvl") files[fs::relative(e.path(), dir).string()] = ReadFileBytes(e.path().string());
  return files;
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  for (size_t at; (at = text.find(from)) != std::string::npos;) text.replace(at, from.size(), to);
  return text;
}

size_t WorkingFiles(const std::string& dir) {
  size_t n = 0;
  for (const auto& e : fs::directory_iterator(dir))
    if (e.path().filename().string().rfind(".tvl", 0) == 0) ++n;
  return n;
}

struct JobsCase {
  const char* name;
  std::vector<std::string> args;  // after the project
  const char* blocked;            // a target made unwritable by a text file of its name
};

class TvlBuildJobs : public ::testing::TestWithParam<JobsCase> {};

TEST_P(TvlBuildJobs, SameTargetsAndLogAsOneJob) {
  const JobsCase& c = GetParam();
  CScratchDir one, four;
  std::string logs[2];
  int rcs[2];
  int i = 0;
  for (CScratchDir* d : {&one, &four}) {
    MakeProjects(d->path());
    if (c.blocked) {
      std::ofstream(d->path() + "/" + c.blocked) << "notes";
    }
    for (const std::string project : {"/P.tvl", "/ex/Example.tvl"}) {
      std::vector<std::string> args = {"build", d->path() + project, "--jobs", i == 0 ? "1" : "4"};
      args.insert(args.end(), c.args.begin(), c.args.end());
      TvlRun r = Tvl(args);
      logs[i] += Replace(r.err, d->path(), "DIR");
      rcs[i] = r.rc;
    }
    ++i;
  }
  EXPECT_EQ(logs[0], logs[1]);
  EXPECT_EQ(rcs[0], rcs[1]);
  EXPECT_NE(logs[0].find("Target file(s) created successfully"), std::string::npos);
  auto a = Files(one.path()), b = Files(four.path());
  ASSERT_EQ(a.size(), b.size());
  for (const auto& [name, bytes] : a) EXPECT_TRUE(b.count(name) && b[name] == bytes) << name;
  EXPECT_EQ(WorkingFiles(four.path()), 0u);
  if (c.blocked) {
    // The module stopped at the blocked language: the one after it was not written.
    EXPECT_NE(logs[0].find("is not an executable file"), std::string::npos);
    EXPECT_FALSE(fs::exists(four.path() + "/mfc32JPN.exe"));
    EXPECT_TRUE(fs::exists(four.path() + "/mfc32DEU.exe"));
    EXPECT_TRUE(fs::exists(four.path() + "/mfc64JPN.exe"));
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, TvlBuildJobs,
                         ::testing::Values(JobsCase{"all", {}, nullptr},
                                           JobsCase{"french", {"--lang", "F*"}, nullptr},
                                           JobsCase{"failing_language", {}, "mfc32FRA.exe"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TvlBuildJobsOption, RefusesNonsense) {
  CScratchDir d;
  for (const char* bad : {"0", "x", "", "-2"}) EXPECT_EQ(Tvl({"build", d.file("P.tvl"), "--jobs", bad}).rc, 2) << bad;
}

// An executable of about 12 MB: long enough to write that a kill can land in the middle.
void MakeLargeModule(const std::string& path) {
  std::vector<BYTE> dll = tvl::MakeSatelliteDll();
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(dll.data()), dll.size());
  CResourceWriter writer;
  const std::u16string text = u"Open the file";
  std::vector<BYTE> block;
  for (int i = 0; i < 16; ++i) {
    block.push_back(static_cast<BYTE>(text.size()));
    block.push_back(0);
    for (char16_t ch : text) {
      block.push_back(static_cast<BYTE>(ch));
      block.push_back(0);
    }
  }
  writer.Add(CResName(WORD{6}), CResName(WORD{1}), 0x0409, block.data(), block.size());
  std::vector<BYTE> pad(256 * 1024, 0x5A);
  for (WORD id = 1; id <= 48; ++id) writer.Add(CResName(WORD{10}), CResName(id), 0x0409, pad.data(), pad.size());
  writer.Write(tvl::FromUtf8(path));
}

pid_t Spawn(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = -1;
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

TEST(TvlBuildKilled, LeavesTheOldTargetOrTheWholeNewOne) {
  CScratchDir d;
  MakeLargeModule(d.file("Big.exe"));
  ASSERT_EQ(Tvl({"new", d.file("P.tvl")}).rc, 0);
  ASSERT_EQ(Tvl({"insert", d.file("P.tvl"), d.file("Big.exe"), "--lang", "FRA"}).rc, 0);
  ASSERT_EQ(Tvl({"build", d.file("P.tvl"), "--output", d.file("whole.exe")}).rc, 0);
  const auto whole = ReadFileBytes(d.file("whole.exe"));
  const auto old = ReadFileBytes(d.file("Big.exe"));
  ASSERT_NE(whole, old);
  const std::string tvl = std::string(TVL_BINARY_DIR) + "/tvl";
  size_t interrupted = 0;
  for (int delay : {0, 1, 2, 4, 8, 12, 16, 24, 32, 48, 64, 96}) {
    fs::create_directory(d.file("out"));
    fs::copy_file(d.file("Big.exe"), d.file("out/BigFRA.exe"));
    pid_t pid = Spawn({tvl, "build", d.file("P.tvl"), "--output", d.file("out/BigFRA.exe")});
    ASSERT_GT(pid, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(delay));
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (WIFSIGNALED(status)) ++interrupted;
    const auto now = ReadFileBytes(d.file("out/BigFRA.exe"));
    EXPECT_TRUE(now == old || now == whole) << "killed after " << delay << " ms";
    // Only the working copy that was being written may stay behind.
    EXPECT_LE(WorkingFiles(d.file("out")), 1u) << delay;
    fs::remove_all(d.file("out"));
  }
  EXPECT_GT(interrupted, 0u);  // some kills landed before the build ended
}

}  // namespace
