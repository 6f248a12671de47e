#include <gtest/gtest.h>

#include <filesystem>

#include "TestSupport.h"
#include "app/TessalingvoraApp.h"
#include "platform/Files.h"
#include "platform/Text.h"

namespace {

struct BuildCall {
  std::u16string project, spec, output, source;
};

// Runs a start-up with the given arguments against a recording batch build.
struct BatchRun {
  explicit BatchRun(std::vector<std::u16string> args, bool buildResult = true) {
    app.SetBatchBuild([this, buildResult](const std::u16string& p, const std::u16string& s, const std::u16string& o,
                                          const std::u16string& src) {
      calls.push_back({p, s, o, src});
      return buildResult;
    });
    interactive = app.InitInstance(args);
  }
  CTessalingvoraApp app;
  std::vector<BuildCall> calls;
  bool interactive = false;
};

std::u16string U8(const std::string& s) { return tvl::FromUtf8(s); }

}  // namespace

TEST(StartUp, FileNameIsFirstArgumentThatIsNoFlag) {
  auto info = CTessalingvoraApp::ParseCommandLine({u"tvl", u"/buildall", u"/home/me/p.tvl", u"other.tvl"});
  EXPECT_EQ(info.m_nShellCommand, CCommandLineInfo::FileOpen);
  EXPECT_EQ(info.m_strFileName, u"/home/me/p.tvl");

  auto none = CTessalingvoraApp::ParseCommandLine({u"tvl", u"-x", u"/BUILD:a.exe", u"/logfile:x.log"});
  EXPECT_EQ(none.m_nShellCommand, CCommandLineInfo::FileNew);
}

TEST(StartUp, RawCommandLineQuotesArgumentsWithSpaces) {
  EXPECT_EQ(CTessalingvoraApp::RawCommandLine({u"/opt/tvl", u"/my dir/p.tvl", u"/logfile:a b.log", u"/buildall"}),
            u"/opt/tvl \"/my dir/p.tvl\" /logfile:\"a b.log\" /buildall");
}

TEST(StartUp, WithoutBuildOptionsOrProjectTheStartIsInteractive) {
  BatchRun noArgs({u"tvl"});
  EXPECT_TRUE(noArgs.interactive);
  EXPECT_FALSE(noArgs.app.m_bBatchMode);

  BatchRun projectOnly({u"tvl", u"p.tvl"});
  EXPECT_TRUE(projectOnly.interactive);

  BatchRun buildAllWithoutProject({u"tvl", u"/buildall"});
  EXPECT_TRUE(buildAllWithoutProject.interactive);
  EXPECT_TRUE(buildAllWithoutProject.calls.empty());
}

TEST(BatchLog, BuildWithoutValueLogsErrorAfterBanner) {
  CScratchDir dir;
  std::string log = dir.file("x.log");
  BatchRun run({u"tvl", u"project.tvl", u"/build", U8("/logfile:" + log)});
  EXPECT_FALSE(run.interactive);
  EXPECT_EQ(run.app.ExitInstance(), 1);
  EXPECT_TRUE(run.calls.empty());
  std::string text = ReadFileText(log);
  std::string banner = tvl::ToUtf8(LoadResString(IDS_BANNER));
  ASSERT_EQ(text.rfind(banner, 0), 0u);
  EXPECT_EQ(text.substr(banner.size()), "\nError: /build : modules and languages not specified.\n");
}

TEST(BatchLog, BuildAllRunsWithStarSpecAndExitCodeFollowsErrors) {
  CScratchDir dir;
  std::string log = dir.file("ok.log");
  BatchRun run({u"tvl", u"p.tvl", u"/BuildAll", U8("-LOGFILE:" + log)});
  ASSERT_EQ(run.calls.size(), 1u);
  EXPECT_EQ(run.calls[0].project, u"p.tvl");
  EXPECT_EQ(run.calls[0].spec, u"*");
  EXPECT_EQ(run.app.ExitInstance(), 0);
  EXPECT_FALSE(run.app.m_bErrorLogged);
}

