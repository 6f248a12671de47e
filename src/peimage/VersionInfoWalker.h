#pragma once
// Reads a VS_VERSIONINFO tree (the bytes of an RT_VERSION resource) and answers queries
// by path, as the platform's version query does: "\VarFileInfo\Translation".
#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Types.h"

struct CVersionInfoNode {
  std::u16string key;
  WORD type = 0;          // 1 text, 0 binary
  WORD valueLength = 0;   // as stored: UTF-16 units for text, bytes otherwise
  size_t valueOffset = 0; // from the start of the resource
  size_t valueSize = 0;   // in bytes, cut to what the node holds
  std::vector<CVersionInfoNode> children;
};

class CVersionInfoWalker {
 public:
  // False when not even the root node can be read. Children that do not fit their
  // parent end the parent's list; nothing is read outside `data`.
  bool Parse(std::span<const BYTE> data);

  const CVersionInfoNode& GetRoot() const { return m_root; }
  // The node at a path of keys separated by backslashes, compared without regard to case;
  // "\" or "" is the root. Null when there is none.
  const CVersionInfoNode* Find(std::u16string_view path) const;
  // The value bytes of a node.
  std::span<const BYTE> GetValue(const CVersionInfoNode& node) const;

  // The languages of "\VarFileInfo\Translation": the low 16 bits of each 4-byte entry.
  static std::vector<LANGID> TranslationLanguages(std::span<const BYTE> versionResource);

 private:
  bool ReadNode(size_t offset, size_t limit, int depth, CVersionInfoNode& node, size_t& next) const;

  std::span<const BYTE> m_data;
  CVersionInfoNode m_root;
};
