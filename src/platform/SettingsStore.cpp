#include "platform/SettingsStore.h"

#include <cstdlib>

#include "platform/Text.h"

namespace tvl {

bool CMemorySettingsStore::HasSection(const std::u16string& section) const { return m_sections.count(section) != 0; }

bool CMemorySettingsStore::CreateSection(const std::u16string& section) {
  m_sections[section];
  return true;
}

const CMemorySettingsStore::Value* CMemorySettingsStore::Find(const std::u16string& section, const std::u16string& name,
                                                              int type) const {
  auto s = m_sections.find(section);
  if (s == m_sections.end()) return nullptr;
  auto v = s->second.find(name);
  return v == s->second.end() || v->second.type != type ? nullptr : &v->second;
}

std::optional<DWORD> CMemorySettingsStore::ReadDword(const std::u16string& section, const std::u16string& name) const {
  const Value* v = Find(section, name, 1);
  return v ? std::optional<DWORD>(v->dword) : std::nullopt;
}

std::optional<std::vector<BYTE>> CMemorySettingsStore::ReadBinary(const std::u16string& section,
                                                                  const std::u16string& name) const {
  const Value* v = Find(section, name, 2);
  return v ? std::optional<std::vector<BYTE>>(v->bytes) : std::nullopt;
}

std::optional<std::u16string> CMemorySettingsStore::ReadString(const std::u16string& section,
                                                               const std::u16string& name) const {
  const Value* v = Find(section, name, 3);
  return v ? std::optional<std::u16string>(v->text) : std::nullopt;
}

bool CMemorySettingsStore::WriteDword(const std::u16string& section, const std::u16string& name, DWORD value) {
  m_sections[section][name] = Value{1, value, {}, {}};
  return true;
}

bool CMemorySettingsStore::WriteBinary(const std::u16string& section, const std::u16string& name,
                                       const std::vector<BYTE>& value) {
  m_sections[section][name] = Value{2, 0, value, {}};
  return true;
}

bool CMemorySettingsStore::WriteString(const std::u16string& section, const std::u16string& name,
                                       const std::u16string& value) {
  m_sections[section][name] = Value{3, 0, {}, value};
  return true;
}

std::optional<DWORD> CProfileSettingsStore::ReadDword(const std::u16string& section, const std::u16string& name) const {
  std::optional<std::u16string> text = m_file.GetString(section, name);
  if (!text || text->empty() || text->size() > 10) return std::nullopt;
  unsigned long long n = 0;
  for (char16_t c : *text) {
    if (c < u'0' || c > u'9') return std::nullopt;
    n = n * 10 + static_cast<unsigned>(c - u'0');
  }
  if (n > 0xFFFFFFFFull) return std::nullopt;
  return static_cast<DWORD>(n);
}

std::u16string DefaultSettingsPath() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  std::string base = config && config[0] == '/' ? config : "";
  if (base.empty()) {
    const char* home = std::getenv("HOME");
    base = std::string(home ? home : "") + "/.config";
  }
  return FromUtf8(base + "/Tessalingvora/Workspace.ini");
}

}  // namespace tvl
