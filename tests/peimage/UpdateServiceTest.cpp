// The resource update service on real executables and on the layouts linkers produce.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <random>

#include "TestSupport.h"
#include "UpdateTestUtil.h"
#include "peimage/PeFormat.h"
#include "peimage/ResourceUpdate.h"
#include "project/Rewrite.h"

using namespace updtest;
using tvl::ResId;
using tvl::ResTypeMap;

namespace {

size_t FileCount(const std::string& dir) {
  size_t n = 0;
  for (auto it = std::filesystem::directory_iterator(dir); it != std::filesystem::directory_iterator(); ++it) ++n;
  return n;
}

bool CommitSet(const std::string& path, const ResTypeMap& set) {
  tvl::CResourceUpdate u;
  if (!u.Begin(path, true)) return false;
  for (const auto& e : tvl::ListEntries(set))
    if (!u.Add(*e.type, *e.name, e.language, e.data->empty() ? reinterpret_cast<const BYTE*>("") : e.data->data(),
               e.data->size()))
      return false;
  return u.Commit();
}

ResTypeMap ToSet(const std::vector<Entry>& entries) {
  ResTypeMap set;
  for (const Entry& e : entries) set[ToResId(e.type)][ToResId(e.name)][e.language] = e.data;
  return set;
}

// File offset just past the last section's data.
size_t EndOfSections(const Headers& h) {
  size_t end = 0;
  for (const Section& s : h.sections) end = std::max<size_t>(end, size_t(s.rawPtr) + s.rawSize);
  return end;
}

std::vector<BYTE> Tail(const std::vector<BYTE>& f, size_t from) {
  return from >= f.size() ? std::vector<BYTE>() : std::vector<BYTE>(f.begin() + from, f.end());
}

}  // namespace

// Every fixture rewritten through both passes keeps its walk entry for entry and byte for
// byte; the rest of the file (other sections, symbol table, overlay) is carried over.
TEST(UpdateFixtures, RewriteKeepsEveryEntryAndEverythingElse) {
  CScratchDir dir;
  for (const std::string& name : kFixtures) {
    SCOPED_TRACE(name);
    std::string in = FixturePath(name), out = dir.file(name);
    tvl::RewriteResult r = tvl::RewriteAllResources(in, out);
    std::vector<Entry> before = Walk(in), after = Walk(out);
    EXPECT_EQ(r.written, before.size());
    EXPECT_EQ(r.skipped, 0u);
    ASSERT_EQ(before.size(), after.size()) << "before:\n" << Describe(before) << "after:\n" << Describe(after);
    for (size_t i = 0; i < before.size(); ++i) {
    EXPECT_TRUE(before[i] == after[i]) << Describe(before[i]) << " vs " << Describe(after[i]);
  }

    std::vector<BYTE> a = ReadFileBytes(in), b = ReadFileBytes(out);
    EXPECT_TRUE(LayoutIsSound(b));
    EXPECT_TRUE(ObjdumpAccepts(out));
    Headers ha = ReadHeaders(a), hb = ReadHeaders(b);
    // The fixtures carry a linker checksum (made before any overlay was appended): our
    // reference agrees with it, and it is redone.
    if (ha.symbolTable || Tail(a, EndOfSections(ha)).empty()) {
      EXPECT_EQ(ha.checksum, ReferenceChecksum(a, ha.optHeader + pe::kOhCheckSum));
    }
    EXPECT_NE(hb.checksum, 0u);
    const Section* rsrc = ha.ResourceSection();
    ASSERT_NE(rsrc, nullptr);
    for (const Section& s : ha.sections) {
      if (s.name == rsrc->name) continue;
      const Section* t = hb.Find(s.name);
      ASSERT_NE(t, nullptr) << s.name;
      EXPECT_EQ(RawBytes(a, s), RawBytes(b, *t)) << s.name;
      EXPECT_EQ(s.characteristics, t->characteristics) << s.name;
      EXPECT_EQ(s.virtualSize, t->virtualSize) << s.name;
      if (s.va < rsrc->va) {
    EXPECT_EQ(s.va, t->va) << s.name;
  }
    }
    // Symbol table (with its string table, which names the debug sections) and overlay.
    if (ha.symbolTable) {
      ASSERT_NE(hb.symbolTable, 0u);
      EXPECT_EQ(Tail(a, ha.symbolTable), Tail(b, hb.symbolTable));
    } else {
      EXPECT_EQ(Tail(a, EndOfSections(ha)), Tail(b, EndOfSections(hb)));
    }
  }
}

