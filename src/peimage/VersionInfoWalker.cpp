#include "peimage/VersionInfoWalker.h"

#include "peimage/PeFormat.h"
#include "platform/Text.h"

namespace {

// Real trees are three levels deep below the root; this only bounds recursion.
constexpr int kMaxDepth = 16;
constexpr size_t kNodeHeader = 6;  // wLength, wValueLength, wType

size_t Align4(size_t v) { return (v + 3) & ~size_t{3}; }

}  // namespace

bool CVersionInfoWalker::Parse(std::span<const BYTE> data) {
  m_data = data;
  m_root = CVersionInfoNode();
  size_t next = 0;
  return ReadNode(0, data.size(), 0, m_root, next);
}

bool CVersionInfoWalker::ReadNode(size_t offset, size_t limit, int depth, CVersionInfoNode& node,
                                  size_t& next) const {
  if (offset > limit || limit - offset < kNodeHeader) return false;
  const BYTE* p = m_data.data();
  const size_t length = pe::Get16(p + offset);
  if (length < kNodeHeader || length > limit - offset) return false;
  const size_t end = offset + length;
  node.valueLength = pe::Get16(p + offset + 2);
  node.type = pe::Get16(p + offset + 4);

  size_t at = offset + kNodeHeader;
  bool terminated = false;
  while (at + 2 <= end) {
    char16_t c = static_cast<char16_t>(pe::Get16(p + at));
    at += 2;
    if (c == 0) {
      terminated = true;
      break;
    }
    node.key.push_back(c);
  }
  if (!terminated) return false;

  at = Align4(at);
  size_t valueBytes = node.type == 1 ? size_t{node.valueLength} * 2 : node.valueLength;
  node.valueOffset = std::min(at, end);
  node.valueSize = std::min(valueBytes, end - node.valueOffset);
  at = Align4(node.valueOffset + node.valueSize);

  if (depth < kMaxDepth) {
    while (at < end) {
      CVersionInfoNode child;
      size_t childNext = 0;
      if (!ReadNode(at, end, depth + 1, child, childNext)) break;
      node.children.push_back(std::move(child));
      at = Align4(childNext);
    }
  }
  next = end;
  return true;
}

const CVersionInfoNode* CVersionInfoWalker::Find(std::u16string_view path) const {
  const CVersionInfoNode* node = &m_root;
  size_t pos = 0;
  while (pos < path.size()) {
    if (path[pos] == u'\\') {
      ++pos;
      continue;
    }
    size_t stop = path.find(u'\\', pos);
    if (stop == std::u16string_view::npos) stop = path.size();
    std::u16string_view key = path.substr(pos, stop - pos);
    const CVersionInfoNode* found = nullptr;
    for (const CVersionInfoNode& child : node->children) {
      if (tvl::CompareNoCase(child.key, key) == 0) {
        found = &child;
        break;
      }
    }
    if (!found) return nullptr;
    node = found;
    pos = stop;
  }
  return node;
}

std::span<const BYTE> CVersionInfoWalker::GetValue(const CVersionInfoNode& node) const {
  return m_data.subspan(node.valueOffset, node.valueSize);
}

std::vector<LANGID> CVersionInfoWalker::TranslationLanguages(std::span<const BYTE> versionResource) {
  std::vector<LANGID> languages;
  CVersionInfoWalker walker;
  if (!walker.Parse(versionResource)) return languages;
  const CVersionInfoNode* node = walker.Find(u"\\VarFileInfo\\Translation");
  if (!node) return languages;
  std::span<const BYTE> value = walker.GetValue(*node);
  for (size_t i = 0; i + 4 <= value.size(); i += 4) languages.push_back(pe::Get16(value.data() + i));
  return languages;
}
