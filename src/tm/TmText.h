#pragma once
// How the memory sees a text: placeholders, the mnemonic mark and the shortcut after a tab
// set aside, so "&Open\tCtrl+O" and "Op&en\tCtrl+Shift+O" are the same sentence; the words
// compared for a match percentage; and a stored translation fitted to a new source.
#include <string>
#include <string_view>
#include <utility>
#include <vector>

enum class ETmTokenKind { kWord, kPunctuation, kPlaceholder };

struct CTmToken {
  std::u16string text;  // a word as written (without '&'), a mark, or a placeholder's stand-in
  ETmTokenKind kind = ETmTokenKind::kWord;
  size_t begin = 0, end = 0;  // in the text analysed
  std::u16string folded;      // a word in lower case
};

struct CTmText {
  std::u16string key;  // what an exact match compares
  std::vector<CTmToken> tokens;
  std::vector<std::u16string> placeholders;  // as written, in order
  bool mnemonic = false;
  bool hasShortcut = false;
  std::u16string shortcut;  // after the tab

  // The words folded to lower case, one space between: what the word index holds.
  std::u16string IndexWords() const;
  size_t WordCount() const;
};

namespace tvl {
CTmText AnalyseTmText(std::u16string_view text);

// 100 for equal keys; below for texts that differ, by an edit distance over the tokens where
// a change of case or of a punctuation mark costs less than a changed word.
int MatchPercent(const CTmText& a, const CTmText& b);

// The spans of shown's text (begin, end) whose tokens are not in other.
std::vector<std::pair<size_t, size_t>> DifferingSpans(const CTmText& shown, const CTmText& other);

// The stored translation of oldSource with the placeholders, mnemonic and shortcut of
// newSource: placeholders by their place in the source, the shortcut taken over when it
// changed, the mnemonic dropped or added as the new source has one.
std::u16string AdaptTranslation(const CTmText& oldSource, std::u16string_view translation, const CTmText& newSource);
}  // namespace tvl
