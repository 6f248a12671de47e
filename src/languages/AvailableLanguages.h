#pragma once
// The language catalogue: language names read from "Languages.dat" beside the program.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Types.h"

namespace tvl {
class CProfileFile;
}

class CAvailableLanguages {
 public:
  class CLanguage {
   public:
    LANGID m_language = 0;
    std::u16string m_name;
    // Carried by every entry but never read from the file nor used.
    std::u16string m_strings[5];
    int m_values[2] = {0, 0};
    std::u16string m_fontName = u"Tahoma";
    int m_fontSize = 8;
  };

  CAvailableLanguages() = default;
  // Reads the section from `path`, or from "Languages.dat" in the program's folder.
  // A missing file or section leaves the catalogue empty.
  explicit CAvailableLanguages(std::u16string_view section, const std::optional<std::u16string>& path = std::nullopt);
  // Reads the section from a profile already in memory.
  CAvailableLanguages(std::u16string_view section, const tvl::CProfileFile& file);

  // The first entry with exactly that language, or nullptr.
  const CLanguage* FindEntry(LANGID language) const;

  int GetSize() const { return static_cast<int>(m_entries.size()); }
  const CLanguage& operator[](int i) const { return m_entries.at(static_cast<size_t>(i)); }
  auto begin() const { return m_entries.begin(); }
  auto end() const { return m_entries.end(); }

 private:
  void Read(std::u16string_view section, const tvl::CProfileFile& file);

  std::vector<CLanguage> m_entries;
};

// The two catalogues of the program, read on first use: main languages ("Languages") and
// languages with their countries or regions ("SubLanguages").
const CAvailableLanguages& GetLanguagesCatalogue();
const CAvailableLanguages& GetSubLanguagesCatalogue();
// Makes both catalogues read `path` (nullopt: the file beside the program) on next use.
// For tests and tools: references to the catalogues taken before are no longer valid.
void SetLanguageCatalogueFile(const std::optional<std::u16string>& path);

// The name of the first entry with that language in the "Languages" catalogue, else in the
// "SubLanguages" catalogue, else "???".
std::u16string GetLanguageName(LANGID language);

// The decimal key of a catalogue line: its leading digits, 0 when there are none; only the
// low 16 bits are kept.
LANGID CatalogueKeyToLanguage(std::u16string_view key);
