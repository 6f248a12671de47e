#pragma once
// Finding text in the lists and across a project: one pattern with its options, matched
// against an item's id, source text and translation.
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Types.h"

class CLocalizedString;
class CTvlDoc;

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

// An item of the project that matched, with the texts the results list shows.
struct CFindMatch {
  std::string id;  // "module/type/resource/element", UTF-8
  std::u16string source;
  std::u16string translation;
};
// Every text item and accelerator key of the project whose id, source or translation in the
// language matches; nothing for an empty or invalid pattern.
std::vector<CFindMatch> FindInProject(CTvlDoc& doc, const CTextMatcher& matcher, LANGID language);

// A test a list applies to each text of a row (its id, source texts and translations).
using TextTest = std::function<bool(std::u16string_view)>;

// The translation of a text in a language; empty when it has none of its own.
std::u16string_view OwnTranslation(const CLocalizedString& value, LANGID language);

// Type-ahead: whether a text begins with what was typed, case ignored; leading spaces and
// the text's mnemonic marks ('&') are passed over.
bool BeginsWithTyped(std::u16string_view text, std::u16string_view typed);

}  // namespace tvl
