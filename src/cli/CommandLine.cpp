#include "cli/CommandLine.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>

#include "archive/Exceptions.h"
#include "cli/TvlCommands.h"
#include "platform/Files.h"
#include "platform/Messages.h"
#include "platform/Text.h"
#include "project/TvlDoc.h"

namespace tvl::cli {

Options Parse(const std::vector<std::string>& args, size_t from, const std::vector<std::string>& valued,
              const std::vector<std::string>& flagNames) {
  Options o;
  for (size_t i = from; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a.rfind("--", 0) != 0 && !(a.size() == 2 && a[0] == '-' && a[1] != '-')) {
      o.positional.push_back(a);
      continue;
    }
    std::string name = a, value;
    bool inlineValue = false;
    if (size_t eq = a.find('='); eq != std::string::npos) {
      name = a.substr(0, eq);
      value = a.substr(eq + 1);
      inlineValue = true;
    }
    if (name == "-o") name = "--output";
    if (name == "--font") {
      if (i + 3 >= args.size()) throw UsageError{"--font needs a language, a face name and a size"};
      o.values.emplace(name, args[i + 1] + '\n' + args[i + 2] + '\n' + args[i + 3]);
      i += 3;
      continue;
    }
    if (std::find(valued.begin(), valued.end(), name) != valued.end()) {
      if (!inlineValue) {
        if (i + 1 >= args.size()) throw UsageError{name + " needs a value"};
        value = args[++i];
      }
      o.values.emplace(name, value);
    } else if (std::find(flagNames.begin(), flagNames.end(), name) != flagNames.end()) {
      o.flags.push_back(name);
    } else {
      throw UsageError{"unknown option " + name};
    }
  }
  return o;
}

LANGID RequireLanguage(const std::string& text) {
  auto l = ParseLanguageArgument(text);
  if (!l) throw UsageError{"unknown language '" + text + "'"};
  return *l;
}

std::u16string Absolute(const std::string& path) {
  std::error_code ec;
  auto p = std::filesystem::absolute(path, ec);
  return FromUtf8(ec ? path : p.lexically_normal().string());
}

bool Open(CTvlDoc& doc, const std::string& project) { return doc.OnOpenDocument(Absolute(project)); }

bool IsTargetLanguage(const CTvlDoc& doc, LANGID language, const std::string& text) {
  if (doc.m_languages.Find(language) >= 0) return true;
  DoMessageBox(FormatMessageText(u"%1 is not a target language of the project.", {Arg(FromUtf8(text))}), MB_ICONERROR);
  return false;
}

bool Save(CTvlDoc& doc) { return doc.OnSaveDocument(doc.GetPathName()); }

int WriteOutput(const std::optional<std::string>& output, const std::string& text, std::ostream& out) {
  if (!output || *output == "-") {
    out << text;
    return 0;
  }
  tvl::ReplacingFile file(*output);
  if (!file.IsOpen() || !file.Write(text) || !file.Commit()) {
    DoMessageBox(FormatMessageText(u"Cannot write %1.  %2", {Arg(FromUtf8(*output)),
                                                            Arg(CWin32Exception::SystemErrorText(errno))}),
                 MB_ICONERROR);
    return 1;
  }
  return 0;
}

}  // namespace tvl::cli
