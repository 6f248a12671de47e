#pragma once
// What auto-grow leaves broken in a translated dialog: text that still does not fit where
// nothing grows, controls that overlap after growing where the source's did not, and
// controls beyond the dialog's client area.
#include <vector>

#include "checks/CheckFinding.h"

class CResDialog;
class CMeasuringContext;

class CLayoutRule {
 public:
  static const char* Name() { return "layout"; }
  // Hits by control index, measured with the context of the dialog in that language.
  std::vector<std::pair<size_t, CRuleHit>> Check(const CResDialog& dialog, LANGID language,
                                                 const CMeasuringContext& context) const;
};
