#include "cli/TmCommands.h"

#include <cerrno>
#include <ctime>
#include <ostream>

#include "archive/Exceptions.h"
#include "checks/CheckReport.h"
#include "cli/TvlCommands.h"
#include "platform/Files.h"
#include "platform/Messages.h"
#include "platform/Text.h"
#include "project/TvlDoc.h"
#include "tm/ProjectMemory.h"
#include "tm/Tmx.h"

namespace tvl::cli {

const char* const kTmHelp =
    "usage: tvl tm add PROJECT.tvl [--lang L] [--memory FILE]\n"
    "       tvl tm import FILE.tmx [--memory FILE]\n"
    "       tvl tm export FILE.tmx [--memory FILE]\n"
    "       tvl tm lookup TEXT --source-lang L --lang L [--min-match PERCENT] [--memory FILE]\n"
    "The translation memory: every translation made, for pre-translation and the matches\n"
    "the translation editor shows.\n"
    "  add     the project's translated texts (of language L, default: all)\n"
    "  import  the translation units of a TMX file (1.1 to 1.4, from any tool)\n"
    "  export  every segment as TMX 1.4 (- for standard output)\n"
    "  lookup  the best matches for TEXT: percentage, stored source and suggestion\n"
    "  --memory FILE  the memory to use (default: $XDG_DATA_HOME/tessalingvora/memory.tm)\n";

const char* const kPretranslateHelp =
    "usage: tvl pretranslate PROJECT.tvl --lang L [--min-match PERCENT] [--memory FILE]\n"
    "Fills the untranslated texts of language L from the translation memory: exact matches\n"
    "as translated, matches of at least PERCENT (default 100: exact only) as not up to date,\n"
    "for a translator to review. Prints how many were filled.\n"
    "  --memory FILE  the memory to use (default: $XDG_DATA_HOME/tessalingvora/memory.tm)\n";

namespace {

std::int64_t Now() { return static_cast<std::int64_t>(std::time(nullptr)); }

bool OpenMemory(CTranslationMemory& memory, const Options& o) {
  try {
    memory.Open(o.Get("--memory").value_or(CTranslationMemory::DefaultPath()));
    return true;
  } catch (const CTmError& e) {
    DoMessageBox(MemoryErrorText(memory, e), MB_ICONERROR);
    return false;
  }
}

int MinMatch(const Options& o) {
  std::string text = o.Get("--min-match").value_or("100");
  size_t used = 0;
  int value = 0;
  try {
    value = std::stoi(text, &used);
  } catch (...) {
    used = 0;
  }
  if (used == 0 || used != text.size() || value < 1 || value > 100) throw UsageError{"--min-match takes a percentage from 1 to 100"};
  return value;
}

int Add(const Options& o, CTranslationMemory& memory, std::ostream& out) {
  if (o.positional.size() != 1) throw UsageError{"tvl tm add PROJECT.tvl [--lang L] [--memory FILE]"};
  LANGID language = o.Get("--lang") ? RequireLanguage(*o.Get("--lang")) : 0;
  CTvlDoc doc;
  if (!Open(doc, o.positional[0])) return 1;
  std::vector<CTmSegment> segments = ProjectSegments(doc, language, Now());
  size_t added = memory.Add(segments);
  out << segments.size() << " translations, " << added << " new in " << memory.GetPath() << "\n";
  return 0;
}

int Import(const Options& o, CTranslationMemory& memory, std::ostream& out) {
  if (o.positional.size() != 1) throw UsageError{"tvl tm import FILE.tmx [--memory FILE]"};
  std::string bytes, error;
  if (!ReadRegularFile(o.positional[0], kMaxExchangeFileSize, bytes)) {
    DoMessageBox(FormatMessageText(u"Cannot read %1.  %2", {Arg(FromUtf8(o.positional[0])),
                                                           Arg(CWin32Exception::SystemErrorText(errno))}),
                 MB_ICONERROR);
    return 1;
  }
  std::vector<CTmSegment> segments;
  if (!ReadTmx(bytes, segments, error)) {
    DoMessageBox(FormatMessageText(u"%1: %2", {Arg(FromUtf8(o.positional[0])), Arg(FromUtf8(error))}), MB_ICONERROR);
    return 1;
  }
  size_t added = memory.Add(segments);
  out << segments.size() << " translations read, " << added << " new in " << memory.GetPath() << "\n";
  return 0;
}

int Export(const Options& o, CTranslationMemory& memory, std::ostream& out) {
  if (o.positional.size() != 1) throw UsageError{"tvl tm export FILE.tmx [--memory FILE]"};
  std::vector<CTmSegment> segments;
  memory.ForEach([&](const CTmSegment& s) { segments.push_back(s); });
  return WriteOutput(o.positional[0], WriteTmx(segments), out);
}

int Lookup(const Options& o, CTranslationMemory& memory, std::ostream& out) {
  if (o.positional.size() != 1 || !o.Has("--source-lang") || !o.Has("--lang"))
    throw UsageError{"tvl tm lookup TEXT --source-lang L --lang L [--min-match PERCENT] [--memory FILE]"};
  LANGID source = RequireLanguage(*o.Get("--source-lang")), target = RequireLanguage(*o.Get("--lang"));
  int minMatch = o.Has("--min-match") ? MinMatch(o) : 70;
  for (const CTmMatch& m : memory.Lookup(LanguageTag(source), LanguageTag(target), FromUtf8(o.positional[0]), minMatch, 3))
    out << m.m_percent << "%\t" << ToUtf8(m.m_segment.m_source) << "\t" << ToUtf8(m.m_suggestion) << "\n";
  return 0;
}

}  // namespace

int CmdTm(const std::vector<std::string>& args, std::ostream& out) {
  const std::string action = args.size() > 1 ? args[1] : "";
  Options o = Parse(args, 2, {"--memory", "--lang", "--source-lang", "--min-match"}, {});
  static const std::map<std::string, int (*)(const Options&, CTranslationMemory&, std::ostream&)> kActions = {
      {"add", Add}, {"import", Import}, {"export", Export}, {"lookup", Lookup}};
  auto run = kActions.find(action);
  if (run == kActions.end()) throw UsageError{action.empty() ? "tvl tm needs add, import, export or lookup"
                                                             : "unknown tm action '" + action + "'"};
  CTranslationMemory memory;
  if (!OpenMemory(memory, o)) return 1;
  try {
    return run->second(o, memory, out);
  } catch (const CTmError& e) {
    DoMessageBox(MemoryErrorText(memory, e), MB_ICONERROR);
    return 1;
  }
}

int CmdPretranslate(const Options& o, std::ostream& out) {
  if (o.positional.size() != 1 || !o.Has("--lang"))
    throw UsageError{"tvl pretranslate PROJECT.tvl --lang L [--min-match PERCENT] [--memory FILE]"};
  LANGID language = RequireLanguage(*o.Get("--lang"));
  int minMatch = MinMatch(o);
  CTranslationMemory memory;
  if (!OpenMemory(memory, o)) return 1;
  CTvlDoc doc;
  if (!Open(doc, o.positional[0])) return 1;
  if (!IsTargetLanguage(doc, language, *o.Get("--lang"))) return 1;
  CPretranslateResult result;
  try {
    if (!Pretranslate(doc, memory, language, minMatch, result)) {
      out << PretranslateSummary(result, language, minMatch) << "\n";
      return 0;
    }
  } catch (const CTmError& e) {
    DoMessageBox(MemoryErrorText(memory, e), MB_ICONERROR);
    return 1;
  }
  if (!Save(doc)) return 1;
  out << PretranslateSummary(result, language, minMatch) << "\n";
  return 0;
}

}  // namespace tvl::cli
