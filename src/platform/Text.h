#pragma once
// Conversions at the edges: the model holds UTF-16, files and terminals UTF-8,
// resources and old project files 8-bit text in a Windows code page.
#include <string>
#include <string_view>

#include "platform/Types.h"

namespace tvl {

std::string ToUtf8(std::u16string_view text);
std::u16string FromUtf8(std::string_view text);
inline std::u16string U(std::string_view ascii) { return FromUtf8(ascii); }

// Windows code page conversions (MultiByteToWideChar / WideCharToMultiByte).
// Code page 0 means the system's ANSI code page; 1200 and 65001 are handled directly.
std::u16string MultiByteToWide(UINT codePage, std::string_view bytes);
std::string WideToMultiByte(UINT codePage, std::u16string_view text, bool* usedDefaultChar = nullptr);
bool IsCodePageKnown(UINT codePage);

// The system ANSI code page: that of the system default language.
UINT SystemAnsiCodePage();

// Lower-cases A to Z only, as the command-line parser and resource names need.
std::u16string ToLowerAscii(std::u16string_view text);
// Case-insensitive comparison as the platform compares file names.
int CompareNoCase(std::u16string_view a, std::u16string_view b);

std::u16string Trim(std::u16string_view text);

// Orders two texts as the root locale's collation does: -1, 0 or 1. With `ignoreCase`
// letters compare without regard to case, else case counts too. Code unit order where
// the collator cannot be opened.
int CollateText(std::u16string_view a, std::u16string_view b, bool ignoreCase);

}  // namespace tvl
