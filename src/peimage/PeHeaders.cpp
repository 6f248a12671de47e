#include "peimage/PeHeaders.h"

#include <algorithm>
#include <span>

#include "platform/ByteReader.h"

namespace tvl {
namespace {

bool IsPowerOfTwo(DWORD v) { return v != 0 && (v & (v - 1)) == 0; }

}  // namespace

bool ParsePeHeaders(const BYTE* f, size_t size, ULONGLONG fileSize, bool strict, PeHeaders& img) {
  using namespace pe;
  CByteReader in(std::span<const BYTE>(f, size));
  if (size < 0x40 || in.U16At(0) != kDosSignature) return false;
  size_t nt = in.U32At(kDosLfanew);
  if (!in.Fits(nt, kOptionalHeaderOffset) || in.U32At(nt) != kNtSignature) return false;
  img.fileHeader = nt + kFileHeaderOffset;
  img.optHeader = nt + kOptionalHeaderOffset;
  size_t sizeOpt = in.U16At(img.fileHeader + kFhSizeOfOptionalHeader);
  size_t numSections = in.U16At(img.fileHeader + kFhNumberOfSections);
  if (!in.Fits(img.optHeader, sizeOpt)) return false;
  CByteReader opt = in.Sub(img.optHeader, sizeOpt);
  WORD magic = sizeOpt >= 2 ? opt.U16At(0) : 0;
  if (magic == kMagicPe32Plus)
    img.pe32plus = true;
  else if (magic != kMagicPe32)
    return false;
  if (!opt.Fits(kOhSizeOfHeaders, 4)) return false;
  size_t dirOffset = img.pe32plus ? kOhDataDirectory64 : kOhDataDirectory32;
  img.numDirs = 0;
  if (sizeOpt >= dirOffset) {
    DWORD declared = opt.U32At(img.pe32plus ? kOhNumberOfRvaAndSizes64 : kOhNumberOfRvaAndSizes32);
    img.numDirs =
        static_cast<DWORD>(std::min<size_t>({declared, (sizeOpt - dirOffset) / kDataDirectoryEntrySize, 16}));
  } else if (strict) {
    return false;
  }
  img.dataDirs = img.optHeader + dirOffset;
  img.fileAlignment = opt.U32At(kOhFileAlignment);
  img.sectionAlignment = opt.U32At(kOhSectionAlignment);
  img.sizeOfHeaders = opt.U32At(kOhSizeOfHeaders);
  if (strict && (!IsPowerOfTwo(img.fileAlignment) || img.fileAlignment > 0x10000 ||
                 !IsPowerOfTwo(img.sectionAlignment) || img.sectionAlignment < img.fileAlignment))
    return false;
  img.sectionTable = img.optHeader + sizeOpt;
  if (img.sectionTable > size || (size - img.sectionTable) / kSectionHeaderSize < numSections) return false;
  img.sections.resize(numSections);
  for (size_t i = 0; i < numSections; ++i) {
    PeSectionHeader& s = img.sections[i];
    s.headerOffset = img.sectionTable + i * kSectionHeaderSize;
    CByteReader h = in.Sub(s.headerOffset, kSectionHeaderSize);
    s.virtualSize = h.U32At(kShVirtualSize);
    s.va = h.U32At(kShVirtualAddress);
    s.rawSize = h.U32At(kShSizeOfRawData);
    s.rawPtr = h.U32At(kShPointerToRawData);
    s.ptrRelocs = h.U32At(kShPointerToRelocations);
    s.ptrLines = h.U32At(kShPointerToLinenumbers);
    s.characteristics = h.U32At(kShCharacteristics);
    if (strict && s.HasRaw() && s.RawEnd() > fileSize) return false;
  }
  return true;
}

}  // namespace tvl
