// The built program, run as a user runs it.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "TestSupport.h"

namespace {
// Without a display: a batch run must not need one. The standard output goes to `out`
// when given.
int RunProgram(const std::string& args, std::string* out = nullptr) {
  std::string cmd = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " + std::string(TVL_BINARY_DIR) +
                    "/tessalingvora " + args + (out ? " 2>/dev/null" : " >/dev/null 2>&1");
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return -1;
  char buffer[4096];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, p)) > 0;)
    if (out) out->append(buffer, n);
  int status = pclose(p);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
}  // namespace

TEST(Program, BatchRunWithoutDisplayWritesLogAndExitCode) {
  CScratchDir dir;
  std::string log = dir.file("x.log");
  EXPECT_EQ(RunProgram(dir.file("project.tvl") + " /build /logfile:" + log), 1);
  std::string text = ReadFileText(log);
  EXPECT_EQ(text.rfind("Tessalingvora ", 0), 0u);
  EXPECT_NE(text.find("\n\nError: /build : modules and languages not specified.\n"), std::string::npos);

  // Absolute project path followed by an option: the path is the project, not an option.
  std::string log2 = dir.file("y.log");
  EXPECT_EQ(RunProgram(dir.file("p.tvl") + " -build:x.exe /output: /logfile:" + log2), 1);
  EXPECT_NE(ReadFileText(log2).find("Error: /output : Filename not specified.\n"), std::string::npos);
}

TEST(Program, BundledExampleBuildsBothTargets) {
  CScratchDir dir;
  std::string src = std::string(TVL_SOURCE_DIR) + "/examples/";
  for (const char* f : {"Example.tvl", "Sample.exe"})
    WriteFileBytes(dir.file(f), ReadFileBytes(src + f));
  std::string log = dir.file("b.log");
  EXPECT_EQ(RunProgram(dir.file("Example.tvl") + " /buildall /logfile:" + log), 0);
  std::string text = ReadFileText(log);
  EXPECT_NE(text.find("Target file(s) created successfully:\n\n" + dir.file("out/SampleDEU.exe") + "\n" +
                      dir.file("out/SampleFRA.exe") + "\n"),
            std::string::npos)
      << text;
}

TEST(Program, HelpAndVersionNeedNoDisplay) {
  std::string help, version;
  EXPECT_EQ(RunProgram("--help", &help), 0);
  EXPECT_EQ(help.rfind("usage: tessalingvora [PROJECT.tvl]\n", 0), 0u) << help;
  EXPECT_NE(help.find("/buildall"), std::string::npos);
  EXPECT_EQ(RunProgram("--version", &version), 0);
  EXPECT_EQ(version, "Tessalingvora " TVL_VERSION " - localization of Windows executables\n");
}

TEST(Program, WithoutDisplayTheInteractiveStartExitsOneWithAMessage) {
  for (const char* args : {"", "/buildall"}) {
    std::string err;
    std::string cmd = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " + std::string(TVL_BINARY_DIR) +
                      "/tessalingvora " + args + " 2>&1 >/dev/null";
    FILE* p = popen(cmd.c_str(), "r");
    ASSERT_NE(p, nullptr);
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, p)) > 0;) err.append(buffer, n);
    int status = pclose(p);
    ASSERT_TRUE(WIFEXITED(status)) << args;  // not killed by an abort
    EXPECT_EQ(WEXITSTATUS(status), 1) << args;
    EXPECT_EQ(err.rfind("tessalingvora: ", 0), 0u) << err;
  }
}

// No log file and no temporary one (a read-only temporary folder, run from it): the messages
// go to standard error rather than nowhere. Needs a private mount, so it is skipped without.
TEST(Program, MessagesReachStandardErrorWhenNoLogCanBeWritten) {
  if (std::system("unshare -m true >/dev/null 2>&1") != 0) GTEST_SKIP() << "no private mounts here";
  // /tmp made read-only in place (not covered), so a checkout or build that lives under it stays visible.
  std::string cmd =
      "unshare -m sh -c 'mount --bind /tmp /tmp && mount -o remount,ro,bind /tmp && cd /tmp && env -u DISPLAY -u TMPDIR " +
                    std::string(TVL_BINARY_DIR) + "/tessalingvora " + TVL_SOURCE_DIR +
                    "/examples/Example.tvl /build:Nothing.exe /logfile:/nonexistent/x.log' 2>&1";
  FILE* p = popen(cmd.c_str(), "r");
  ASSERT_NE(p, nullptr);
  std::string err;
  char buffer[4096];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, p)) > 0;) err.append(buffer, n);
  int status = pclose(p);
  EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 1);
  EXPECT_NE(err.find("Error: Incorrect module name in /build argument.\n"), std::string::npos) << err;
}
