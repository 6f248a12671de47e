// Process entry: a batch build never creates a GUI object; everything else is interactive.
#include <cstdio>
#include <cstdlib>
#include <new>
#include <cstring>
#include <string>
#include <vector>

#include "app/TessalingvoraApp.h"
#include "archive/Exceptions.h"
#include "platform/Messages.h"
#include "platform/Text.h"
#ifdef TVL_HAVE_GUI
#include "ui/GuiApplication.h"
#endif

namespace {

const char kUsage[] =
    "usage: tessalingvora [PROJECT.tvl]\n"
    "  or:  tessalingvora PROJECT.tvl /build:MODULES[:LANGUAGES] [/output:FILE] [/source:FILE] [/logfile:FILE]\n"
    "  or:  tessalingvora PROJECT.tvl /buildall [/logfile:FILE]\n"
    "\n"
    "Without a build option the interactive program opens the project (or a new one).\n"
    "MODULES and LANGUAGES are patterns with * and ?; the exit code of a build is 0 when\n"
    "no error was logged.\n";

// Answered before anything needs a display.
bool AnswerInfoRequest(int argc, char** argv) {
  if (argc < 2) return false;
  if (std::strcmp(argv[1], "--help") == 0) {
    std::fputs(kUsage, stdout);
    return true;
  }
  if (std::strcmp(argv[1], "--version") == 0) {
    std::fputs(tvl::ToUtf8(LoadResString(IDS_BANNER)).c_str(), stdout);
    return true;
  }
  return false;
}

int Run(int argc, char** argv) {
  if (AnswerInfoRequest(argc, argv)) return 0;
  std::vector<std::u16string> args;
  for (int i = 0; i < argc; ++i) args.push_back(tvl::FromUtf8(argv[i]));

  CTessalingvoraApp app;
  if (!app.InitInstance(args)) return app.ExitInstance();
  // Without a display the toolkit would abort with no word of why.
  std::u16string problem = CTessalingvoraApp::InteractiveStartProblem(args, [](const char* n) { return std::getenv(n); });
  if (!problem.empty()) {
    std::fprintf(stderr, "tessalingvora: %s\n", tvl::ToUtf8(problem).c_str());
    return 1;
  }
#ifdef TVL_HAVE_GUI
  return RunInteractive(argc, argv, app);
#else
  std::fprintf(stderr, "This build has no interactive interface.\n");
  return 1;
#endif
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "tessalingvora: %s\n", tvl::ToUtf8(CMemoryException().GetErrorText()).c_str());
    return 1;
  }
}
