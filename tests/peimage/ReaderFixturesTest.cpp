// The walk over the committed executables: what it finds, in which order, and that it
// agrees entry for entry and byte for byte with what the mingw decompiler reads.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "ReaderTestHelpers.h"
#include "peimage/Crc32.h"

using namespace readertest;

namespace {

bool InDirectoryOrder(const std::vector<CPeResource>& rs) {
  for (size_t i = 1; i < rs.size(); ++i) {
    const CPeResource& a = rs[i - 1];
    const CPeResource& b = rs[i];
    int c = Entry::Compare(a.type, b.type);
    if (c == 0) c = Entry::Compare(a.name, b.name);
    if (c == 0) c = int(a.language) - int(b.language);
    if (c >= 0) return false;
  }
  return true;
}

const CPeSection* FindSection(const CPeImage& image, const std::string& name) {
  for (const CPeSection& s : image.GetSections())
    if (s.name == name) return &s;
  return nullptr;
}

}  // namespace

TEST(ReaderFixtures, EveryFixtureLoadsWithReadableSortedResources) {
  for (const std::string& f : kAllFixtures) {
    SCOPED_TRACE(f);
    CPeImage image;
    ASSERT_TRUE(image.LoadFile(FixturePath(f)));
    EXPECT_TRUE(image.HasResources());
    ASSERT_FALSE(image.GetResources().empty());
    // The linker writes sorted directories, so the walk in directory order is sorted too.
    EXPECT_TRUE(InDirectoryOrder(image.GetResources()));
    for (const CPeResource& r : image.GetResources()) {
      EXPECT_NE(r.data, nullptr) << Describe(r.type) << " " << Describe(r.name);
      EXPECT_EQ(image.GetData(r).size(), r.size);
    }
  }
}

TEST(ReaderFixtures, HeadersAndSectionLayouts) {
  CPeImage a32, a64, reloc, overlay;
  ASSERT_TRUE(a32.LoadFile(FixturePath("all32.exe")));
  ASSERT_TRUE(a64.LoadFile(FixturePath("all64.exe")));
  ASSERT_TRUE(reloc.LoadFile(FixturePath("reloc64.dll")));
  ASSERT_TRUE(overlay.LoadFile(FixturePath("overlay32.exe")));
  EXPECT_FALSE(a32.IsPe32Plus());
  EXPECT_TRUE(a64.IsPe32Plus());
  EXPECT_FALSE(a32.IsDll());
  EXPECT_TRUE(reloc.IsDll());
  EXPECT_TRUE(reloc.IsPe32Plus());

  // .rsrc is last in all64.exe; in reloc64.dll .reloc and debug sections follow it.
  EXPECT_EQ(a64.GetSections().back().name, ".rsrc");
  const auto& rs = reloc.GetSections();
  auto rsrc = std::find_if(rs.begin(), rs.end(), [](const CPeSection& s) { return s.name == ".rsrc"; });
  ASSERT_NE(rsrc, rs.end());
  ASSERT_NE(rsrc + 1, rs.end());
  EXPECT_EQ((rsrc + 1)->name, ".reloc");
  // Debug sections have long names, stored as "/offset" into the string table.
  EXPECT_TRUE(rs.back().name.rfind(".debug", 0) == 0 || rs.back().name[0] == '/') << rs.back().name;
  EXPECT_GT(rs.end() - rsrc, 3);
  // The resource directory lies at the start of .rsrc.
  EXPECT_EQ(reloc.GetResourceRva(), rsrc->virtualAddress);
  EXPECT_EQ(reloc.GetResourceDirectoryOffset(), rsrc->pointerToRawData);

  // The overlay: 1000 bytes after the raw data of the last section.
  const std::vector<BYTE>& bytes = overlay.GetBytes();
  ASSERT_EQ(bytes.size() - overlay.GetEndOfSections(), 1000u);
  EXPECT_EQ(std::memcmp(bytes.data() + overlay.GetEndOfSections(), "OVERLAY!", 8), 0);
  const CPeSection* last = FindSection(overlay, ".rsrc");
  ASSERT_NE(last, nullptr);
  EXPECT_EQ(overlay.GetEndOfSections(), size_t{last->pointerToRawData} + last->sizeOfRawData);
}