// An outside decompiler reads the same resources from the rewritten file.
TEST(UpdateFixtures, DecompilerReadsTheSameResources) {
  if (!RunTool("x86_64-w64-mingw32-windres", "--version")) GTEST_SKIP() << "windres not installed";
  CScratchDir dir;
  for (const std::string& name : kFixtures) {
    if (name.rfind("mfc", 0) == 0) continue;  // the decompiler hangs on MFC toolbars
    SCOPED_TRACE(name);
    std::string out = dir.file(name);
    tvl::RewriteAllResources(FixturePath(name), out);
    auto a = RunTool("x86_64-w64-mingw32-windres", "-i '" + FixturePath(name) + "' -O rc");
    auto b = RunTool("x86_64-w64-mingw32-windres", "-i '" + out + "' -O rc");
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->status, 0);
    EXPECT_EQ(b->status, 0);
    EXPECT_EQ(a->output, b->output);
  }
}

// A zero-length entry last in the directory has an address inside the section, so a
// reader that checks the address alone accepts it.
TEST(UpdateService, ZeroLengthEntryLastPointsInsideTheSection) {
  if (!RunTool("x86_64-w64-mingw32-windres", "--version")) GTEST_SKIP() << "windres not installed";
  CScratchDir dir;
  std::string path = dir.file("all64.exe");
  std::filesystem::copy_file(FixturePath("all64.exe"), path);
  ResTypeMap set;
  set[ResId::Id(10)][ResId::Id(1)][0x0409] = {'x'};
  set[ResId::Id(10)][ResId::Id(2)][0x0409] = {};
  ASSERT_TRUE(CommitSet(path, set));
  EXPECT_TRUE(Walk(path) == Flatten(set));
  auto rc = RunTool("x86_64-w64-mingw32-windres", "-i '" + path + "' -O rc");
  ASSERT_TRUE(rc);
  EXPECT_EQ(rc->status, 0) << rc->output;
}

// A different set replaces the file's own exactly, small or large (growing past .reloc and
// the debug sections, which move with their relocation data and symbol table).
TEST(UpdateService, DifferentSetIsHeldExactly) {
  CScratchDir dir;
  for (const char* name : {"all64.exe", "reloc32.dll", "reloc64.dll", "overlay32.exe"}) {
    for (size_t scale : {1, 200}) {
      SCOPED_TRACE(std::string(name) + " scale " + std::to_string(scale));
      std::string path = dir.file(name);
      std::filesystem::copy_file(FixturePath(name), path, std::filesystem::copy_options::overwrite_existing);
      ResTypeMap set = SampleSet(scale);
      ASSERT_TRUE(CommitSet(path, set));
      std::vector<Entry> walked = Walk(path), expected = Flatten(set);
      EXPECT_TRUE(walked == expected) << "got:\n" << Describe(walked) << "expected:\n" << Describe(expected);
      std::vector<BYTE> a = ReadFileBytes(FixturePath(name)), b = ReadFileBytes(path);
      EXPECT_TRUE(LayoutIsSound(b));
      EXPECT_TRUE(ObjdumpAccepts(path));
      Headers ha = ReadHeaders(a), hb = ReadHeaders(b);
      ASSERT_EQ(ha.sections.size(), hb.sections.size());
      if (const Section* reloc = hb.Find(".reloc")) {
        EXPECT_EQ(hb.dirs[pe::kDirBaseReloc].first, reloc->va);
        EXPECT_EQ(RawBytes(a, *ha.Find(".reloc")), RawBytes(b, *reloc));
      }
      if (ha.symbolTable) {
    EXPECT_EQ(Tail(a, ha.symbolTable), Tail(b, hb.symbolTable));
  }
      const Section* ra = ha.ResourceSection();
      const Section* rb = hb.ResourceSection();
      ASSERT_TRUE(ra && rb);
      EXPECT_EQ(ra->va, rb->va);  // reused in place
      long long grown = static_cast<long long>(rb->rawSize) - ra->rawSize;
      EXPECT_EQ(static_cast<long long>(hb.sizeOfInitializedData), ha.sizeOfInitializedData + grown);
    }
  }
}

