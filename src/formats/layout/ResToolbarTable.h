#pragma once
// The handler of toolbars. Until toolbars are parsed, they are kept as raw bytes.
#include "resmodel/ResourceType.h"

class CResToolbarTable : public CResourceType {
  DECLARE_SERIAL(CResToolbarTable)
 public:
  CResToolbarTable() = default;
};
