#pragma once
// Little-endian access to raw bytes, and CByteReader: the one way untrusted bytes (file
// headers, resource trees, imported files) are read.
//
// CByteReader is a bounded view with a private cursor. A read that would leave the view
// reads nothing, yields zero (or an empty span) and marks the reader failed; the failure
// sticks, so a parse may check Ok() once after a run of reads. Nothing outside the view
// is ever touched.
#include <cstddef>
#include <span>

#include "platform/Types.h"

namespace tvl {

inline WORD Get16(const BYTE* p) { return static_cast<WORD>(p[0] | (p[1] << 8)); }
inline DWORD Get32(const BYTE* p) {
  return static_cast<DWORD>(p[0]) | (static_cast<DWORD>(p[1]) << 8) | (static_cast<DWORD>(p[2]) << 16) |
         (static_cast<DWORD>(p[3]) << 24);
}
inline ULONGLONG Get64(const BYTE* p) { return Get32(p) | (static_cast<ULONGLONG>(Get32(p + 4)) << 32); }
inline void Put16(BYTE* p, WORD v) {
  p[0] = static_cast<BYTE>(v);
  p[1] = static_cast<BYTE>(v >> 8);
}
inline void Put32(BYTE* p, DWORD v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<BYTE>(v >> (8 * i));
}

}  // namespace tvl

class CByteReader {
 public:
  CByteReader() = default;
  explicit CByteReader(std::span<const BYTE> bytes) : m_bytes(bytes) {}

  size_t Size() const { return m_bytes.size(); }
  size_t Offset() const { return m_pos; }
  size_t Remaining() const { return m_bytes.size() - m_pos; }
  bool Ok() const { return !m_failed; }
  // True when [offset, offset + n) lies inside the view.
  bool Fits(size_t offset, size_t n) const { return offset <= m_bytes.size() && n <= m_bytes.size() - offset; }

  // Cursor reads: the cursor moves past what was read, and stays put on a failure.
  bool Seek(size_t offset) {
    if (!Check(offset <= m_bytes.size())) return false;
    m_pos = offset;
    return true;
  }
  bool Skip(size_t n) {
    if (!Check(Fits(m_pos, n))) return false;
    m_pos += n;
    return true;
  }
  WORD Read16() {
    WORD v = U16At(m_pos);
    if (m_failed) return 0;
    m_pos += 2;
    return v;
  }
  DWORD Read32() {
    DWORD v = U32At(m_pos);
    if (m_failed) return 0;
    m_pos += 4;
    return v;
  }
  std::span<const BYTE> ReadBytes(size_t n) {
    std::span<const BYTE> v = BytesAt(m_pos, n);
    if (m_failed) return {};
    m_pos += n;
    return v;
  }

  // Reads at an offset from the start of the view; the cursor does not move.
  WORD U16At(size_t offset) { return Check(Fits(offset, 2)) ? tvl::Get16(m_bytes.data() + offset) : 0; }
  DWORD U32At(size_t offset) { return Check(Fits(offset, 4)) ? tvl::Get32(m_bytes.data() + offset) : 0; }
  std::span<const BYTE> BytesAt(size_t offset, size_t n) {
    return Check(Fits(offset, n)) ? m_bytes.subspan(offset, n) : std::span<const BYTE>();
  }
  // A reader over [offset, offset + n) of this view; an empty failed one when it does not fit.
  CByteReader Sub(size_t offset, size_t n) {
    CByteReader sub(BytesAt(offset, n));
    sub.m_failed = m_failed;
    return sub;
  }

 private:
  bool Check(bool inside) {
    if (!inside) m_failed = true;
    return inside && !m_failed;
  }

  std::span<const BYTE> m_bytes;
  size_t m_pos = 0;
  bool m_failed = false;
};