// Begin without deleting keeps the file's entries; Add replaces or adds; null data removes.
TEST(UpdateService, KeepsExistingEntriesWhenAsked) {
  CScratchDir dir;
  std::string path = dir.file("twolang.dll");
  std::filesystem::copy_file(FixturePath("twolang.dll"), path);
  std::vector<Entry> original = Walk(path);
  ResTypeMap expected = ToSet(original);

  tvl::CResourceUpdate u;
  ASSERT_TRUE(u.Begin(path, false));
  EXPECT_EQ(u.PendingCount(), original.size());
  const BYTE fresh[] = {1, 2, 3};
  ASSERT_TRUE(u.Add(ResId::Id(10), ResId::Name(u"NAMEDRES"), 0x0407, fresh, sizeof fresh));  // replace
  ASSERT_TRUE(u.Add(ResId::Id(4), ResId::Id(200), 0x0407, fresh, 2));                        // new language
  ASSERT_TRUE(u.Add(ResId::Id(16), ResId::Id(1), 0x0409, nullptr, 0));                     // remove
  ASSERT_TRUE(u.Add(ResId::Id(99), ResId::Id(1), 0x0409, nullptr, 0));                     // absent: no-op
  ASSERT_TRUE(u.Commit());
  expected[ResId::Id(10)][ResId::Name(u"NAMEDRES")][0x0407] = {1, 2, 3};
  expected[ResId::Id(4)][ResId::Id(200)][0x0407] = {1, 2};
  expected[ResId::Id(16)].erase(ResId::Id(1));
  expected.erase(ResId::Id(16));
  EXPECT_TRUE(Walk(path) == Flatten(expected)) << Describe(Walk(path));
  EXPECT_TRUE(LayoutIsSound(ReadFileBytes(path)));
}

// Names: before ids at every level, ordered case-insensitively (upper case), ties by code
// unit; ids ascending.
TEST(UpdateService, NamedEntriesSortLikeTheLoaderLooksThemUp) {
  CScratchDir dir;
  std::string path = dir.file("sat.dll");
  std::filesystem::copy_file(std::string(TVL_SOURCE_DIR) + "/data/Satellite.dll", path);
  ResTypeMap set;
  const std::vector<BYTE> one = {1};
  for (const char16_t* n : {u"b", u"_X", u"a", u"Z", u"ab", u"A"}) set[ResId::Id(10)][ResId::Name(n)][0] = one;
  for (WORD id : {3, 1, 2}) set[ResId::Id(10)][ResId::Id(id)][0] = one;
  for (WORD lang : {0x0409, 0x0407, 0}) set[ResId::Name(u"zz")][ResId::Id(1)][lang] = one;
  set[ResId::Name(u"Aa")][ResId::Id(1)][0] = one;
  ASSERT_TRUE(CommitSet(path, set));

  std::vector<std::string> order;
  for (const Entry& e : Walk(path)) order.push_back(Describe(e));
  std::vector<std::string> expected = {
      "\"Aa\" 1 0000 (1 bytes)", "\"zz\" 1 0000 (1 bytes)", "\"zz\" 1 0407 (1 bytes)", "\"zz\" 1 0409 (1 bytes)",
      "10 \"A\" 0000 (1 bytes)", "10 \"a\" 0000 (1 bytes)", "10 \"ab\" 0000 (1 bytes)", "10 \"b\" 0000 (1 bytes)",
      "10 \"Z\" 0000 (1 bytes)", "10 \"_X\" 0000 (1 bytes)", "10 1 0000 (1 bytes)",    "10 2 0000 (1 bytes)",
      "10 3 0000 (1 bytes)"};
  EXPECT_EQ(order, expected);
  EXPECT_TRUE(LayoutIsSound(ReadFileBytes(path)));
  EXPECT_TRUE(ObjdumpAccepts(path));
}

TEST(UpdateService, EmptySetLeavesAnEmptyDirectory) {
  CScratchDir dir;
  std::string path = dir.file("all32.exe");
  std::filesystem::copy_file(FixturePath("all32.exe"), path);
  ASSERT_TRUE(CommitSet(path, {}));
  CPeImage image;
  ASSERT_TRUE(image.LoadFile(path));
  EXPECT_TRUE(image.HasResources());
  EXPECT_TRUE(image.GetResources().empty());
  EXPECT_TRUE(LayoutIsSound(ReadFileBytes(path)));
  EXPECT_TRUE(ObjdumpAccepts(path));
}

