#pragma once
// Version information: the fixed file and product versions and the values of the string
// tables are translated; the written resource always has one string table, in the target
// language with code page 1200.
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "resmodel/Resource.h"

class CResourceData;

struct LangAndCodePage {
  WORD m_language = 0;
  WORD m_codePage = 0;
  bool operator==(const LangAndCodePage&) const = default;
};

// One value of the string tables: its key and its text per language.
struct StringValue {
  std::u16string m_key;
  CLocalizedString m_value;  // head in the language of the table it was first seen in
};

// The numbers and text the build writes for a version.
struct VersionNumbers {
  WORD m_numbers[4] = {0, 0, 0, 0};
  std::u16string m_text;
};

class CResVersion : public CResource {
  DECLARE_SERIAL(CResVersion)
 public:
  static constexpr size_t kFixedInfoSize = 52;
  static constexpr WORD kWrittenCodePage = 1200;
  // Offsets inside the fixed info.
  static constexpr size_t kFileVersionMS = 8, kFileVersionLS = 12, kProductVersionMS = 16,
                          kProductVersionLS = 20, kFileType = 36, kFileSubtype = 40;
  static constexpr DWORD kFileTypeDll = 2;

  CResVersion();

  void Serialize(CArchive& ar) override;
  void Dump(std::ostream& out) const override;
  void Parse(CResStream& stream) override;
  void Merge(const CResource& other, bool copyProperties, bool importMode) override;
  void WriteData(CResourceData& data) override;
  int ComputeStatus(LANGID language) const override;

  // What the build writes for one of the two versions: the language's value when it has
  // status 1 or more and neither the version nor the resource is marked do not translate,
  // else the source; a pair (first two, last two) of 0xFFFF, 0xFFFF falls back to the
  // source's pair, an empty text to the source's text.
  VersionNumbers GetVersion(const CLocalizedStringSizePos& version, LANGID language) const;
  // The text of a string value the build writes for a language.
  const std::u16string& GetValueText(const StringValue& value, LANGID language) const;

  // The first value with that key (case-insensitive), or null.
  StringValue* FindValue(const std::u16string& key);
  const StringValue* FindValue(const std::u16string& key) const;

  // A version as the user types it: four decimal numbers of 0 to 65535, spaces and tabs
  // around each, one "." or "," (or nothing) after each of the first three. On success the
  // numbers and the canonical text "A, B, C, D" are given back.
  static bool ParseVersionText(const std::u16string& text, WORD numbers[4], std::u16string* canonical = nullptr);
  // The message a refused version text is answered with.
  static const std::u16string& VersionFormatMessage();
  // Sets a language's value of a version from typed text; a refused text is answered with
  // the format message (error icon) and changes nothing.
  static bool SetVersionText(CLocalizedStringSizePos& version, LANGID language, const std::u16string& text);
  // "A, B, C, D".
  static std::u16string VersionText(const WORD numbers[4]);

  BYTE m_fixedInfo[kFixedInfoSize] = {};
  BYTE m_noFixedInfo = 1;  // 1: the root's value was not a fixed info; nothing else is kept
  CLocalizedStringSizePos m_fileVersion;
  CLocalizedStringSizePos m_productVersion;
  std::vector<LangAndCodePage> m_translations;  // as the source's Translation value lists them
  std::vector<LangAndCodePage> m_stringTables;  // one per string table of the source
  std::vector<std::unique_ptr<StringValue>> m_values;
};
