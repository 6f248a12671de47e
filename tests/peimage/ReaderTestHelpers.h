#pragma once
// Shared by the reader and survey tests: fixture lists, a .res file parser (what the
// mingw resource decompiler reads from a file), and a table that records its streams.
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "TestSupport.h"
#include "peimage/PeFormat.h"
#include "peimage/PeImage.h"
#include "peimage/ResStream.h"
#include "platform/LanguageFacts.h"
#include "resmodel/ResTableBase.h"

namespace readertest {

// Every committed fixture, and those the decompiler may read (it hangs on MFC toolbars).
inline const std::vector<std::string> kAllFixtures = {
    "all32.exe",      "all64.exe",        "mfc32.exe",      "mfc64.exe",   "twolang.dll",  "neutral64.dll",
    "neutralver32.dll", "icononly32.dll", "empty64.dll",    "reloc64.dll", "reloc32.dll",  "overlay32.exe"};
inline const std::vector<std::string> kDecompilableFixtures = {
    "all32.exe",     "all64.exe",      "twolang.dll", "neutral64.dll", "neutralver32.dll",
    "icononly32.dll", "empty64.dll",   "reloc64.dll", "reloc32.dll",   "overlay32.exe"};

// An ordinal test without building a temporary name value.
inline bool IsId(const CResName& n, WORD ordinal) { return n.IsOrdinal() && n.GetOrdinal() == ordinal; }

struct Entry {
  CResName type;
  CResName name;
  LANGID language = 0;
  std::vector<BYTE> bytes;

