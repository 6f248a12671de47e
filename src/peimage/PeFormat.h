#pragma once
// Offsets and constants of the PE/COFF format; the little-endian helpers come from platform/.
// Shared by the resource walk and the resource update service.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "platform/ByteReader.h"
#include "platform/Types.h"

namespace pe {

using tvl::Get16;
using tvl::Get32;
using tvl::Get64;
using tvl::Put16;
using tvl::Put32;

// DOS header
constexpr WORD kDosSignature = 0x5A4D;  // "MZ"
constexpr size_t kDosLfanew = 0x3C;

// NT headers, relative to e_lfanew
constexpr DWORD kNtSignature = 0x00004550;  // "PE\0\0"
constexpr size_t kFileHeaderOffset = 4;
constexpr size_t kFileHeaderSize = 20;
constexpr size_t kOptionalHeaderOffset = kFileHeaderOffset + kFileHeaderSize;

// IMAGE_FILE_HEADER, relative to its start
constexpr size_t kFhMachine = 0;
constexpr size_t kFhNumberOfSections = 2;
constexpr size_t kFhTimeDateStamp = 4;
constexpr size_t kFhPointerToSymbolTable = 8;
constexpr size_t kFhNumberOfSymbols = 12;
constexpr size_t kFhSizeOfOptionalHeader = 16;
constexpr size_t kFhCharacteristics = 18;
constexpr WORD kFileDll = 0x2000;

// IMAGE_OPTIONAL_HEADER, relative to its start; the offsets up to DllCharacteristics are
// the same in PE32 and PE32+ except where noted.
constexpr WORD kMagicPe32 = 0x10B;
constexpr WORD kMagicPe32Plus = 0x20B;
constexpr size_t kOhMagic = 0;
constexpr size_t kOhSizeOfCode = 4;
constexpr size_t kOhSizeOfInitializedData = 8;
constexpr size_t kOhSizeOfUninitializedData = 12;
constexpr size_t kOhAddressOfEntryPoint = 16;
constexpr size_t kOhBaseOfCode = 20;
constexpr size_t kOhSectionAlignment = 32;
constexpr size_t kOhFileAlignment = 36;
constexpr size_t kOhSizeOfImage = 56;
constexpr size_t kOhSizeOfHeaders = 60;
constexpr size_t kOhCheckSum = 64;
constexpr size_t kOhSubsystem = 68;
constexpr size_t kOhDllCharacteristics = 70;
constexpr size_t kOhNumberOfRvaAndSizes32 = 92;
constexpr size_t kOhNumberOfRvaAndSizes64 = 108;
constexpr size_t kOhDataDirectory32 = 96;
constexpr size_t kOhDataDirectory64 = 112;

// Data directory indexes
constexpr size_t kDirExport = 0;
constexpr size_t kDirImport = 1;
constexpr size_t kDirResource = 2;
constexpr size_t kDirException = 3;
constexpr size_t kDirSecurity = 4;  // holds a file offset, not an RVA
constexpr size_t kDirBaseReloc = 5;
constexpr size_t kDirDebug = 6;
constexpr size_t kDataDirectoryEntrySize = 8;

// IMAGE_SECTION_HEADER
constexpr size_t kSectionHeaderSize = 40;
constexpr size_t kShName = 0;
constexpr size_t kShVirtualSize = 8;
constexpr size_t kShVirtualAddress = 12;
constexpr size_t kShSizeOfRawData = 16;
constexpr size_t kShPointerToRawData = 20;
constexpr size_t kShPointerToRelocations = 24;
constexpr size_t kShPointerToLinenumbers = 28;
constexpr size_t kShCharacteristics = 36;
constexpr DWORD kScnInitializedData = 0x00000040;
constexpr DWORD kScnMemRead = 0x40000000;
constexpr DWORD kScnMemWrite = 0x80000000;
constexpr DWORD kScnMemDiscardable = 0x02000000;

// Resource directory
constexpr size_t kResDirHeaderSize = 16;  // IMAGE_RESOURCE_DIRECTORY
constexpr size_t kResDirNamedCount = 12;
constexpr size_t kResDirIdCount = 14;
constexpr size_t kResDirEntrySize = 8;
constexpr DWORD kResNameIsString = 0x80000000;
constexpr DWORD kResDataIsDirectory = 0x80000000;
constexpr size_t kResDataEntrySize = 16;  // OffsetToData (RVA), Size, CodePage, Reserved

constexpr DWORD AlignUp(DWORD value, DWORD alignment) {
  return alignment == 0 ? value : (value + alignment - 1) / alignment * alignment;
}

}  // namespace pe
