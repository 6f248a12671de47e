#pragma once
// Runs every rule over a project's translations, language by language. Findings are
// computed, never stored in the project.
#include <set>
#include <string>
#include <vector>

#include "checks/CheckFinding.h"

class CTvlDoc;

struct CCheckOptions {
  std::vector<LANGID> languages;  // empty: every target language of the project
  bool layout = true;             // dialogs measured with their fonts (the slow part)
  std::set<std::string> disabledRules = {};  // rule names (CheckRuleNames) that do not run
  bool identicalTranslation = true;     // a translation equal to its source is a warning
};

// What a run cost, for the benchmark and the command's summary.
struct CCheckStatistics {
  size_t texts = 0;    // translated texts judged by the text rules
  size_t dialogs = 0;  // dialogs measured
  double seconds = 0;
  double layoutSeconds = 0;
};

class CProjectChecker {
 public:
  explicit CProjectChecker(CTvlDoc& doc) : m_doc(doc) {}
  std::vector<CCheckFinding> Run(const CCheckOptions& options);
  const CCheckStatistics& GetStatistics() const { return m_statistics; }

 private:
  CTvlDoc& m_doc;
  CCheckStatistics m_statistics;
};

// Findings at or above a severity.
std::vector<CCheckFinding> FilterFindings(const std::vector<CCheckFinding>& findings, ECheckSeverity minimum);
bool HasErrors(const std::vector<CCheckFinding>& findings);
