#pragma once
// One source text translated in different ways within a project: the user meets two words
// for one thing.
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "checks/CheckFinding.h"

class CConsistencyRule {
 public:
  static const char* Name() { return "consistency"; }
  // Texts of one language in the project's order; id names the text in the findings.
  void Add(std::u16string_view source, std::u16string_view translation, const std::string& id);
  // Every text translated otherwise than the first text with its source, by its id.
  std::vector<std::pair<std::string, CRuleHit>> Check() const;

 private:
  struct First {
    std::u16string translation;  // as compared: without the mnemonic mark
    std::u16string shown;
    std::string id;
  };
  std::map<std::u16string, First> m_first;
  std::vector<std::pair<std::string, CRuleHit>> m_hits;
};
