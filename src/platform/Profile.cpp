#include "platform/Profile.h"

#include <fstream>
#include <iterator>

#include "platform/Text.h"

namespace tvl {
namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

std::u16string_view TrimBlanks(std::u16string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

std::u16string Utf16(std::string_view bytes, bool bigEndian) {
  std::u16string out(bytes.size() / 2, u'\0');
  for (size_t i = 0; i < out.size(); ++i) {
    unsigned lo = static_cast<unsigned char>(bytes[2 * i + (bigEndian ? 1 : 0)]);
    unsigned hi = static_cast<unsigned char>(bytes[2 * i + (bigEndian ? 0 : 1)]);
    out[i] = static_cast<char16_t>(lo | (hi << 8));
  }
  return out;
}

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
  size_t i = 0;
  while (i < bytes.size()) {
    unsigned char b = static_cast<unsigned char>(bytes[i]);
    if (b < 0x80) {
      ++i;
      continue;
    }
    size_t extra;
    char32_t c, min;
    if ((b & 0xE0) == 0xC0) {
      extra = 1, c = b & 0x1F, min = 0x80;
    } else if ((b & 0xF0) == 0xE0) {
      extra = 2, c = b & 0x0F, min = 0x800;
    } else if ((b & 0xF8) == 0xF0) {
      extra = 3, c = b & 0x07, min = 0x10000;
    } else {
      return false;
    }
    if (bytes.size() - i <= extra) return false;
    for (size_t k = 1; k <= extra; ++k) {
      unsigned char t = static_cast<unsigned char>(bytes[i + k]);
      if ((t & 0xC0) != 0x80) return false;
      c = (c << 6) | (t & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
    i += extra + 1;
  }
  return true;
}

std::u16string DecodeProfileText(std::string_view bytes) {
  if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') return Utf16(bytes.substr(2), false);
  if (bytes.size() >= 2 && bytes[0] == '\xFE' && bytes[1] == '\xFF') return Utf16(bytes.substr(2), true);
  if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") return FromUtf8(bytes.substr(3));
  if (IsValidUtf8(bytes)) return FromUtf8(bytes);
  return MultiByteToWide(0, bytes);
}

CProfileFile CProfileFile::FromBytes(std::string_view bytes) {
  CProfileFile f;
  f.Parse(DecodeProfileText(bytes));
  return f;
}

std::optional<CProfileFile> CProfileFile::Load(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return std::nullopt;
  return FromBytes(bytes);
}

void CProfileFile::Parse(std::u16string_view text) {
  Section* current = nullptr;  // lines before the first section header belong to none
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find_first_of(u"\r\n", pos);
    if (end == std::u16string_view::npos) end = text.size();
    std::u16string_view line = text.substr(pos, end - pos);
    // CR LF, LF or a lone CR ends a line.
    pos = end + 1;
    if (end < text.size() && text[end] == u'\r' && pos < text.size() && text[pos] == u'\n') ++pos;

    // A NUL cannot stand inside a string of the section buffer: the line ends there.
    if (size_t nul = line.find(u'\0'); nul != std::u16string_view::npos) line = line.substr(0, nul);
    line = TrimBlanks(line);
    if (line.empty() || line[0] == u';') continue;
    if (line[0] == u'[') {
      std::u16string_view name = line.substr(1);
      if (size_t close = name.find(u']'); close != std::u16string_view::npos) name = name.substr(0, close);
      m_sections.push_back({std::u16string(TrimBlanks(name)), {}});
      current = &m_sections.back();
      continue;
    }
    if (!current) continue;
    Entry e;
    if (size_t eq = line.find(u'='); eq != std::u16string_view::npos) {
      e.key = TrimBlanks(line.substr(0, eq));
      e.value = TrimBlanks(line.substr(eq + 1));
      e.hasValue = true;
    } else {
      e.key = line;
    }
    current->entries.push_back(std::move(e));
  }
}

const CProfileFile::Section* CProfileFile::FindSection(std::u16string_view name) const {
  std::u16string_view want = TrimBlanks(name);
  for (const auto& s : m_sections)
    if (CompareNoCase(s.name, want) == 0) return &s;
  return nullptr;
}

bool CProfileFile::HasSection(std::u16string_view section) const { return FindSection(section) != nullptr; }

DWORD CProfileFile::GetSection(std::u16string_view section, std::u16string& buffer, DWORD bufferChars) const {
  buffer.clear();
  if (bufferChars == 0) return 0;
  std::u16string data;
  if (const Section* s = FindSection(section)) {
    for (const auto& e : s->entries) {
      data += e.key;
      if (e.hasValue) {
        data += u'=';
        data += e.value;
      }
      data += u'\0';
      // No need to collect what cannot fit.
      if (data.size() > bufferChars) break;
    }
  }
  if (data.size() + 1 <= bufferChars) {
    buffer = data;
    buffer += u'\0';
    return static_cast<DWORD>(data.size());
  }
  if (bufferChars < 2) {
    buffer.assign(bufferChars, u'\0');
    return 0;
  }
  // Cut: the platform keeps what fits and ends the buffer with two NULs.
  buffer = data.substr(0, bufferChars - 2);
  buffer += u'\0';
  buffer += u'\0';
  return bufferChars - 2;
}

std::vector<std::u16string> CProfileFile::GetSectionLines(std::u16string_view section, DWORD bufferChars) const {
  std::u16string buffer;
  DWORD n = GetSection(section, buffer, bufferChars);
  std::vector<std::u16string> lines;
  size_t pos = 0;
  while (pos < n) {
    size_t end = buffer.find(u'\0', pos);
    if (end == std::u16string::npos || end == pos) break;
    lines.emplace_back(buffer, pos, end - pos);
    pos = end + 1;
  }
  return lines;
}

std::optional<std::u16string> CProfileFile::GetString(std::u16string_view section, std::u16string_view key) const {
  const Section* s = FindSection(section);
  if (!s) return std::nullopt;
  std::u16string_view want = TrimBlanks(key);
  for (const auto& e : s->entries) {
    if (!e.hasValue || CompareNoCase(e.key, want) != 0) continue;
    std::u16string v = e.value;
    if (v.size() >= 2 && (v.front() == u'"' || v.front() == u'\'') && v.back() == v.front())
      v = v.substr(1, v.size() - 2);
    return v;
  }
  return std::nullopt;
}

}  // namespace tvl
