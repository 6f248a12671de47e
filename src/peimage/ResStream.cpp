#include "peimage/ResStream.h"

#include "platform/ByteReader.h"
#include "platform/LanguageFacts.h"

CResStream::CResStream(const CPeImage* module, CResName type, CResName name, LANGID language, LANGID fileLanguage,
                       const BYTE* data, DWORD size)
    : m_module(module),
      m_type(std::move(type)),
      m_name(std::move(name)),
      m_language(language),
      m_fileLanguage(fileLanguage),
      m_data(data),
      m_size(data ? size : 0),
      m_end(data ? data + size : nullptr),
      m_cursor(data) {
  CodePageAndCharset cp = LanguageCodePage(language);
  m_codePage = cp.codePage;
  m_charSet = cp.charSet;
}

CResStream::CResStream(const BYTE* data, DWORD size, LANGID language)
    : CResStream(nullptr, CResName(), CResName(), language, language, data, size) {}

const BYTE* CResStream::Read(size_t n) {
  if (n > GetRemaining()) throw CResStreamException();
  const BYTE* p = m_cursor;
  m_cursor += n;
  return p;
}

WORD CResStream::ReadWord() { return tvl::Get16(Read(2)); }

DWORD CResStream::ReadDword() { return tvl::Get32(Read(4)); }

std::u16string CResStream::ReadString() { return ReadString(m_size); }

std::u16string CResStream::ReadString(size_t limit) {
  if (limit > m_size) throw CResStreamException();
  size_t offset = GetOffset();
  std::u16string text;
  // Byte-wise: a string may start at an odd offset.
  for (size_t i = offset; i + 2 <= limit; i += 2) {
    char16_t c = static_cast<char16_t>(tvl::Get16(m_data + i));
    if (c == 0) {
      m_cursor = m_data + i + 2;
      return text;
    }
    text.push_back(c);
  }
  throw CResStreamException();
}

void CResStream::Align(size_t to) {
  size_t offset = GetOffset();
  size_t aligned = (offset + to - 1) / to * to;
  if (aligned > m_size) throw CResStreamException();
  m_cursor = m_data + aligned;
}

void CResStream::Back(size_t n) {
  if (n > GetOffset()) throw CResStreamException();
  m_cursor -= n;
}
