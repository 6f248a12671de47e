#include "cli/TvlCommands.h"

#include "cli/CommandLine.h"
#include "cli/TmCommands.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <new>
#include <set>
#include <ostream>
#include <sstream>

#include <spawn.h>
#include <sys/wait.h>

#include "archive/Exceptions.h"
#include "checks/CheckReport.h"
#include "checks/CheckSettings.h"
#include "checks/ProjectChecker.h"
#include "checks/PseudoLocalizer.h"
#include "languages/AvailableLanguages.h"
#include "languages/Language.h"
#include "peimage/LanguageSurvey.h"
#include "platform/Files.h"
#include "platform/LocaleTable.h"
#include "platform/Messages.h"
#include "platform/Paths.h"
#include "platform/Profile.h"
#include "platform/SettingsStore.h"
#include "platform/Text.h"
#include "project/ModuleFile.h"
#include "project/ParallelBuild.h"
#include "project/TextExchange.h"
#include "project/TextItems.h"
#include "project/TvlDoc.h"

namespace {

using tvl::FromUtf8;
using tvl::ToUtf8;
using namespace tvl::cli;

// Messages of the core as log lines on stderr; questions are answered OK, as in a batch run.
class CStreamSink : public CMessageSink {
 public:
  explicit CStreamSink(std::ostream& err) : m_err(err) {}
  int Show(const std::u16string& text, UINT type, UINT) override {
    UINT icon = type & MB_ICONMASK;
    if (icon == MB_ICONERROR) {
      m_errors = true;
      m_err << "Error: ";
    } else if (icon == MB_ICONWARNING || icon == MB_ICONQUESTION) {
      m_err << "Warning: ";
    }
    m_err << ToUtf8(text);
    if (text.empty() || text.back() != u'\n') m_err << '\n';
    return IDOK;
  }
  bool m_errors = false;

