#pragma once
// The handler of string tables. Until strings are parsed, the blocks are kept as raw bytes.
#include "resmodel/ResourceType.h"

class CResStringTable : public CResourceType {
  DECLARE_SERIAL(CResStringTable)
 public:
  CResStringTable() = default;
};
