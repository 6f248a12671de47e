#include "app/Settings.h"

#include <algorithm>

#include "platform/ByteReader.h"

namespace {
constexpr long kErrorFileNotFound = 2;
constexpr long kErrorAccessDenied = 5;
}  // namespace

bool CRegistry::CreateAppKey(const std::u16string& section) {
  m_open = m_store.CreateSection(section);
  m_section = section;
  m_lastError = m_open ? 0 : kErrorAccessDenied;
  return m_open;
}

bool CRegistry::OpenAppKey(const std::u16string& section) {
  m_open = m_store.HasSection(section);
  m_section = section;
  m_lastError = m_open ? 0 : kErrorFileNotFound;
  return m_open;
}

bool CRegistry::WriteDword(const std::u16string& name, DWORD value) {
  bool ok = m_open && m_store.WriteDword(m_section, name, value);
  m_lastError = ok ? 0 : kErrorAccessDenied;
  return ok;
}

bool CRegistry::WriteBinary(const std::u16string& name, const std::vector<BYTE>& value) {
  bool ok = m_open && m_store.WriteBinary(m_section, name, value);
  m_lastError = ok ? 0 : kErrorAccessDenied;
  return ok;
}

bool CRegistry::WriteString(const std::u16string& name, const std::u16string& value) {
  bool ok = m_open && m_store.WriteString(m_section, name, value);
  m_lastError = ok ? 0 : kErrorAccessDenied;
  return ok;
}

bool CRegistry::ReadDword(const std::u16string& name, DWORD& value) {
  std::optional<DWORD> v = m_open ? m_store.ReadDword(m_section, name) : std::nullopt;
  m_lastError = v ? 0 : kErrorFileNotFound;
  if (v) value = *v;
  return v.has_value();
}

bool CRegistry::ReadBinary(const std::u16string& name, std::vector<BYTE>& value) {
  std::optional<std::vector<BYTE>> v = m_open ? m_store.ReadBinary(m_section, name) : std::nullopt;
  m_lastError = v ? 0 : kErrorFileNotFound;
  if (v) value = std::move(*v);
  return v.has_value();
}

bool CRegistry::ReadString(const std::u16string& name, std::u16string& value) {
  std::optional<std::u16string> v = m_open ? m_store.ReadString(m_section, name) : std::nullopt;
  m_lastError = v ? 0 : kErrorFileNotFound;
  if (v) value = std::move(*v);
  return v.has_value();
}

// ---------------------------------------------------------------------------------------
// Window placement

std::vector<BYTE> CWindowPlacement::ToBytes() const {
  std::vector<BYTE> b(kSize);
  const DWORD fields[11] = {kSize,
                            m_flags,
                            m_showCmd,
                            static_cast<DWORD>(m_minX),
                            static_cast<DWORD>(m_minY),
                            static_cast<DWORD>(m_maxX),
                            static_cast<DWORD>(m_maxY),
                            static_cast<DWORD>(m_left),
                            static_cast<DWORD>(m_top),
                            static_cast<DWORD>(m_right),
                            static_cast<DWORD>(m_bottom)};
  for (size_t i = 0; i < 11; ++i) tvl::Put32(b.data() + 4 * i, fields[i]);
  return b;
}

std::optional<CWindowPlacement> CWindowPlacement::FromBytes(const std::vector<BYTE>& bytes) {
  if (bytes.size() != kSize) return std::nullopt;
  DWORD f[11];
  CByteReader in(bytes);
  for (DWORD& field : f) field = in.Read32();
  if (f[0] != kSize) return std::nullopt;
  CWindowPlacement p;
  p.m_flags = f[1];
  p.m_showCmd = f[2];
  p.m_minX = static_cast<int>(f[3]);
  p.m_minY = static_cast<int>(f[4]);
  p.m_maxX = static_cast<int>(f[5]);
  p.m_maxY = static_cast<int>(f[6]);
  p.m_left = static_cast<int>(f[7]);
  p.m_top = static_cast<int>(f[8]);
  p.m_right = static_cast<int>(f[9]);
  p.m_bottom = static_cast<int>(f[10]);
  return p;
}

