#include "checks/ConsistencyRule.h"

#include "platform/Text.h"

namespace {

// Labels of one command in a menu and on a button carry their mark in different places.
std::u16string WithoutMnemonic(std::u16string_view s) {
  std::u16string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == u'&' && i + 1 < s.size() && s[i + 1] != u' ') {
      if (s[i + 1] == u'&') out += s[++i];
      continue;
    }
    out += s[i];
  }
  return out;
}

}  // namespace

void CConsistencyRule::Add(std::u16string_view source, std::u16string_view translation, const std::string& id) {
  std::u16string compared = WithoutMnemonic(translation);
  auto [first, inserted] = m_first.try_emplace(WithoutMnemonic(source), First{compared, std::u16string(translation), id});
  if (inserted || first->second.translation == compared) return;
  m_hits.emplace_back(id, CRuleHit{ECheckSeverity::kWarning,
                                   "\"" + tvl::ToUtf8(source) + "\" is translated \"" + tvl::ToUtf8(translation) +
                                       "\" here and \"" + tvl::ToUtf8(first->second.shown) + "\" in " + first->second.id + "."});
}

std::vector<std::pair<std::string, CRuleHit>> CConsistencyRule::Check() const { return m_hits; }
