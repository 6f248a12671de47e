#pragma once
// What a check reports: where (the exchange formats' item id), in which language, which
// rule, how bad, and why.
#include <string>
#include <vector>

#include "platform/Types.h"

enum class ECheckSeverity { kWarning, kError };

struct CCheckFinding {
  std::string m_id;  // "module/type/resource/element", as the exchange formats name the item
  LANGID m_language = 0;
  std::string m_rule;
  ECheckSeverity m_severity = ECheckSeverity::kWarning;
  std::string m_message;  // UTF-8

  // The parts of the id: the module, "type/resource" and the element path.
  std::string Module() const;
  std::string Resource() const;
  std::string Element() const;
};

// What one rule says about one text, before it is placed.
struct CRuleHit {
  ECheckSeverity m_severity = ECheckSeverity::kWarning;
  std::string m_message;
};
using CRuleHits = std::vector<CRuleHit>;

const char* SeverityName(ECheckSeverity severity);