TEST(ReaderFixtures, AgreesWithTheDecompiler) {
  if (!HaveWindres()) GTEST_SKIP() << "x86_64-w64-mingw32-windres is not installed";
  CScratchDir dir;
  for (const std::string& f : kDecompilableFixtures) {
    SCOPED_TRACE(f);
    const std::string res = dir.file(f + ".res");
    const std::string rc = dir.file(f + ".rc");
    ASSERT_TRUE(Decompile(f, res, "res"));
    ASSERT_TRUE(Decompile(f, rc, "rc"));
    std::vector<Entry> expected;
    ASSERT_TRUE(ParseResFile(ReadFileBytes(res), expected));
    ASSERT_TRUE(ApplyScriptLanguages(ReadFileText(rc), expected));
    CPeImage image;
    ASSERT_TRUE(image.LoadFile(FixturePath(f)));
    std::vector<Entry> actual = WalkEntries(image);
    ASSERT_EQ(actual.size(), image.GetResources().size());
    std::sort(expected.begin(), expected.end());
    std::sort(actual.begin(), actual.end());
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < actual.size(); ++i) EXPECT_EQ(actual[i], expected[i]) << Describe(actual[i]) << " vs " << Describe(expected[i]);
  }
}

TEST(ReaderFixtures, SameScriptGivesSameResourcesInPe32AndPe32Plus) {
  for (const auto& [a, b] : {std::pair{"all32.exe", "all64.exe"}, std::pair{"mfc32.exe", "mfc64.exe"},
                             std::pair{"reloc32.dll", "reloc64.dll"}}) {
    SCOPED_TRACE(a);
    CPeImage i32, i64;
    ASSERT_TRUE(i32.LoadFile(FixturePath(a)));
    ASSERT_TRUE(i64.LoadFile(FixturePath(b)));
    EXPECT_EQ(WalkEntries(i32), WalkEntries(i64));
  }
}

TEST(ReaderFixtures, KnownEntriesOfAll32) {
  CPeImage image;
  ASSERT_TRUE(image.LoadFile(FixturePath("all32.exe")));
  const auto& rs = image.GetResources();
  // Named type first, its named resource before the numbered one.
  ASSERT_GE(rs.size(), 2u);
  EXPECT_EQ(rs[0].type, CResName(u"SETTINGS"));
  EXPECT_EQ(rs[0].name, CResName(u"NAMEDDATA"));
  EXPECT_EQ(rs[1].name, CResName(WORD{5}));
  std::span<const BYTE> named = image.GetData(rs[0]);
  EXPECT_EQ(std::string(named.begin(), named.end()), std::string("key=value\0", 10));

  // The manifest is the file's own bytes.
  const CPeResource* manifest = image.FindResourceEx(CResName(WORD{24}), CResName(WORD{1}), 0x0409);
  ASSERT_NE(manifest, nullptr);
  std::vector<BYTE> file = ReadFileBytes(FixturePath("data/app.manifest"));
  std::span<const BYTE> m = image.GetData(*manifest);
  EXPECT_EQ(std::vector<BYTE>(m.begin(), m.end()), file);

  // The message table is the generated .bin, byte for byte.
  const CPeResource* msg = image.FindResourceEx(CResName(WORD{11}), CResName(WORD{1}), 0x0409);
  ASSERT_NE(msg, nullptr);
  std::span<const BYTE> md = image.GetData(*msg);
  EXPECT_EQ(std::vector<BYTE>(md.begin(), md.end()), ReadFileBytes(FixturePath("data/msg.bin")));

  // String blocks of ids 15 and 16 are blocks 1 and 2; id 65535 is in block 4096.
  for (WORD block : {1, 2, 7, 63, 251, 4096})
    EXPECT_NE(image.FindResourceEx(CResName(WORD{6}), CResName(block), 0x0409), nullptr) << block;
  EXPECT_EQ(image.FindResourceEx(CResName(WORD{6}), CResName(WORD{3}), 0x0409), nullptr);
  EXPECT_EQ(image.FindResourceEx(CResName(WORD{6}), CResName(WORD{1}), 0x0407), nullptr);
}

