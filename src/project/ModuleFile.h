#pragma once
// The checks a file passes before it becomes a module's source: the same for the New Module
// wizard, Module Properties, `tvl insert` and the import of a translated executable, so the
// rules and their messages live in one place.
#include <string>
#include <string_view>

#include "peimage/LanguageSurvey.h"
#include "platform/Types.h"

class CModule;
class CTvlDoc;

enum class ModuleFileProblem {
  None,
  NoName,           // nothing typed
  RelativeUnsaved,  // a relative name in a project never saved
  Missing,
  AlreadyInProject,
  CannotLoad,
  NoResources,
  MultiLanguage,
};

// What the module checks say about a problem; null for None.
const char16_t* ModuleFileMessage(ModuleFileProblem problem);

// Reads the file's resources: CannotLoad (with the system's reason in `reason` when given),
// NoResources or MultiLanguage, else None.
ModuleFileProblem SurveyModuleFile(const std::u16string& path, CLanguageSurvey& survey,
                                   std::u16string* reason = nullptr);

struct CModuleFileCheck {
  ModuleFileProblem m_problem = ModuleFileProblem::None;
  std::u16string m_name;      // trimmed, as typed
  std::u16string m_fullPath;  // relative names resolved against the project's folder
  CLanguageSurvey m_survey;   // filled when the check surveyed the file
  std::u16string m_reason;    // why a file cannot be loaded, in the system's words

  const char16_t* Message() const { return ModuleFileMessage(m_problem); }
  // The message followed by the reason when there is one.
  std::u16string Text() const;
};

// The checks in their order: a name, a resolvable path, an existing file not already the
// source of a module other than `except`, and with `survey` readable resources of one
// language. `document` may be null (a module outside a project).
CModuleFileCheck CheckModuleFile(const CTvlDoc* document, std::u16string_view name, const CModule* except,
                                 bool survey);
