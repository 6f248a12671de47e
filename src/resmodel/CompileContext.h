#pragma once
// The output side of a build: the buffer one resource is written into, the state
// of one build for one language, and the collector of the written resources.
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Types.h"
#include "resmodel/ResourceIdentifier.h"

// The buffer one resource is written into, with what the format writers need to know about
// the build. The bytes are prepared 4096 at a time: writing at the end of the prepared space
// first grows it by 4096 bytes (as many steps as a long write needs). Only the bytes before
// the write position are the resource; the rest of the prepared space is zero.
//
// Never stored, so it holds a std::vector rather than the framework's CByteArray.
class CResourceData {
 public:
  static constexpr size_t kGrowBy = 4096;

  CResourceData() { Reset(); }

  // Back to 4096 prepared (zero) bytes with the write position at the start.
  void Reset();

  void WriteByte(BYTE value);
  void WriteWord(WORD value);
  void WriteDword(DWORD value);
  void WriteBytes(const void* data, size_t n);
  // A zero-terminated UTF-16 string, terminator included: "" writes 00 00. The string ends
  // at its first zero code unit, as a C string would.
  void WriteString(std::u16string_view text);
  void WriteString(const char16_t* text) { WriteString(text ? std::u16string_view(text) : std::u16string_view()); }
  // Pad with zero bytes to a multiple of 2 or 4, counted from the start of the buffer.
  void AlignWord();
  void AlignDword();

  // Where the next byte goes = the number of bytes written.
  size_t GetPosition() const { return m_position; }
  size_t GetSize() const { return m_position; }
  // The end of the prepared space (a multiple of 4096).
  size_t GetPreparedSize() const { return m_bytes.size(); }
  const BYTE* GetData() const { return m_bytes.data(); }
  BYTE* GetData() { return m_bytes.data(); }

  // Overwrite an already written value (length fields that are known only afterwards).
  // Offsets past the written bytes are ignored.
  void PatchWord(size_t offset, WORD value);
  void PatchDword(size_t offset, DWORD value);

  // The written bytes, cut to the write position.
  std::vector<BYTE> GetBytes() const { return {m_bytes.begin(), m_bytes.begin() + static_cast<std::ptrdiff_t>(m_position)}; }

  WORD m_language = 0;           // target language of the build
  WORD m_sourceLanguage = 0;     // the project's source language
  std::u16string m_fontFace;     // default dialog font for the target language
  WORD m_fontSize = 0;           // points
  WORD m_fontWeight = 0;
  BYTE m_fontItalic = 0;
  BYTE m_fontCharset = 1;        // DEFAULT_CHARSET
  BYTE m_preview = 0;            // 1 only when built for the dialog preview
  BYTE m_satelliteDll = 0;       // the module is built as satellite DLLs
  BYTE m_noDuplicateNeutral = 0; // the module's "no duplicate of neutral resources" option

 private:
  void Reserve(size_t n);

  std::vector<BYTE> m_bytes;
  size_t m_position = 0;
};

class CResourceWriter;

// The state of one build of one module for one language.
class CCompileContext {
 public:
  CCompileContext() = default;
  CCompileContext(WORD sourceLanguage, WORD targetLanguage, CResourceWriter* writer);

  // Hands the current type, the current name, the target language and the written bytes of
  // the resource data to the writer (the last step of CResource::Write).
  void AddToWriter();

  WORD m_sourceLanguage = 0;
  WORD m_targetLanguage = 0;
  CResourceWriter* m_writer = nullptr;  // not owned
  CResName m_type;                      // current resource type
  CResName m_name;                      // current resource name
  CResourceData m_data;                 // owned
};

// One collected resource; the bytes are the entry's own copy.
struct CResourceEntry {
  CResourceIdentifier m_type;
  CResourceIdentifier m_name;
  WORD m_language = 0;
  std::vector<BYTE> m_data;
};

// The collector: entries in the order they were added.
class CResourceWriter {
 public:
  void Add(const CResourceIdentifier& type, const CResourceIdentifier& name, WORD language,
           const void* bytes, size_t length);
  void Add(const CResName& type, const CResName& name, WORD language, const void* bytes, size_t length) {
    Add(CResourceIdentifier(type), CResourceIdentifier(name), language, bytes, length);
  }

  // Writes all entries into the file in two update passes; throws
  // CWin32Exception on failure. Defined with the resource update service in src/peimage/.
  void Write(const std::u16string& path);
  // The same passes on a copy of `templatePath` written to `fd` (an empty file), without
  // writing the template; the messages name the copy as `workingPath`.
  void WriteCopy(const std::u16string& templatePath, int fd, const std::u16string& workingPath);

  size_t GetCount() const { return m_entries.size(); }
  const CResourceEntry& GetEntry(size_t i) const { return *m_entries[i]; }
  const std::vector<std::unique_ptr<CResourceEntry>>& GetEntries() const { return m_entries; }
  // Sum of the lengths of all entries.
  size_t GetTotalLength() const;

 private:
  std::vector<std::unique_ptr<CResourceEntry>> m_entries;
};
