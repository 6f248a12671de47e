#pragma once
// INI-style profile files, read the way the platform's profile functions read them:
// section names case-insensitive (the first section of a name counts), blanks around keys
// and values trimmed, blank lines and ';' comment lines skipped.
// The file may be UTF-16LE (or UTF-16BE) with a byte order mark, UTF-8 with or without
// one, or 8-bit text in the system's ANSI code page when it is not valid UTF-8.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Types.h"

namespace tvl {

// The buffer GetPrivateProfileSection is usually given: the largest section it returns.
constexpr DWORD kProfileSectionBufferChars = 32767;

class CProfileFile {
 public:
  CProfileFile() = default;

  // Decodes and parses file contents.
  static CProfileFile FromBytes(std::string_view bytes);
  // Reads a file; nullopt when it cannot be read.
  static std::optional<CProfileFile> Load(const std::string& path);

  bool HasSection(std::u16string_view section) const;

  // The section as GetPrivateProfileSection fills a buffer of bufferChars characters:
  // "key=value\0" per line (a line without '=' as it stands), then a final \0. A section
  // that does not fit is cut: the buffer keeps bufferChars - 2 characters of it and two
  // \0, and the result is bufferChars - 2. Otherwise the result is the number of
  // characters without the final \0. A missing section gives 0 and an empty list.
  DWORD GetSection(std::u16string_view section, std::u16string& buffer,
                   DWORD bufferChars = kProfileSectionBufferChars) const;
  // The strings of that buffer, in order (the last one may be cut short).
  std::vector<std::u16string> GetSectionLines(std::u16string_view section,
                                              DWORD bufferChars = kProfileSectionBufferChars) const;

  // The value of a key (case-insensitive), with one pair of enclosing quotes removed as
  // GetPrivateProfileString does; nullopt when the section or key is missing.
  std::optional<std::u16string> GetString(std::u16string_view section, std::u16string_view key) const;

 private:
  struct Entry {
    std::u16string key;    // the whole line when there is no '='
    std::u16string value;
    bool hasValue = false;
  };
  struct Section {
    std::u16string name;
    std::vector<Entry> entries;
  };

  const Section* FindSection(std::u16string_view name) const;
  void Parse(std::u16string_view text);

  std::vector<Section> m_sections;
};

// The text of a profile file: BOM decides, else UTF-8 when valid, else the ANSI code page.
std::u16string DecodeProfileText(std::string_view bytes);
// True when the bytes are well-formed UTF-8 (no overlong forms, surrogates or values
// beyond U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

}  // namespace tvl
