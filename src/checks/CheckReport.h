#pragma once
// The findings of a run as a terminal reads them, as JSON, as SARIF 2.1.0 for code review
// systems and as JUnit XML for CI dashboards.
#include <string>
#include <vector>

#include "checks/CheckFinding.h"

enum class ECheckReportFormat { kText, kJson, kSarif, kJUnit };

struct CCheckReportInput {
  std::vector<CCheckFinding> findings;
  std::vector<LANGID> languages;  // the languages checked, for the test suites without findings
  std::string projectPath;        // as the user gave it: the artifact of every SARIF result
};

// The rules a run knows, in order (SARIF rule ids, JUnit test cases).
const std::vector<std::string>& CheckRuleNames();
// One sentence on what a rule asks of a translation.
const char* CheckRuleDescription(const std::string& rule);
// "fr-FR" and the like; the LANGID in hex when the locale table does not know it.
std::string LanguageTag(LANGID language);

std::string WriteCheckReport(const CCheckReportInput& input, ECheckReportFormat format);