// Whatever goes wrong before or during Commit, the file stays as it was and nothing is
// left beside it.
TEST(UpdateService, DiscardAndFailureLeaveTheFileAsItWas) {
  CScratchDir dir;
  std::string path = dir.file("all64.exe");
  std::filesystem::copy_file(FixturePath("all64.exe"), path);
  const std::vector<BYTE> original = ReadFileBytes(path);
  const BYTE data[] = {9, 9};
  {
    tvl::CResourceUpdate u;
    ASSERT_TRUE(u.Begin(path, true));
    ASSERT_TRUE(u.Add(ResId::Id(6), ResId::Id(1), 0, data, 2));
    u.Discard();
    EXPECT_FALSE(u.IsOpen());
    errno = 0;
    EXPECT_FALSE(u.Commit());
    EXPECT_EQ(errno, EBADF);
  }
  {
    tvl::CResourceUpdate u;  // never committed
    ASSERT_TRUE(u.Begin(path, false));
    ASSERT_TRUE(u.Add(ResId::Id(6), ResId::Id(1), 0, data, 2));
    errno = 0;
    EXPECT_FALSE(u.Begin(path, true));
    EXPECT_EQ(errno, EBUSY);
  }
  {
    // More named entries under one type than a directory can count.
    tvl::CResourceUpdate u;
    ASSERT_TRUE(u.Begin(path, true));
    for (int i = 0; i < 0x10000; ++i) {
      std::u16string n = u"N" + std::u16string(1, char16_t(u'A' + i % 26)) + std::u16string(1, char16_t(0x100 + i));
      ASSERT_TRUE(u.Add(ResId::Id(10), ResId::Name(n), 0, data, 1));
    }
    errno = 0;
    EXPECT_FALSE(u.Commit());
    EXPECT_EQ(errno, EFBIG);
    EXPECT_FALSE(u.IsOpen());
  }
  EXPECT_EQ(ReadFileBytes(path), original);
  EXPECT_EQ(FileCount(dir.path()), 1u);

  tvl::CResourceUpdate u;
  errno = 0;
  EXPECT_FALSE(u.Add(ResId::Id(6), ResId::Id(1), 0, data, 2));
  EXPECT_EQ(errno, EBADF);
  errno = 0;
  EXPECT_FALSE(u.Begin(dir.file("missing.exe"), true));
  EXPECT_EQ(errno, ENOENT);
  WriteFileBytes(dir.file("text.exe"), {'h', 'e', 'l', 'l', 'o'});
  errno = 0;
  EXPECT_FALSE(u.Begin(dir.file("text.exe"), true));
  EXPECT_EQ(errno, ENOEXEC);
  errno = 0;
  EXPECT_FALSE(u.Begin(dir.path(), true));
  EXPECT_EQ(errno, EISDIR);
  ASSERT_TRUE(u.Begin(path, true));
  errno = 0;
  EXPECT_FALSE(u.Add(ResId::Id(6), ResId::Id(1), 0, nullptr, 5));
  EXPECT_EQ(errno, EINVAL);
  EXPECT_FALSE(u.Add(ResId::Id(6), ResId::Name(std::u16string(0x10000, u'x')), 0, data, 1));
  EXPECT_EQ(errno, EINVAL);
}

