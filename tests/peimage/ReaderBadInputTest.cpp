// Files that are damaged, truncated or built to mislead: the reader refuses them or drops
// the affected resource, never reads outside the file and never loops.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "ReaderTestHelpers.h"
#include "peimage/LanguageSurvey.h"

using namespace readertest;

namespace {

// File offsets of the resource directory structures, found by following a good file.
struct Layout {
  size_t root = 0;
  // offset of a directory entry (8 bytes) within the file
  size_t Entry(size_t dirOffsetInRegion, size_t i) const { return root + dirOffsetInRegion + 16 + 8 * i; }
};

Layout LayoutOf(const std::vector<BYTE>& bytes) {
  CPeImage image;
  EXPECT_TRUE(image.LoadBytes(bytes));
  return Layout{image.GetResourceDirectoryOffset()};
}

// Offset (within the region) of the subdirectory an entry points to.
size_t Sub(const std::vector<BYTE>& b, size_t entryOffset) { return pe::Get32(&b[entryOffset + 4]) & 0x7FFFFFFF; }

std::map<std::string, std::vector<BYTE>> ByKey(const std::vector<Entry>& es) {
  std::map<std::string, std::vector<BYTE>> m;
  for (const Entry& e : es) m.emplace(Describe(e.type) + "/" + Describe(e.name) + "/" + std::to_string(e.language), e.bytes);
  return m;
}

std::vector<BYTE> Fixture(const std::string& name) { return ReadFileBytes(FixturePath(name)); }

std::vector<std::string> Names(const CPeImage& image) {
  std::vector<std::string> out;
  for (const CPeResource& r : image.GetResources()) out.push_back(Describe(r.type) + "/" + Describe(r.name));
  return out;
}

}  // namespace

TEST(ReaderBadInput, TruncatedAtEveryLength) {
  for (const char* f : {"all64.exe", "twolang.dll", "reloc32.dll", "overlay32.exe"}) {
    SCOPED_TRACE(f);
    const std::vector<BYTE> full = Fixture(f);
    CPeImage whole;
    ASSERT_TRUE(whole.LoadBytes(full));
    const auto expected = ByKey(WalkEntries(whole));
    size_t rsrcEnd = 0;
    for (const CPeSection& s : whole.GetSections())
      if (s.name == ".rsrc") rsrcEnd = size_t{s.pointerToRawData} + s.sizeOfRawData;
    ASSERT_GT(rsrcEnd, 0u);

    for (size_t len = 0; len < full.size(); ++len) {
      std::vector<BYTE> cut(full.begin(), full.begin() + len);
      CPeImage image;
      if (!image.LoadBytes(cut)) {
        ASSERT_LT(len, 0x400u) << "refused although the headers are complete";
        continue;
      }
      // Whatever is delivered is exactly what the whole file holds.
      for (const auto& [key, bytes] : ByKey(WalkEntries(image))) {
        auto it = expected.find(key);
        ASSERT_NE(it, expected.end()) << len << " " << key;
        ASSERT_EQ(bytes, it->second) << len << " " << key;
      }
      if (len >= rsrcEnd) {
        ASSERT_EQ(WalkEntries(image).size(), expected.size()) << len;
      }
      if (len % 61 == 0) {
        CLanguageSurvey survey;
        ASSERT_TRUE(survey.SurveyBytes(cut));
        ASSERT_LE(survey.m_resourceCount, int(whole.GetResources().size()));
        CRecordingTable table;
        table.LoadBytes(cut, kNoLanguage);
        ASSERT_LE(table.records.size(), whole.GetResources().size());
      }
    }
  }
}

TEST(ReaderBadInput, NotAPeImage) {
  CPeImage image;
  EXPECT_FALSE(image.LoadBytes({}));
  EXPECT_FALSE(image.LoadBytes({'M', 'Z'}));
  EXPECT_FALSE(image.LoadBytes(std::vector<BYTE>(4096, 0)));
  CLanguageSurvey survey;
  EXPECT_FALSE(survey.SurveyBytes(std::vector<BYTE>(100, 'x')));

  const std::vector<BYTE> good = Fixture("all32.exe");
  ASSERT_TRUE(image.LoadBytes(good));
  const size_t nt = image.GetNtHeadersOffset();
  const size_t opt = image.GetOptionalHeaderOffset();

  auto refused = [&](auto patch) {
    std::vector<BYTE> b = good;
    patch(b);
    CPeImage i;
    CLanguageSurvey s;
    CRecordingTable t;
    return !i.LoadBytes(b) && !s.SurveyBytes(b) && !t.LoadBytes(b, kNoLanguage) && t.records.empty();
  };
  EXPECT_TRUE(refused([&](auto& b) { b[0] = 'X'; }));                              // no MZ
  EXPECT_TRUE(refused([&](auto& b) { pe::Put32(&b[0x3C], 0xFFFFFFF0); }));          // e_lfanew past the end
  EXPECT_TRUE(refused([&](auto& b) { pe::Put32(&b[0x3C], DWORD(b.size() - 10)); })); // headers cut off
  EXPECT_TRUE(refused([&](auto& b) { b[nt + 2] = 'X'; }));                         // no PE signature
  EXPECT_TRUE(refused([&](auto& b) { pe::Put16(&b[opt], 0x0107); }));              // unknown magic
  EXPECT_TRUE(refused([&](auto& b) { pe::Put16(&b[nt + 4 + pe::kFhNumberOfSections], 0xFFFF); }));
  EXPECT_TRUE(refused([&](auto& b) { pe::Put16(&b[nt + 4 + pe::kFhSizeOfOptionalHeader], 0xFFF0); }));
  // A PE32+ magic in a PE32 header moves the data directories; the file still parses.
  std::vector<BYTE> b = good;
  pe::Put16(&b[opt], pe::kMagicPe32Plus);
  EXPECT_TRUE(image.LoadBytes(b));
}

