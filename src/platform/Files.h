#pragma once
// Files and paths where the program would call the platform's file services.
#include <cstdint>
#include <string>

#include "platform/Types.h"

namespace tvl {

// A path held by the model (UTF-16) as the file system here wants it (UTF-8).
std::string NativePath(const std::u16string& path);

// The folder of the running program with a trailing separator; empty when unknown.
std::u16string ProgramDirectory();
// Overrides ProgramDirectory (tests, tools that ship beside another folder).
void SetProgramDirectory(const std::u16string& dir);

// The user's temporary directory with a trailing separator: $TMPDIR, else /tmp;
// empty when neither is a usable directory.
std::u16string TempDirectory();

}  // namespace tvl

// A new unique, empty file in the temporary directory (else the current directory),
// named <prefix up to 3 characters><4 hex digits>.TMP as the platform's service names it.
// When no file can be created the name is "C:\VELTRUNE<prefix>.TMP".
std::u16string MakeTempFileName(const std::u16string& prefix);
