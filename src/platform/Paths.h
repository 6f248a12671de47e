#pragma once
// Path operations as the shell's path functions perform them, for paths that move between
// Windows and Linux: a stored relative path uses '\', and reading accepts '\' and '/'.
#include <cstdint>
#include <optional>
#include <string>

#include "platform/Types.h"

namespace tvl {

// Absolute here: begins with '/', or is a Windows path with a drive or a UNC prefix.
bool PathIsRelative(const std::u16string& path);
// Everything after the last '\' or '/' (the whole path when there is none).
std::u16string PathFindFileName(const std::u16string& path);
// The folder part, without its trailing separator; empty for a bare file name.
std::u16string PathRemoveFileSpec(const std::u16string& path);
// The extension from the last '.' of the file name, dot included; empty when there is none.
std::u16string PathFindExtension(const std::u16string& path);
// Removes "." and ".." parts and doubled separators; separators become '/' for a path that
// is absolute here. nullopt when ".." climbs above the root.
std::optional<std::u16string> PathCanonicalize(const std::u16string& path);
// Folder combined with a relative path, canonicalised.
std::optional<std::u16string> PathCombine(const std::u16string& folder, const std::u16string& relative);
// The relative path from a file to a file, in the platform's form: ".\name" in the same
// folder, ".\bin\name" below, "..\bin\name" above. nullopt when none exists.
std::optional<std::u16string> PathRelativePathTo(const std::u16string& fromFile, const std::u16string& toFile);
bool PathIsDirectory(const std::u16string& path);
bool PathFileExists(const std::u16string& path);
// Patterns of '*', '?', case-insensitive; several patterns separated by ';'.
bool PathMatchSpec(const std::u16string& name, const std::u16string& spec);
// Last-write time as FILETIME (100-ns ticks since 1601-01-01 UTC); 0 when unreadable.
std::uint64_t GetFileTime(const std::u16string& path);
// Creates a folder and every missing parent; true when the folder exists afterwards.
bool CreateDirectories(const std::u16string& path);

}  // namespace tvl
