#include "workspace/MenuRules.h"

#include <utility>

namespace tvl {

namespace {

char16_t FoldCase(char16_t c) {
  if (c >= u'A' && c <= u'Z') return static_cast<char16_t>(c + 32);
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<char16_t>(c + 32);
  if (c >= 0x410 && c <= 0x42F) return static_cast<char16_t>(c + 32);
  return c;
}

struct CLevelResult {
  std::vector<CMenuRow> rows;
  std::u16string pending;  // the caption passed up, empty when none
};

CLevelResult FillLevel(const std::vector<CMenuNodeFacts>& nodes, int depth) {
  struct Block {
    size_t at;
    std::u16string caption;
  };
  CLevelResult result;
  std::vector<Block> blocks;
  bool ownListed = false;
  for (const CMenuNodeFacts& node : nodes) {
    if (node.listed) {
      ownListed = true;
      result.rows.push_back({node.item, 2 * depth, {}});
    }
    if (node.children.empty()) continue;
    CLevelResult sub = FillLevel(node.children, depth + 1);
    if (sub.rows.empty()) continue;
    // A listed popup stands above its own items; a caption is needed only for a deeper path.
    if (!node.listed || !sub.pending.empty())
      blocks.push_back({result.rows.size(), node.text + u" > " + sub.pending});
    result.rows.insert(result.rows.end(), sub.rows.begin(), sub.rows.end());
  }
  if (depth > 0 && !ownListed && blocks.size() == 1) {
    result.pending = std::move(blocks.front().caption);
    return result;
  }
  // Inserted from the back so that the recorded positions stay valid.
  for (auto b = blocks.rbegin(); b != blocks.rend(); ++b)
    result.rows.insert(result.rows.begin() + static_cast<std::ptrdiff_t>(b->at), CMenuRow{-1, 0, b->caption});
  return result;
}

}  // namespace

char16_t MnemonicOf(const std::u16string& text) {
  for (size_t i = 0; i + 1 < text.size() && text[i] != u'\t'; ++i) {
    if (text[i] != u'&') continue;
    if (text[i + 1] == u'&') {
      ++i;
      continue;
    }
    return text[i + 1] == u'\t' ? 0 : FoldCase(text[i + 1]);
  }
  return 0;
}

std::vector<int> FindMnemonicClashes(const std::vector<std::u16string>& texts) {
  std::vector<char16_t> letters;
  for (const std::u16string& t : texts) letters.push_back(MnemonicOf(t));
  std::vector<int> clashes(texts.size(), -1);
  for (size_t i = 0; i < letters.size(); ++i)
    for (size_t j = 0; letters[i] && j < letters.size(); ++j)
      if (i != j && letters[i] == letters[j]) {
        clashes[i] = static_cast<int>(j);
        break;
      }
  return clashes;
}

std::vector<CMenuRow> MenuRows(const std::vector<CMenuNodeFacts>& top) { return FillLevel(top, 0).rows; }

}  // namespace tvl
