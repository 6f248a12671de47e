#include "UpdateTestUtil.h"

#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "peimage/PeFormat.h"

namespace updtest {

using namespace pe;

std::string Describe(const Entry& e) {
  auto id = [](const CResName& n) {
    if (n.IsOrdinal()) return std::to_string(n.GetOrdinal());
    std::string s = "\"";
    for (char16_t c : n.GetName()) s += c < 0x80 ? static_cast<char>(c) : '?';
    return s + "\"";
  };
  char lang[8];
  std::snprintf(lang, sizeof lang, "%04x", e.language);
  return id(e.type) + " " + id(e.name) + " " + lang + " (" + std::to_string(e.data.size()) + " bytes)";
}

std::string Describe(const std::vector<Entry>& entries) {
  std::string s;
  for (const Entry& e : entries) s += "  " + Describe(e) + "\n";
  return s;
}

std::vector<Entry> Walk(const std::string& path) {
  CPeImage image;
  if (!image.LoadFile(path)) {
    ADD_FAILURE() << "reader refuses " << path;
    return {};
  }
  std::vector<Entry> out;
  for (const CPeResource& r : image.GetResources()) {
    auto bytes = image.GetData(r);
    if (r.size != 0 && bytes.empty()) ADD_FAILURE() << "unreadable entry in " << path;
    out.push_back({r.type, r.name, r.language, std::vector<BYTE>(bytes.begin(), bytes.end())});
  }
  return out;
}

CResName ToResName(const tvl::ResId& id) { return id.isName ? CResName(id.name) : CResName(id.ordinal); }
tvl::ResId ToResId(const CResName& name) {
  return name.IsName() ? tvl::ResId::Name(name.GetName()) : tvl::ResId::Id(name.GetOrdinal());
}

const Section* Headers::Find(const std::string& n) const {
  for (const Section& s : sections)
    if (s.name == n) return &s;
  return nullptr;
}

const Section* Headers::ResourceSection() const {
  if (dirs.size() <= kDirResource || dirs[kDirResource].first == 0) return nullptr;
  DWORD rva = dirs[kDirResource].first;
  for (const Section& s : sections)
    if (rva >= s.va && rva < s.va + std::max(s.virtualSize, s.rawSize)) return &s;
  return nullptr;
}

Headers ReadHeaders(const std::vector<BYTE>& f) {
  Headers h;
  if (f.size() < 0x40 || Get16(f.data()) != kDosSignature) {
    ADD_FAILURE() << "no DOS header";
    return h;
  }
  size_t nt = Get32(&f[kDosLfanew]);
  if (nt + 0x200 > f.size() || Get32(&f[nt]) != kNtSignature) {
    ADD_FAILURE() << "no PE header";
    return h;
  }
  h.fileHeader = nt + kFileHeaderOffset;
  h.optHeader = nt + kOptionalHeaderOffset;
  const BYTE* fh = &f[h.fileHeader];
  const BYTE* oh = &f[h.optHeader];
  h.pe64 = Get16(oh) == kMagicPe32Plus;
  h.dataDirs = h.optHeader + (h.pe64 ? kOhDataDirectory64 : kOhDataDirectory32);
  h.numDirs = Get32(oh + (h.pe64 ? kOhNumberOfRvaAndSizes64 : kOhNumberOfRvaAndSizes32));
  h.fileAlignment = Get32(oh + kOhFileAlignment);
  h.sectionAlignment = Get32(oh + kOhSectionAlignment);
  h.sizeOfHeaders = Get32(oh + kOhSizeOfHeaders);
  h.sizeOfImage = Get32(oh + kOhSizeOfImage);
  h.checksum = Get32(oh + kOhCheckSum);
  h.sizeOfInitializedData = Get32(oh + kOhSizeOfInitializedData);
  h.symbolTable = Get32(fh + kFhPointerToSymbolTable);
  h.numberOfSymbols = Get32(fh + kFhNumberOfSymbols);
  for (DWORD i = 0; i < std::min<DWORD>(h.numDirs, 16); ++i)
    h.dirs.push_back({Get32(&f[h.dataDirs + 8 * i]), Get32(&f[h.dataDirs + 8 * i + 4])});
  h.sectionTable = h.optHeader + Get16(fh + kFhSizeOfOptionalHeader);
  size_t n = Get16(fh + kFhNumberOfSections);
  if (h.sectionTable + n * kSectionHeaderSize > f.size()) {
    ADD_FAILURE() << "section table outside the file";
    return h;
  }
  for (size_t i = 0; i < n; ++i) {
    const BYTE* s = &f[h.sectionTable + i * kSectionHeaderSize];
    Section sec;
    sec.name.assign(reinterpret_cast<const char*>(s), strnlen(reinterpret_cast<const char*>(s), 8));
    sec.virtualSize = Get32(s + kShVirtualSize);
    sec.va = Get32(s + kShVirtualAddress);
    sec.rawSize = Get32(s + kShSizeOfRawData);
    sec.rawPtr = Get32(s + kShPointerToRawData);
    sec.characteristics = Get32(s + kShCharacteristics);
    h.sections.push_back(sec);
  }
  return h;
}

std::vector<BYTE> RawBytes(const std::vector<BYTE>& f, const Section& s) {
  if (s.rawSize == 0 || size_t(s.rawPtr) + s.rawSize > f.size()) return {};
  return std::vector<BYTE>(f.begin() + s.rawPtr, f.begin() + s.rawPtr + s.rawSize);
}

DWORD ReferenceChecksum(const std::vector<BYTE>& f, size_t checksumOffset) {
  DWORD sum = 0;
  for (size_t i = 0; i < f.size(); i += 2) {
    if (i == checksumOffset || i == checksumOffset + 2) continue;
    DWORD word = f[i] | (i + 1 < f.size() ? f[i + 1] << 8 : 0);
    sum += word;
    sum = (sum & 0xFFFF) + (sum >> 16);
  }
  sum = (sum & 0xFFFF) + (sum >> 16);
  return sum + static_cast<DWORD>(f.size());
}

namespace {

// Upper-case ASCII, then code units: the order the tests expect names in.
bool NameBefore(const std::u16string& a, const std::u16string& b) {
  auto up = [](char16_t c) { return c >= u'a' && c <= u'z' ? char16_t(c - 32) : c; };
  for (size_t i = 0; i < std::min(a.size(), b.size()); ++i)
    if (up(a[i]) != up(b[i])) return up(a[i]) < up(b[i]);
  if (a.size() != b.size()) return a.size() < b.size();
  return a < b;
}

struct DirCheck {
  const std::vector<BYTE>& f;
  const Section& sec;
  size_t base;  // file offset of the root
  size_t limit;  // bytes available from the root
  std::string error;

