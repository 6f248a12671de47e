#pragma once
// The walk of a resource directory (root, types, names, languages, data entries) shared by
// the reader and the update service. They differ in what they do with a damaged directory:
//  - lenient (the reader): an entry that cannot be read is skipped, so a damaged file still
//    shows whatever can be read of it; only an unreadable root fails the walk;
//  - strict (the update service): anything malformed fails the walk, since rewriting the
//    file without an entry would silently drop it.
// Both refuse to read any table twice, so loops and shared tables cannot multiply the work.
#include <cstddef>
#include <functional>
#include <span>
#include <string>

#include "platform/Types.h"

namespace tvl {

// A type or name as the directory stores it.
struct ResDirId {
  std::u16string name;
  WORD ordinal = 0;
  bool isName = false;
};

struct ResDirLeaf {
  const ResDirId& type;
  const ResDirId& name;
  WORD language;
  DWORD dataRva, size, codePage;
};

// Walks the directory whose root starts `region` (which runs to the end of the section data
// that holds it), calling `leaf` for each data entry in directory order. False when the root
// cannot be read, when strict and anything is malformed, or when `leaf` returns false.
bool WalkResourceDirectory(std::span<const BYTE> region, bool strict,
                           const std::function<bool(const ResDirLeaf&)>& leaf);

}  // namespace tvl