TEST(BatchLog, BuildAndBuildAllWarnsAndBuildsAll) {
  CScratchDir dir;
  std::string log = dir.file("w.log");
  BatchRun run({u"tvl", u"p.tvl", u"/build:a.exe", u"/buildall", U8("/logfile:" + log)});
  ASSERT_EQ(run.calls.size(), 1u);
  EXPECT_EQ(run.calls[0].spec, u"*");
  EXPECT_NE(ReadFileText(log).find("\nWarning: /build and /buildall are exclusive. /build is ignored.\n"),
            std::string::npos);
  EXPECT_EQ(run.app.ExitInstance(), 0);
}

TEST(BatchLog, OptionErrorsBuildNothing) {
  struct Case {
    std::vector<std::u16string> extra;
    std::string line;
  } cases[] = {
      {{u"/buildall", u"/output:t.exe"}, "Error: /output and /source cannot be combined with /buildall.\n"},
      {{u"/buildall", u"/source:s.exe"}, "Error: /output and /source cannot be combined with /buildall.\n"},
      {{u"/build:a.exe", u"/output:"}, "Error: /output : Filename not specified.\n"},
      {{u"/build:a.exe", u"/source:"}, "Error: /source : Filename not specified.\n"},
      {{u"/build:   "}, "Error: /build : modules and languages not specified.\n"},
  };
  for (const auto& c : cases) {
    CScratchDir dir;
    std::string log = dir.file("e.log");
    std::vector<std::u16string> args = {u"tvl", u"p.tvl"};
    args.insert(args.end(), c.extra.begin(), c.extra.end());
    args.push_back(U8("/logfile:" + log));
    BatchRun run(args);
    EXPECT_TRUE(run.calls.empty()) << c.line;
    EXPECT_EQ(run.app.ExitInstance(), 1) << c.line;
    EXPECT_NE(ReadFileText(log).find(c.line), std::string::npos) << c.line;
  }
}

TEST(BatchLog, BuildPassesTrimmedSpecAndOverrides) {
  CScratchDir dir;
  BatchRun run({u"tvl", u"p.tvl", u"/build:\"  My App*.exe:French* \"", u"/output:out.exe", u"/source:src.exe",
                U8("/logfile:" + dir.file("l.log"))});
  ASSERT_EQ(run.calls.size(), 1u);
  EXPECT_EQ(run.calls[0].spec, u"My App*.exe:French*");
  EXPECT_EQ(run.calls[0].output, u"out.exe");
  EXPECT_EQ(run.calls[0].source, u"src.exe");

  // As a shell hands it over: the quotes are gone, the value holds spaces.
  BatchRun shell({u"tvl", u"p.tvl", u"/build:My App*.exe:French*", U8("/logfile:" + dir.file("m.log"))});
  ASSERT_EQ(shell.calls.size(), 1u);
  EXPECT_EQ(shell.calls[0].spec, u"My App*.exe:French*");
}

TEST(BatchLog, MessagePrefixesFollowTheIconAndQuestionsAnswerOk) {
  CScratchDir dir;
  std::string log = dir.file("m.log");
  CTessalingvoraApp app;
  int answer = 0;
  app.SetBatchBuild([&](const std::u16string&, const std::u16string&, const std::u16string&, const std::u16string&) {
    DoMessageBox(u"info", MB_ICONINFORMATION);
    answer = DoMessageBox(u"Overwrite?\nReally?", MB_YESNO | MB_ICONQUESTION);
    DoMessageBox(u"careful", MB_ICONWARNING);
    DoMessageBox(u"plain", MB_OK);
    return true;
  });
  EXPECT_FALSE(app.InitInstance({u"tvl", u"p.tvl", u"/buildall", U8("/logfile:" + log)}));
  EXPECT_EQ(answer, IDOK);
  std::string text = ReadFileText(log);
  EXPECT_NE(text.find("\ninfo\nWarning: Overwrite?\nReally?\nWarning: careful\nplain\n"), std::string::npos);
  EXPECT_EQ(app.ExitInstance(), 0);  // warnings and questions leave the exit code alone
}

