#pragma once
// The handler of message tables. Until messages are parsed, the tables are kept as raw bytes.
#include "formats/text/ResStringTable.h"

class CResMessageTable : public CResStringTable {
  DECLARE_SERIAL(CResMessageTable)
 public:
  CResMessageTable() = default;
};
