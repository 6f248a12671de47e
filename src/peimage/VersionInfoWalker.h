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
  size_t valueSize = 0;   // in bytes, cut to what the node holds (whole UTF-16 units for text)
  bool valueCut = false;  // the stored value length runs past the node
  size_t end = 0;         // offset just past the node
  size_t childrenOffset = 0;
  std::vector<CVersionInfoNode> children;
};

// What ReadVersionNode found at an offset.
enum class VersionNodeRead {
  kNode,
  kNoNode,  // no header, or a length below it or past the limit: the list ends here
  kBadKey,  // the key has no terminator inside the node
};

// Reads the header, key and value position of the node at `offset`, touching only the
// bytes of `data` before `limit`; its children are left unread. The one definition of a
// node that both the survey and the version format read by.
VersionNodeRead ReadVersionNode(std::span<const BYTE> data, size_t offset, size_t limit, CVersionInfoNode& node);

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
  bool ReadTree(size_t offset, size_t limit, int depth, CVersionInfoNode& node) const;

  std::span<const BYTE> m_data;
  CVersionInfoNode m_root;
};
