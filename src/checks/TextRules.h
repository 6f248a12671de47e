#pragma once
// Rules that judge one translated text against its source, each on its own.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "checks/CheckFinding.h"

// One translated text with what the rules need to know about where it sits.
struct CTextPair {
  std::u16string_view source;
  std::u16string_view translation;
  bool label = false;  // a control or menu label, where '&' marks a mnemonic
};

class CTextRule {
 public:
  virtual ~CTextRule() = default;
  virtual const char* Name() const = 0;
  virtual void Check(const CTextPair& pair, CRuleHits& hits) const = 0;
};

// One placeholder as it appears in a text; positional ones may move.
struct CPlaceholder {
  std::u16string text;
  bool positional = false;
  size_t offset = 0;  // where it starts in the text
};

// printf conversions, FormatMessage inserts and escapes, and {0}-style inserts, in order.
std::vector<CPlaceholder> ExtractPlaceholders(std::u16string_view text);

// The letter after the first single '&' ("&&" is a literal ampersand), if any.
std::optional<char16_t> FindMnemonic(std::u16string_view text);

// The same placeholders in source and translation; non-positional ones in the same order.
class CPlaceholderRule : public CTextRule {
 public:
  const char* Name() const override { return "placeholders"; }
  void Check(const CTextPair& pair, CRuleHits& hits) const override;
};

// A label whose mnemonic was lost in translation, or gained one the source does not have.
class CMnemonicPresenceRule : public CTextRule {
 public:
  const char* Name() const override { return "mnemonics"; }
  void Check(const CTextPair& pair, CRuleHits& hits) const override;
};

// Leading and trailing blanks, line breaks and ending punctuation as in the source, and a
// translation that merely repeats a source worth translating.
class CTextShapeRule : public CTextRule {
 public:
  const char* Name() const override { return "text-shape"; }
  void Check(const CTextPair& pair, CRuleHits& hits) const override;
};

// The characters of text that an ANSI code page cannot hold (written as '?').
std::u16string UnrepresentableCharacters(std::u16string_view text, UINT codePage);
