#include "app/TessalingvoraApp.h"

#include <stdio.h>
#include <unistd.h>

#include <new>
#include <optional>

#include "app/CmdLineParser.h"
#include "archive/Exceptions.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "project/TvlDoc.h"

namespace {

// Routes every message of a batch run into the log.
class CBatchLogSink : public CMessageSink {
 public:
  explicit CBatchLogSink(CTessalingvoraApp& app) : m_app(app) {}
  int Show(const std::u16string& text, UINT type, UINT) override { return m_app.LogMessage(text, type); }

 private:
  CTessalingvoraApp& m_app;
};

// Option names the program knows, its own and the framework's.
const char16_t* const kKnownOptions[] = {u"build",    u"buildall",   u"output",     u"source",
                                         u"logfile",  u"dde",        u"automation", u"embedding",
                                         u"register", u"unregister", u"regserver",  u"unregserver",
                                         u"p",        u"pt"};

bool IsKnownSlashOption(const std::u16string& arg) {
  if (arg.size() < 2 || arg[0] != u'/') return false;
  std::u16string name = arg.substr(1, arg.find(u':') == std::u16string::npos ? std::u16string::npos : arg.find(u':') - 1);
  name = tvl::ToLowerAscii(name);
  for (const char16_t* known : kKnownOptions)
    if (name == known) return true;
  return false;
}

}  // namespace

CTessalingvoraApp::CTessalingvoraApp() : m_batchBuild(BatchBuildProject) {}

CTessalingvoraApp::~CTessalingvoraApp() { CloseLog(); }

std::u16string CTessalingvoraApp::RawCommandLine(const std::vector<std::u16string>& args) {
  std::u16string line;
  for (size_t i = 0; i < args.size(); ++i) {
    if (i) line += u' ';
    const std::u16string& a = args[i];
    size_t colon = a.find(u':');
    if (a.find(u' ') == std::u16string::npos) {
      line += a;
    } else if (i > 0 && (a[0] == u'/' || a[0] == u'-') && colon != std::u16string::npos &&
               colon < a.find(u' ') && (colon + 1 >= a.size() || a[colon + 1] != u'"')) {
      // "/logfile:my log.txt" as typed to a shell: quote the value, where the parser expects it.
      line += a.substr(0, colon + 1) + u'"' + a.substr(colon + 1) + u'"';
    } else {
      line += u'"' + a + u'"';
    }
  }
  return line;
}

CCommandLineInfo CTessalingvoraApp::ParseCommandLine(const std::vector<std::u16string>& args) {
  CCommandLineInfo info;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::u16string& a = args[i];
    bool isFlag = (!a.empty() && a[0] == u'-') || IsKnownSlashOption(a);
    if (!isFlag && info.m_strFileName.empty() && !a.empty()) {
      info.m_strFileName = a;
      info.m_nShellCommand = CCommandLineInfo::FileOpen;
    }
  }
  return info;
}

bool CTessalingvoraApp::InitInstance(const std::vector<std::u16string>& args) {
  m_cmdInfo = ParseCommandLine(args);
  if (m_cmdInfo.m_nShellCommand == CCommandLineInfo::FileOpen &&
      ProcessBatchCommandLine(args, m_cmdInfo))
    return false;
  return true;
}

bool CTessalingvoraApp::OpenLog(const std::optional<std::u16string>& requested) {
  if (requested && !requested->empty()) {
    m_logPath = *requested;
    m_logIsTemporary = false;
    m_logReplacing = std::make_unique<tvl::ReplacingFile>(tvl::NativePath(m_logPath));
    int fd = m_logReplacing->IsOpen() ? ::dup(m_logReplacing->Descriptor()) : -1;
    if (fd >= 0 && (m_logFile = ::fdopen(fd, "wb")) != nullptr) return true;
    if (fd >= 0) ::close(fd);
    m_logReplacing.reset();
  }
  m_logIsTemporary = true;
  std::string path;
  int fd = tvl::CreateUniqueFile(tvl::NativePath(tvl::TempDirectory()), "log", ".TMP", path);
  m_logPath = tvl::FromUtf8(path);
  if (fd >= 0 && (m_logFile = ::fdopen(fd, "wb")) != nullptr) return true;
  if (fd >= 0) ::close(fd);
  // No file at all: the messages still reach someone.
  m_logFile = stderr;
  return false;
}

void CTessalingvoraApp::CloseLog() {
  if (m_logFile && m_logFile != stderr) std::fclose(m_logFile);
  m_logFile = nullptr;
  if (m_logReplacing) {
    m_logReplacing->Commit();
    m_logReplacing.reset();
  }
  if (m_logIsTemporary && !m_logPath.empty()) ::unlink(tvl::NativePath(m_logPath).c_str());
  m_logIsTemporary = false;
}

