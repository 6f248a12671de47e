#pragma once
// The handler of icon groups (type 14) and of cursor groups (type 12). The images of all
// its groups are written first, numbered from 1, then the directories that point to them.
#include "resmodel/ResourceType.h"

class CResIconTable : public CResourceType {
  DECLARE_SERIAL(CResIconTable)
 public:
  CResIconTable() = default;

  void Write(CCompileContext& context) override;

  // Cursor groups are held by the handler of type 12; everything else is icons.
  bool IsIconTable() const { return !(m_identifier.IsOrdinal() && m_identifier.m_ordinal == 12); }
};
