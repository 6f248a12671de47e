// Keeping translations alive: re-reading a changed source, importing a translated
// executable, and exchanging copies of the project with translators.
#include <algorithm>
#include <cerrno>
#include <optional>
#include <set>

#include "archive/Exceptions.h"
#include "languages/Language.h"
#include "peimage/LanguageSurvey.h"
#include "platform/Messages.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "project/ModuleFile.h"
#include "project/TvlDoc.h"

namespace {

constexpr const char16_t* kNoModules =
    u"There are no executable modules defined.\nYou can insert modules into the project using the menu File > "
    u"Insert Module...";

// "Failed to load updated source file.", with the file and the system's reason when the file
// could not be read at all (errno is set then, not for a bad format).
std::u16string LoadFailure(const std::u16string& path) {
  if (errno == 0) return u"Failed to load updated source file.";
  return FormatMessageText(u"Failed to load updated source file.\n%1\n%2",
                           {Arg(path), Arg(CWin32Exception::SystemErrorText(errno))});
}

// Restores the language filter and the export languages however the export ends.
struct CExportScope {
  CExportScope(CTvlDoc& doc, const std::vector<LANGID>& languages) : m_doc(doc) {
    std::set<LANGID> set(languages.begin(), languages.end());
    m_doc.m_exportLanguages.RemoveAll();
    for (const CLanguage& l : doc.m_languages)
      if (set.count(l.GetLanguage())) m_doc.m_exportLanguages.Add(l);
    m_doc.m_languageFilter = std::move(set);
  }
  ~CExportScope() {
    m_doc.m_exportLanguages.RemoveAll();
    m_doc.m_languageFilter.reset();
  }
  CTvlDoc& m_doc;
};

}  // namespace

CModule* CTvlDoc::ChooseModule(CModule* selected) const {
  if (selected) return selected;
  if (m_modules.size() == 1) return m_modules[0].get();
  if (m_modules.empty())
    DoMessageBox(kNoModules, MB_ICONERROR);
  else
    DoMessageBox(u"Please select the module for which you want to import a translation.", MB_ICONERROR);
  return nullptr;
}

bool CTvlDoc::UpdateSource(CModule* module) {
  if (!module) return false;
  auto it = std::find_if(m_modules.begin(), m_modules.end(), [&](const auto& m) { return m.get() == module; });
  if (it == m_modules.end()) return false;
  std::u16string path = module->GetFullSourcePath();
  if (!tvl::PathFileExists(path)) {
    errno = ENOENT;
    DoMessageBox(FormatMessageText(u"Error opening the updated source file %1.\n\n", {Arg(path)}) +
                     CWin32Exception::SystemErrorText(ENOENT),
                 MB_ICONERROR);
    return false;
  }
  std::uint64_t time = tvl::GetFileTime(path);
  if (time == 0) {
    DoMessageBox(FormatMessageText(u"Error opening the updated source file %1.\n\n", {Arg(path)}), MB_ICONERROR);
    return false;
  }
  const char16_t* question;
  UINT icon;
  if (time < module->m_sourceTime) {
    question = u"The updated source file is OLDER than the data in the document. Are you sure you want to update the "
               u"source contents ?\n\nModule name : %1\nSource file : %2\n\n(Undo not available for this operation)";
    icon = MB_ICONWARNING;
  } else if (time == module->m_sourceTime) {
    question = u"The updated source file seems identical (same timestamp). Are you sure you want to update the source "
               u"contents ?\n\nModule name : %1\nSource file : %2\n\n(Undo not available for this operation)";
    icon = MB_ICONQUESTION;
  } else {
    question = u"Please confirm update of the source contents.\n\nModule name : %1\nSource file : %2\n\n(Undo not "
               u"available for this operation)";
    icon = MB_ICONQUESTION;
  }
  if (DoMessageBox(FormatMessageText(question, {Arg(module->GetName()), Arg(path)}),
                   MB_OKCANCEL | icon | MB_DEFBUTTON2) != IDOK)
    return false;

  auto fresh = std::make_unique<CModule>(path, m_sourceLanguage.GetLanguage(), module->m_usesMfc);
  fresh->SetDocument(this);
  errno = 0;
  if (!fresh->LoadFromFile()) {
    DoMessageBox(LoadFailure(path), MB_ICONERROR);
    return false;
  }
  UpdateAllViews(HintReleaseResourceView);
  fresh->Merge(*module, true, false);
  *it = std::move(fresh);
  ClearUndo();
  SetModifiedFlag(true);
  UpdateAllViews(HintRebuildTree);
  return true;
}

