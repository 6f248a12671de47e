#pragma once
// The application object: decides between a batch build and the interactive program,
// and owns the batch log while a batch run is in progress.
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "platform/Messages.h"

class CCmdLineParser;

// What the start-up request is, read from the arguments as the framework reads them.
struct CCommandLineInfo {
  enum ShellCommand { FileNew, FileOpen };
  ShellCommand m_nShellCommand = FileNew;
  std::u16string m_strFileName;
};

class CTessalingvoraApp {
 public:
  CTessalingvoraApp();
  ~CTessalingvoraApp();
  CTessalingvoraApp(const CTessalingvoraApp&) = delete;
  CTessalingvoraApp& operator=(const CTessalingvoraApp&) = delete;

  // The process's whole command line: the arguments joined by spaces, an argument that
  // holds a space given back in double quotes (an option's value alone: /logfile:"a b.log").
  static std::u16string RawCommandLine(const std::vector<std::u16string>& args);
  // The start-up request. An argument is a flag when it begins with '-', or with '/' followed
  // by an option name the program knows (so absolute paths are file names); the first other
  // argument is the file to open.
  static CCommandLineInfo ParseCommandLine(const std::vector<std::u16string>& args);

  // Steps of start-up that do not need a window. Returns true when the interactive program
  // must start, false when the process is to end with ExitInstance's code.
  bool InitInstance(const std::vector<std::u16string>& args);
  bool ProcessBatchCommandLine(const std::u16string& rawCmdLine, const CCommandLineInfo& info);
  // The same with the arguments as received, each read on its own.
  bool ProcessBatchCommandLine(const std::vector<std::u16string>& args, const CCommandLineInfo& info);

  // Why the interactive program cannot start, or empty: with no display it would abort, so
  // say instead that it needs one (or, with a build option, that the project file is missing).
  // `env` reads an environment variable (null when unset).
  static std::u16string InteractiveStartProblem(const std::vector<std::u16string>& args,
                                                const std::function<const char*(const char*)>& env);
  int ExitInstance(int interactiveResult = 0) const;

  // The batch build of a project; replaceable so the document can take it over.
  using BatchBuildFn = std::function<bool(const std::u16string& projectPath, const std::u16string& spec,
                                          const std::u16string& output, const std::u16string& source)>;
  void SetBatchBuild(BatchBuildFn fn) { m_batchBuild = std::move(fn); }

  // Writes one message as log lines; returns IDOK as a batch run answers every question.
  int LogMessage(const std::u16string& text, UINT type);

  bool m_bBatchMode = false;
  std::FILE* m_logFile = nullptr;
  bool m_bErrorLogged = false;
  CCommandLineInfo m_cmdInfo;

 private:
  bool RunBatch(const CCmdLineParser& parser, const CCommandLineInfo& info);
  bool OpenLog(const std::optional<std::u16string>& requested);
  void CloseLog();

  BatchBuildFn m_batchBuild;
  // The requested log, written beside its name and put in place when the run ends.
  std::unique_ptr<tvl::ReplacingFile> m_logReplacing;
  std::u16string m_logPath;
  bool m_logIsTemporary = false;
};

// The batch build on a private project document.
bool BatchBuildProject(const std::u16string& projectPath, const std::u16string& spec,
                               const std::u16string& output, const std::u16string& source);
