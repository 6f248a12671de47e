#pragma once
// The two forms of a path a project holds: as the user reads and writes it here, and as
// the project file stores it (see Paths.h).
#include <string>

namespace tvl {

// A path as the dialogs show it here: '/' between folders, as the user writes paths on this
// platform. A Windows path (drive letter or UNC prefix) is not one of ours and stays as it is.
std::u16string DisplayPath(const std::u16string& path);
// What the user typed, as a project stores it: a relative path with '\', so the project
// still moves between Windows and Linux; other paths as they are.
std::u16string StoredPath(const std::u16string& path);

}  // namespace tvl