 private:
  std::ostream& m_err;
};

CModule* FindModuleArg(CTvlDoc& doc, const std::string& name) {
  int i = doc.FindModuleByName(FromUtf8(name));
  if (i < 0) i = doc.FindModuleByName(tvl::PathFindFileName(FromUtf8(name)));
  if (i < 0) {
    DoMessageBox(FormatMessageText(u"Module %1 is not in the project.", {Arg(FromUtf8(name))}), MB_ICONERROR);
    return nullptr;
  }
  return doc.m_modules[static_cast<size_t>(i)].get();
}

// ---------------------------------------------------------------------------------------

int CmdNew(const Options& o) {
  if (o.positional.size() != 1) throw UsageError{"tvl new PROJECT.tvl [--source-lang L] [--force]"};
  std::u16string path = Absolute(o.positional[0]);
  if (tvl::PathFileExists(path) && !o.Has("--force")) {
    DoMessageBox(FormatMessageText(u"%1 already exists (use --force to replace it).", {Arg(path)}), MB_ICONERROR);
    return 1;
  }
  CTvlDoc doc;
  if (auto l = o.Get("--source-lang")) doc.m_sourceLanguage.SetLanguage(RequireLanguage(*l));
  return doc.OnSaveDocument(path) ? 0 : 1;
}

int CmdInsert(const Options& o) {
  if (o.positional.size() != 2) throw UsageError{"tvl insert PROJECT.tvl FILE [--source-lang L] [--mfc yes|no|unknown] [--satellite] [--lang L]..."};
  CTvlDoc doc;
  if (!Open(doc, o.positional[0])) return 1;
  // Relative names are taken from the current folder, as a shell user means them.
  std::u16string file = tvl::Trim(FromUtf8(o.positional[1]));
  if (!file.empty() && tvl::PathIsRelative(file)) file = Absolute(ToUtf8(file));
  CModuleFileCheck check = CheckModuleFile(&doc, file, nullptr, true);
  if (check.m_problem != ModuleFileProblem::None) {
    DoMessageBox(check.Text(), MB_ICONERROR);
    return 1;
  }
  const std::u16string& full = check.m_fullPath;
  const CLanguageSurvey& survey = check.m_survey;
  LANGID source = doc.m_sourceLanguage.GetLanguage();
  if (auto l = o.Get("--source-lang")) source = RequireLanguage(*l);
  if (source == 0) source = survey.GuessSourceLanguage();
  int usesMfc = survey.m_mfcClue ? 1 : 0;
  if (auto m = o.Get("--mfc")) {
    if (*m == "yes")
      usesMfc = 1;
    else if (*m == "no")
      usesMfc = 0;
    else if (*m == "unknown")
      usesMfc = 2;
    else
      throw UsageError{"--mfc takes yes, no or unknown"};
  }
  auto module = std::make_unique<CModule>(full, source, usesMfc);
  module->SetDocument(&doc);
  if (!module->LoadFromFile()) {
    DoMessageBox(FormatMessageText(u"Failed to load file %1", {Arg(full)}), MB_ICONERROR);
    return 1;
  }
  if (o.Has("--satellite")) {
    module->m_satelliteDll = true;
    module->m_noDuplicateNeutral = false;
  }
  CLanguageArray languages;
  for (const std::string& l : o.All("--lang")) {
    LANGID id = RequireLanguage(l);
    if (id != source && languages.Find(id) < 0) languages.Add(CLanguage(id));
  }
  doc.InsertModule(std::move(module), source, languages);
  return Save(doc) ? 0 : 1;
}

int CmdLanguages(const Options& o, std::ostream& out) {
  if (o.positional.size() != 1) throw UsageError{"tvl languages PROJECT.tvl [--add L]... [--remove L]... [--font L FACE SIZE]"};
  CTvlDoc doc;
  if (!Open(doc, o.positional[0])) return 1;
  if (!o.Has("--add") && !o.Has("--remove") && !o.Has("--font")) {
    auto line = [&](const CLanguage& l, bool source) {
      std::u16string name = l.GetName();
      out << tvl::ToUtf8(source ? FormatSourceLanguage(name) : name) << "\t0x" << std::hex << l.GetLanguage()
          << std::dec << '\t' << ToUtf8(LanguageAbbreviation(l.GetLanguage())) << '\t'
          << ToUtf8(FormatCodePage(LanguageCodePage(l.GetLanguage()).codePage)) << '\t'
          << ToUtf8(FormatPreviewFont(l)) << '\n';
    };
    if (doc.m_sourceLanguage.GetLanguage()) line(doc.m_sourceLanguage, true);
    for (const CLanguage& l : doc.m_languages) line(l, false);
    return 0;
  }
  if (!doc.CanDefineLanguages()) return 1;
  CLanguageArray working = doc.m_languages;
  for (const std::string& r : o.All("--remove")) {
    int i = working.Find(RequireLanguage(r));
    if (i >= 0) working.RemoveAt(i);
  }
  for (const std::string& a : o.All("--add")) {
    LANGID id = RequireLanguage(a);
    if (id == doc.m_sourceLanguage.GetLanguage()) {
      DoMessageBox(u"The source language cannot be a target language.", MB_ICONERROR);
      return 1;
    }
    if (working.Find(id) < 0) working.Add(CLanguage(id));
  }
  for (const std::string& f : o.All("--font")) {
    std::istringstream parts(f);
    std::string lang, face, size;
    std::getline(parts, lang);
    std::getline(parts, face);
    std::getline(parts, size);
    int i = working.Find(RequireLanguage(lang));
    if (i < 0) throw UsageError{"--font: " + lang + " is not a target language"};
    if (size.empty() || size.size() > 4 || !std::all_of(size.begin(), size.end(), [](char c) { return c >= '0' && c <= '9'; }))
      throw UsageError{"--font: the size must be a number of points"};
    working[i].SetPreviewFont(FromUtf8(face), static_cast<DWORD>(std::stoul(size)));
  }
  doc.ApplyLanguages(working);
  return doc.IsModified() ? (Save(doc) ? 0 : 1) : 0;
}

int CmdBuild(const Options& o, std::ostream& out) {
  if (o.positional.size() != 1)
    throw UsageError{"tvl build PROJECT.tvl [--module PATTERN] [--lang PATTERN] [--output FILE] [--source FILE] [--jobs N] [--dry-run]"};
  if (auto jobs = o.Get("--jobs")) {
    const std::string& n = *jobs;
    if (n.empty() || n.size() > 4 || !std::all_of(n.begin(), n.end(), [](char c) { return c >= '0' && c <= '9'; }) ||
        std::stoul(n) == 0)
      throw UsageError{"--jobs: a number of targets to build at once, 1 or more"};
    SetBuildJobs(static_cast<unsigned>(std::stoul(n)));
  }
  struct DefaultJobsAfter {
    ~DefaultJobsAfter() { SetBuildJobs(0); }
  } restore;
  std::u16string spec = FromUtf8(o.Get("--module").value_or("*"));
  if (auto l = o.Get("--lang")) spec += u":" + FromUtf8(*l);
  CTvlDoc doc;
  std::vector<std::u16string> plan;
  const bool dryRun = o.Has("--dry-run");
  std::u16string source = o.Get("--source") ? Absolute(*o.Get("--source")) : std::u16string();
  bool ok = doc.RunBatchBuild(Absolute(o.positional[0]), spec, FromUtf8(o.Get("--output").value_or("")), source,
                              dryRun ? &plan : nullptr);
  for (const auto& path : plan) out << ToUtf8(path) << "\n";
  return ok ? 0 : 1;
}

int CmdUpdate(const Options& o) {
  if (o.positional.empty()) throw UsageError{"tvl update PROJECT.tvl [MODULE]..."};
  CTvlDoc doc;
  if (!Open(doc, o.positional[0])) return 1;
  std::vector<CModule*> modules;
  if (o.positional.size() == 1) {
    for (const auto& m : doc.m_modules) modules.push_back(m.get());
  } else {
    for (size_t i = 1; i < o.positional.size(); ++i) {
      CModule* m = FindModuleArg(doc, o.positional[i]);
      if (!m) return 1;
      modules.push_back(m);
    }
  }
  bool ok = true;
  for (CModule* m : modules) ok = doc.UpdateSource(m) && ok;  // the sink answers OK to its question
  if (!doc.IsModified()) return ok ? 0 : 1;
  return Save(doc) && ok ? 0 : 1;
}

// The chosen language stands in for the import dialog.
class CFixedChoices : public CUserChoices {
 public:
  explicit CFixedChoices(LANGID language) : m_language(language) {}
  LANGID ChooseImportLanguage(const CModule&, const std::u16string&, LANGID) override { return m_language; }
  std::vector<LANGID> ChooseScribeLanguages(const std::u16string&, const CLanguageArray&) override { return {}; }

