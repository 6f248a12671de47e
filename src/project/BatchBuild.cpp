// The batch build of a project from the command line.
#include <algorithm>

#include "archive/Exceptions.h"
#include "languages/Language.h"
#include "platform/Messages.h"
#include "platform/Paths.h"
#include "project/ParallelBuild.h"
#include "project/TvlDoc.h"

namespace {

// Splits the /build value into module and language patterns; false when refused
// (the refusal has been shown).
bool ParseBuildArgument(std::u16string text, std::u16string& modules, std::u16string& languages) {
  if (!text.empty() && text[0] == u'"') {
    text.erase(0, 1);
    if (!text.empty() && text.back() == u'"')
      text.pop_back();
    else
      DoMessageBox(u"Closing quote not found in /build argument.", MB_ICONWARNING);
  }
  size_t colon = text.find(u':');
  if (colon == std::u16string::npos) {
    modules = text;
    languages = u"*";
    return true;
  }
  modules = text.substr(0, colon);
  languages = text.substr(colon + 1);
  if (modules.empty()) {
    DoMessageBox(u"Invalid module name specification in /build argument.", MB_ICONERROR);
    return false;
  }
  if (languages.find(u':') != std::u16string::npos) {
    DoMessageBox(u"Invalid language specification in /build argument.", MB_ICONERROR);
    return false;
  }
  return true;
}

// The modules and the sorted languages the patterns select; false when none (reported).
bool SelectPairs(CTvlDoc& doc, const std::u16string& modulePattern, const std::u16string& languagePattern,
                 std::vector<CModule*>& modules, std::vector<LANGID>& languages) {
  for (const auto& m : doc.m_modules)
    if (tvl::PathMatchSpec(m->GetName(), modulePattern)) modules.push_back(m.get());
  if (modules.empty()) {
    DoMessageBox(u"Incorrect module name in /build argument.", MB_ICONERROR);
    return false;
  }
  for (const CLanguage& l : doc.m_languages)
    if (tvl::PathMatchSpec(l.GetName(), languagePattern) ||
        tvl::PathMatchSpec(LanguageAbbreviation(l.GetLanguage()), languagePattern))
      languages.push_back(l.GetLanguage());
  std::sort(languages.begin(), languages.end());
  if (languages.empty()) {
    DoMessageBox(u"Incorrect language spec in /build argument.", MB_ICONERROR);
    return false;
  }
  return true;
}

// What a build of the pairs would write, without writing it.
bool PlanTargets(const std::vector<CModule*>& modules, const std::vector<LANGID>& languages,
                 std::vector<std::u16string>& plan) {
  try {
    for (CModule* m : modules)
      for (LANGID l : languages) plan.push_back(m->MakeFullPath(m->GetTargetFileName(l)));
  } catch (const CException& e) {
    DoMessageBox(e.GetErrorText().substr(0, 1000), MB_ICONERROR);
    return false;
  }
  return true;
}

}  // namespace

bool CTvlDoc::RunBatchBuild(const std::u16string& projectPath, const std::u16string& spec,
                            const std::u16string& output, const std::u16string& source,
                            std::vector<std::u16string>* plan) {
  if (!OnOpenDocument(projectPath)) {
    DoMessageBox(FormatMessageText(u"Failed to load file %1.", {Arg(projectPath)}), MB_ICONERROR);
    return false;
  }
  if (m_modules.empty()) {
    DoMessageBox(u"There are no modules in this document.", MB_ICONERROR);
    return false;
  }
  if (m_languages.IsEmpty()) {
    DoMessageBox(u"There are no translations defined in this document.", MB_ICONERROR);
    return false;
  }
  std::u16string modulePattern, languagePattern;
  if (!ParseBuildArgument(spec, modulePattern, languagePattern)) return false;
  std::vector<CModule*> modules;
  std::vector<LANGID> languages;
  if (!SelectPairs(*this, modulePattern, languagePattern, modules, languages)) return false;
  const bool single = modules.size() == 1 && languages.size() == 1;

  BuildSuccessList().clear();
  if (single) {
    CModule& m = *modules[0];
    std::u16string target;
    try {
      target = m.MakeFullPath(output.empty() ? m.GetTargetFileName(languages[0]) : output);
    } catch (const CException& e) {
      DoMessageBox(e.GetErrorText().substr(0, 1000), MB_ICONERROR);
      return false;
    }
    if (plan) {
      plan->push_back(target);
      return true;
    }
    bool ok = m.Build(languages[0], target, source.empty() ? m.GetSourcePath() : source);
    if (!ok) {
      DoMessageBox(FormatMessageText(u"Error(s) occurred while building the translation of module %1.",
                                     {Arg(m.GetName())}),
                   MB_OK);
      return false;
    }
  } else {
    if (!output.empty()) {
      DoMessageBox(u"There is more than one module/language pair matching the /build spec. /output cannot be used "
                   u"in such a case.",
                   MB_ICONERROR);
      return false;
    }
    if (modules.size() > 1 && !source.empty()) {
      DoMessageBox(u"There is more than one module matching the /build spec. /source cannot be used in such a case.",
                   MB_ICONERROR);
      return false;
    }
    if (plan) return PlanTargets(modules, languages, *plan);
  }

  bool allOk = true;
  std::u16string errors;
  if (!single) {
    std::vector<CModuleBuildRequest> requests;
    for (CModule* m : modules) requests.push_back({m, languages, source});
    const std::vector<bool> built = BuildModules(requests, BuildJobs());
    for (size_t i = 0; i < modules.size(); ++i) {
      if (built[i]) continue;
      allOk = false;
      if (errors.empty()) errors = u"Error(s) occurred while building the translation(s) of these module(s):\n\n";
      errors += modules[i]->GetName() + u"\n";
    }
  }
  std::u16string text = errors;
  if (!BuildSuccessList().empty()) {
    if (!text.empty()) text += u"\n\n";
    text += u"Target file(s) created successfully:\n\n";
    for (const auto& path : BuildSuccessList()) text += path + u"\n";
    BuildSuccessList().clear();
  }
  if (!text.empty()) DoMessageBox(text, allOk ? MB_ICONINFORMATION : MB_ICONERROR);
  return allOk;
}
