#pragma once
// The handler of dialogs. Until dialog templates are parsed, dialogs are kept as raw bytes.
#include "resmodel/ResourceType.h"

class CResDialogTable : public CResourceType {
  DECLARE_SERIAL(CResDialogTable)
 public:
  CResDialogTable() = default;
};