  // Directory order: names before ordinals at each level.
  static int Compare(const CResName& a, const CResName& b) {
    if (a.IsName() != b.IsName()) return a.IsName() ? -1 : 1;
    if (a.IsOrdinal()) return int(a.GetOrdinal()) - int(b.GetOrdinal());
    return a.GetName().compare(b.GetName());
  }
  bool operator<(const Entry& o) const {
    if (int c = Compare(type, o.type)) return c < 0;
    if (int c = Compare(name, o.name)) return c < 0;
    if (language != o.language) return language < o.language;
    return bytes < o.bytes;
  }
  bool operator==(const Entry& o) const {
    return type == o.type && name == o.name && language == o.language && bytes == o.bytes;
  }
};

inline std::string Describe(const CResName& n) {
  if (n.IsOrdinal()) return std::to_string(n.GetOrdinal());
  std::string s = "\"";
  for (char16_t c : n.GetName()) s += c < 0x80 ? static_cast<char>(c) : '?';
  return s + "\"";
}
inline std::string Describe(const Entry& e) {
  char lang[8];
  std::snprintf(lang, sizeof lang, "%04x", e.language);
  return Describe(e.type) + " " + Describe(e.name) + " " + lang + " (" + std::to_string(e.bytes.size()) + " bytes)";
}

// Every leaf of the walk, with its bytes (entries whose bytes cannot be read are left out).
inline std::vector<Entry> WalkEntries(const CPeImage& image) {
  std::vector<Entry> out;
  for (const CPeResource& r : image.GetResources()) {
    std::span<const BYTE> d = image.GetData(r);
    if (!r.data) continue;
    out.push_back({r.type, r.name, r.language, std::vector<BYTE>(d.begin(), d.end())});
  }
  return out;
}

// Parses a .res file: a sequence of header + data, each 4-aligned; the leading empty entry
// is left out. Returns false on a malformed file.
inline bool ParseResFile(const std::vector<BYTE>& f, std::vector<Entry>& out) {
  size_t at = 0;
  auto readId = [&](size_t& p, size_t end, CResName& id) {
    if (p + 2 > end) return false;
    if (pe::Get16(&f[p]) == 0xFFFF) {
      if (p + 4 > end) return false;
      id = CResName(pe::Get16(&f[p + 2]));
      p += 4;
      return true;
    }
    std::u16string s;
    while (p + 2 <= end && pe::Get16(&f[p]) != 0) {
      s.push_back(static_cast<char16_t>(pe::Get16(&f[p])));
      p += 2;
    }
    if (p + 2 > end) return false;
    p += 2;
    id = CResName(s);
    return true;
  };
  bool first = true;
  while (at + 8 <= f.size()) {
    const size_t dataSize = pe::Get32(&f[at]);
    const size_t headerSize = pe::Get32(&f[at + 4]);
    if (headerSize < 8 || at + headerSize > f.size() || f.size() - at - headerSize < dataSize) return false;
    const size_t hend = at + headerSize;
    size_t p = at + 8;
    Entry e;
    if (!readId(p, hend, e.type) || !readId(p, hend, e.name)) return false;
    p = (p + 3) & ~size_t{3};
    if (p + 16 > hend) return false;
    e.language = pe::Get16(&f[p + 6]);
    e.bytes.assign(f.begin() + hend, f.begin() + hend + dataSize);
    const bool empty = first && dataSize == 0 && IsId(e.type, 0) && IsId(e.name, 0);
    if (!empty) out.push_back(std::move(e));
    first = false;
    at = (hend + dataSize + 3) & ~size_t{3};
  }
  return at == f.size() || at == ((f.size() + 3) & ~size_t{3});
}

inline bool HaveWindres() { return std::system("command -v x86_64-w64-mingw32-windres >/dev/null 2>&1") == 0; }

// What the decompiler reads from a fixture, as a .res file and as a script; false when it
// fails or times out.
inline bool Decompile(const std::string& fixture, const std::string& outPath, const char* format) {
  const std::string cmd = "timeout 20 x86_64-w64-mingw32-windres -i '" + FixturePath(fixture) + "' -O " + format +
                          " -o '" + outPath + "' 2>/dev/null";
  return std::system(cmd.c_str()) == 0;
}

// The decompiler's .res output carries language 0 for every entry; its script output has
// the languages ("LANGUAGE primary, sub" before each change) and lists the resources in
// the same order. Each resource statement starts at column 0 with the resource's name
// (string tables with STRINGTABLE); everything inside a resource is indented or is a
// keyword line. Sets each entry's language; false when the two do not line up.
inline bool ApplyScriptLanguages(const std::string& script, std::vector<Entry>& entries) {
  size_t k = 0;
  LANGID current = 0;
  size_t pos = 0;
  while (pos < script.size() && k <= entries.size()) {
    size_t eol = script.find('\n', pos);
    if (eol == std::string::npos) eol = script.size();
    const std::string line = script.substr(pos, eol - pos);
    pos = eol + 1;
    unsigned primary = 0, sub = 0;
    if (std::sscanf(line.c_str(), "LANGUAGE %u, %u", &primary, &sub) == 2) {
      current = static_cast<LANGID>((sub << 10) | primary);
      continue;
    }
    if (k == entries.size()) continue;
    const Entry& e = entries[k];
    std::string token;
    if (IsId(e.type, 6))
      token = "STRINGTABLE";
    else
      token = Describe(e.name) + " ";
    if (line.compare(0, token.size(), token) == 0) entries[k++].language = current;
  }
  return k == entries.size();
}

// Records every stream the walk hands over.
struct Recorded {
  CResName type;
  CResName name;
  LANGID language;
  LANGID fileLanguage;
  UINT codePage;
  UINT charSet;
  std::vector<BYTE> bytes;
};

class CRecordingTable : public CResTableBase {
 public:
  void AddRawResource(CResStream& stream) override {
    records.push_back({stream.m_type, stream.m_name, stream.m_language, stream.m_fileLanguage, stream.m_codePage,
                       stream.m_charSet, std::vector<BYTE>(stream.m_data, stream.m_end)});
    if (onResource) onResource(stream);
  }
  bool HoldsModule() const { return m_module != nullptr; }

  std::vector<Recorded> records;
  std::function<void(CResStream&)> onResource;
};

inline CPeImage& LoadFixture(CPeImage& image, const std::string& name) {
  image.LoadFile(FixturePath(name));
  return image;
}

}  // namespace readertest
