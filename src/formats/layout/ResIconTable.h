#pragma once
// The handler of icon and cursor groups. Until groups are parsed, they are kept as raw bytes.
#include "resmodel/ResourceType.h"

class CResIconTable : public CResourceType {
  DECLARE_SERIAL(CResIconTable)
 public:
  CResIconTable() = default;
};