  bool Table(size_t off, int level) {
    if (off + 16 > limit) return Err("directory outside the section");
    const BYTE* p = &f[base + off];
    size_t named = Get16(p + 12), ids = Get16(p + 14);
    if (off + 16 + 8 * (named + ids) > limit) return Err("entries outside the section");
    std::u16string prevName;
    int prevId = -1;
    for (size_t i = 0; i < named + ids; ++i) {
      const BYTE* e = p + 16 + 8 * i;
      DWORD nameField = Get32(e), target = Get32(e + 4);
      bool isName = (nameField & 0x80000000) != 0;
      if (isName != (i < named)) return Err("named and numbered entries mixed");
      if (isName) {
        size_t at = nameField & 0x7FFFFFFF;
        if (at + 2 > limit) return Err("name outside the section");
        size_t len = Get16(&f[base + at]);
        if (at + 2 + 2 * len > limit) return Err("name outside the section");
        std::u16string s;
        for (size_t k = 0; k < len; ++k) s += char16_t(Get16(&f[base + at + 2 + 2 * k]));
        if (i > 0 && !NameBefore(prevName, s)) return Err("names out of order");
        prevName = s;
      } else {
        int id = static_cast<int>(nameField & 0xFFFF);
        if (id <= prevId) return Err("ids out of order");
        prevId = id;
      }
      bool isDir = (target & 0x80000000) != 0;
      if (isDir != (level < 2)) return Err("tree not three levels deep");
      if (isDir ? !Table(target & 0x7FFFFFFF, level + 1) : !Leaf(target)) return false;
    }
    return true;
  }
  bool Leaf(size_t off) {
    if (off + 16 > limit) return Err("data entry outside the section");
    DWORD rva = Get32(&f[base + off]), size = Get32(&f[base + off + 4]);
    if (rva % 8 != 0) return Err("data not aligned to 8");
    if (rva < sec.va || size_t(rva - sec.va) + size > sec.rawSize) return Err("data outside the section's file data");
    return true;
  }
  bool Err(const std::string& e) {
    error = e;
    return false;
  }
};

}  // namespace

::testing::AssertionResult LayoutIsSound(const std::vector<BYTE>& f) {
  Headers h = ReadHeaders(f);
  if (h.sections.empty()) return ::testing::AssertionFailure() << "no sections";
  std::vector<Section> byVa = h.sections;
  std::sort(byVa.begin(), byVa.end(), [](const Section& a, const Section& b) { return a.va < b.va; });
  auto span = [&](const Section& s) {
    return AlignUp(s.virtualSize ? s.virtualSize : s.rawSize, h.sectionAlignment);
  };
  if (h.sizeOfHeaders % h.fileAlignment != 0) return ::testing::AssertionFailure() << "SizeOfHeaders unaligned";
  if (h.sectionTable + kSectionHeaderSize * h.sections.size() > h.sizeOfHeaders)
    return ::testing::AssertionFailure() << "section table beyond SizeOfHeaders";
  if (byVa[0].va < h.sizeOfHeaders) return ::testing::AssertionFailure() << "first section overlaps the headers";
  for (size_t i = 0; i + 1 < byVa.size(); ++i)
    if (byVa[i].va + span(byVa[i]) != byVa[i + 1].va)
      return ::testing::AssertionFailure() << "sections not contiguous in memory after " << byVa[i].name;
  if (h.sizeOfImage != byVa.back().va + span(byVa.back()))
    return ::testing::AssertionFailure() << "SizeOfImage " << std::hex << h.sizeOfImage << " wrong";
  for (size_t i = 0; i < h.sections.size(); ++i) {
    const Section& s = h.sections[i];
    if (s.rawSize == 0) continue;
    if (s.rawPtr % h.fileAlignment != 0) return ::testing::AssertionFailure() << s.name << " data unaligned";
    if (s.rawPtr < h.sizeOfHeaders || size_t(s.rawPtr) + s.rawSize > f.size())
      return ::testing::AssertionFailure() << s.name << " data outside the file";
    for (size_t j = 0; j < i; ++j) {
      const Section& o = h.sections[j];
      if (o.rawSize && s.rawPtr < o.rawPtr + o.rawSize && o.rawPtr < s.rawPtr + s.rawSize)
        return ::testing::AssertionFailure() << s.name << " and " << o.name << " share file data";
    }
  }
  if (h.symbolTable > f.size()) return ::testing::AssertionFailure() << "symbol table outside the file";
  if (h.checksum != 0 && h.checksum != ReferenceChecksum(f, h.optHeader + kOhCheckSum))
    return ::testing::AssertionFailure() << "checksum wrong";
  if (const Section* rs = h.ResourceSection()) {
    size_t rel = h.dirs[kDirResource].first - rs->va;
    if (rel >= rs->rawSize) return ::testing::AssertionFailure() << "resource directory has no file data";
    DirCheck check{f, *rs, rs->rawPtr + rel, rs->rawSize - rel, {}};
    if (!check.Table(0, 0)) return ::testing::AssertionFailure() << "resource directory: " << check.error;
  }
  return ::testing::AssertionSuccess();
}

std::optional<ToolRun> RunTool(const std::string& tool, const std::string& args) {
  std::string probe = "command -v " + tool + " >/dev/null 2>&1";
  if (std::system(probe.c_str()) != 0) return std::nullopt;
  std::string cmd = "timeout 30 " + tool + " " + args + " 2>&1";
  FILE* p = ::popen(cmd.c_str(), "r");
  if (!p) return std::nullopt;
  ToolRun run;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) run.output.append(buf, n);
  int st = ::pclose(p);
  run.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  return run;
}