 private:
  LANGID m_language;
};

int CmdImportExe(const Options& o) {
  if (o.positional.size() != 3 || !o.Has("--lang")) throw UsageError{"tvl import-exe PROJECT.tvl MODULE TRANSLATED.exe --lang L"};
  LANGID language = RequireLanguage(*o.Get("--lang"));
  CTvlDoc doc;
  if (!Open(doc, o.positional[0])) return 1;
  CModule* m = FindModuleArg(doc, o.positional[1]);
  if (!m) return 1;
  CFixedChoices choices(language);
  if (!doc.ImportTranslation(m, Absolute(o.positional[2]), choices)) return 1;
  return Save(doc) ? 0 : 1;
}

struct Counts {
  long notTranslated = 0, notUpToDate = 0, translated = 0, edited = 0, words = 0;
};

long CountWords(const std::u16string& text) {
  long words = 0;
  bool in = false;
  for (char16_t c : text) {
    bool letter = !(c == u' ' || c == u'\t' || c == u'\n' || c == u'\r');
    if (letter && !in) ++words;
    in = letter;
  }
  return words;
}

void Count(Counts& c, int status, bool hasTranslation, long words) {
  if (status == 2)
    ++c.edited;
  else if (status == 1)
    ++c.translated;
  else if (hasTranslation)
    ++c.notUpToDate;
  else
    ++c.notTranslated;
  c.words += words;
}

// The counts of one resource type of a module in one language: its text items (the ones an
// export lists), or for a type without text its translatable resources, each as one item.
Counts CountType(const CResourceType& type, const std::vector<const CExchangeItem*>& items, bool hasText,
                 LANGID lang) {
  Counts c;
  if (hasText) {
    for (const CExchangeItem* item : items) {
      const CLocalizedParam* node = item->m_value->FindValue(lang);
      Count(c, item->m_value->EffectiveStatus(lang), node && node != item->m_value,
            CountWords(item->m_value->m_text));
    }
    return c;
  }
  for (const auto& r : type.m_resources)
    if (r->IsTranslatable()) Count(c, r->GetStatus(lang), r->HasTranslation(lang), 0);
  return c;
}

int CmdStats(const Options& o, std::ostream& out) {
  if (o.positional.size() != 1) throw UsageError{"tvl stats PROJECT.tvl [--json]"};
  CTvlDoc doc;
  if (!Open(doc, o.positional[0])) return 1;
  bool json = o.Has("--json");
  if (json) out << "[";
  bool first = true;
  for (const auto& m : doc.m_modules) {
    std::vector<CExchangeItem> all;
    tvl::CollectModuleItems(*m, all);
    std::string module = ToUtf8(m->GetName());
    for (CResourceType* t : m->m_resTable.GetTypes()) {
      if (t->GetCount() == 0) continue;
      // An item belongs to the type its id names; items marked do not translate are no work.
      std::string prefix = module + "/" + ToUtf8(t->m_identifier.GetText(true)) + "/";
      std::vector<const CExchangeItem*> items;
      bool hasText = false;
      for (const CExchangeItem& item : all) {
        if (item.m_id.compare(0, prefix.size(), prefix) != 0) continue;
        hasText = true;
        if (!item.m_doNotTranslate) items.push_back(&item);
      }
      for (const CLanguage& l : doc.m_languages) {
        LANGID lang = l.GetLanguage();
        Counts c = CountType(*t, items, hasText, lang);
        std::string type = ToUtf8(t->GetDisplayName()), abbrev = ToUtf8(LanguageAbbreviation(lang));
        if (json) {
          auto q = [](const std::string& s) {
            std::string r = "\"";
            for (char ch : s) {
              if (ch == '"' || ch == '\\') r += '\\';
              r += ch;
            }
            return r + "\"";
          };
          out << (first ? "" : ",") << "\n  {\"module\": " << q(module) << ", \"type\": " << q(type)
              << ", \"language\": " << q(abbrev) << ", \"notTranslated\": " << c.notTranslated
              << ", \"notUpToDate\": " << c.notUpToDate << ", \"translated\": " << c.translated
              << ", \"edited\": " << c.edited << ", \"words\": " << c.words << "}";
        } else {
          out << module << '\t' << type << '\t' << abbrev << "\tnot translated " << c.notTranslated
              << "\tnot up to date " << c.notUpToDate << "\ttranslated " << c.translated << "\tedited " << c.edited
              << "\twords " << c.words << '\n';
        }
        first = false;
      }
    }
  }
  if (json) out << "\n]\n";
  return 0;
}

int CmdDump(const Options& o, std::ostream& out) {
  if (o.positional.size() != 1) throw UsageError{"tvl dump PROJECT.tvl"};
  CTvlDoc doc;
  if (!Open(doc, o.positional[0])) return 1;
  for (const auto& m : doc.m_modules) {
    out << "Module " << ToUtf8(m->GetName()) << " (" << ToUtf8(m->GetSourcePath()) << ")\n";
    // Every file a build of the module would write, so a project from elsewhere can be checked.
    for (const CLanguage& l : doc.m_languages) {
      out << "Target " << ToUtf8(LanguageAbbreviation(l.GetLanguage())) << " ";
      try {
        out << ToUtf8(m->MakeFullPath(m->GetTargetFileName(l.GetLanguage()))) << "\n";
      } catch (const CException& e) {
        out << "(" << ToUtf8(e.GetErrorText()) << ")\n";
      }
    }
    m->m_resTable.Dump(out);
  }
  return 0;
}

int CmdExport(const Options& o, std::ostream& out) {
  if (o.positional.size() != 1 || !o.Has("--lang"))
    throw UsageError{"tvl export PROJECT.tvl --lang L [--format xliff|xliff2|po|json] [--only todo|all] [--template] [-o OUT]"};
  LANGID language = RequireLanguage(*o.Get("--lang"));
  std::string formatName = o.Get("--format").value_or("xliff");
  ExchangeFormat format;
  if (formatName == "xliff")
    format = ExchangeFormat::kXliff;
  else if (formatName == "xliff2")
    format = ExchangeFormat::kXliff2;
  else if (formatName == "po")
    format = ExchangeFormat::kPo;
  else if (formatName == "json")
    format = ExchangeFormat::kJson;
  else
    throw UsageError{"--format takes xliff, xliff2, po or json"};
  std::string only = o.Get("--only").value_or("all");
  if (only != "todo" && only != "all") throw UsageError{"--only takes todo or all"};
  CTvlDoc doc;
  if (!Open(doc, o.positional[0])) return 1;
  if (doc.m_languages.Find(language) < 0) {
    DoMessageBox(FormatMessageText(u"%1 is not a target language of the project.", {Arg(FromUtf8(*o.Get("--lang")))}),
                 MB_ICONERROR);
    return 1;
  }
  std::string text = tvl::WriteExchange(tvl::BuildExport(doc, language, only == "todo", o.Has("--template")), format);
  return WriteOutput(o.Get("--output"), text, out);
}

int CmdImport(const Options& o) {
  if (o.positional.size() != 2 || !o.Has("--lang")) throw UsageError{"tvl import PROJECT.tvl --lang L FILE"};
  LANGID language = RequireLanguage(*o.Get("--lang"));
  std::string bytes;
  if (!tvl::ReadRegularFile(o.positional[1], kMaxExchangeFileSize, bytes)) {
    DoMessageBox(FormatMessageText(u"Cannot read %1.  %2", {Arg(FromUtf8(o.positional[1])),
                                                           Arg(CWin32Exception::SystemErrorText(errno))}),
                 MB_ICONERROR);
    return 1;
  }
  // The whole file is read before the project is opened; a fault leaves the project alone.
  ImportFile file;
  std::string error;
  if (!tvl::ReadExchange(bytes, tvl::GuessFormat(bytes), file, error)) {
    DoMessageBox(FormatMessageText(u"%1: %2", {Arg(FromUtf8(o.positional[1])), Arg(FromUtf8(error))}), MB_ICONERROR);
    return 1;
  }
  CTvlDoc doc;
  if (!Open(doc, o.positional[0])) return 1;
  tvl::ImportResult result;
  if (!tvl::ApplyImport(doc, language, file, result)) return 1;
  if (!doc.IsModified()) return 0;
  return Save(doc) ? 0 : 1;
}

// Pictures need the window toolkit, which tvl does not link: the picture tool beside this
// program draws them.
int CmdRender(const std::vector<std::string>& args, std::ostream& err) {
  std::error_code ec;
  std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  std::filesystem::path tool = self.parent_path() / "tvl-render";
  if (ec || !std::filesystem::exists(tool)) {
    err << "tvl render: the picture tool tvl-render was not found next to tvl\n";
    return 1;
  }
  std::vector<std::string> argv{tool.string()};
  argv.insert(argv.end(), args.begin() + 1, args.end());
  std::vector<char*> raw;
  for (std::string& a : argv) raw.push_back(a.data());
  raw.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawn(&pid, raw[0], nullptr, nullptr, raw.data(), environ) != 0) {
    err << "tvl render: cannot start " << tool.string() << "\n";
    return 1;
  }
  int status = 0;
  if (waitpid(pid, &status, 0) < 0) return 1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}


