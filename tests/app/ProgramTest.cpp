// The built program, run as a user runs it.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "TestSupport.h"

namespace {
int RunProgram(const std::string& args) {
  // No display: a batch run must not need one.
  std::string cmd = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " + std::string(TVL_BINARY_DIR) +
                    "/tessalingvora " + args + " >/dev/null 2>&1";
  int status = std::system(cmd.c_str());
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
