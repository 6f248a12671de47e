#pragma once
// The satellite template: a resource-only PE32 DLL that a build copies and fills with the
// translated resources of a satellite module.
//
// It holds no code, no imports, no relocations and no entry point, only one ".rsrc" section
// with an empty resource directory: the build deletes whatever resources the template has
// before it writes its own, so any content would only be dead weight, and an empty directory
// cannot leak anything into a target. Its checksum is set, so targets built from it carry a
// valid one. The output is fully determined (no time stamp), so data/Satellite.dll can be
// checked against a fresh generation.
#include <vector>

#include "platform/Types.h"

namespace tvl {

std::vector<BYTE> MakeSatelliteDll();

}  // namespace tvl