bool CTvlDoc::UpdateSourceAll() {
  if (m_modules.empty()) {
    DoMessageBox(kNoModules, MB_ICONERROR);
    return false;
  }
  if (DoMessageBox(u"Are you sure you want to update the source contents of every module in the project ?\n\n(Undo "
                   u"not available)",
                   MB_OKCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2) != IDOK)
    return false;
  UpdateAllViews(HintReleaseResourceView);
  for (auto& module : m_modules) {
    auto fresh = std::make_unique<CModule>(module->GetFullSourcePath(), m_sourceLanguage.GetLanguage(),
                                           module->m_usesMfc);
    fresh->SetDocument(this);
    if (!fresh->LoadFromFile()) {
      DoMessageBox(u"Failed to load updated source file.", MB_ICONERROR);
      continue;
    }
    fresh->Merge(*module, true, false);
    module = std::move(fresh);
  }
  ClearUndo();
  SetModifiedFlag(true);
  UpdateAllViews(HintRebuildTree);
  return true;
}

bool CTvlDoc::ImportTranslation(CModule* module, const std::u16string& path, CUserChoices& choices) {
  if (!module || path.empty()) return false;
  if (tvl::CompareNoCase(path, module->GetFullSourcePath()) == 0) {
    if (DoMessageBox(u"You cannot import the source file of the module !\n\nDo you want to update the source contents "
                     u"of the Tessalingvora document instead ?",
                     MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES)
      UpdateSource(module);
    return false;
  }
  // The module checks' survey, with the import's own words.
  CLanguageSurvey survey;
  std::u16string reason;
  switch (SurveyModuleFile(path, survey, &reason)) {
    case ModuleFileProblem::None:
      break;
    case ModuleFileProblem::NoResources:
      DoMessageBox(u"Module does not have any resources.", MB_ICONERROR);
      return false;
    case ModuleFileProblem::MultiLanguage:
      DoMessageBox(u"This file contains multi-languages resources.\n\nTessalingvora does not currently support "
                   u"multi-languages resource files. Please contact us and we will do our best to help you workaround "
                   u"this issue.",
                   MB_ICONERROR);
      return false;
    default:
      DoMessageBox(reason.empty() ? std::u16string(u"Cannot load module.") : u"Cannot load module.\n\n" + reason,
                   MB_ICONERROR);
      return false;
  }
  LANGID language = choices.ChooseImportLanguage(*module, path, survey.GuessSourceLanguage());
  if (language == 0) return false;

  CModule translated(path, language, module->m_usesMfc);
  errno = 0;
  if (!translated.LoadFromFile()) {
    DoMessageBox(FormatMessageText(u"Failed to load file %1 :\n%2",
                                   {Arg(path), Arg(CWin32Exception::SystemErrorText(errno ? errno : ENOEXEC))}),
                 MB_ICONERROR);
    return false;
  }
  module->Merge(translated, false, false);
  AddLanguage(language);
  ClearUndo();
  SetModifiedFlag(true);
  return true;
}

bool CTvlDoc::CanExportScribe() const {
  const char16_t* message = nullptr;
  if (m_modules.empty())
    message = u"The project does not contain any modules yet. Exporting it is therefore useless.\nSelect 'Insert "
              u"Module...' from the File menu to add modules to the project.";
  else if (m_languages.IsEmpty())
    message = u"You have not defined any translations yet.\nSelect 'Languages...' from the Translations menu to define "
              u"the translations.";
  else if (m_pathName.empty())
    message = u"The Tessalingvora project must be saved first (Ctrl+S).";
  if (!message) return true;
  DoMessageBox(message, MB_ICONERROR);
  return false;
}

bool CTvlDoc::ExportScribe(const std::u16string& fileName, const std::vector<LANGID>& languages) {
  std::u16string name = tvl::Trim(fileName);
  if (name.empty()) {
    DoMessageBox(u"Please specify the filename.", MB_ICONERROR);
    return false;
  }
  if (tvl::PathIsRelative(name)) {
    if (m_pathName.empty()) {
      DoMessageBox(u"Relative paths cannot be resolved because the Tessalingvora project file is not saved yet.",
                   MB_ICONERROR);
      return false;
    }
    name = tvl::PathCombine(tvl::PathRemoveFileSpec(m_pathName), name).value_or(name);
  }
  if (languages.empty()) {
    DoMessageBox(u"Please select at least one translation (check its box).", MB_ICONERROR);
    return false;
  }
  CGuid projectId = m_projectId, originId = m_originId;
  bool modified = m_modified;
  std::u16string pathName = m_pathName;
  bool ok;
  {
    CExportScope scope(*this, languages);
    m_originId = projectId;
    m_projectId = CGuid::NewRandom();
    ok = OnSaveDocument(name);
  }
  m_projectId = projectId;
  m_originId = originId;
  m_modified = modified;
  m_pathName = pathName;
  return ok;
}

int CTvlDoc::ImportFrom(CTvlDoc& other) {
  int merged = 0;
  for (const auto& theirs : other.m_modules)
    for (const auto& mine : m_modules)
      if (tvl::CompareNoCase(mine->GetName(), theirs->GetName()) == 0) {
        mine->Merge(*theirs, false, true);
        ++merged;
      }
  return merged;
}

bool CTvlDoc::ImportScribe(const std::u16string& path, CUserChoices& choices) {
  CTvlDoc copy;
  copy.m_languagesOnly = true;
  if (!copy.OnOpenDocument(path)) return false;
  if (copy.m_sourceLanguage.GetLanguage() != m_sourceLanguage.GetLanguage()) {
    DoMessageBox(u"The source language of this file is different from the source language of the current "
                 u"project.\nTherefore this file cannot be imported.\n",
                 MB_ICONERROR);
    return false;
  }
  if (copy.m_languages.IsEmpty()) {
    DoMessageBox(u"This file does not contain any translations.", MB_ICONERROR);
    return false;
  }
  if (!(copy.m_originId == m_projectId) &&
      DoMessageBox(u"The file you want to import was not created using this project.\nAre you sure you want to "
                   u"continue ?",
                   MB_OKCANCEL | MB_ICONWARNING) != IDOK)
    return false;
  std::vector<LANGID> checked = choices.ChooseScribeLanguages(path, copy.m_languages);
  if (checked.empty()) return false;

  std::set<LANGID> set;
  std::u16string list;
  for (LANGID l : checked) {
    int index = m_languages.Find(l);
    if (index < 0) continue;
    list += FormatMessageText(u"  %1\n", {Arg(m_languages[index].GetName())});
    set.insert(l);
  }
  if (set.empty()) {
    DoMessageBox(u"None of the selected languages are declared in this Tessalingvora project.", MB_ICONERROR);
    return false;
  }
  if (DoMessageBox(FormatMessageText(u"File:\n  %1\n\nTranslation(s):\n%2\nThese translations will now be imported. "
                                     u"They will overwrite existing translations (if any).\n\nContinue ?  (Undo not "
                                     u"available)",
                                     {Arg(path), Arg(list)}),
                   MB_YESNO | MB_ICONQUESTION) != IDYES)
    return false;

  copy.DeleteContents();
  copy.m_languagesOnly = false;
  bool opened;
  copy.m_languageFilter = set;
  opened = copy.OnOpenDocument(path);
  copy.m_languageFilter.reset();
  if (!opened) return false;
  if (ImportFrom(copy) == 0) {
    DoMessageBox(u"The modules contained in the selected file do not match the module in this project.", MB_ICONERROR);
    return false;
  }
  SetModifiedFlag(true);
  ClearUndo();
  UpdateAllViews(HintRebuildTree);
  return true;
}
