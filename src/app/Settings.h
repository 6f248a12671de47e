#pragma once
// Per-user settings: the key-and-value class the main window reads and writes through, the
// sections and value names with their defaults, and the window placement record. Where the
// values are kept (an INI file per user) is the interface's business: it supplies a store
// (platform/SettingsStore.h).
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/SettingsStore.h"
#include "platform/Types.h"

// One open section of the program's settings.
class CRegistry {
 public:
  explicit CRegistry(tvl::CSettingsStore& store) : m_store(store) {}

  // Creates the section when it does not exist; false when the store cannot be written.
  bool CreateAppKey(const std::u16string& section);
  // False when the section does not exist.
  bool OpenAppKey(const std::u16string& section);

  bool WriteDword(const std::u16string& name, DWORD value);
  bool WriteBinary(const std::u16string& name, const std::vector<BYTE>& value);
  bool WriteString(const std::u16string& name, const std::u16string& value);
  // False when the value is missing or of another type; the out value is then untouched.
  bool ReadDword(const std::u16string& name, DWORD& value);
  bool ReadBinary(const std::u16string& name, std::vector<BYTE>& value);
  bool ReadString(const std::u16string& name, std::u16string& value);

  // 0 after success, else the platform's "file not found" (2) or "access denied" (5).
  long m_lastError = 0;

 private:
  tvl::CSettingsStore& m_store;
  std::u16string m_section;
  bool m_open = false;
};

// Section and value names.
inline constexpr char16_t kSectionMainFrame[] = u"MainFrame";
inline constexpr char16_t kSectionRecentFiles[] = u"Recent File List";
inline constexpr char16_t kValuePlacement[] = u"Placement";
inline constexpr char16_t kValueSplitterVert[] = u"SplitterVertPosition";
inline constexpr char16_t kValueSplitterHorz[] = u"SplitterHorzPosition";
inline constexpr char16_t kValueViewMode[] = u"ViewMode";
inline constexpr char16_t kValueShowNonTranslatable[] = u"ShowNonTranslatableItems";
inline constexpr char16_t kValueLanguage[] = u"Language";
inline constexpr int kRecentFileCount = 4;

// The platform's window placement record: 44 bytes, little-endian.
struct CWindowPlacement {
  static constexpr DWORD kSize = 44;
  // Show states.
  enum : DWORD { kHide = 0, kNormal = 1, kMinimized = 2, kMaximized = 3, kLastKnown = 11 };

  DWORD m_length = kSize;
  DWORD m_flags = 0;
  DWORD m_showCmd = kNormal;
  int m_minX = -1, m_minY = -1;
  int m_maxX = -1, m_maxY = -1;
  int m_left = 0, m_top = 0, m_right = 0, m_bottom = 0;

  std::vector<BYTE> ToBytes() const;
  // Only a record of exactly 44 bytes whose length field says 44.
  static std::optional<CWindowPlacement> FromBytes(const std::vector<BYTE>& bytes);
  bool IsMinimized() const;
  bool IsMaximized() const { return m_showCmd == kMaximized; }
  // An unknown show state becomes "normal"; the rectangle is moved (and shrunk when it is
  // larger) to lie within the work area.
  void FitToWorkArea(int left, int top, int right, int bottom);
};

// What the main window keeps between runs.
struct CMainFrameSettings {
  std::optional<CWindowPlacement> m_placement;  // none: the default placement
  std::optional<DWORD> m_splitterVert;          // height of the editor row
  std::optional<DWORD> m_splitterHorz;          // width of the tree column
  int m_viewMode = 32782;
  bool m_showNonTranslatable = true;
  LANGID m_language = 0;
  std::vector<std::u16string> m_recentFiles;  // most recent first, at most 4

  // Missing values keep their defaults; a placement of the wrong size or a minimized one
  // is ignored; a view mode outside the known range becomes 32782 with the flag cleared.
  void Load(tvl::CSettingsStore& store);
  // Nothing is written when the section cannot be created.
  void Save(tvl::CSettingsStore& store) const;
};