bool HaveObjdump() { return std::system("command -v x86_64-w64-mingw32-objdump >/dev/null 2>&1") == 0; }

::testing::AssertionResult ObjdumpAccepts(const std::string& path) {
  auto run = RunTool("x86_64-w64-mingw32-objdump", "-p '" + path + "'");
  // scripts/setup.sh installs it: a missing tool is a broken setup, not a pass.
  if (!run) return ::testing::AssertionFailure() << "x86_64-w64-mingw32-objdump is not installed";
  if (run->status != 0) return ::testing::AssertionFailure() << "objdump exit " << run->status << "\n" << run->output;
  std::string lower = run->output;
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
  for (const char* word : {"corrupt", "warning", "error", "invalid", "extra data"})
    if (lower.find(word) != std::string::npos)
      return ::testing::AssertionFailure() << "objdump says \"" << word << "\":\n" << run->output;
  if (lower.find("the data directory") == std::string::npos)
    return ::testing::AssertionFailure() << "objdump did not read the headers:\n" << run->output;
  return ::testing::AssertionSuccess();
}

DWORD SynthImage::Va(size_t index) const {
  DWORD va = AlignUp(std::max<DWORD>(sizeOfHeaders, 1), sectionAlignment);
  for (size_t i = 0; i < index; ++i) {
    DWORD vs = sections[i].virtualSize ? sections[i].virtualSize : static_cast<DWORD>(sections[i].data.size());
    va += AlignUp(std::max<DWORD>(vs, 1), sectionAlignment);
  }
  return va;
}