TEST(BatchLog, UnwritableLogFallsBackToTemporaryLogThatIsDeleted) {
  CScratchDir tmp;
  std::string saved = getenv("TMPDIR") ? getenv("TMPDIR") : "";
  setenv("TMPDIR", tmp.path().c_str(), 1);
  {
    BatchRun run({u"tvl", u"p.tvl", u"/build", u"/logfile:/nonexistent-dir/x.log"});
    EXPECT_EQ(run.app.ExitInstance(), 1);  // the exit code still tells the failure
  }
  if (saved.empty())
    unsetenv("TMPDIR");
  else
    setenv("TMPDIR", saved.c_str(), 1);
  EXPECT_TRUE(std::filesystem::is_empty(tmp.path()));
}

TEST(TempFileNames, AreUniqueCreatedAndUseThePrefix) {
  CScratchDir tmp;
  setenv("TMPDIR", tmp.path().c_str(), 1);
  std::u16string a = MakeTempFileName(u"logfile");
  std::u16string b = MakeTempFileName(u"log");
  unsetenv("TMPDIR");
  EXPECT_NE(a, b);
  for (const auto& n : {a, b}) {
    std::filesystem::path p(tvl::ToUtf8(n));
    EXPECT_TRUE(std::filesystem::exists(p));
    EXPECT_EQ(p.parent_path(), std::filesystem::path(tmp.path()));
    EXPECT_EQ(p.filename().string().rfind("log", 0), 0u);
    EXPECT_EQ(p.extension(), ".TMP");
  }
}

TEST(BatchLog, OptionsInsideAProjectPathAreNotOptionsAndTheLogLandsWhole) {
  CScratchDir dir;
  std::string folder = dir.file("c -logfile:" + dir.file("elsewhere.log") + " d");
  std::filesystem::create_directories(folder);
  std::string log = dir.file("real.log");
  BatchRun run({u"tvl", U8(folder + "/p.tvl"), u"/buildall", U8("/logfile:" + log)});
  ASSERT_EQ(run.calls.size(), 1u);
  EXPECT_EQ(run.calls[0].project, U8(folder + "/p.tvl"));
  EXPECT_FALSE(std::filesystem::exists(dir.file("elsewhere.log")));
  EXPECT_EQ(ReadFileText(log).rfind("Tessalingvora ", 0), 0u);
  // Written beside and renamed: the log and the folder, nothing else.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), std::filesystem::directory_iterator()), 2);
}

TEST(StartUp, WithoutADisplayTheInteractiveStartSaysWhatIsMissing) {
  struct Case {
    std::vector<std::u16string> args;
    const char* display;  // the one variable set, or null
    std::u16string start;  // how the answer begins; empty: no problem
  };
  const Case cases[] = {
      {{u"tvl"}, nullptr, u"The interactive program needs a display"},
      {{u"tvl", u"/buildall"}, nullptr, u"A batch build needs the project file"},
      {{u"tvl", u"/build:App.exe"}, nullptr, u"A batch build needs the project file"},
      {{u"tvl", u"/buildall"}, "DISPLAY", u""},
      {{u"tvl"}, "WAYLAND_DISPLAY", u""},
      {{u"tvl"}, "QT_QPA_PLATFORM", u""},
  };
  for (const Case& c : cases) {
    auto env = [&c](const char* name) -> const char* {
      return c.display && std::string(name) == c.display ? "x" : nullptr;
    };
    std::u16string problem = CTessalingvoraApp::InteractiveStartProblem(c.args, env);
    if (c.start.empty())
      EXPECT_TRUE(problem.empty()) << tvl::ToUtf8(problem);
    else
      EXPECT_EQ(problem.rfind(c.start, 0), 0u) << tvl::ToUtf8(problem);
  }
}
