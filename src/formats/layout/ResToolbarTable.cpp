#include "formats/layout/ResToolbarTable.h"

IMPLEMENT_SERIAL(CResToolbarTable, CResourceType, VERSIONABLE_SCHEMA | 1)