std::vector<BYTE> SynthImage::Build() const {
  const size_t nt = 0x40;
  const size_t optSize = pe64 ? 0xF0 : 0xE0;
  std::vector<BYTE> f(sizeOfHeaders, 0);
  Put16(&f[0], kDosSignature);
  Put32(&f[kDosLfanew], nt);
  Put32(&f[nt], kNtSignature);
  BYTE* fh = &f[nt + kFileHeaderOffset];
  Put16(fh + kFhMachine, pe64 ? 0x8664 : 0x14C);
  Put16(fh + kFhNumberOfSections, static_cast<WORD>(sections.size()));
  Put32(fh + kFhPointerToSymbolTable, symbolTable);
  Put32(fh + kFhNumberOfSymbols, numberOfSymbols);
  Put16(fh + kFhSizeOfOptionalHeader, static_cast<WORD>(optSize));
  Put16(fh + kFhCharacteristics, 0x0102);
  size_t oh = nt + kOptionalHeaderOffset;
  Put16(&f[oh + kOhMagic], pe64 ? kMagicPe32Plus : kMagicPe32);
  if (pe64) {
    Put32(&f[oh + 24], 0x40000000);
    Put32(&f[oh + 28], 0x1);
  } else {
    Put32(&f[oh + 28], 0x400000);
  }
  Put32(&f[oh + kOhSectionAlignment], sectionAlignment);
  Put32(&f[oh + kOhFileAlignment], fileAlignment);
  Put16(&f[oh + 48], 4);
  Put32(&f[oh + kOhSizeOfHeaders], sizeOfHeaders);
  Put16(&f[oh + kOhSubsystem], 2);
  size_t dirsAt = oh + (pe64 ? kOhDataDirectory64 : kOhDataDirectory32);
  Put32(&f[oh + (pe64 ? kOhNumberOfRvaAndSizes64 : kOhNumberOfRvaAndSizes32)], 16);
  for (const auto& [index, d] : dirs) {
    Put32(&f[dirsAt + 8 * index], d.first);
    Put32(&f[dirsAt + 8 * index + 4], d.second);
  }
  DWORD initialized = 0;
  DWORD imageEnd = Va(sections.size());
  size_t table = oh + optSize;
  for (size_t i = 0; i < sections.size(); ++i) {
    const SynthSection& s = sections[i];
    BYTE* h = &f[table + i * kSectionHeaderSize];
    std::memcpy(h, s.name.data(), std::min<size_t>(8, s.name.size()));
    DWORD raw = AlignUp(static_cast<DWORD>(s.data.size()), fileAlignment);
    Put32(h + kShVirtualSize, s.virtualSize ? s.virtualSize : static_cast<DWORD>(s.data.size()));
    Put32(h + kShVirtualAddress, Va(i));
    Put32(h + kShSizeOfRawData, raw);
    Put32(h + kShPointerToRawData, raw ? static_cast<DWORD>(f.size()) : 0);
    Put32(h + kShCharacteristics, s.characteristics);
    if (s.characteristics & kScnInitializedData) initialized += raw;
    size_t at = f.size();
    f.resize(at + raw, 0);
    std::copy(s.data.begin(), s.data.end(), f.begin() + at);
  }
  Put32(&f[oh + kOhSizeOfInitializedData], initialized);
  Put32(&f[oh + kOhSizeOfImage], imageEnd);
  f.insert(f.end(), overlay.begin(), overlay.end());
  if (checksum) Put32(&f[oh + kOhCheckSum], ReferenceChecksum(f, oh + kOhCheckSum));
  return f;
}

std::vector<BYTE> ResourceData(const tvl::ResTypeMap& set, DWORD va) {
  std::vector<BYTE> out;
  EXPECT_TRUE(tvl::BuildResourceSection(set, va, out));
  return out;
}

tvl::ResTypeMap SampleSet(size_t scale) {
  using tvl::ResId;
  tvl::ResTypeMap set;
  auto bytes = [](size_t n, BYTE seed) {
    std::vector<BYTE> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = static_cast<BYTE>(seed + i * 7);
    return v;
  };
  set[ResId::Id(6)][ResId::Id(1)][0x0409] = bytes(37 * scale, 1);
  set[ResId::Id(6)][ResId::Id(2)][0x0409] = bytes(5, 2);
  set[ResId::Id(5)][ResId::Id(100)][0x0407] = bytes(200 * scale, 3);
  set[ResId::Id(5)][ResId::Id(100)][0x0409] = bytes(201 * scale, 4);
  set[ResId::Id(5)][ResId::Name(u"MAINDLG")][0x0409] = bytes(90, 5);
  set[ResId::Name(u"SETTINGS")][ResId::Id(5)][0] = bytes(3, 6);
  set[ResId::Name(u"SETTINGS")][ResId::Name(u"DATA")][0] = bytes(0, 7);
  set[ResId::Id(10)][ResId::Id(700)][0x040C] = bytes(1000 * scale, 8);
  return set;
}

std::vector<Entry> Flatten(const tvl::ResTypeMap& set) {
  std::vector<Entry> out;
  for (const auto& e : tvl::ListEntries(set)) out.push_back({ToResName(*e.type), ToResName(*e.name), e.language, *e.data});
  return out;
}

}  // namespace updtest