int CTessalingvoraApp::LogMessage(const std::u16string& text, UINT type) {
  UINT icon = type & MB_ICONMASK;
  std::u16string line;
  if (icon == MB_ICONERROR) {
    m_bErrorLogged = true;
    line = FormatMessageText(u"%1: %2\n", {Arg(LoadResString(IDS_LOG_ERROR)), Arg(text)});
  } else if (icon == MB_ICONWARNING || icon == MB_ICONQUESTION) {
    line = FormatMessageText(u"%1: %2\n", {Arg(LoadResString(IDS_LOG_WARNING)), Arg(text)});
  } else {
    line = FormatMessageText(u"%1\n", {Arg(text)});
  }
  if (m_logFile) {
    std::string bytes = tvl::ToUtf8(line);
    std::fwrite(bytes.data(), 1, bytes.size(), m_logFile);
    std::fflush(m_logFile);
  }
  return IDOK;
}

bool CTessalingvoraApp::ProcessBatchCommandLine(const std::u16string& rawCmdLine, const CCommandLineInfo& info) {
  return RunBatch(CCmdLineParser(rawCmdLine, false), info);
}

bool CTessalingvoraApp::ProcessBatchCommandLine(const std::vector<std::u16string>& args, const CCommandLineInfo& info) {
  return RunBatch(CCmdLineParser(args, false), info);
}

std::u16string CTessalingvoraApp::InteractiveStartProblem(const std::vector<std::u16string>& args,
                                                          const std::function<const char*(const char*)>& env) {
  auto set = [&env](const char* name) {
    const char* value = env(name);
    return value != nullptr && *value != 0;
  };
  if (set("DISPLAY") || set("WAYLAND_DISPLAY") || set("QT_QPA_PLATFORM")) return {};
  CCmdLineParser parser(args, false);
  if (parser.HasOption(u"build") || parser.HasOption(u"buildall"))
    return u"A batch build needs the project file as an argument: tessalingvora PROJECT.tvl /buildall";
  return u"The interactive program needs a display (DISPLAY or WAYLAND_DISPLAY is not set).";
}

bool CTessalingvoraApp::RunBatch(const CCmdLineParser& parser, const CCommandLineInfo& info) {
  bool buildAll = parser.HasOption(u"buildall");
  bool build = parser.HasOption(u"build");
  if (!buildAll && !build) return false;

  m_bBatchMode = true;
  OpenLog(parser.GetOptionValue(u"logfile"));
  CBatchLogSink sink(*this);
  CMessageSink* previous = SetMessageSink(&sink);

  DoMessageBox(IDS_BANNER, MB_OK);

  if (build && buildAll) {
    DoMessageBox(u"/build and /buildall are exclusive. /build is ignored.", MB_ICONWARNING);
    build = false;
  }

  bool ok = true;
  std::u16string spec, output, source;
  if (build) {
    spec = tvl::Trim(parser.GetOptionValue(u"build").value_or(u""));
    std::optional<std::u16string> out = parser.GetOptionValue(u"output");
    std::optional<std::u16string> src = parser.GetOptionValue(u"source");
    if (spec.empty()) {
      DoMessageBox(u"/build : modules and languages not specified.", MB_ICONERROR);
      ok = false;
    } else if (out && out->empty()) {
      DoMessageBox(u"/output : Filename not specified.", MB_ICONERROR);
      ok = false;
    } else if (src && src->empty()) {
      DoMessageBox(u"/source : Filename not specified.", MB_ICONERROR);
      ok = false;
    } else {
      output = out.value_or(u"");
      source = src.value_or(u"");
    }
  } else {
    spec = u"*";
    if (parser.HasOption(u"output") || parser.HasOption(u"source")) {
      DoMessageBox(u"/output and /source cannot be combined with /buildall.", MB_ICONERROR);
      ok = false;
    }
  }

  if (ok && m_batchBuild) {
    try {
      m_batchBuild(info.m_strFileName, spec, output, source);
    } catch (const std::bad_alloc&) {
      DoMessageBox(CMemoryException().GetErrorText(), MB_ICONERROR);
    }
  }

  SetMessageSink(previous);
  CloseLog();
  return true;
}

int CTessalingvoraApp::ExitInstance(int interactiveResult) const {
  if (m_bBatchMode) return m_bErrorLogged ? 1 : 0;
  return interactiveResult;
}

bool BatchBuildProject(const std::u16string& projectPath, const std::u16string& spec, const std::u16string& output,
                       const std::u16string& source) {
  // A private document without views, emptied and destroyed afterwards.
  CTvlDoc document;
  bool ok = document.RunBatchBuild(projectPath, spec, output, source);
  document.DeleteContents();
  return ok;
}
