#include "project/ModuleFile.h"

#include <sys/stat.h>

#include <cerrno>

#include "archive/Exceptions.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "project/TvlDoc.h"

const char16_t* ModuleFileMessage(ModuleFileProblem problem) {
  switch (problem) {
    case ModuleFileProblem::None:
      return nullptr;
    case ModuleFileProblem::NoName:
      return u"Please specify the module filename.";
    case ModuleFileProblem::RelativeUnsaved:
      return u"Relative paths cannot be resolved because the Tessalingvora project file is not saved yet.";
    case ModuleFileProblem::Missing:
      return u"The file does not exist.";
    case ModuleFileProblem::AlreadyInProject:
      return u"The file is already in the Tessalingvora project.";
    case ModuleFileProblem::CannotLoad:
      return u"The file cannot be loaded.";
    case ModuleFileProblem::NoResources:
      return u"This file does not contain any resources.";
    case ModuleFileProblem::MultiLanguage:
      return u"This module contains multi-languages resources.\n\nTessalingvora does not currently support "
             u"multi-languages resource files. Please contact us and we will do our best to help you workaround "
             u"this issue.";
  }
  return nullptr;
}

std::u16string CModuleFileCheck::Text() const {
  const char16_t* message = Message();
  if (message == nullptr) return {};
  if (m_reason.empty()) return message;
  return std::u16string(message) + u"\n\n" + m_reason;
}

ModuleFileProblem SurveyModuleFile(const std::u16string& path, CLanguageSurvey& survey, std::u16string* reason) {
  errno = 0;
  if (!survey.Survey(path)) {
    // errno is set only when the file could not be read at all (not for a bad format).
    if (reason && errno != 0) *reason = CWin32Exception::SystemErrorText(errno);
    return ModuleFileProblem::CannotLoad;
  }
  if (survey.m_resourceCount == 0) return ModuleFileProblem::NoResources;
  if (!survey.m_singleLanguage) return ModuleFileProblem::MultiLanguage;
  return ModuleFileProblem::None;
}

namespace {

ModuleFileProblem Resolve(const CTvlDoc* document, CModuleFileCheck& check) {
  if (check.m_name.empty()) return ModuleFileProblem::NoName;
  check.m_fullPath = check.m_name;
  if (tvl::PathIsRelative(check.m_name)) {
    if (!document || document->GetPathName().empty()) return ModuleFileProblem::RelativeUnsaved;
    auto combined = tvl::PathCombine(tvl::PathRemoveFileSpec(document->GetPathName()), check.m_name);
    if (!combined) return ModuleFileProblem::Missing;
    check.m_fullPath = *combined;
  }
  if (!tvl::PathFileExists(check.m_fullPath)) return ModuleFileProblem::Missing;
  // A folder, FIFO or device exists but is no executable, and reading a FIFO would block.
  struct stat st{};
  if (::stat(tvl::NativePath(check.m_fullPath).c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
    check.m_reason = CWin32Exception::SystemErrorText(S_ISDIR(st.st_mode) ? EISDIR : ENOEXEC);
    return ModuleFileProblem::CannotLoad;
  }
  return ModuleFileProblem::None;
}

}  // namespace

CModuleFileCheck CheckModuleFile(const CTvlDoc* document, std::u16string_view name, const CModule* except,
                                 bool survey) {
  CModuleFileCheck check;
  check.m_name = tvl::Trim(std::u16string(name));
  check.m_problem = Resolve(document, check);
  if (check.m_problem != ModuleFileProblem::None) return check;
  if (document)
    for (const auto& module : document->m_modules)
      if (module.get() != except && tvl::CompareNoCase(module->GetFullSourcePath(), check.m_fullPath) == 0) {
        check.m_problem = ModuleFileProblem::AlreadyInProject;
        return check;
      }
  if (survey) check.m_problem = SurveyModuleFile(check.m_fullPath, check.m_survey, &check.m_reason);
  return check;
}
