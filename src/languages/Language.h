#pragma once
// A language of a project: a LANGID with the font its dialogs are previewed in.
#include <string>
#include <vector>

#include "archive/Object.h"
#include "platform/LanguageFacts.h"
#include "platform/Types.h"

class CArchive;

class CLanguage : public CObject {
  DECLARE_SERIAL(CLanguage)
 public:
  CLanguage() = default;
  explicit CLanguage(LANGID language) { SetLanguage(language); }
  CLanguage(const CLanguage&) = default;
  CLanguage& operator=(const CLanguage&) = default;

  // Sets the language and recomputes the character set.
  void SetLanguage(LANGID language);
  LANGID GetLanguage() const { return m_language; }

  void SetPreviewFont(const std::u16string& name, DWORD size);
  // The stored font, or the language's default font when no name is stored.
  PreviewFont GetPreviewFont() const;
  const std::u16string& GetFontName() const { return m_fontName; }
  DWORD GetFontSize() const { return m_fontSize; }
  UINT GetCharSet() const { return m_charSet; }

  // The language's name from the catalogues.
  std::u16string GetName() const;

  // WORD language, the font name, DWORD font size; the character set follows the language.
  void Serialize(CArchive& ar) override;

  bool operator==(const CLanguage& other) const {
    return m_language == other.m_language && m_fontName == other.m_fontName && m_fontSize == other.m_fontSize;
  }

 private:
  LANGID m_language = 0;
  std::u16string m_fontName;  // empty: the language's default font
  DWORD m_fontSize = 0;       // used as a 16-bit point size
  UINT m_charSet = DEFAULT_CHARSET;  // derived from the language, never stored
};

// Languages by value, in the order the user added them.
class CLanguageArray {
 public:
  int GetSize() const { return static_cast<int>(m_items.size()); }
  bool IsEmpty() const { return m_items.empty(); }
  CLanguage& operator[](int i) { return m_items.at(static_cast<size_t>(i)); }
  const CLanguage& operator[](int i) const { return m_items.at(static_cast<size_t>(i)); }
  int Add(const CLanguage& language) {
    m_items.push_back(language);
    return GetSize() - 1;
  }
  void InsertAt(int i, const CLanguage& language) { m_items.insert(m_items.begin() + i, language); }
  void RemoveAt(int i) { m_items.erase(m_items.begin() + i); }
  void RemoveAll() { m_items.clear(); }

  // Index of the first record with that language, or -1.
  int Find(LANGID language) const;

  // The count, then each record's fields without a class reference.
  void Serialize(CArchive& ar);

  auto begin() { return m_items.begin(); }
  auto end() { return m_items.end(); }
  auto begin() const { return m_items.begin(); }
  auto end() const { return m_items.end(); }

 private:
  std::vector<CLanguage> m_items;
};

// Display forms of the views and dialogs.

// The source language in the main window's language list: "<name> (Source)".
std::u16string FormatSourceLanguage(const std::u16string& name);
// "Codepage: " and "---" for 0, "Unicode" for 1200, else the system's name of the code
// page (nothing when the system does not know it).
std::u16string FormatCodePage(UINT codePage);
// "<font> (<size>pt)", or "Default" when no font name is stored.
std::u16string FormatPreviewFont(const CLanguage& language);
// The system's name of a language ("English (United States)"), or "Unknown : 0x0xxx".
std::u16string SystemLanguageName(LANGID language);
