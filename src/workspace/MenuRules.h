#pragma once
// The rules of the menu view that need no window: which letter an item's text makes its
// mnemonic, which items of one level share one, and the rows of a filtered menu with the
// popup path captions that keep listed items in context.
#include <string>
#include <vector>

namespace tvl {

// The character after the first single '&' of the item text (before any tab), folded to
// lower case for Latin and Cyrillic letters; 0 without one ("&&" is a literal ampersand).
char16_t MnemonicOf(const std::u16string& text);
// For each item text of one menu level, the index of the first other item with the same
// mnemonic, or -1.
std::vector<int> FindMnemonicClashes(const std::vector<std::u16string>& texts);

// A menu item as the filter sees it: its text for the language, whether it is listed
// itself, and its submenu.
struct CMenuNodeFacts {
  int item = -1;
  std::u16string text;
  bool listed = false;
  std::vector<CMenuNodeFacts> children;
};
// A row of the menu view: an item with its indent (twice its depth), or a caption row
// (item -1, no indent) holding a popup path such as "File > Recent > ".
struct CMenuRow {
  int item = -1;
  int indent = 0;
  std::u16string caption;
  bool operator==(const CMenuRow&) const = default;
};
// The rows of a menu: listed items depth first. Popups that are not listed but hold listed
// items give caption rows; a level without listed items of its own and with one such popup
// passes its caption up, to be merged into its parent's, except at the top level.
std::vector<CMenuRow> MenuRows(const std::vector<CMenuNodeFacts>& top);

}  // namespace tvl
