#pragma once
// CResStream: a bounds-checked read cursor over the bytes of one resource, and
// CResStreamException, thrown by every read that would leave them.
#include <cstddef>
#include <string>

#include "archive/Exceptions.h"
#include "peimage/ResName.h"
#include "platform/Types.h"

class CPeImage;

// Carries no text: the resource type that called the handler reports "Invalid Format".
class CResStreamException : public CException {};

class CResStream {
 public:
  // The stream of one resource found by the walk. The data must stay valid while the
  // stream is used; the walk guarantees that for the time the handler runs.
  CResStream(const CPeImage* module, CResName type, CResName name, LANGID language, LANGID fileLanguage,
             const BYTE* data, DWORD size);
  // A stream over bytes that do not come from a module (tests, imported files): no module,
  // type and name ordinal 0, code page and character set of the language.
  CResStream(const BYTE* data, DWORD size, LANGID language = 0x0409);

  // A pointer to the next n bytes; the cursor moves past them.
  const BYTE* Read(size_t n);
  BYTE ReadByte() { return *Read(1); }
  WORD ReadWord();
  DWORD ReadDword();

  // The zero-terminated UTF-16 string at the cursor (without its terminator); the cursor
  // moves past the terminator. The terminator must lie before `limit`, an offset from the
  // start of the data that may not exceed the size.
  std::u16string ReadString();
  std::u16string ReadString(size_t limit);

  // Round the offset from the start of the data up to a multiple of 2 or 4. The data of a
  // resource starts 4-aligned in a mapped module, so this is what the platform's rounding
  // of the cursor address amounts to.
  void AlignWord() { Align(2); }
  void AlignDword() { Align(4); }
  void Back(size_t n);

  size_t GetOffset() const { return static_cast<size_t>(m_cursor - m_data); }
  size_t GetRemaining() const { return static_cast<size_t>(m_end - m_cursor); }
  bool AtEnd() const { return m_cursor == m_end; }

  const CPeImage* m_module = nullptr;  // stays loaded while the handler runs
  CResName m_type;
  CResName m_name;
  LANGID m_language = 0;      // the override language when the table has one
  LANGID m_fileLanguage = 0;  // as enumerated in the file
  UINT m_codePage = 0;        // ANSI code page of m_language
  UINT m_charSet = 1;         // character set of m_language
  const BYTE* m_data = nullptr;
  DWORD m_size = 0;
  const BYTE* m_end = nullptr;
  const BYTE* m_cursor = nullptr;

 private:
  void Align(size_t to);
};
