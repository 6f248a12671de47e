#include "languages/AvailableLanguages.h"

#include <memory>
#include <mutex>

#include "platform/Files.h"
#include "platform/Profile.h"

CAvailableLanguages::CAvailableLanguages(std::u16string_view section, const std::optional<std::u16string>& path) {
  std::u16string file;
  if (path) {
    file = *path;
  } else {
    std::u16string dir = tvl::DataDirectory();
    if (dir.empty()) return;  // without the program's folder there is no catalogue
    file = dir + u"Languages.dat";
  }
  if (auto profile = tvl::CProfileFile::Load(tvl::NativePath(file))) Read(section, *profile);
}

CAvailableLanguages::CAvailableLanguages(std::u16string_view section, const tvl::CProfileFile& file) {
  Read(section, file);
}

LANGID CatalogueKeyToLanguage(std::u16string_view key) {
  // Unsigned arithmetic wraps, which keeps the low bits of any number exact.
  std::uint32_t value = 0;
  for (char16_t c : key) {
    if (c < u'0' || c > u'9') break;
    value = value * 10u + static_cast<std::uint32_t>(c - u'0');
  }
  return static_cast<LANGID>(value & 0xFFFF);
}

void CAvailableLanguages::Read(std::u16string_view section, const tvl::CProfileFile& file) {
  for (const std::u16string& line : file.GetSectionLines(section)) {
    size_t eq = line.find(u'=');
    if (eq == std::u16string::npos) continue;
    LANGID language = CatalogueKeyToLanguage(std::u16string_view(line).substr(0, eq));
    if (language == 0) continue;
    CLanguage entry;
    entry.m_language = language;
    entry.m_name = line.substr(eq + 1);
    m_entries.push_back(std::move(entry));
  }
}

const CAvailableLanguages::CLanguage* CAvailableLanguages::FindEntry(LANGID language) const {
  for (const auto& e : m_entries)
    if (e.m_language == language) return &e;
  return nullptr;
}

namespace {
struct Catalogues {
  std::mutex mutex;
  std::optional<std::u16string> path;
  std::unique_ptr<CAvailableLanguages> languages;
  std::unique_ptr<CAvailableLanguages> subLanguages;
};

Catalogues& TheCatalogues() {
  static Catalogues c;
  return c;
}

const CAvailableLanguages& Get(std::unique_ptr<CAvailableLanguages> Catalogues::*which, const char16_t* section) {
  Catalogues& c = TheCatalogues();
  std::lock_guard<std::mutex> lock(c.mutex);
  if (!(c.*which)) c.*which = std::make_unique<CAvailableLanguages>(section, c.path);
  return *(c.*which);
}
}  // namespace

const CAvailableLanguages& GetLanguagesCatalogue() { return Get(&Catalogues::languages, u"Languages"); }
const CAvailableLanguages& GetSubLanguagesCatalogue() { return Get(&Catalogues::subLanguages, u"SubLanguages"); }

void SetLanguageCatalogueFile(const std::optional<std::u16string>& path) {
  Catalogues& c = TheCatalogues();
  std::lock_guard<std::mutex> lock(c.mutex);
  c.path = path;
  c.languages.reset();
  c.subLanguages.reset();
}

std::u16string GetLanguageName(LANGID language) {
  if (const auto* e = GetLanguagesCatalogue().FindEntry(language)) return e->m_name;
  if (const auto* e = GetSubLanguagesCatalogue().FindEntry(language)) return e->m_name;
  // The pseudo locales stay out of the catalogue: nobody translates into them by hand.
  switch (language) {
    case 0x0501:
      return u"Pseudo (qps-ploc)";
    case 0x05FE:
      return u"Pseudo Asian (qps-ploca)";
    case 0x09FF:
      return u"Pseudo Mirrored (qps-plocm)";
  }
  return u"???";
}