// The --lang values as target languages of the project; every target language without them.
std::optional<std::vector<LANGID>> TargetLanguages(const CTvlDoc& doc, const Options& o) {
  std::vector<LANGID> languages;
  for (const std::string& l : o.All("--lang")) {
    LANGID id = RequireLanguage(l);
    if (doc.m_languages.Find(id) < 0) {
      DoMessageBox(FormatMessageText(u"%1 is not a target language of the project.", {Arg(FromUtf8(l))}), MB_ICONERROR);
      return std::nullopt;
    }
    languages.push_back(id);
  }
  if (languages.empty())
    for (const CLanguage& l : doc.m_languages) languages.push_back(l.GetLanguage());
  return languages;
}

// The check settings of the user's settings file (or of --settings FILE), with the command
// line's options over them.
std::optional<CCheckSettings> CheckSettings(const Options& o) {
  CCheckSettings settings;
  std::u16string path = o.Get("--settings") ? Absolute(*o.Get("--settings")) : tvl::DefaultSettingsPath();
  std::optional<tvl::CProfileFile> file = tvl::CProfileFile::Load(tvl::NativePath(path));
  if (file) {
    settings.Load(tvl::CProfileSettingsStore(std::move(*file)));
  } else if (o.Get("--settings")) {
    DoMessageBox(FormatMessageText(u"The settings file %1 cannot be read.", {Arg(path)}), MB_ICONERROR);
    return std::nullopt;
  }
  if (auto rules = o.Get("--rules")) {
    std::set<std::string> chosen;
    for (size_t from = 0; from <= rules->size();) {
      size_t comma = std::min(rules->find(',', from), rules->size());
      std::string rule = rules->substr(from, comma - from);
      const auto& names = CheckRuleNames();
      if (rule != "all" && std::find(names.begin(), names.end(), rule) == names.end())
        throw UsageError{"--rules takes rule names separated by commas, or all: unknown rule '" + rule + "'"};
      chosen.insert(rule);
      from = comma + 1;
    }
    settings.m_disabledRules.clear();
    for (const std::string& rule : CheckRuleNames())
      if (!chosen.count(rule) && !chosen.count("all")) settings.m_disabledRules.insert(rule);
  }
  if (auto severity = o.Get("--min-severity")) {
    auto parsed = ParseSeverity(*severity);
    if (!parsed) throw UsageError{"--min-severity takes warning or error"};
    settings.m_minSeverity = *parsed;
  }
  if (auto identical = o.Get("--identical")) {
    if (*identical != "yes" && *identical != "no") throw UsageError{"--identical takes yes or no"};
    settings.m_identicalTranslation = *identical == "yes";
  }
  return settings;
}

