#include "formats/layout/ResDialogTable.h"

IMPLEMENT_SERIAL(CResDialogTable, CResourceType, VERSIONABLE_SCHEMA | 1)