// A signature cannot survive a rewrite: the certificate goes, bytes and directory entry.
TEST(UpdateService, RemovesTheCertificate) {
  CScratchDir dir;
  std::string path = dir.file("signed.exe");
  std::vector<BYTE> f = ReadFileBytes(FixturePath("all32.exe"));
  Headers h = ReadHeaders(f);
  size_t end = f.size();
  f.resize(pe::AlignUp(static_cast<DWORD>(f.size()), 8), 0);
  size_t certAt = f.size();
  std::vector<BYTE> cert(0x120, 0xC5);
  pe::Put32(cert.data(), static_cast<DWORD>(cert.size()));
  pe::Put16(cert.data() + 4, 0x0200);
  pe::Put16(cert.data() + 6, 0x0002);
  f.insert(f.end(), cert.begin(), cert.end());
  pe::Put32(&f[h.dataDirs + 8 * pe::kDirSecurity], static_cast<DWORD>(certAt));
  pe::Put32(&f[h.dataDirs + 8 * pe::kDirSecurity + 4], static_cast<DWORD>(cert.size()));
  pe::Put32(&f[h.optHeader + pe::kOhCheckSum], ReferenceChecksum(f, h.optHeader + pe::kOhCheckSum));
  WriteFileBytes(path, f);
  ASSERT_EQ(end, EndOfSections(h));  // nothing but the certificate after the sections

  ResTypeMap set = SampleSet(3);
  ASSERT_TRUE(CommitSet(path, set));
  std::vector<BYTE> out = ReadFileBytes(path);
  Headers ho = ReadHeaders(out);
  EXPECT_EQ(ho.dirs[pe::kDirSecurity], (std::pair<DWORD, DWORD>(0, 0)));
  EXPECT_EQ(out.size(), EndOfSections(ho));
  EXPECT_EQ(std::search(out.begin(), out.end(), cert.begin() + 8, cert.begin() + 40), out.end());
  EXPECT_TRUE(LayoutIsSound(out));  // includes the recomputed checksum
  EXPECT_TRUE(Walk(path) == Flatten(set));
  EXPECT_TRUE(ObjdumpAccepts(path));
}

TEST(UpdateService, ChecksumFollowsTheFileOnlyWhenItHadOne) {
  std::mt19937 rng(7);
  for (size_t size : {0x200u, 0x201u, 0x3FFu, 0x1000u}) {
    std::vector<BYTE> buf(size);
    for (BYTE& b : buf) b = static_cast<BYTE>(rng());
    for (size_t at : {0x58u, 0x60u, 0x100u})
      EXPECT_EQ(tvl::ComputePeChecksum(buf.data(), buf.size(), at), ReferenceChecksum(buf, at)) << size << " " << at;
  }

  CScratchDir dir;
  SynthImage img;
  img.sections.push_back({".text", std::vector<BYTE>(0x30, 0xCC), 0, 0x60000020});
  img.sections.push_back({".rsrc", {}, 0, 0x40000040});
  img.sections[1].data = ResourceData(SampleSet(), img.Va(1));
  img.dirs[pe::kDirResource] = {img.Va(1), static_cast<DWORD>(img.sections[1].data.size())};
  for (bool withChecksum : {false, true}) {
    img.checksum = withChecksum;
    std::string path = dir.file("c.exe");
    WriteFileBytes(path, img.Build());
    ASSERT_TRUE(CommitSet(path, SampleSet(5)));
    std::vector<BYTE> out = ReadFileBytes(path);
    Headers h = ReadHeaders(out);
    if (withChecksum)
      EXPECT_EQ(h.checksum, ReferenceChecksum(out, h.optHeader + pe::kOhCheckSum));
    else
      EXPECT_EQ(h.checksum, 0u);
  }
}

