#include "formats/text/ResMessageTable.h"

IMPLEMENT_SERIAL(CResMessageTable, CResStringTable, VERSIONABLE_SCHEMA | 1)
