// Arbitrary command-line text through the option parser and the start-up argument reader.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "app/CmdLineParser.h"
#include "app/TessalingvoraApp.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::u16string text;
  for (size_t i = 0; i + 1 < size; i += 2) text += static_cast<char16_t>(data[i] | (data[i + 1] << 8));

  CCmdLineParser parser(text, false);
  for (const auto& [name, value] : parser.Options()) {
    if (!parser.HasOption(name) || !parser.GetOptionValue(name)) __builtin_trap();
  }
  parser.GetOptionValue(u"logfile");

  // The same text split at spaces, as argv would be.
  std::vector<std::u16string> args;
  size_t start = 0;
  while (start <= text.size()) {
    size_t sp = text.find(u' ', start);
    if (sp == std::u16string::npos) sp = text.size();
    args.push_back(text.substr(start, sp - start));
    start = sp + 1;
  }
  CCmdLineParser again(CTessalingvoraApp::RawCommandLine(args), false);
  CCmdLineParser separate(args, false);
  for (const auto& [name, value] : separate.Options())
    if (!separate.HasOption(name)) __builtin_trap();
  CTessalingvoraApp::ParseCommandLine(args);
  return 0;
}
