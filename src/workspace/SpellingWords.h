#pragma once
// The words of a translation that spelling looks at: letters only, with the parts a program
// reads rather than a person (placeholders, escapes, mnemonic markers, names glued to file
// or address punctuation) left out.
#include <string>
#include <string_view>
#include <vector>

struct CSpellWord {
  size_t start = 0;     // the first letter in the text
  size_t length = 0;    // up to the last letter; a mnemonic '&' inside is counted
  std::u16string word;  // what the dictionary is asked: the letters without the '&'
};

std::vector<CSpellWord> WordsToCheck(std::u16string_view text);

// `replacement` for the text of a word, with the word's mnemonic '&' kept before the letter at
// the same place: "Fi&chierr" and "Fichier" give "Fi&chier". A leading '&' sits before the
// word's start and stays as it is.
std::u16string KeepMnemonic(std::u16string_view original, std::u16string_view replacement);