int CmdCheck(const Options& o, std::ostream& out) {
  const char* usage = "tvl check PROJECT.tvl [--lang L]... [--format text|json|sarif|junit] [--min-severity warning|error] "
                      "[--rules R,...] [--identical yes|no] [--settings FILE] [-o OUT]";
  if (o.positional.size() != 1) throw UsageError{usage};
  static const std::map<std::string, ECheckReportFormat> kFormats = {{"text", ECheckReportFormat::kText},
      {"json", ECheckReportFormat::kJson}, {"sarif", ECheckReportFormat::kSarif}, {"junit", ECheckReportFormat::kJUnit}};
  auto format = kFormats.find(o.Get("--format").value_or("text"));
  if (format == kFormats.end()) throw UsageError{"--format takes text, json, sarif or junit"};
  std::optional<CCheckSettings> settings = CheckSettings(o);
  if (!settings) return 1;
  CTvlDoc doc;
  if (!Open(doc, o.positional[0])) return 1;
  auto languages = TargetLanguages(doc, o);
  if (!languages) return 1;
  CCheckOptions options;
  options.languages = *languages;
  settings->ApplyTo(options);
  CProjectChecker checker(doc);
  std::vector<CCheckFinding> findings = checker.Run(options);
  CCheckReportInput input{FilterFindings(findings, settings->m_minSeverity), *languages, o.positional[0]};
  if (WriteOutput(o.Get("--output"), WriteCheckReport(input, format->second), out)) return 1;
  return HasErrors(findings) ? 1 : 0;
}

