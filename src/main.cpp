// Process entry: a batch build never creates a GUI object; everything else is interactive.
#include <cstdio>
#include <string>
#include <vector>

#include "app/TessalingvoraApp.h"
#include "platform/Text.h"
#ifdef TVL_HAVE_GUI
#include "ui/GuiApplication.h"
#endif

int main(int argc, char** argv) {
  std::vector<std::u16string> args;
  for (int i = 0; i < argc; ++i) args.push_back(tvl::FromUtf8(argv[i]));

  CTessalingvoraApp app;
  if (!app.InitInstance(args)) return app.ExitInstance();
#ifdef TVL_HAVE_GUI
  return RunInteractive(argc, argv, app);
#else
  std::fprintf(stderr, "This build has no interactive interface.\n");
  return 1;
#endif
}
