// tvl-dump: what the resource walk and the language survey see in an executable.
//
//   tvl-dump FILE            every entry of the resource directory, in walk order
//   tvl-dump --walk FILE     the same
//   tvl-dump --load FILE     only what the table's Load hands on (types 1, 3, 240, 255,
//                            empty and unreadable entries left out)
//   tvl-dump --survey FILE   the language survey
//   tvl-dump --rewrite IN OUT  copy IN to OUT and write every resource of IN into OUT
//                            through the resource writer's two update passes
//
// Entry lines read "type name language size crc32": type and name as a decimal ordinal
// or a quoted name, the language as 4 hex digits, the size in decimal, the CRC-32 of the
// bytes as 8 hex digits ("--------" when the bytes cannot be read).
// Exit code 0, or 1 when the file cannot be read as a PE image, 2 on a usage error.
#include <cerrno>
#include <cstdio>
#include <new>
#include <cstring>
#include <string>
#include <string_view>

#include "archive/Exceptions.h"
#include "peimage/Crc32.h"
#include "peimage/LanguageSurvey.h"
#include "peimage/PeImage.h"
#include "peimage/ResStream.h"
#include "platform/Messages.h"
#include "platform/Text.h"
#include "project/Rewrite.h"
#include "resmodel/ResTableBase.h"

namespace {

std::string NameText(const CResName& name) {
  if (name.IsOrdinal()) return std::to_string(name.GetOrdinal());
  std::string out = "\"";
  for (char c : tvl::ToUtf8(name.GetName())) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

void PrintEntry(const CResName& type, const CResName& name, LANGID language, const BYTE* data, DWORD size) {
  char crc[16];
  if (data)
    std::snprintf(crc, sizeof crc, "%08x", static_cast<unsigned>(tvl::Crc32(data, size)));
  else
    std::snprintf(crc, sizeof crc, "--------");
  std::printf("%s %s %04x %u %s\n", NameText(type).c_str(), NameText(name).c_str(), static_cast<unsigned>(language),
              static_cast<unsigned>(size), crc);
}

// Why the last load failed, as the loaders leave it in errno.
std::string Reason() { return tvl::ToUtf8(CWin32Exception::SystemErrorText(errno ? errno : ENOEXEC)); }

int Walk(const char* path) {
  CPeImage image;
  errno = 0;
  if (!image.LoadFile(path)) {
    std::fprintf(stderr, "tvl-dump: %s: not a PE image or cannot be read: %s\n", path, Reason().c_str());
    return 1;
  }
  if (!image.HasResources()) {
    std::fprintf(stderr, "tvl-dump: %s: no resource directory\n", path);
    return 0;
  }
  for (const CPeResource& r : image.GetResources()) PrintEntry(r.type, r.name, r.language, r.data, r.size);
  return 0;
}

class CPrintingTable : public CResTableBase {
 public:
  void AddRawResource(CResStream& stream) override {
    PrintEntry(stream.m_type, stream.m_name, stream.m_language, stream.m_data, stream.m_size);
  }
};

int Load(const char* path) {
  CPrintingTable table;
  errno = 0;
  if (!table.Load(tvl::FromUtf8(path), kNoLanguage)) {
    std::fprintf(stderr, "tvl-dump: %s: cannot be loaded: %s\n", path, Reason().c_str());
    return 1;
  }
  return 0;
}

void PrintLanguages(const char* label, const std::vector<LANGID>& languages, const std::map<LANGID, int>* counts) {
  std::printf("%s:", label);
  for (LANGID l : languages) {
    if (counts)
      std::printf(" %04x (%d)", static_cast<unsigned>(l), counts->at(l));
    else
      std::printf(" %04x", static_cast<unsigned>(l));
  }
  std::printf("\n");
}

int Survey(const char* path) {
  CLanguageSurvey survey;
  errno = 0;
  if (!survey.Survey(tvl::FromUtf8(path))) {
    std::fprintf(stderr, "tvl-dump: %s: cannot be loaded: %s\n", path, Reason().c_str());
    return 1;
  }
  std::printf("single language: %s\n", survey.m_singleLanguage ? "yes" : "no");
  std::printf("resource count: %d\n", survey.m_resourceCount);
  PrintLanguages("resource languages", survey.m_resourceLanguages, &survey.m_counts);
  PrintLanguages("version languages", survey.m_versionLanguages, nullptr);
  std::printf("MFC clue: %s\n", survey.m_mfcClue ? "yes" : "no");
  std::printf("guessed language: %04x\n", static_cast<unsigned>(survey.GuessSourceLanguage()));
  return 0;
}

int Rewrite(const char* in, const char* out) {
  try {
    tvl::RewriteResult r = tvl::RewriteAllResources(in, out);
    std::printf("%zu resources written", r.written);
    if (r.skipped) std::printf(", %zu unreadable left out", r.skipped);
    std::printf("\n");
    return r.skipped ? 1 : 0;
  } catch (const CException& e) {
    std::fprintf(stderr, "tvl-dump: %s\n", e.what());
    return 1;
  }
}

struct Subcommand {
  const char* option;
  int argCount;  // arguments after the option
  int (*run)(char** args);
  const char* usage;
};

const Subcommand kSubcommands[] = {
    {"--walk", 1, [](char** a) { return Walk(a[0]); }, "--walk FILE      every resource directory entry"},
    {"--load", 1, [](char** a) { return Load(a[0]); }, "--load FILE      the resources the table reads"},
    {"--survey", 1, [](char** a) { return Survey(a[0]); }, "--survey FILE    the language survey"},
    {"--rewrite", 2, [](char** a) { return Rewrite(a[0], a[1]); }, "--rewrite IN OUT  every resource of IN written into a copy"},
};

void PrintUsage(std::FILE* to) {
  std::fprintf(to, "usage: tvl-dump FILE\n");
  for (const Subcommand& s : kSubcommands) std::fprintf(to, "       tvl-dump %s\n", s.usage);
}

int Usage() {
  PrintUsage(stderr);
  return 2;
}

}  // namespace

int Run(int argc, char** argv) {
  if (argc == 2 && argv[1][0] != '-') return Walk(argv[1]);
  if (argc < 2) return Usage();
  if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
    std::printf("tvl-dump: what the resource walk and the language survey see in a Windows executable.\n\n");
    PrintUsage(stdout);
    std::printf("\nExit code 0, or 1 when the file cannot be read as a PE image, 2 on a usage error.\n");
    return 0;
  }
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::printf("tvl-dump %s", tvl::ToUtf8(LoadResString(IDS_BANNER)).c_str());
    return 0;
  }
  for (const Subcommand& s : kSubcommands) {
    if (std::strcmp(argv[1], s.option) == 0) {
      if (argc - 2 != s.argCount) return Usage();
      return s.run(argv + 2);
    }
  }
  return Usage();
}

int main(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "tvl-dump: %s\n", tvl::ToUtf8(CMemoryException().GetErrorText()).c_str());
    return 1;
  }
}
