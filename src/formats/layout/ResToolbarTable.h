#pragma once
// The handler of toolbars: writes each toolbar and then the bitmaps the toolbars own, and
// links the toolbars of a freshly read module to their bitmaps.
#include "resmodel/ResourceType.h"

class CResToolbarTable : public CResourceType {
  DECLARE_SERIAL(CResToolbarTable)
 public:
  CResToolbarTable() = default;

  void Serialize(CArchive& ar) override;
  // The toolbars as type 241, then their bitmaps as type 2, in toolbar order.
  void Write(CCompileContext& context) override;

  // Each toolbar takes the first bitmap with its identifier out of the bitmaps handler.
  void LinkBitmaps(CResourceType& bitmaps);
};
