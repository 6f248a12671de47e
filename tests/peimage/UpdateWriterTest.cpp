// CResourceWriter::Write: the two update passes and their messages.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "TestSupport.h"
#include "UpdateTestUtil.h"
#include "archive/Exceptions.h"
#include "peimage/PeFormat.h"
#include "platform/Text.h"
#include "resmodel/CompileContext.h"

using namespace updtest;

namespace {

CResourceIdentifier Ord(WORD n) {
  CResourceIdentifier id;
  id.SetOrdinal(n);
  return id;
}
CResourceIdentifier Str(const char16_t* s) {
  CResourceIdentifier id;
  id.SetString(s);
  return id;
}

std::string Copy(const CScratchDir& dir, const std::string& from, const std::string& name) {
  std::string to = dir.file(name);
  std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing);
  return to;
}

std::string SatellitePath() { return std::string(TVL_SOURCE_DIR) + "/data/Satellite.dll"; }

// The text Write throws for `format` on `path` with the platform text of `code`.
std::u16string Expected(const char16_t* format, const std::string& path, int code) {
  std::u16string text(format);
  text.replace(text.find(u"%1"), 2, tvl::FromUtf8(path));
  return text + u"\n" + CWin32Exception::SystemErrorText(static_cast<DWORD>(code));
}

struct Thrown {
  std::u16string text;
  DWORD code = 0;
};
Thrown WriteAndCatch(CResourceWriter& writer, const std::string& path) {
  try {
    writer.Write(tvl::FromUtf8(path));
  } catch (const CWin32Exception& e) {
    return {e.GetErrorText(), e.GetLastErrorCode()};
  }
  ADD_FAILURE() << "Write did not throw";
  return {};
}

}  // namespace

// Entries come out in directory order whatever order they were added in; a later entry
// with the same type, name and language wins; a kind-0 identifier goes as ordinal 0; the
// placeholder of the first pass is gone.
TEST(UpdateWriter, WritesExactlyTheEntries) {
  CScratchDir dir;
  CResourceWriter w;
  const BYTE a[] = {1, 2, 3, 4, 5}, b[] = {9}, c[] = {7, 7};
  w.Add(Ord(6), Ord(2), 0x0407, a, 5);
  w.Add(Str(u"MYTYPE"), Str(u"ITEM"), 0x0407, b, 1);
  w.Add(Ord(5), Str(u"DLG"), 0x0407, c, 2);
  w.Add(Ord(6), Ord(1), 0x0407, a, 3);
  w.Add(CResourceIdentifier(), Ord(3), 0x0407, b, 1);
  w.Add(Ord(10), Ord(700), 0x0407, nullptr, 0);
  w.Add(Ord(6), Ord(2), 0x0407, c, 2);  // replaces the first one

  for (const std::string& base : {SatellitePath(), FixturePath("all64.exe"), FixturePath("reloc32.dll")}) {
    SCOPED_TRACE(base);
    std::string path = Copy(dir, base, "target.bin");
    w.Write(tvl::FromUtf8(path));
    std::vector<Entry> expected = {
        {CResName(u"MYTYPE"), CResName(u"ITEM"), 0x0407, {9}},
        {CResName(WORD{0}), CResName(WORD{3}), 0x0407, {9}},
        {CResName(WORD{5}), CResName(u"DLG"), 0x0407, {7, 7}},
        {CResName(WORD{6}), CResName(WORD{1}), 0x0407, {1, 2, 3}},
        {CResName(WORD{6}), CResName(WORD{2}), 0x0407, {7, 7}},
        {CResName(WORD{10}), CResName(WORD{700}), 0x0407, {}},
    };
    std::vector<Entry> walked = Walk(path);
    EXPECT_TRUE(walked == expected) << Describe(walked);
    EXPECT_TRUE(LayoutIsSound(ReadFileBytes(path)));
    EXPECT_TRUE(ObjdumpAccepts(path));
  }
}

TEST(UpdateWriter, NoEntriesLeaveNoResources) {
  CScratchDir dir;
  std::string path = Copy(dir, FixturePath("twolang.dll"), "t.dll");
  CResourceWriter w;
  w.Write(tvl::FromUtf8(path));
  EXPECT_TRUE(Walk(path).empty());
  EXPECT_TRUE(LayoutIsSound(ReadFileBytes(path)));
}

TEST(UpdateWriter, FailuresNameTheirPassAndCarryThePlatformText) {
  CScratchDir dir;
  const BYTE one[] = {1};
  {
    CResourceWriter w;
    w.Add(Ord(6), Ord(1), 0x0409, one, 1);
    std::string missing = dir.file("missing.exe");
    Thrown t = WriteAndCatch(w, missing);
    EXPECT_EQ(t.text, Expected(u"Failed to start first pass update of target file %1", missing, ENOENT));
    EXPECT_EQ(t.code, static_cast<DWORD>(ENOENT));
    std::string text = dir.file("notes.txt");
    WriteFileBytes(text, {'M', 'Z', 0, 0});
    t = WriteAndCatch(w, text);
    EXPECT_EQ(t.text, Expected(u"Failed to start first pass update of target file %1", text, ENOEXEC));
  }
  {
    // No resource section and no room for one: the first commit fails, the file stays.
    SynthImage tight;
    tight.sizeOfHeaders = 0x200;
    tight.fileAlignment = tight.sectionAlignment = 0x200;
    for (int i = 0; i < 5; ++i) tight.sections.push_back({".t", std::vector<BYTE>(0x20, 1), 0, 0x40000040});
    std::string path = dir.file("tight.exe");
    std::vector<BYTE> original = tight.Build();
    WriteFileBytes(path, original);
    CResourceWriter w;
    w.Add(Ord(6), Ord(1), 0x0409, one, 1);
    Thrown t = WriteAndCatch(w, path);
    EXPECT_EQ(t.text, Expected(u"Failed to finalize first pass update of target file %1", path, EFBIG));
    EXPECT_EQ(ReadFileBytes(path), original);
  }
  {
    // A name too long for the directory's length field.
    std::string path = Copy(dir, SatellitePath(), "s1.dll");
    CResourceWriter w;
    w.Add(Ord(6), Str(std::u16string(0x10000, u'N').c_str()), 0x0409, one, 1);
    Thrown t = WriteAndCatch(w, path);
    EXPECT_EQ(t.text, Expected(u"Failed to update resources of target file %1 (second pass)", path, EINVAL));
  }
  {
    // More named entries under one type than a directory can count.
    std::string path = Copy(dir, SatellitePath(), "s2.dll");
    CResourceWriter w;
    for (int i = 0; i < 0x10000; ++i) {
      std::u16string n = {u'N', char16_t(0x100 + i / 256), char16_t(0x100 + i % 256)};
      w.Add(Ord(10), Str(n.c_str()), 0x0409, one, 1);
    }
    Thrown t = WriteAndCatch(w, path);
    EXPECT_EQ(t.text, Expected(u"Failed to finalize second pass update of target file %1", path, EFBIG));
    // The first pass went through: the placeholder holds the total length.
    std::vector<Entry> walked = Walk(path);
    ASSERT_EQ(walked.size(), 1u);
    EXPECT_TRUE(walked[0].type == CResName(WORD{11}));
    EXPECT_EQ(walked[0].language, 0x0409);
    EXPECT_EQ(walked[0].data, std::vector<BYTE>(0x10000, 0));
  }
}