int CmdPseudo(const Options& o) {
  if (o.positional.size() != 1 || !o.Has("--lang"))
    throw UsageError{"tvl pseudo PROJECT.tvl --lang qps-ploc|qps-ploca|qps-plocm [--expand PERCENT] [--no-brackets]"};
  LANGID language = RequireLanguage(*o.Get("--lang"));
  if (!IsPseudoLanguage(language)) throw UsageError{"--lang takes a pseudo language: qps-ploc, qps-ploca or qps-plocm"};
  CPseudoOptions options;
  options.brackets = !o.Has("--no-brackets");
  if (auto expand = o.Get("--expand")) {
    size_t used = 0;
    try {
      options.expandPercent = std::stoi(*expand, &used);
    } catch (...) {
      used = 0;
    }
    if (used == 0 || used != expand->size() || options.expandPercent < 0 || options.expandPercent > 1000)
      throw UsageError{"--expand takes a percentage from 0 to 1000"};
  }
  CTvlDoc doc;
  if (!Open(doc, o.positional[0])) return 1;
  if (PseudoLocalizeProject(doc, language, options) < 0) return 1;
  return Save(doc) ? 0 : 1;
}

const char* kUsage =
    "usage: tvl COMMAND [OPTIONS]\n"
    "commands:\n"
    "  new PROJECT.tvl [--source-lang L] [--force]\n"
    "  insert PROJECT.tvl FILE [--source-lang L] [--mfc yes|no|unknown] [--satellite] [--lang L]...\n"
    "  languages PROJECT.tvl [--add L]... [--remove L]... [--font L FACE SIZE]\n"
    "  build PROJECT.tvl [--module PATTERN] [--lang PATTERN] [--output FILE] [--source FILE] [--jobs N]\n"
    "  update PROJECT.tvl [MODULE]...\n"
    "  import-exe PROJECT.tvl MODULE TRANSLATED.exe --lang L\n"
    "  export PROJECT.tvl --lang L [--format xliff|xliff2|po|json] [--only todo|all] [--template] [-o OUT]\n"
    "  import PROJECT.tvl --lang L FILE\n"
    "  tm add PROJECT.tvl | tm import FILE.tmx | tm export FILE.tmx | tm lookup TEXT [--memory FILE]\n"
    "  pretranslate PROJECT.tvl --lang L [--min-match PERCENT] [--memory FILE]\n"
    "  stats PROJECT.tvl [--json]\n"
    "  dump PROJECT.tvl\n"
    "  check PROJECT.tvl [--lang L]... [--format text|json|sarif|junit] [--min-severity warning|error]\n"
    "        [--rules R,...] [--identical yes|no] [--settings FILE] [-o OUT]\n"
    "  pseudo PROJECT.tvl --lang qps-ploc|qps-ploca|qps-plocm [--expand PERCENT] [--no-brackets]\n"
    "  render PROJECT.tvl (--module M --dialog ID -o OUT.png | --all -o FOLDER) [--lang L] [--zoom PERCENT]\n"
    "Languages: a LANGID (1036 or 0x040C), a tag (fr-FR) or an abbreviation (FRA);\n"
    "tvl --list-languages lists the abbreviations and tags.\n";

