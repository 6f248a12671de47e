#pragma once
// What the dialog tests share: fixtures, templates made by hand, writing and storing.
#include <memory>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "archive/Archive.h"
#include "formats/layout/ResDialog.h"
#include "peimage/PeImage.h"
#include "peimage/ResStream.h"
#include "platform/Text.h"
#include "resmodel/CompileContext.h"
#include "resmodel/ResTable.h"

namespace dlgtest {

constexpr LANGID kEnglish = 0x0409;
constexpr LANGID kGerman = 0x0407;
constexpr LANGID kFrench = 0x040C;
constexpr LANGID kJapanese = 0x0411;
constexpr LANGID kGreek = 0x0408;

inline std::u16string FixtureU(const std::string& name) { return tvl::FromUtf8(FixturePath(name)); }

inline std::unique_ptr<CResTable> LoadTable(const std::string& fixture) {
  auto table = std::make_unique<CResTable>();
  if (!table->Load(FixtureU(fixture), kNoLanguage)) return nullptr;
  return table;
}

inline CResDialog* FindDialog(CResTable& table, const CResName& name) {
  return dynamic_cast<CResDialog*>(table.m_dialogs.FindResource(CResourceIdentifier(name)));
}

// The bytes the resource compiler wrote for a resource.
inline std::vector<BYTE> SourceBytes(const std::string& fixture, const CResName& type, const CResName& name,
                                     LANGID language = kEnglish) {
  CPeImage image;
  if (!image.LoadFile(FixturePath(fixture))) return {};
  const CPeResource* r = image.FindResourceEx(type, name, language);
  if (!r) return {};
  auto data = image.GetData(*r);
  return {data.begin(), data.end()};
}

// The template of a dialog for a language, with the language's default font as a build sets it.
inline std::vector<BYTE> Write(CResDialog& dialog, LANGID language, bool preview = false,
                               const std::u16string& defaultFace = u"Tahoma", WORD defaultSize = 8,
                               BYTE defaultCharset = 0) {
  CResourceData data;
  data.m_language = language;
  data.m_fontFace = defaultFace;
  data.m_fontSize = defaultSize;
  data.m_fontWeight = 400;
  data.m_fontItalic = 0;
  data.m_fontCharset = defaultCharset;
  data.m_preview = preview ? 1 : 0;
  dialog.WriteData(data);
  return data.GetBytes();
}

inline std::vector<BYTE> WriteInit(const CResDialog& dialog, LANGID language, bool preview = false) {
  CResourceData data;
  data.m_language = language;
  data.m_preview = preview ? 1 : 0;
  dialog.WriteDlgInit(data);
  return data.GetBytes();
}

// Equal but for the padding the compiler may leave at the end (up to three zero bytes).
inline ::testing::AssertionResult SameTemplate(const std::vector<BYTE>& written, const std::vector<BYTE>& source) {
  if (written.size() > source.size() || source.size() - written.size() > 3)
    return ::testing::AssertionFailure() << "sizes " << written.size() << " and " << source.size();
  for (size_t i = 0; i < written.size(); ++i)
    if (written[i] != source[i]) return ::testing::AssertionFailure() << "first difference at byte " << i;
  for (size_t i = written.size(); i < source.size(); ++i)
    if (source[i] != 0) return ::testing::AssertionFailure() << "non-zero padding at " << i;
  return ::testing::AssertionSuccess();
}

inline std::vector<BYTE> Store(const CObject& object) {
  CArchive ar;
  ar.WriteObject(&object);
  return ar.GetStoredBytes();
}

template <class T>
std::unique_ptr<T> Load(const std::vector<BYTE>& bytes) {
  CArchive ar(bytes.data(), bytes.size(), u"test");
  std::unique_ptr<T> object = ar.ReadObject<T>();
  ar.Close();
  return object;
}

// A dialog read from bytes as the type handler reads it.
inline std::unique_ptr<CResDialog> Parse(const std::vector<BYTE>& bytes, LANGID language = kEnglish) {
  auto dialog = std::make_unique<CResDialog>();
  dialog->m_identifier.SetOrdinal(100);
  dialog->m_statusChain.m_language = language;
  CResStream stream(bytes.data(), static_cast<DWORD>(bytes.size()), language);
  dialog->Parse(stream);
  return dialog;
}

// Templates by hand, little-endian.
class Bytes {
 public:
  Bytes& W(WORD v) {
    b.push_back(static_cast<BYTE>(v));
    b.push_back(static_cast<BYTE>(v >> 8));
    return *this;
  }
  Bytes& D(DWORD v) { return W(static_cast<WORD>(v)).W(static_cast<WORD>(v >> 16)); }
  Bytes& B(BYTE v) {
    b.push_back(v);
    return *this;
  }
  Bytes& S(const std::u16string& s) {
    for (char16_t c : s) W(c);
    return W(0);
  }
  Bytes& Align(size_t n) {
    while (b.size() % n) b.push_back(0);
    return *this;
  }
  Bytes& Raw(const std::vector<BYTE>& more) {
    b.insert(b.end(), more.begin(), more.end());
    return *this;
  }
  std::vector<BYTE> b;
};

}  // namespace dlgtest
