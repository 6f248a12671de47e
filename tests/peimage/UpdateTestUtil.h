#pragma once
// Shared by the update service, resource writer and satellite tests: the walk of a written
// file, an independent check of the layout rules every written image must keep, hand-made
// images with the section layouts real linkers produce, and the mingw tools as outside
// readers.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "peimage/PeImage.h"
#include "peimage/ResourceUpdate.h"
#include "platform/Types.h"

namespace updtest {

inline const std::vector<std::string> kFixtures = {
    "all32.exe",        "all64.exe",      "mfc32.exe",   "mfc64.exe",   "twolang.dll", "neutral64.dll",
    "neutralver32.dll", "icononly32.dll", "empty64.dll", "reloc64.dll", "reloc32.dll", "overlay32.exe"};

struct Entry {
  CResName type;
  CResName name;
  LANGID language = 0;
  std::vector<BYTE> data;
  bool operator==(const Entry& o) const {
    return type == o.type && name == o.name && language == o.language && data == o.data;
  }
};
std::string Describe(const Entry& e);
std::string Describe(const std::vector<Entry>& entries);

// Every leaf of the file's resource directory in directory order, read by the reader.
std::vector<Entry> Walk(const std::string& path);

CResName ToResName(const tvl::ResId& id);
tvl::ResId ToResId(const CResName& name);

// Section headers and the optional header fields the tests look at.
struct Section {
  std::string name;
  DWORD virtualSize = 0, va = 0, rawSize = 0, rawPtr = 0, characteristics = 0;
};
struct Headers {
  bool pe64 = false;
  size_t fileHeader = 0, optHeader = 0, dataDirs = 0, sectionTable = 0;
  DWORD numDirs = 0, fileAlignment = 0, sectionAlignment = 0, sizeOfHeaders = 0, sizeOfImage = 0;
  DWORD checksum = 0, sizeOfInitializedData = 0, symbolTable = 0, numberOfSymbols = 0;
  std::vector<Section> sections;
  std::vector<std::pair<DWORD, DWORD>> dirs;
  const Section* Find(const std::string& name) const;
  // The section whose memory holds the resource directory.
  const Section* ResourceSection() const;
};
Headers ReadHeaders(const std::vector<BYTE>& file);
std::vector<BYTE> RawBytes(const std::vector<BYTE>& file, const Section& s);

// The checksum computed word by word exactly as the format documents it.
DWORD ReferenceChecksum(const std::vector<BYTE>& file, size_t checksumOffset);

// Every rule a loader or a careful reader checks: contiguous sections, SizeOfImage, aligned
// and non-overlapping file data, a resource directory with named entries first and sorted,
// ids ascending, data entries aligned to 8 inside their section, a valid checksum if any.
::testing::AssertionResult LayoutIsSound(const std::vector<BYTE>& file);

// Output of a mingw tool run under a time limit; nullopt when the tool is not installed.
struct ToolRun {
  int status = -1;
  std::string output;
};
std::optional<ToolRun> RunTool(const std::string& tool, const std::string& args);
// objdump -p reads the file without complaint.
::testing::AssertionResult ObjdumpAccepts(const std::string& path);
bool HaveObjdump();

// A hand-made image: sections one after the other in memory and in the file.
struct SynthSection {
  std::string name;
  std::vector<BYTE> data;
  DWORD virtualSize = 0;  // 0: the data's size
  DWORD characteristics = 0x40000040;
};
struct SynthImage {
  bool pe64 = false;
  DWORD fileAlignment = 0x200;
  DWORD sectionAlignment = 0x1000;
  DWORD sizeOfHeaders = 0x400;
  std::vector<SynthSection> sections;
  std::map<size_t, std::pair<DWORD, DWORD>> dirs;  // data directory index -> rva, size
  std::vector<BYTE> overlay;
  bool checksum = false;
  DWORD symbolTable = 0, numberOfSymbols = 0;

  // Address of section `index` in the image (its data does not need to be there yet).
  DWORD Va(size_t index) const;
  std::vector<BYTE> Build() const;
};

// A section of `set` laid out for address `va` (the service's own writer, as a start state).
std::vector<BYTE> ResourceData(const tvl::ResTypeMap& set, DWORD va);

// A small mixed set: numbered and named types, names and languages.
tvl::ResTypeMap SampleSet(size_t scale = 1);
std::vector<Entry> Flatten(const tvl::ResTypeMap& set);

}  // namespace updtest