TEST(ReaderBadInput, DirectoryLoopsAreRefused) {
  // empty64.dll: root -> RCDATA -> 300, 301, 302 -> one language each.
  const std::vector<BYTE> good = Fixture("empty64.dll");
  const Layout l = LayoutOf(good);
  const size_t typeEntry = l.Entry(0, 0);
  const size_t namesDir = Sub(good, typeEntry);
  const size_t name301 = l.Entry(namesDir, 1);
  const size_t lang301Dir = Sub(good, name301);

  {  // a name entry leading back to the root
    std::vector<BYTE> b = good;
    pe::Put32(&b[name301 + 4], 0x80000000u);
    CPeImage image;
    ASSERT_TRUE(image.LoadBytes(b));
    EXPECT_EQ(Names(image), (std::vector<std::string>{"10/300", "10/302"}));
  }
  {  // the type directory pointing to itself
    std::vector<BYTE> b = good;
    pe::Put32(&b[typeEntry + 4], 0x80000000u);
    CPeImage image;
    ASSERT_TRUE(image.LoadBytes(b));
    EXPECT_TRUE(image.GetResources().empty());
  }
  {  // a language entry that claims to be a directory (its own)
    std::vector<BYTE> b = good;
    pe::Put32(&b[l.Entry(lang301Dir, 0) + 4], 0x80000000u | DWORD(lang301Dir));
    CPeImage image;
    ASSERT_TRUE(image.LoadBytes(b));
    EXPECT_EQ(Names(image), (std::vector<std::string>{"10/300", "10/302"}));
  }
  {  // two names sharing one language directory: the second visit is refused
    std::vector<BYTE> b = good;
    pe::Put32(&b[l.Entry(namesDir, 2) + 4], 0x80000000u | DWORD(Sub(good, l.Entry(namesDir, 0))));
    CPeImage image;
    ASSERT_TRUE(image.LoadBytes(b));
    EXPECT_EQ(Names(image), (std::vector<std::string>{"10/300", "10/301"}));
  }
}

TEST(ReaderBadInput, ManyTypesSharingOneSubtreeDoNotMultiply) {
  // Every type of all32.exe pointing at the same name directory: without the visited
  // check this would list that subtree once per type.
  std::vector<BYTE> b = Fixture("all32.exe");
  const Layout l = LayoutOf(b);
  const size_t root = l.root;
  const size_t count = pe::Get16(&b[root + 12]) + pe::Get16(&b[root + 14]);
  const DWORD shared = pe::Get32(&b[l.Entry(0, count - 1) + 4]);
  for (size_t i = 0; i < count; ++i) pe::Put32(&b[l.Entry(0, i) + 4], shared);
  CPeImage image;
  ASSERT_TRUE(image.LoadBytes(b));
  EXPECT_EQ(image.GetResources().size(), 1u);  // type 240 has a single name
}

TEST(ReaderBadInput, AbsurdCounts) {
  const std::vector<BYTE> good = Fixture("empty64.dll");
  const Layout l = LayoutOf(good);
  {  // the root claims 65535 + 65535 entries: the directory is unusable
    std::vector<BYTE> b = good;
    pe::Put16(&b[l.root + 12], 0xFFFF);
    pe::Put16(&b[l.root + 14], 0xFFFF);
    CPeImage image;
    ASSERT_TRUE(image.LoadBytes(b));
    EXPECT_FALSE(image.HasResources());
    EXPECT_TRUE(image.GetResources().empty());
    CRecordingTable table;
    EXPECT_FALSE(table.LoadBytes(b, kNoLanguage));
    CLanguageSurvey survey;
    EXPECT_TRUE(survey.SurveyBytes(b));
    EXPECT_EQ(survey.m_resourceCount, 0);
  }
  {  // one language directory with an absurd count: only that resource is lost
    std::vector<BYTE> b = good;
    const size_t namesDir = Sub(good, l.Entry(0, 0));
    const size_t lang302 = Sub(good, l.Entry(namesDir, 2));
    pe::Put16(&b[l.root + lang302 + 14], 0xFFFF);
    CPeImage image;
    ASSERT_TRUE(image.LoadBytes(b));
    EXPECT_EQ(Names(image), (std::vector<std::string>{"10/300", "10/301"}));
  }
}

