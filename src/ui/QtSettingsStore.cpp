#include "ui/QtSettingsStore.h"


#include "ui/QtText.h"

namespace tvl::ui {

namespace {

// A section name as one INI group: the store keeps a flat list of sections.
QString Group(const std::u16string& section) {
  QString g = QStr(section);
  g.replace(QLatin1Char('/'), QLatin1Char('_'));
  g.replace(QLatin1Char('\\'), QLatin1Char('_'));
  return g;
}

QString Key(const std::u16string& section, const std::u16string& name) { return Group(section) + u'/' + QStr(name); }

}  // namespace

CIniSettingsStore::CIniSettingsStore(const QString& path)
    : m_settings(std::make_unique<QSettings>(path, QSettings::IniFormat)) {}

// The command line tools read the same file.
QString CIniSettingsStore::DefaultPath() { return QStr(tvl::DefaultSettingsPath()); }

bool CIniSettingsStore::HasSection(const std::u16string& section) const {
  return m_settings->childGroups().contains(Group(section));
}

bool CIniSettingsStore::Writable() const { return m_settings->isWritable(); }

bool CIniSettingsStore::CreateSection(const std::u16string& section) {
  // A group comes into being with its first value.
  (void)section;
  return Writable();
}

QVariant CIniSettingsStore::Value(const std::u16string& section, const std::u16string& name) const {
  return m_settings->value(Key(section, name));
}

std::optional<DWORD> CIniSettingsStore::ReadDword(const std::u16string& section, const std::u16string& name) const {
  QVariant v = Value(section, name);
  if (!v.isValid() || v.typeId() == QMetaType::QByteArray) return std::nullopt;
  bool ok = false;
  qulonglong n = v.toString().toULongLong(&ok);
  if (!ok || n > 0xFFFFFFFFull) return std::nullopt;
  return static_cast<DWORD>(n);
}

std::optional<std::vector<BYTE>> CIniSettingsStore::ReadBinary(const std::u16string& section,
                                                               const std::u16string& name) const {
  QVariant v = Value(section, name);
  if (!v.isValid() || v.typeId() != QMetaType::QByteArray) return std::nullopt;
  QByteArray b = v.toByteArray();
  return std::vector<BYTE>(b.begin(), b.end());
}

std::optional<std::u16string> CIniSettingsStore::ReadString(const std::u16string& section,
                                                            const std::u16string& name) const {
  QVariant v = Value(section, name);
  if (!v.isValid() || v.typeId() == QMetaType::QByteArray) return std::nullopt;
  return U16(v.toString());
}

bool CIniSettingsStore::WriteDword(const std::u16string& section, const std::u16string& name, DWORD value) {
  if (!Writable()) return false;
  m_settings->setValue(Key(section, name), QString::number(value));
  return true;
}

bool CIniSettingsStore::WriteBinary(const std::u16string& section, const std::u16string& name,
                                    const std::vector<BYTE>& value) {
  if (!Writable()) return false;
  m_settings->setValue(Key(section, name),
                       QByteArray(reinterpret_cast<const char*>(value.data()), static_cast<qsizetype>(value.size())));
  return true;
}

bool CIniSettingsStore::WriteString(const std::u16string& section, const std::u16string& name,
                                    const std::u16string& value) {
  if (!Writable()) return false;
  m_settings->setValue(Key(section, name), QStr(value));
  return true;
}

QByteArray CIniSettingsStore::ReadWindowState() const {
  return m_settings->value(QStringLiteral("MainFrame-Bars/State")).toByteArray();
}

void CIniSettingsStore::WriteWindowState(const QByteArray& state) {
  if (Writable()) m_settings->setValue(QStringLiteral("MainFrame-Bars/State"), state);
}

}  // namespace tvl::ui