// A section after the resources that code may address (writable data) cannot move: a
// grown directory goes to a new section at the end, a shrunk one stays without a hole.
TEST(UpdateLayouts, ImmovableSectionAfterTheResources) {
  CScratchDir dir;
  SynthImage img;
  img.sections.push_back({".text", std::vector<BYTE>(0x40, 0x90), 0, 0x60000020});
  img.sections.push_back({".rsrc", {}, 0, 0x40000040});
  img.sections.push_back({".data", std::vector<BYTE>(0x300, 0x5A), 0, 0xC0000040});
  img.sections[1].data = ResourceData(SampleSet(), img.Va(1));
  img.dirs[pe::kDirResource] = {img.Va(1), static_cast<DWORD>(img.sections[1].data.size())};
  img.overlay = {'T', 'A', 'I', 'L'};
  const std::vector<BYTE> original = img.Build();
  Headers ho = ReadHeaders(original);

  std::string path = dir.file("grow.exe");
  WriteFileBytes(path, original);
  ResTypeMap big = SampleSet(20);  // well past one page
  ASSERT_TRUE(CommitSet(path, big));
  std::vector<BYTE> out = ReadFileBytes(path);
  Headers h = ReadHeaders(out);
  EXPECT_TRUE(LayoutIsSound(out));
  EXPECT_TRUE(ObjdumpAccepts(path));
  EXPECT_TRUE(Walk(path) == Flatten(big));
  ASSERT_EQ(h.sections.size(), 4u);
  EXPECT_EQ(h.sections[1].name, ".oldrsrc");
  std::vector<BYTE> old = RawBytes(out, h.sections[1]);
  EXPECT_TRUE(std::all_of(old.begin(), old.end(), [](BYTE b) { return b == 0; }));
  EXPECT_EQ(h.sections[3].name, ".rsrc");
  EXPECT_EQ(h.dirs[pe::kDirResource].first, h.sections[3].va);
  EXPECT_EQ(h.sections[2].va, ho.sections[2].va);
  EXPECT_EQ(RawBytes(out, h.sections[2]), RawBytes(original, ho.sections[2]));
  EXPECT_EQ(Tail(out, out.size() - 4), img.overlay);

  // A second rewrite (the build's second pass) finds the new section last and reuses it.
  ResTypeMap small = SampleSet(1);
  ASSERT_TRUE(CommitSet(path, small));
  std::vector<BYTE> again = ReadFileBytes(path);
  EXPECT_EQ(ReadHeaders(again).sections.size(), 4u);
  EXPECT_TRUE(LayoutIsSound(again));
  EXPECT_TRUE(Walk(path) == Flatten(small));

  // Shrinking in place keeps .data where it was.
  WriteFileBytes(path, original);
  ResTypeMap tiny;
  tiny[ResId::Id(10)][ResId::Id(1)][0] = {1};
  ASSERT_TRUE(CommitSet(path, tiny));
  out = ReadFileBytes(path);
  h = ReadHeaders(out);
  EXPECT_TRUE(LayoutIsSound(out));
  EXPECT_EQ(h.sections.size(), 3u);
  EXPECT_EQ(h.sections[2].va, ho.sections[2].va);
  EXPECT_TRUE(Walk(path) == Flatten(tiny));
}

// .reloc and debug data after the resources move in memory and in the file; the base
// relocation directory and the debug directory's entries follow them.
TEST(UpdateLayouts, RelocationsAndDebugDataMoveWithTheirDirectories) {
  CScratchDir dir;
  for (bool pe64 : {false, true}) {
    SCOPED_TRACE(pe64 ? "PE32+" : "PE32");
    SynthImage img;
    img.pe64 = pe64;
    img.checksum = true;
    img.sections.push_back({".text", std::vector<BYTE>(0x40, 0x90), 0, 0x60000020});
    img.sections.push_back({".rdata", std::vector<BYTE>(0x40, 0), 0, 0x40000040});
    img.sections.push_back({".rsrc", {}, 0, 0x40000040});
    img.sections.push_back({".reloc", std::vector<BYTE>(12, 0), 0, 0x42000040});
    img.sections.push_back({".debug$S", std::vector<BYTE>(0x80, 0xDB), 0, 0x42100040});
    img.sections[2].data = ResourceData(SampleSet(), img.Va(2));
    // One relocation block for .text.
    pe::Put32(img.sections[3].data.data(), img.Va(0));
    pe::Put32(img.sections[3].data.data() + 4, 12);
    pe::Put16(img.sections[3].data.data() + 8, 0x3010);
    // A debug directory in .rdata whose data lies in the debug section (at offset 0x10).
    BYTE* dbg = img.sections[1].data.data();
    pe::Put32(dbg + 12, 2);
    pe::Put32(dbg + 16, 0x20);
    pe::Put32(dbg + 20, img.Va(4) + 0x10);
    img.dirs[pe::kDirResource] = {img.Va(2), static_cast<DWORD>(img.sections[2].data.size())};
    img.dirs[pe::kDirBaseReloc] = {img.Va(3), 12};
    img.dirs[pe::kDirDebug] = {img.Va(1), 28};
    std::vector<BYTE> built = img.Build();
    Headers hb = ReadHeaders(built);
    pe::Put32(&built[hb.sections[1].rawPtr + 24], hb.sections[4].rawPtr + 0x10);  // PointerToRawData
    pe::Put32(&built[hb.optHeader + pe::kOhCheckSum], ReferenceChecksum(built, hb.optHeader + pe::kOhCheckSum));
    std::string path = dir.file(pe64 ? "d64.dll" : "d32.dll");
    WriteFileBytes(path, built);

    for (size_t scale : {40, 1}) {  // grow by several pages, then shrink back
      ResTypeMap set = SampleSet(scale);
      std::vector<BYTE> before = ReadFileBytes(path);
      ASSERT_TRUE(CommitSet(path, set));
      std::vector<BYTE> out = ReadFileBytes(path);
      Headers h = ReadHeaders(out), hbefore = ReadHeaders(before);
      EXPECT_TRUE(LayoutIsSound(out));
      EXPECT_TRUE(ObjdumpAccepts(path));
      EXPECT_TRUE(Walk(path) == Flatten(set));
      ASSERT_EQ(h.sections.size(), 5u);
      EXPECT_EQ(h.sections[3].va, h.sections[2].va + pe::AlignUp(h.sections[2].virtualSize, 0x1000));
      EXPECT_EQ(h.dirs[pe::kDirBaseReloc].first, h.sections[3].va);
      for (size_t i : {0, 1, 3, 4}) {
    EXPECT_EQ(RawBytes(out, h.sections[i]).size(), RawBytes(before, hbefore.sections[i]).size());
  }
      EXPECT_EQ(RawBytes(out, h.sections[3]), RawBytes(before, hbefore.sections[3]));
      EXPECT_EQ(RawBytes(out, h.sections[4]), RawBytes(before, hbefore.sections[4]));
      EXPECT_EQ(RawBytes(out, h.sections[0]), RawBytes(before, hbefore.sections[0]));
      const BYTE* entry = &out[h.sections[1].rawPtr];
      EXPECT_EQ(pe::Get32(entry + 20), h.sections[4].va + 0x10);
      EXPECT_EQ(pe::Get32(entry + 24), h.sections[4].rawPtr + 0x10);
    }
  }
}

