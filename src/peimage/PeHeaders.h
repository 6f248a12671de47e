#pragma once
// The PE headers as both the reader and the update service parse them. They differ in how
// much they accept:
//  - lenient (the reader): any alignment, sections whose data runs past the end of the file
//    (it is cut there), an optional header too short for the data directories (no
//    resources), so that whatever a damaged file holds can still be shown;
//  - strict (the update service): power-of-two alignments with the section alignment at
//    least the file alignment and a file alignment of at most 64 KB, every section's data
//    inside the file, and the data directories present, since a file is rewritten from them.
#include <cstddef>
#include <optional>
#include <vector>

#include "peimage/PeFormat.h"

namespace tvl {

struct PeSectionHeader {
  size_t headerOffset = 0;
  DWORD virtualSize = 0;
  DWORD va = 0;
  DWORD rawSize = 0;
  DWORD rawPtr = 0;
  DWORD ptrRelocs = 0;
  DWORD ptrLines = 0;
  DWORD characteristics = 0;

  bool HasRaw() const { return rawSize != 0 && rawPtr != 0; }
  ULONGLONG RawEnd() const { return static_cast<ULONGLONG>(rawPtr) + rawSize; }
  DWORD MemSize() const { return virtualSize ? virtualSize : rawSize; }
};

struct PeHeaders {
  size_t fileHeader = 0;
  size_t optHeader = 0;
  bool pe32plus = false;
  size_t dataDirs = 0;
  DWORD numDirs = 0;  // data directories the header holds, at most 16
  size_t sectionTable = 0;
  DWORD fileAlignment = 0;
  DWORD sectionAlignment = 0;
  DWORD sizeOfHeaders = 0;
  std::vector<PeSectionHeader> sections;

  bool HasDir(size_t i) const { return i < numDirs; }
  DWORD DirRva(const BYTE* f, size_t i) const { return HasDir(i) ? Get32(f + dataDirs + i * 8) : 0; }
  DWORD DirSize(const BYTE* f, size_t i) const { return HasDir(i) ? Get32(f + dataDirs + i * 8 + 4) : 0; }
  void SetDir(BYTE* f, size_t i, DWORD rva, DWORD size) const {
    Put32(f + dataDirs + i * 8, rva);
    Put32(f + dataDirs + i * 8 + 4, size);
  }
  // Address span of a section as the loader maps it.
  ULONGLONG Span(const PeSectionHeader& s) const { return AlignUp64(s.MemSize(), sectionAlignment); }
  bool Contains(const PeSectionHeader& s, ULONGLONG rva) const { return rva >= s.va && rva < s.va + Span(s); }

  static ULONGLONG AlignUp64(ULONGLONG v, ULONGLONG a) { return a == 0 ? v : (v + a - 1) / a * a; }

  // File offset of `len` bytes at `rva`, when they lie in one section's file data.
  std::optional<size_t> RvaToOffset(ULONGLONG rva, ULONGLONG len) const {
    for (const PeSectionHeader& s : sections) {
      if (!s.HasRaw() || rva < s.va) continue;
      ULONGLONG rel = rva - s.va;
      if (rel < s.rawSize && len <= s.rawSize - rel) return static_cast<size_t>(s.rawPtr + rel);
    }
    return std::nullopt;
  }
};

// Parses the headers from the first `size` bytes of a file of `fileSize` bytes.
bool ParsePeHeaders(const BYTE* f, size_t size, ULONGLONG fileSize, bool strict, PeHeaders& img);

}  // namespace tvl
