#pragma once
// Finding text in the lists and across a project: one pattern with its options, matched
// against an item's id, source text and translation.
#include <memory>
#include <string>
#include <string_view>

namespace tvl {

struct CFindOptions {
  bool wholeWord = false;
  bool matchCase = false;
  bool regularExpression = false;
};

class CTextMatcher {
 public:
  // An empty pattern matches everything.
  CTextMatcher(std::u16string_view pattern, CFindOptions options);
  ~CTextMatcher();
  CTextMatcher(const CTextMatcher&) = delete;
  CTextMatcher& operator=(const CTextMatcher&) = delete;

  // False for a regular expression that does not compile; such a pattern matches nothing.
  bool IsValid() const { return m_valid; }
  bool IsEmpty() const { return m_empty; }
  bool Matches(std::u16string_view text) const;
  // The item's id, its source text or its translation.
  bool MatchesAny(std::u16string_view id, std::u16string_view source, std::u16string_view translation) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> m_impl;
  bool m_valid = true;
  bool m_empty = true;
  bool m_wholeWord = false;
};

}  // namespace tvl
