#pragma once
// The settings kept per user in an INI file under $XDG_CONFIG_HOME.
#include <QSettings>
#include <QString>
#include <memory>

#include "app/Settings.h"

namespace tvl::ui {

class CIniSettingsStore : public CSettingsStore {
 public:
  explicit CIniSettingsStore(const QString& path);

  // tvl::DefaultSettingsPath().
  static QString DefaultPath();

  bool HasSection(const std::u16string& section) const override;
  bool CreateSection(const std::u16string& section) override;
  std::optional<DWORD> ReadDword(const std::u16string& section, const std::u16string& name) const override;
  std::optional<std::vector<BYTE>> ReadBinary(const std::u16string& section, const std::u16string& name) const override;
  std::optional<std::u16string> ReadString(const std::u16string& section, const std::u16string& name) const override;
  bool WriteDword(const std::u16string& section, const std::u16string& name, DWORD value) override;
  bool WriteBinary(const std::u16string& section, const std::u16string& name, const std::vector<BYTE>& value) override;
  bool WriteString(const std::u16string& section, const std::u16string& name, const std::u16string& value) override;

  // The toolbar and docking state, beside the sections above.
  QByteArray ReadWindowState() const;
  void WriteWindowState(const QByteArray& state);
  void Sync() { m_settings->sync(); }
  QString FileName() const { return m_settings->fileName(); }

 private:
  QVariant Value(const std::u16string& section, const std::u16string& name) const;
  bool Writable() const;

  std::unique_ptr<QSettings> m_settings;
};

}  // namespace tvl::ui
