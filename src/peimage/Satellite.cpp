#include "peimage/Satellite.h"

#include <cstring>

#include "peimage/PeFormat.h"
#include "peimage/ResourceUpdate.h"

namespace tvl {

namespace {
constexpr DWORD kFileAlignment = 0x200;
constexpr DWORD kSectionAlignment = 0x1000;
constexpr DWORD kImageBase = 0x10000000;
constexpr size_t kNtOffset = 0x40;  // right after the DOS header: no DOS stub, it would be code
constexpr WORD kMachineI386 = 0x014C;
constexpr WORD kOptionalHeaderSize32 = 0xE0;
// EXECUTABLE_IMAGE | LINE_NUMS_STRIPPED | LOCAL_SYMS_STRIPPED | 32BIT_MACHINE | DLL
constexpr WORD kCharacteristics = 0x0002 | 0x0004 | 0x0008 | 0x0100 | pe::kFileDll;
// DYNAMIC_BASE | NX_COMPAT | NO_SEH: nothing to relocate, nothing to execute.
constexpr WORD kDllCharacteristics = 0x0040 | 0x0100 | 0x0400;
constexpr WORD kSubsystemWindowsGui = 2;
}  // namespace

std::vector<BYTE> MakeSatelliteDll() {
  using namespace pe;
  ResTypeMap none;
  std::vector<BYTE> rsrc;
  BuildResourceSection(none, kSectionAlignment, rsrc);  // an empty set always fits

  const DWORD rawPtr = kFileAlignment;
  const DWORD rawSize = AlignUp(static_cast<DWORD>(rsrc.size()), kFileAlignment);
  std::vector<BYTE> f(rawPtr + rawSize, 0);
  BYTE* p = f.data();

  Put16(p, kDosSignature);
  Put16(p + 0x02, 0x90);  // bytes on the last page, pages: a conventional DOS header
  Put16(p + 0x04, 0x03);
  Put16(p + 0x08, 0x04);  // header paragraphs
  Put16(p + 0x0C, 0xFFFF);
  Put16(p + 0x10, 0xB8);
  Put16(p + 0x18, 0x40);
  Put32(p + kDosLfanew, kNtOffset);

  BYTE* nt = p + kNtOffset;
  Put32(nt, kNtSignature);
  BYTE* fh = nt + kFileHeaderOffset;
  Put16(fh + kFhMachine, kMachineI386);
  Put16(fh + kFhNumberOfSections, 1);
  Put16(fh + kFhSizeOfOptionalHeader, kOptionalHeaderSize32);
  Put16(fh + kFhCharacteristics, kCharacteristics);

  BYTE* oh = nt + kOptionalHeaderOffset;
  Put16(oh + kOhMagic, kMagicPe32);
  Put32(oh + kOhSizeOfInitializedData, rawSize);
  Put32(oh + 24, kSectionAlignment);  // BaseOfData
  Put32(oh + 28, kImageBase);
  Put32(oh + kOhSectionAlignment, kSectionAlignment);
  Put32(oh + kOhFileAlignment, kFileAlignment);
  Put16(oh + 40, 5);  // operating system version 5.1
  Put16(oh + 42, 1);
  Put16(oh + 48, 5);  // subsystem version 5.1
  Put16(oh + 50, 1);
  Put32(oh + kOhSizeOfImage, kSectionAlignment + AlignUp(static_cast<DWORD>(rsrc.size()), kSectionAlignment));
  Put32(oh + kOhSizeOfHeaders, rawPtr);
  Put16(oh + kOhSubsystem, kSubsystemWindowsGui);
  Put16(oh + kOhDllCharacteristics, kDllCharacteristics);
  Put32(oh + 72, 0x100000);  // stack reserve, commit
  Put32(oh + 76, 0x1000);
  Put32(oh + 80, 0x100000);  // heap reserve, commit
  Put32(oh + 84, 0x1000);
  Put32(oh + kOhNumberOfRvaAndSizes32, 16);
  BYTE* dirs = oh + kOhDataDirectory32;
  Put32(dirs + kDirResource * kDataDirectoryEntrySize, kSectionAlignment);
  Put32(dirs + kDirResource * kDataDirectoryEntrySize + 4, static_cast<DWORD>(rsrc.size()));

  BYTE* sh = oh + kOptionalHeaderSize32;
  std::memcpy(sh + kShName, ".rsrc\0\0\0", 8);
  Put32(sh + kShVirtualSize, static_cast<DWORD>(rsrc.size()));
  Put32(sh + kShVirtualAddress, kSectionAlignment);
  Put32(sh + kShSizeOfRawData, rawSize);
  Put32(sh + kShPointerToRawData, rawPtr);
  Put32(sh + kShCharacteristics, kScnInitializedData | kScnMemRead);

  std::memcpy(p + rawPtr, rsrc.data(), rsrc.size());
  const size_t checksumAt = kNtOffset + kOptionalHeaderOffset + kOhCheckSum;
  Put32(p + checksumAt, ComputePeChecksum(p, f.size(), checksumAt));
  return f;
}

}  // namespace tvl
