#include "platform/SpellDictionary.h"

#include <hunspell.hxx>
#include <unicode/ucnv.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <mutex>

#include "platform/Text.h"

namespace tvl {

namespace {

namespace fs = std::filesystem;

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::string(v) : std::string();
}

void AddList(std::vector<std::string>& out, const std::string& list, const std::string& suffix) {
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find(':', start);
    if (end == std::string::npos) end = list.size();
    if (end > start) out.push_back(list.substr(start, end - start) + suffix);
    start = end + 1;
  }
}

bool HasDictionary(const std::string& base) {
  std::error_code ec;
  return fs::is_regular_file(base + ".aff", ec) && fs::is_regular_file(base + ".dic", ec);
}

// A converter for a legacy dictionary encoding; ICU matches names loosely ("ISO8859-1").
struct CConverter {
  explicit CConverter(const std::string& name) { m_conv = ucnv_open(name.c_str(), &m_status); }
  ~CConverter() {
    if (m_conv) ucnv_close(m_conv);
  }
  UConverter* m_conv = nullptr;
  UErrorCode m_status = U_ZERO_ERROR;
};

}  // namespace

std::vector<std::string> DictionaryFolders() {
  std::vector<std::string> folders;
  AddList(folders, Env("DICPATH"), "");
  std::string dataHome = Env("XDG_DATA_HOME");
  if (dataHome.empty() && !Env("HOME").empty()) dataHome = Env("HOME") + "/.local/share";
  if (!dataHome.empty()) folders.push_back(dataHome + "/hunspell");
  std::string dataDirs = Env("XDG_DATA_DIRS");
  AddList(folders, dataDirs.empty() ? "/usr/local/share:/usr/share" : dataDirs, "/hunspell");
  for (const char* f : {"/usr/share/hunspell", "/usr/share/myspell", "/usr/share/myspell/dicts"})
    if (std::find(folders.begin(), folders.end(), f) == folders.end()) folders.push_back(f);
  return folders;
}

std::string FindDictionary(std::string_view tag, const std::vector<std::string>& folders) {
  std::string language, region;
  size_t start = 0;
  for (size_t i = 0; i <= tag.size(); ++i) {
    if (i < tag.size() && tag[i] != '-' && tag[i] != '_') continue;
    std::string part(tag.substr(start, i - start));
    if (language.empty())
      language = part;
    else if (part.size() == 2)
      region = part;  // scripts ("Latn") and variants do not name dictionaries
    start = i + 1;
  }
  std::transform(language.begin(), language.end(), language.begin(), [](char c) { return std::tolower(c); });
  std::transform(region.begin(), region.end(), region.begin(), [](char c) { return std::toupper(c); });
  if (language.empty()) return {};
  std::string own = language;
  std::transform(own.begin(), own.end(), own.begin(), [](char c) { return std::toupper(c); });
  std::vector<std::string> names;
  if (!region.empty()) names.push_back(language + "_" + region);
  names.push_back(language + "_" + own);
  names.push_back(language);
  for (const std::string& name : names)
    for (const std::string& folder : folders)
      if (HasDictionary(folder + "/" + name)) return folder + "/" + name;
  for (const std::string& folder : folders) {
    std::error_code ec;
    std::vector<std::string> found;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
      std::string name = entry.path().filename().string();
      if (name.starts_with(language + "_") && name.ends_with(".aff")) {
        std::string base = folder + "/" + name.substr(0, name.size() - 4);
        if (HasDictionary(base)) found.push_back(base);
      }
    }
    if (!found.empty()) return *std::min_element(found.begin(), found.end());
  }
  return {};
}

CSpellDictionary::~CSpellDictionary() = default;

std::unique_ptr<CSpellDictionary> CSpellDictionary::Open(const std::string& base) {
  if (base.empty() || !HasDictionary(base)) return nullptr;
  std::unique_ptr<CSpellDictionary> d(new CSpellDictionary());
  d->m_base = base;
  d->m_hunspell = std::make_unique<Hunspell>((base + ".aff").c_str(), (base + ".dic").c_str());
  std::string encoding = d->m_hunspell->get_dict_encoding();
  std::string upper = encoding;
  std::transform(upper.begin(), upper.end(), upper.begin(), [](char c) { return std::toupper(c); });
  if (upper != "UTF-8" && upper != "UTF8") {
    if (!CConverter(encoding).m_conv) return nullptr;
    d->m_encoding = encoding;
  }
  return d;
}

CSpellDictionary* CSpellDictionary::Shared(const std::string& base) {
  static std::mutex mutex;
  static std::map<std::string, std::unique_ptr<CSpellDictionary>> loaded;
  std::lock_guard<std::mutex> lock(mutex);
  auto it = loaded.find(base);
  if (it == loaded.end()) it = loaded.emplace(base, Open(base)).first;
  return it->second.get();
}

std::string CSpellDictionary::Encode(std::u16string_view word, bool& ok) const {
  ok = true;
  if (m_encoding.empty()) return ToUtf8(word);
  CConverter c(m_encoding);
  ucnv_setFromUCallBack(c.m_conv, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &c.m_status);
  std::string out(word.size() * 4 + 8, '\0');
  int32_t n = ucnv_fromUChars(c.m_conv, out.data(), static_cast<int32_t>(out.size()),
                              reinterpret_cast<const UChar*>(word.data()), static_cast<int32_t>(word.size()),
                              &c.m_status);
  ok = U_SUCCESS(c.m_status);
  out.resize(ok ? static_cast<size_t>(n) : 0);
  return out;
}

std::u16string CSpellDictionary::Decode(const std::string& bytes) const {
  if (m_encoding.empty()) return FromUtf8(bytes);
  CConverter c(m_encoding);
  std::u16string out(bytes.size() * 2 + 2, u'\0');
  int32_t n = ucnv_toUChars(c.m_conv, reinterpret_cast<UChar*>(out.data()), static_cast<int32_t>(out.size()),
                            bytes.data(), static_cast<int32_t>(bytes.size()), &c.m_status);
  out.resize(U_SUCCESS(c.m_status) ? static_cast<size_t>(n) : 0);
  return out;
}

bool CSpellDictionary::Check(std::u16string_view word) const {
  bool ok = false;
  std::string encoded = Encode(word, ok);
  // A word the dictionary's encoding cannot hold is not the dictionary's to judge.
  if (!ok) return true;
  return m_hunspell->spell(encoded);
}

std::vector<std::u16string> CSpellDictionary::Suggest(std::u16string_view word) const {
  bool ok = false;
  std::string encoded = Encode(word, ok);
  std::vector<std::u16string> out;
  if (!ok) return out;
  for (const std::string& s : m_hunspell->suggest(encoded)) {
    std::u16string text = Decode(s);
    if (!text.empty()) out.push_back(std::move(text));
  }
  return out;
}

}  // namespace tvl
