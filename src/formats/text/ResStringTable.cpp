#include "formats/text/ResStringTable.h"

IMPLEMENT_SERIAL(CResStringTable, CResourceType, VERSIONABLE_SCHEMA | 1)