// What `tvl COMMAND --help` prints.
const std::map<std::string, const char*> kCommandHelp = {
    {"new", "usage: tvl new PROJECT.tvl [--source-lang L] [--force]\n"
            "Creates an empty project. An existing file is kept unless --force is given.\n"
            "  --source-lang L  the language the modules are written in\n"},
    {"insert", "usage: tvl insert PROJECT.tvl FILE [--source-lang L] [--mfc yes|no|unknown] [--satellite] [--lang L]...\n"
               "Adds an executable to the project, with the same checks as the Insert Module wizard.\n"
               "  --source-lang L  the module's language; guessed from its resources when left out\n"
               "  --mfc            whether the module uses the MFC library (default: unknown)\n"
               "  --satellite      build resource-only satellite DLLs instead of full copies\n"
               "  --lang L         a target language to add (repeatable)\n"},
    {"languages", "usage: tvl languages PROJECT.tvl [--add L]... [--remove L]... [--font L FACE SIZE]\n"
                  "Adds or removes target languages; without options lists the source and target\n"
                  "languages with their names and code pages.\n"
                  "  --font L FACE SIZE  the dialog font used for language L\n"},
    {"build", "usage: tvl build PROJECT.tvl [--module PATTERN] [--lang PATTERN] [--output FILE] [--source FILE] [--jobs N] [--dry-run]\n"
              "Builds the translated targets, as the batch build does.\n"
              "  --module PATTERN  modules to build (wildcards, default: all)\n"
              "  --lang PATTERN    languages to build (abbreviations with wildcards, default: all)\n"
              "  --output FILE     the target file, when one module and one language are built\n"
              "  --source FILE     the file to translate instead of the module's own, when one module is built\n"
              "  --jobs N          targets built at once (default: TVL_JOBS, else the processors)\n"
              "  --dry-run         list the target files the build would write, and write nothing\n"},
    {"update", "usage: tvl update PROJECT.tvl [MODULE]...\n"
               "Reads the named modules (default: all) again from their source files and merges\n"
               "the translations into them; changed texts become not up to date.\n"},
    {"import-exe", "usage: tvl import-exe PROJECT.tvl MODULE TRANSLATED.exe --lang L\n"
                   "Takes the translations of language L from an executable translated elsewhere;\n"
                   "items that are already translated keep their translation.\n"},
    {"export", "usage: tvl export PROJECT.tvl --lang L [--format xliff|xliff2|po|json] [--only todo|all] [--template] [-o OUT]\n"
               "Writes the project's texts with their translations into L for a translator's tool.\n"
               "  --format   xliff (default, XLIFF 1.2), xliff2 (XLIFF 2.1), po (gettext) or json\n"
               "  --only     todo: only items not translated or not up to date; all (default)\n"
               "  --template the source texts only (with po: a template for msgmerge)\n"
               "  -o OUT     the output file (default: standard output)\n"},
    {"import", "usage: tvl import PROJECT.tvl --lang L FILE\n"
               "Reads translations into L back from an XLIFF, PO or JSON file. Nothing changes\n"
               "unless the whole file is read without error.\n"},
    {"tm", tvl::cli::kTmHelp},
    {"pretranslate", tvl::cli::kPretranslateHelp},
    {"stats", "usage: tvl stats PROJECT.tvl [--json]\n"
              "Counts per module, resource type and language the items not translated, not up\n"
              "to date, translated and edited, and the words of their source texts.\n"},
    {"dump", "usage: tvl dump PROJECT.tvl\n"
             "Describes the project's model, for diagnosis.\n"},
    {"check", "usage: tvl check PROJECT.tvl [--lang L]... [--format text|json|sarif|junit] [--min-severity warning|error]\n"
              "                 [--rules R,...] [--identical yes|no] [--settings FILE] [-o OUT]\n"
              "Checks the translations for what breaks the translated program: placeholders,\n"
              "mnemonics, shortcut texts, blanks and punctuation, ANSI code pages and dialog layout.\n"
              "Exits with 1 when an error is found.\n"
              "The rules, the least severity and the identical-text warning come from the program's\n"
              "Check Settings (the user's settings file); the options below go over them.\n"
              "  --lang L        a language to check (repeatable; default: every target language)\n"
              "  --format        text (default), json, sarif (SARIF 2.1.0) or junit (JUnit XML)\n"
              "  --min-severity  leaves warnings out of the report with error\n"
              "  --rules R,...   only these rules: placeholders, mnemonics, shortcuts, text-shape,\n"
              "                  code-page, layout, consistency (or all)\n"
              "  --identical     whether a translation equal to its source is a warning (yes or no)\n"
              "  --settings FILE the settings file (default: $XDG_CONFIG_HOME/Tessalingvora/Workspace.ini)\n"
              "  -o OUT          the output file (default: standard output)\n"},
    {"pseudo", "usage: tvl pseudo PROJECT.tvl --lang qps-ploc|qps-ploca|qps-plocm [--expand PERCENT] [--no-brackets]\n"
               "Fills a pseudo language with accented, lengthened text that keeps placeholders,\n"
               "mnemonics, escapes and shortcut keys, so that a build shows where layouts break.\n"
               "The language is added to the project when missing; real languages are never touched.\n"
               "  --expand PERCENT  how much longer the texts get (default 40)\n"
               "  --no-brackets     no [ ] around each text\n"},
    {"render", "usage: tvl render PROJECT.tvl --module M --dialog ID [--lang L] [--zoom PERCENT] -o OUT.png\n"
               "       tvl render PROJECT.tvl --all [--lang L] [--zoom PERCENT] -o FOLDER\n"
               "Draws dialog previews as the dialog view shows them (without marks) to PNG files,\n"
               "without a display. --all draws every dialog of the project into FOLDER.\n"
               "  --lang L        the language (default: the source language)\n"
               "  --zoom PERCENT  scales the picture (100, 150, 200, ...)\n"},
};

}  // namespace

