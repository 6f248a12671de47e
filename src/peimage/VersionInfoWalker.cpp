#include "peimage/VersionInfoWalker.h"

#include <algorithm>

#include "peimage/PeFormat.h"
#include "platform/ByteReader.h"
#include "platform/Text.h"

namespace {

// Real trees are three levels deep below the root; this only bounds recursion.
constexpr int kMaxDepth = 16;
constexpr size_t kNodeHeader = 6;  // wLength, wValueLength, wType

size_t Align4(size_t v) { return (v + 3) & ~size_t{3}; }

}  // namespace

VersionNodeRead ReadVersionNode(std::span<const BYTE> data, size_t offset, size_t limit, CVersionInfoNode& node) {
  CByteReader in(data.first(std::min(limit, data.size())));
  if (!in.Fits(offset, kNodeHeader)) return VersionNodeRead::kNoNode;
  const size_t length = in.U16At(offset);
  if (length < kNodeHeader || !in.Fits(offset, length)) return VersionNodeRead::kNoNode;
  node.end = offset + length;
  in = in.Sub(0, node.end);
  node.valueLength = in.U16At(offset + 2);
  node.type = in.U16At(offset + 4);

  in.Seek(offset + kNodeHeader);
  // A read past the node fails and yields 0, which ends the loop.
  for (char16_t c = static_cast<char16_t>(in.Read16()); c != 0; c = static_cast<char16_t>(in.Read16()))
    node.key.push_back(c);
  if (!in.Ok()) return VersionNodeRead::kBadKey;

  // Text values are counted in UTF-16 units, binary ones in bytes.
  const size_t stored = node.type == 1 ? size_t{node.valueLength} * 2 : node.valueLength;
  node.valueOffset = std::min(Align4(in.Offset()), node.end);
  const size_t room = node.end - node.valueOffset;
  node.valueSize = std::min(stored, node.type == 1 ? room & ~size_t{1} : room);
  node.valueCut = stored > room;
  node.childrenOffset = Align4(node.valueOffset + node.valueSize);
  return VersionNodeRead::kNode;
}

bool CVersionInfoWalker::Parse(std::span<const BYTE> data) {
  m_data = data;
  m_root = CVersionInfoNode();
  return ReadTree(0, data.size(), 0, m_root);
}

bool CVersionInfoWalker::ReadTree(size_t offset, size_t limit, int depth, CVersionInfoNode& node) const {
  if (ReadVersionNode(m_data, offset, limit, node) != VersionNodeRead::kNode) return false;
  if (depth >= kMaxDepth) return true;
  // The survey takes what it can: a child that cannot be read ends its parent's list.
  for (size_t at = node.childrenOffset; at < node.end;) {
    CVersionInfoNode child;
    if (!ReadTree(at, node.end, depth + 1, child)) break;
    at = Align4(child.end);
    node.children.push_back(std::move(child));
  }
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
  CByteReader in(value);
  while (in.Remaining() >= 4) {
    languages.push_back(in.Read16());
    in.Skip(2);
  }
  return languages;
}