bool CWindowPlacement::IsMinimized() const {
  // SW_SHOWMINIMIZED, SW_MINIMIZE, SW_SHOWMINNOACTIVE, SW_FORCEMINIMIZE.
  return m_showCmd == kMinimized || m_showCmd == 6 || m_showCmd == 7 || m_showCmd == 11;
}

void CWindowPlacement::FitToWorkArea(int left, int top, int right, int bottom) {
  if (m_showCmd > kLastKnown) m_showCmd = kNormal;
  // A rectangle stored upside down has no size worth keeping.
  if (m_right < m_left) std::swap(m_left, m_right);
  if (m_bottom < m_top) std::swap(m_top, m_bottom);
  long long width = std::min<long long>(static_cast<long long>(m_right) - m_left, static_cast<long long>(right) - left);
  long long height =
      std::min<long long>(static_cast<long long>(m_bottom) - m_top, static_cast<long long>(bottom) - top);
  long long x = std::clamp<long long>(m_left, left, right - width);
  long long y = std::clamp<long long>(m_top, top, bottom - height);
  m_left = static_cast<int>(x);
  m_top = static_cast<int>(y);
  m_right = static_cast<int>(x + width);
  m_bottom = static_cast<int>(y + height);
}

// ---------------------------------------------------------------------------------------
// The main window's settings

void CMainFrameSettings::Load(tvl::CSettingsStore& store) {
  CRegistry recent(store);
  m_recentFiles.clear();
  if (recent.OpenAppKey(kSectionRecentFiles)) {
    for (int i = 1; i <= kRecentFileCount; ++i) {
      std::u16string path;
      std::u16string name = u"File" + std::u16string(1, static_cast<char16_t>(u'0' + i));
      if (recent.ReadString(name, path) && !path.empty()) m_recentFiles.push_back(path);
    }
  }

  CRegistry reg(store);
  if (!reg.OpenAppKey(kSectionMainFrame)) return;
  std::vector<BYTE> bytes;
  if (reg.ReadBinary(kValuePlacement, bytes)) {
    std::optional<CWindowPlacement> p = CWindowPlacement::FromBytes(bytes);
    if (p && !p->IsMinimized()) m_placement = p;
  }
  DWORD v = 0;
  if (reg.ReadDword(kValueSplitterVert, v)) m_splitterVert = v;
  if (reg.ReadDword(kValueSplitterHorz, v)) m_splitterHorz = std::max<DWORD>(v, 10);
  DWORD mode = 32782;
  reg.ReadDword(kValueViewMode, mode);
  DWORD flag = mode == 32782 ? 1 : 0;
  reg.ReadDword(kValueShowNonTranslatable, flag);
  if (mode < 32782 || mode > 32784) {
    mode = 32782;
    flag = 0;
  }
  m_viewMode = static_cast<int>(mode);
  m_showNonTranslatable = flag != 0;
  DWORD language = 0;
  if (reg.ReadDword(kValueLanguage, language)) m_language = static_cast<LANGID>(language);
}

void CMainFrameSettings::Save(tvl::CSettingsStore& store) const {
  CRegistry reg(store);
  if (!reg.CreateAppKey(kSectionMainFrame)) return;
  if (m_placement) reg.WriteBinary(kValuePlacement, m_placement->ToBytes());
  if (m_splitterVert) reg.WriteDword(kValueSplitterVert, *m_splitterVert);
  if (m_splitterHorz) reg.WriteDword(kValueSplitterHorz, *m_splitterHorz);
  reg.WriteDword(kValueViewMode, static_cast<DWORD>(m_viewMode));
  reg.WriteDword(kValueShowNonTranslatable, m_showNonTranslatable ? 1 : 0);
  reg.WriteDword(kValueLanguage, m_language);

  CRegistry recent(store);
  if (!recent.CreateAppKey(kSectionRecentFiles)) return;
  for (int i = 1; i <= kRecentFileCount; ++i) {
    std::u16string name = u"File" + std::u16string(1, static_cast<char16_t>(u'0' + i));
    size_t k = static_cast<size_t>(i - 1);
    recent.WriteString(name, k < m_recentFiles.size() ? m_recentFiles[k] : std::u16string());
  }
}