// A file without resources gets a section; when the header has no room for its entry the
// headers grow and every section's data moves along.
TEST(UpdateLayouts, AddsAResourceSection) {
  CScratchDir dir;
  for (size_t sections : {2, 5}) {
    SCOPED_TRACE(sections);
    SynthImage img;
    img.sizeOfHeaders = 0x200;  // PE32 headers end at 0x138: room for exactly five sections
    for (size_t i = 0; i < sections; ++i)
      img.sections.push_back({".s" + std::to_string(i), std::vector<BYTE>(0x50, static_cast<BYTE>(0x10 + i)), 0, 0x40000040});
    img.overlay = {'O', 'V', 'L'};
    std::vector<BYTE> original = img.Build();
    Headers ho = ReadHeaders(original);
    std::string path = dir.file("plain.exe");
    WriteFileBytes(path, original);
    ResTypeMap set = SampleSet(2);
    ASSERT_TRUE(CommitSet(path, set));
    std::vector<BYTE> out = ReadFileBytes(path);
    Headers h = ReadHeaders(out);
    EXPECT_TRUE(LayoutIsSound(out));
    EXPECT_TRUE(ObjdumpAccepts(path));
    EXPECT_TRUE(Walk(path) == Flatten(set));
    ASSERT_EQ(h.sections.size(), sections + 1);
    EXPECT_EQ(h.sections.back().name, ".rsrc");
    EXPECT_EQ(h.sizeOfHeaders, sections == 5 ? 0x400u : 0x200u);
    for (size_t i = 0; i < sections; ++i) {
      EXPECT_EQ(h.sections[i].va, ho.sections[i].va);
      EXPECT_EQ(RawBytes(out, h.sections[i]), RawBytes(original, ho.sections[i]));
    }
    EXPECT_EQ(Tail(out, out.size() - 3), img.overlay);
  }

  // No room in the headers and none in memory before the first section: refused, untouched.
  SynthImage tight;
  tight.sizeOfHeaders = 0x200;
  tight.fileAlignment = tight.sectionAlignment = 0x200;
  for (int i = 0; i < 5; ++i) tight.sections.push_back({".t", std::vector<BYTE>(0x20, 1), 0, 0x40000040});
  std::string path = dir.file("tight.exe");
  std::vector<BYTE> original = tight.Build();
  WriteFileBytes(path, original);
  errno = 0;
  EXPECT_FALSE(CommitSet(path, SampleSet()));
  EXPECT_EQ(errno, EFBIG);
  EXPECT_EQ(ReadFileBytes(path), original);
}