std::optional<LANGID> ParseLanguageArgument(const std::string& text) {
  if (text.empty()) return std::nullopt;
  try {
    size_t used = 0;
    unsigned long value = text.rfind("0x", 0) == 0 || text.rfind("0X", 0) == 0 ? std::stoul(text, &used, 16)
                                                                              : std::stoul(text, &used, 10);
    if (used == text.size()) {
      if (value == 0 || value > 0xFFFF) return std::nullopt;
      return static_cast<LANGID>(value);
    }
  } catch (...) {
  }
  if (const tvl::LocaleInfo* info = tvl::FindLocaleByTag(text)) return info->langId;
  if (text.size() == 3) {
    std::string upper = text;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (const tvl::LocaleInfo& info : tvl::AllLocales())
      if (upper == info.abbreviation && info.specific == info.langId) return info.langId;
  }
  return std::nullopt;
}

// Every abbreviation and tag ParseLanguageArgument takes, one a line: for shell completion.
static void ListLanguageNames(std::ostream& out) {
  for (const tvl::LocaleInfo& info : tvl::AllLocales()) {
    if (info.specific == info.langId && info.abbreviation[0]) out << info.abbreviation << "\n";
    if (info.tag[0]) out << info.tag << "\n";
  }
}

int RunTvl(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.empty()) {
    err << kUsage;
    return 2;
  }
  const std::string& command = args[0];
  if (command == "--version") {
    out << "tvl " << ToUtf8(LoadResString(IDS_BANNER));
    return 0;
  }
  if (command == "--help" || command == "help") {
    out << kUsage;
    return 0;
  }
  if (command == "--list-languages") {
    ListLanguageNames(out);
    return 0;
  }
  CStreamSink sink(err);
  CMessageSink* previous = SetMessageSink(&sink);
  int rc;
  try {
    if (std::find(args.begin(), args.end(), "--help") != args.end()) {
      auto help = kCommandHelp.find(command);
      if (help == kCommandHelp.end()) throw UsageError{"unknown command '" + command + "'"};
      out << help->second;
      rc = 0;
    } else if (command == "new") {
      rc = CmdNew(Parse(args, 1, {"--source-lang"}, {"--force"}));
    } else if (command == "insert") {
      rc = CmdInsert(Parse(args, 1, {"--source-lang", "--mfc", "--lang"}, {"--satellite"}));
    } else if (command == "languages") {
      rc = CmdLanguages(Parse(args, 1, {"--add", "--remove"}, {}), out);
    } else if (command == "build") {
      rc = CmdBuild(Parse(args, 1, {"--module", "--lang", "--output", "--source", "--jobs"}, {"--dry-run"}), out);
    } else if (command == "update") {
      rc = CmdUpdate(Parse(args, 1, {}, {}));
    } else if (command == "import-exe") {
      rc = CmdImportExe(Parse(args, 1, {"--lang"}, {}));
    } else if (command == "export") {
      rc = CmdExport(Parse(args, 1, {"--lang", "--format", "--only", "--output"}, {"--template"}), out);
    } else if (command == "import") {
      rc = CmdImport(Parse(args, 1, {"--lang"}, {}));
    } else if (command == "tm") {
      rc = tvl::cli::CmdTm(args, out);
    } else if (command == "pretranslate") {
      rc = tvl::cli::CmdPretranslate(Parse(args, 1, {"--lang", "--min-match", "--memory"}, {}), out);
    } else if (command == "stats") {
      rc = CmdStats(Parse(args, 1, {}, {"--json"}), out);
    } else if (command == "check") {
      rc = CmdCheck(
          Parse(args, 1, {"--lang", "--format", "--min-severity", "--output", "--rules", "--identical", "--settings"}, {}),
          out);
    } else if (command == "pseudo") {
      rc = CmdPseudo(Parse(args, 1, {"--lang", "--expand"}, {"--no-brackets"}));
    } else if (command == "render") {
      rc = CmdRender(args, err);
    } else if (command == "dump") {
      rc = CmdDump(Parse(args, 1, {}, {}), out);
    } else {
      throw UsageError{"unknown command '" + command + "'"};
    }
  } catch (const UsageError& e) {
    err << "tvl: " << e.message << "\n" << kUsage;
    rc = 2;
  } catch (const std::bad_alloc&) {
    // Whatever the command was doing is abandoned; nothing it writes is half-replaced.
    DoMessageBox(CMemoryException().GetErrorText(), MB_ICONERROR);
    rc = 1;
  }
  SetMessageSink(previous);
  if (rc == 0 && sink.m_errors) rc = 1;
  return rc;
}
