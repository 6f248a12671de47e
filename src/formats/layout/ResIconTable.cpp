#include "formats/layout/ResIconTable.h"

IMPLEMENT_SERIAL(CResIconTable, CResourceType, VERSIONABLE_SCHEMA | 1)