TEST(ReaderFixtures, ToolbarInMfcLayout) {
  for (const char* f : {"mfc32.exe", "mfc64.exe"}) {
    SCOPED_TRACE(f);
    CPeImage image;
    ASSERT_TRUE(image.LoadFile(FixturePath(f)));
    const CPeResource* tb = image.FindResource(CResName(WORD{241}), CResName(WORD{128}));
    ASSERT_NE(tb, nullptr);
    const BYTE expected[] = {1, 0, 16, 0, 15, 0, 4, 0, 100, 0, 101, 0, 0, 0, 102, 0};
    std::span<const BYTE> d = image.GetData(*tb);
    EXPECT_EQ(std::vector<BYTE>(d.begin(), d.end()), std::vector<BYTE>(std::begin(expected), std::end(expected)));
    // Its bitmap has the same name; the stored resource lacks the 14-byte file header.
    const CPeResource* bmp = image.FindResource(CResName(WORD{2}), CResName(WORD{128}));
    ASSERT_NE(bmp, nullptr);
    std::vector<BYTE> file = ReadFileBytes(FixturePath("data/toolbar.bmp"));
    std::span<const BYTE> b = image.GetData(*bmp);
    EXPECT_EQ(std::vector<BYTE>(b.begin(), b.end()), std::vector<BYTE>(file.begin() + 14, file.end()));
  }
}

TEST(ReaderFixtures, LookupByLanguageAndInAnyLanguage) {
  CPeImage image;
  ASSERT_TRUE(image.LoadFile(FixturePath("twolang.dll")));
  const CResName dialog(WORD{5}), id(WORD{100});
  const CPeResource* en = image.FindResourceEx(dialog, id, 0x0409);
  const CPeResource* de = image.FindResourceEx(dialog, id, 0x0407);
  ASSERT_NE(en, nullptr);
  ASSERT_NE(de, nullptr);
  EXPECT_NE(en, de);
  EXPECT_EQ(image.FindResourceEx(dialog, id, 0x040C), nullptr);
  EXPECT_EQ(image.FindResourceEx(dialog, CResName(WORD{101}), 0x0409), nullptr);
  EXPECT_EQ(image.FindResourceEx(CResName(WORD{10}), CResName(u"NAMEDRES"), 0x0407)->language, 0x0407);
  // Names are compared with regard to case.
  EXPECT_EQ(image.FindResourceEx(CResName(WORD{10}), CResName(u"namedres"), 0x0407), nullptr);

  // Any language: neutral, else the system default, else the first listed (0x0407 sorts first).
  const LANGID sys = SystemDefaultLanguage();
  const LANGID expect = (sys == 0x0409 || sys == 0x0407) ? sys : 0x0407;
  ASSERT_NE(image.FindResource(dialog, id), nullptr);
  EXPECT_EQ(image.FindResource(dialog, id)->language, expect);
  // A resource in one language only is found whatever the language.
  const CPeResource* menu = image.FindResource(CResName(WORD{4}), CResName(WORD{200}));
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(menu->language, 0x0409);
  EXPECT_EQ(image.FindResource(CResName(WORD{4}), CResName(WORD{201})), nullptr);

  CPeImage neutral;
  ASSERT_TRUE(neutral.LoadFile(FixturePath("neutral64.dll")));
  const CPeResource* n = neutral.FindResource(CResName(WORD{10}), CResName(WORD{300}));
  ASSERT_NE(n, nullptr);
  EXPECT_EQ(n->language, 0);
}

TEST(ReaderFixtures, Crc32KnownValues) {
  const char* text = "123456789";
  EXPECT_EQ(tvl::Crc32(reinterpret_cast<const BYTE*>(text), 9), 0xCBF43926u);
  EXPECT_EQ(tvl::Crc32(nullptr, 0), 0u);
  // In two pieces gives the same as in one.
  DWORD partial = tvl::Crc32(reinterpret_cast<const BYTE*>(text), 4);
  EXPECT_EQ(tvl::Crc32(reinterpret_cast<const BYTE*>(text) + 4, 5, partial), 0xCBF43926u);
}
