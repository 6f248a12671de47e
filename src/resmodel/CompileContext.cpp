#include "resmodel/CompileContext.h"

#include <cstring>

void CResourceData::Reset() {
  m_bytes.assign(kGrowBy, 0);
  m_position = 0;
}

void CResourceData::Reserve(size_t n) {
  if (n <= m_bytes.size() - m_position) return;
  size_t needed = m_position + n;
  size_t end = m_bytes.size();
  while (end < needed) end += kGrowBy;
  m_bytes.resize(end, 0);
}

void CResourceData::WriteByte(BYTE value) {
  Reserve(1);
  m_bytes[m_position++] = value;
}

void CResourceData::WriteWord(WORD value) {
  Reserve(2);
  m_bytes[m_position++] = static_cast<BYTE>(value);
  m_bytes[m_position++] = static_cast<BYTE>(value >> 8);
}

void CResourceData::WriteDword(DWORD value) {
  Reserve(4);
  for (int i = 0; i < 4; ++i) m_bytes[m_position++] = static_cast<BYTE>(value >> (8 * i));
}

void CResourceData::WriteBytes(const void* data, size_t n) {
  if (n == 0) return;
  Reserve(n);
  std::memcpy(m_bytes.data() + m_position, data, n);
  m_position += n;
}

void CResourceData::WriteString(std::u16string_view text) {
  size_t end = text.find(u'\0');
  if (end != std::u16string_view::npos) text = text.substr(0, end);
  Reserve((text.size() + 1) * 2);
  for (char16_t c : text) {
    m_bytes[m_position++] = static_cast<BYTE>(c);
    m_bytes[m_position++] = static_cast<BYTE>(c >> 8);
  }
  m_bytes[m_position++] = 0;
  m_bytes[m_position++] = 0;
}

void CResourceData::AlignWord() {
  if (m_position % 2) WriteByte(0);
}

void CResourceData::AlignDword() {
  while (m_position % 4) WriteByte(0);
}

void CResourceData::PatchWord(size_t offset, WORD value) {
  if (offset > m_position || m_position - offset < 2) return;
  m_bytes[offset] = static_cast<BYTE>(value);
  m_bytes[offset + 1] = static_cast<BYTE>(value >> 8);
}

void CResourceData::PatchDword(size_t offset, DWORD value) {
  if (offset > m_position || m_position - offset < 4) return;
  for (int i = 0; i < 4; ++i) m_bytes[offset + i] = static_cast<BYTE>(value >> (8 * i));
}

CCompileContext::CCompileContext(WORD sourceLanguage, WORD targetLanguage, CResourceWriter* writer)
    : m_sourceLanguage(sourceLanguage), m_targetLanguage(targetLanguage), m_writer(writer) {
  m_data.m_language = targetLanguage;
  m_data.m_sourceLanguage = sourceLanguage;
}

void CCompileContext::AddToWriter() {
  if (m_writer == nullptr) return;
  m_writer->Add(m_type, m_name, m_targetLanguage, m_data.GetData(), m_data.GetPosition());
}

void CResourceWriter::Add(const CResourceIdentifier& type, const CResourceIdentifier& name, WORD language,
                          const void* bytes, size_t length) {
  auto entry = std::make_unique<CResourceEntry>();
  entry->m_type = type;
  entry->m_name = name;
  entry->m_language = language;
  if (length > 0) {
    const BYTE* p = static_cast<const BYTE*>(bytes);
    entry->m_data.assign(p, p + length);
  }
  m_entries.push_back(std::move(entry));
}

size_t CResourceWriter::GetTotalLength() const {
  size_t total = 0;
  for (const auto& e : m_entries) total += e->m_data.size();
  return total;
}