// Bound imports right after the section table give way to the new section header; a bound
// import directory that claims to start inside the headers leaves them intact.
TEST(UpdateLayouts, BoundImportsGiveWayOnlyAfterTheSectionTable) {
  CScratchDir dir;
  for (bool inHeaders : {false, true}) {
    SCOPED_TRACE(inHeaders);
    SynthImage img;
    img.sizeOfHeaders = 0x200;
    img.sections.push_back({".s0", std::vector<BYTE>(0x50, 0x11), 0, 0x40000040});
    const DWORD tableEnd = static_cast<DWORD>(ReadHeaders(img.Build()).sectionTable + 40);
    img.dirs[11] = inHeaders ? std::make_pair(DWORD{0x20}, tableEnd) : std::make_pair(tableEnd, DWORD{0x20});
    std::vector<BYTE> original = img.Build();
    if (!inHeaders) std::fill(original.begin() + tableEnd, original.begin() + tableEnd + 0x20, BYTE{0xB1});
    std::string path = dir.file("bound.exe");
    WriteFileBytes(path, original);
    ResTypeMap set = SampleSet();
    if (!CommitSet(path, set)) {
      EXPECT_TRUE(inHeaders);
      EXPECT_EQ(ReadFileBytes(path), original);
      continue;
    }
    std::vector<BYTE> out = ReadFileBytes(path);
    EXPECT_TRUE(std::equal(out.begin(), out.begin() + 0x40, original.begin()));
    EXPECT_TRUE(LayoutIsSound(out));
    EXPECT_TRUE(Walk(path) == Flatten(set));
    Headers h = ReadHeaders(out);
    ASSERT_EQ(h.sections.size(), 2u);
    if (!inHeaders) {
      EXPECT_EQ(h.dirs[11], std::make_pair(DWORD{0}, DWORD{0}));
    }
  }
}

// A symbol table after the sections keeps pointing at its own bytes.
TEST(UpdateLayouts, SymbolTableFollowsItsBytes) {
  CScratchDir dir;
  SynthImage img;
  img.pe64 = true;
  img.sections.push_back({".text", std::vector<BYTE>(0x40, 0x90), 0, 0x60000020});
  img.sections.push_back({".rsrc", {}, 0, 0x40000040});
  img.sections[1].data = ResourceData(SampleSet(), img.Va(1));
  img.dirs[pe::kDirResource] = {img.Va(1), static_cast<DWORD>(img.sections[1].data.size())};
  img.overlay.assign(18 * 3 + 4, 0x77);  // three symbols and an empty string table
  img.symbolTable = 0x400 + 0x200 + pe::AlignUp(static_cast<DWORD>(img.sections[1].data.size()), 0x200);
  img.numberOfSymbols = 3;
  std::string path = dir.file("sym.exe");
  WriteFileBytes(path, img.Build());
  ASSERT_TRUE(CommitSet(path, SampleSet(30)));
  std::vector<BYTE> out = ReadFileBytes(path);
  Headers h = ReadHeaders(out);
  EXPECT_NE(h.symbolTable, img.symbolTable);
  EXPECT_EQ(h.numberOfSymbols, 3u);
  EXPECT_EQ(Tail(out, h.symbolTable), img.overlay);
  EXPECT_TRUE(LayoutIsSound(out));
}

// The file changed or was replaced after Begin: Commit refuses instead of mixing the two.
TEST(UpdateService, RefusesAFileChangedAfterBegin) {
  CScratchDir dir;
  std::string path = dir.file("all32.exe");
  const BYTE data[] = {1};
  for (int how = 0; how < 2; ++how) {
    SCOPED_TRACE(how);
    std::filesystem::copy_file(FixturePath("all32.exe"), path, std::filesystem::copy_options::overwrite_existing);
    tvl::CResourceUpdate u;
    ASSERT_TRUE(u.Begin(path, true));
    ASSERT_TRUE(u.Add(ResId::Id(6), ResId::Id(1), 0, data, 1));
    std::vector<BYTE> changed = ReadFileBytes(FixturePath("all32.exe"));
    if (how == 0) {
      changed.resize(changed.size() / 2);  // truncated in place
      WriteFileBytes(path, changed);
    } else {
      changed = ReadFileBytes(FixturePath("all64.exe"));  // another file put in its place
      WriteFileBytes(dir.file("other.exe"), changed);
      std::filesystem::rename(dir.file("other.exe"), path);
    }
    errno = 0;
    EXPECT_FALSE(u.Commit());
    EXPECT_EQ(errno, EBUSY);
    EXPECT_EQ(ReadFileBytes(path), changed);
    EXPECT_EQ(FileCount(dir.path()), 1u);
  }
}
