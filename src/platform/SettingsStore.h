#pragma once
// Where per-user settings are kept: sections holding typed values, as the registry holds
// them. The program's sections and value names are defined by those who use them.
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/Profile.h"
#include "platform/Types.h"

namespace tvl {

// Registry-like storage: sections holding typed values (DWORD, binary, string).
class CSettingsStore {
 public:
  virtual ~CSettingsStore() = default;
  virtual bool HasSection(const std::u16string& section) const = 0;
  // False when the store cannot be written.
  virtual bool CreateSection(const std::u16string& section) = 0;
  virtual std::optional<DWORD> ReadDword(const std::u16string& section, const std::u16string& name) const = 0;
  virtual std::optional<std::vector<BYTE>> ReadBinary(const std::u16string& section,
                                                      const std::u16string& name) const = 0;
  virtual std::optional<std::u16string> ReadString(const std::u16string& section,
                                                   const std::u16string& name) const = 0;
  virtual bool WriteDword(const std::u16string& section, const std::u16string& name, DWORD value) = 0;
  virtual bool WriteBinary(const std::u16string& section, const std::u16string& name,
                           const std::vector<BYTE>& value) = 0;
  virtual bool WriteString(const std::u16string& section, const std::u16string& name,
                           const std::u16string& value) = 0;
};

// A store in memory, for tests and for a session whose settings cannot be kept.
class CMemorySettingsStore : public CSettingsStore {
 public:
  bool HasSection(const std::u16string& section) const override;
  bool CreateSection(const std::u16string& section) override;
  std::optional<DWORD> ReadDword(const std::u16string& section, const std::u16string& name) const override;
  std::optional<std::vector<BYTE>> ReadBinary(const std::u16string& section, const std::u16string& name) const override;
  std::optional<std::u16string> ReadString(const std::u16string& section, const std::u16string& name) const override;
  bool WriteDword(const std::u16string& section, const std::u16string& name, DWORD value) override;
  bool WriteBinary(const std::u16string& section, const std::u16string& name, const std::vector<BYTE>& value) override;
  bool WriteString(const std::u16string& section, const std::u16string& name, const std::u16string& value) override;

 private:
  struct Value {
    int type = 0;  // 1 DWORD, 2 binary, 3 string
    DWORD dword = 0;
    std::vector<BYTE> bytes;
    std::u16string text;
  };
  const Value* Find(const std::u16string& section, const std::u16string& name, int type) const;
  std::map<std::u16string, std::map<std::u16string, Value>> m_sections;
};

// The settings file the interface writes, read without it (by the command line tools):
// plain numbers and words; binary values are not read. Nothing can be written.
class CProfileSettingsStore : public CSettingsStore {
 public:
  explicit CProfileSettingsStore(CProfileFile file) : m_file(std::move(file)) {}
  bool HasSection(const std::u16string& section) const override { return m_file.HasSection(section); }
  bool CreateSection(const std::u16string&) override { return false; }
  std::optional<DWORD> ReadDword(const std::u16string& section, const std::u16string& name) const override;
  std::optional<std::vector<BYTE>> ReadBinary(const std::u16string&, const std::u16string&) const override {
    return std::nullopt;
  }
  std::optional<std::u16string> ReadString(const std::u16string& section, const std::u16string& name) const override {
    return m_file.GetString(section, name);
  }
  bool WriteDword(const std::u16string&, const std::u16string&, DWORD) override { return false; }
  bool WriteBinary(const std::u16string&, const std::u16string&, const std::vector<BYTE>&) override { return false; }
  bool WriteString(const std::u16string&, const std::u16string&, const std::u16string&) override { return false; }

 private:
  CProfileFile m_file;
};

// $XDG_CONFIG_HOME (or ~/.config when it is unset or relative) / Tessalingvora / Workspace.ini,
// read when asked so that a changed environment is honoured.
std::u16string DefaultSettingsPath();

}  // namespace tvl
