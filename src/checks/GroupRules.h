#pragma once
// Rules that judge texts together: mnemonic letters shared within one dialog or menu level,
// and menu shortcut texts against the accelerators of their commands.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "checks/CheckFinding.h"

// The labels of one dialog or one menu level, in order.
struct CLabelPair {
  std::u16string source;
  std::u16string translation;
};

// The mnemonic letter folded in a language's case rules (locale: an ICU locale name).
std::u16string FoldMnemonic(char16_t letter, const char* locale);

class CMnemonicConflictRule {
 public:
  static const char* Name() { return "mnemonics"; }
  // For every label whose translated mnemonic repeats that of an earlier label (where the
  // two source labels did not share theirs): the label's index and the hit.
  std::vector<std::pair<size_t, CRuleHit>> Check(const std::vector<CLabelPair>& labels, const char* sourceLocale,
                                                 const char* targetLocale) const;
};

// An accelerator key as the table holds it.
struct CAcceleratorKey {
  WORD flags = 0;
  WORD key = 0;
};

class CShortcutRule {
 public:
  static const char* Name() { return "shortcuts"; }
  // Whether a shortcut text ("Ctrl+S", "Strg+Umschalt+F5") names the key; nullopt when the
  // text names no key this rule knows.
  static std::optional<bool> Names(std::u16string_view text, const CAcceleratorKey& key);
  // A hit when the translated shortcut names none of the command's keys in the language
  // while the source shortcut names one of the source keys.
  std::optional<CRuleHit> Check(std::u16string_view sourceText, const std::vector<CAcceleratorKey>& sourceKeys,
                                std::u16string_view translatedText,
                                const std::vector<CAcceleratorKey>& translatedKeys) const;
};
