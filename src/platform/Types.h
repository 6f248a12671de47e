#pragma once
// The fixed-width names the stored formats and the resource formats are written in.
#include <cstdint>

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using LONGLONG = std::int64_t;
using ULONGLONG = std::uint64_t;
using LANGID = std::uint16_t;
using UINT = unsigned int;

constexpr LANGID kNoLanguage = 0xFFFF;

constexpr WORD PRIMARYLANGID(LANGID lang) { return lang & 0x3FF; }
constexpr WORD SUBLANGID(LANGID lang) { return lang >> 10; }
constexpr LANGID MAKELANGID(WORD primary, WORD sub) { return static_cast<LANGID>((sub << 10) | primary); }
