#pragma once
// What the user chose about the checks: the rules that run, the least severity reported and
// whether a translation equal to its source is worth a warning. Kept in the user's settings,
// read by the program and by `tvl check`, whose options go over them; never in a project.
#include <optional>
#include <set>
#include <string>

#include "checks/CheckFinding.h"
#include "platform/SettingsStore.h"

struct CCheckOptions;

// Section and value names; each rule has a DWORD under its own name (0: off).
inline constexpr char16_t kSectionChecks[] = u"Checks";
inline constexpr char16_t kValueMinSeverity[] = u"MinSeverity";  // "warning" or "error"
inline constexpr char16_t kValueIdenticalTranslation[] = u"IdenticalTranslation";

struct CCheckSettings {
  std::set<std::string> m_disabledRules;
  ECheckSeverity m_minSeverity = ECheckSeverity::kWarning;
  bool m_identicalTranslation = true;

  bool RuleEnabled(const std::string& rule) const { return m_disabledRules.count(rule) == 0; }
  // Missing or unreadable values keep their defaults.
  void Load(const tvl::CSettingsStore& store);
  // False when the store cannot be written.
  bool Save(tvl::CSettingsStore& store) const;
  // The rules, the identical-text warning and whether dialogs are measured, for a run.
  void ApplyTo(CCheckOptions& options) const;
  bool operator==(const CCheckSettings&) const = default;
};

// "warning" or "error".
std::optional<ECheckSeverity> ParseSeverity(const std::string& name);