TEST(ReaderBadInput, DataOutsideEverySectionDropsOnlyThatResource) {
  const std::vector<BYTE> good = Fixture("empty64.dll");
  const Layout l = LayoutOf(good);
  const size_t namesDir = Sub(good, l.Entry(0, 0));
  const size_t lang300 = Sub(good, l.Entry(namesDir, 0));
  const size_t dataEntry = l.root + (pe::Get32(&good[l.Entry(lang300, 0) + 4]));

  for (auto [rva, size] : {std::pair<DWORD, DWORD>{0x7FFFFFF0u, 6}, {0xFFFFFFFFu, 2}, {0x1000u, 0xFFFFFFFFu},
                           {0, 0x7FFFFFFF}}) {
    SCOPED_TRACE(rva);
    std::vector<BYTE> b = good;
    if (rva) pe::Put32(&b[dataEntry], rva);
    pe::Put32(&b[dataEntry + 4], size);
    CPeImage image;
    ASSERT_TRUE(image.LoadBytes(b));
    ASSERT_EQ(image.GetResources().size(), 3u);  // still listed, as the enumeration would
    EXPECT_EQ(image.GetResources()[0].data, nullptr);
    EXPECT_TRUE(image.GetData(image.GetResources()[0]).empty());
    CRecordingTable table;
    ASSERT_TRUE(table.LoadBytes(b, kNoLanguage));
    ASSERT_EQ(table.records.size(), 1u);
    EXPECT_EQ(table.records[0].name, CResName(WORD{302}));
  }
  {  // a data entry offset past the directory region
    std::vector<BYTE> b = good;
    pe::Put32(&b[l.Entry(lang300, 0) + 4], 0x7FFFFFF0u);
    CPeImage image;
    ASSERT_TRUE(image.LoadBytes(b));
    EXPECT_EQ(Names(image), (std::vector<std::string>{"10/301", "10/302"}));
  }
  {  // the resource data directory itself outside every section
    std::vector<BYTE> b = good;
    CPeImage image;
    ASSERT_TRUE(image.LoadBytes(b));
    pe::Put32(&b[image.GetOptionalHeaderOffset() + pe::kOhDataDirectory64 + 16], 0x00F00000u);
    ASSERT_TRUE(image.LoadBytes(b));
    EXPECT_FALSE(image.HasResources());
  }
}

TEST(ReaderBadInput, NamesThatCannotBeRead) {
  // all32.exe starts with the named type SETTINGS; point its name outside the region.
  std::vector<BYTE> b = Fixture("all32.exe");
  const Layout l = LayoutOf(b);
  CPeImage before;
  ASSERT_TRUE(before.LoadBytes(b));
  const size_t total = before.GetResources().size();
  pe::Put32(&b[l.Entry(0, 0)], 0x80000000u | 0x7FFFFFF0u);
  CPeImage image;
  ASSERT_TRUE(image.LoadBytes(b));
  EXPECT_EQ(image.GetResources().size(), total - 2);  // its two resources
  EXPECT_TRUE(image.GetResources()[0].type.IsOrdinal());

  // A name whose length runs past the region.
  std::vector<BYTE> c = Fixture("all32.exe");
  const size_t nameAt = l.root + (pe::Get32(&c[l.Entry(0, 0)]) & 0x7FFFFFFF);
  pe::Put16(&c[nameAt], 0xFFFF);
  ASSERT_TRUE(image.LoadBytes(c));
  EXPECT_EQ(image.GetResources().size(), total - 2);
}

TEST(ReaderBadInput, WalkFollowsTheDirectoryNotASortedOrder) {
  // Swapping two name entries changes the order of the walk: nothing is re-sorted.
  std::vector<BYTE> b = Fixture("empty64.dll");
  const Layout l = LayoutOf(b);
  const size_t namesDir = Sub(b, l.Entry(0, 0));
  std::swap_ranges(b.begin() + l.Entry(namesDir, 0), b.begin() + l.Entry(namesDir, 0) + 8,
                   b.begin() + l.Entry(namesDir, 2));
  CPeImage image;
  ASSERT_TRUE(image.LoadBytes(b));
  EXPECT_EQ(Names(image), (std::vector<std::string>{"10/302", "10/301", "10/300"}));
  // Lookups still find each entry.
  const CPeResource* r = image.FindResourceEx(CResName(WORD{10}), CResName(WORD{300}), 0x0409);
  ASSERT_NE(r, nullptr);
  std::span<const BYTE> d = image.GetData(*r);
  EXPECT_EQ(std::string(d.begin(), d.end()), "before");
}
