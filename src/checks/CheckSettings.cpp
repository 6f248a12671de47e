#include "checks/CheckSettings.h"

#include "checks/CheckReport.h"
#include "checks/ProjectChecker.h"
#include "platform/Text.h"

std::optional<ECheckSeverity> ParseSeverity(const std::string& name) {
  if (name == "warning") return ECheckSeverity::kWarning;
  if (name == "error") return ECheckSeverity::kError;
  return std::nullopt;
}

void CCheckSettings::Load(const tvl::CSettingsStore& store) {
  *this = CCheckSettings();
  if (!store.HasSection(kSectionChecks)) return;
  for (const std::string& rule : CheckRuleNames()) {
    std::optional<DWORD> on = store.ReadDword(kSectionChecks, tvl::FromUtf8(rule));
    if (on && *on == 0) m_disabledRules.insert(rule);
  }
  if (auto severity = store.ReadString(kSectionChecks, kValueMinSeverity))
    m_minSeverity = ParseSeverity(tvl::ToUtf8(*severity)).value_or(ECheckSeverity::kWarning);
  if (auto identical = store.ReadDword(kSectionChecks, kValueIdenticalTranslation)) m_identicalTranslation = *identical != 0;
}

bool CCheckSettings::Save(tvl::CSettingsStore& store) const {
  if (!store.CreateSection(kSectionChecks)) return false;
  bool ok = true;
  for (const std::string& rule : CheckRuleNames())
    ok &= store.WriteDword(kSectionChecks, tvl::FromUtf8(rule), RuleEnabled(rule) ? 1 : 0);
  ok &= store.WriteString(kSectionChecks, kValueMinSeverity, tvl::FromUtf8(SeverityName(m_minSeverity)));
  ok &= store.WriteDword(kSectionChecks, kValueIdenticalTranslation, m_identicalTranslation ? 1 : 0);
  return ok;
}

void CCheckSettings::ApplyTo(CCheckOptions& options) const {
  options.disabledRules = m_disabledRules;
  options.identicalTranslation = m_identicalTranslation;
  // Measuring is what costs; without the rule nothing needs it.
  options.layout = options.layout && RuleEnabled("layout");
}
