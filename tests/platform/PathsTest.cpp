#include <gtest/gtest.h>

#include <fstream>

#include "TestSupport.h"
#include "platform/Paths.h"
#include "platform/Text.h"

using namespace tvl;

TEST(Paths, RelativeFormsOfThePlatform) {
  EXPECT_EQ(PathRelativePathTo(u"/home/me/p.tvl", u"/home/me/Editor.exe"), u".\\Editor.exe");
  EXPECT_EQ(PathRelativePathTo(u"/home/me/p.tvl", u"/home/me/bin/Editor.exe"), u".\\bin\\Editor.exe");
  EXPECT_EQ(PathRelativePathTo(u"/home/me/proj/p.tvl", u"/home/me/bin/Editor.exe"), u"..\\bin\\Editor.exe");
  EXPECT_EQ(PathRelativePathTo(u"/a/b/c/p.tvl", u"/x/y.exe"), u"..\\..\\..\\x\\y.exe");
  EXPECT_EQ(PathRelativePathTo(u"C:\\proj\\p.tvl", u"D:\\bin\\e.exe"), std::nullopt);  // another drive
  EXPECT_EQ(PathRelativePathTo(u"C:\\proj\\p.tvl", u"c:\\bin\\e.exe"), u"..\\bin\\e.exe");
}

TEST(Paths, CombineAcceptsBothSeparatorsAndResolvesBack) {
  EXPECT_EQ(PathCombine(u"/home/me/proj", u"..\\bin\\Editor.exe"), u"/home/me/bin/Editor.exe");
  EXPECT_EQ(PathCombine(u"/home/me/proj", u"../bin/./Editor.exe"), u"/home/me/bin/Editor.exe");
  EXPECT_EQ(PathCombine(u"/home/me/proj", u".\\Editor.exe"), u"/home/me/proj/Editor.exe");
  EXPECT_EQ(PathCombine(u"/", u"..\\x"), std::nullopt);
  for (const char16_t* target : {u"/home/me/bin/Editor.exe", u"/home/me/proj/sub/x.dll", u"/etc/e.exe"}) {
    auto rel = PathRelativePathTo(u"/home/me/proj/p.tvl", target);
    ASSERT_TRUE(rel);
    EXPECT_EQ(PathCombine(u"/home/me/proj", *rel), std::u16string(target));
  }
  EXPECT_TRUE(PathIsRelative(u"..\\bin\\a.exe"));
  EXPECT_FALSE(PathIsRelative(u"/bin/a.exe"));
  EXPECT_FALSE(PathIsRelative(u"C:\\a.exe"));
}

TEST(Paths, NamePartsAndPatterns) {
  EXPECT_EQ(PathFindFileName(u"..\\bin\\Editor.exe"), u"Editor.exe");
  EXPECT_EQ(PathFindFileName(u"/x/y/z.dll"), u"z.dll");
  EXPECT_EQ(PathFindExtension(u"/x.y/z"), u"");
  EXPECT_EQ(PathFindExtension(u"a.b.exe"), u".exe");
  EXPECT_EQ(PathRemoveFileSpec(u"/x/y/z.dll"), u"/x/y");
  EXPECT_TRUE(PathMatchSpec(u"My App.exe", u"my app*.EXE"));
  EXPECT_TRUE(PathMatchSpec(u"French (Canada)", u"French*"));
  EXPECT_TRUE(PathMatchSpec(u"FRA", u"F?A"));
  EXPECT_FALSE(PathMatchSpec(u"FRA", u"F?"));
  EXPECT_TRUE(PathMatchSpec(u"b.dll", u"*.exe; *.dll"));
  EXPECT_TRUE(PathMatchSpec(u"", u"*"));
}

TEST(Paths, FileTimeIsStableAndInFiletimeUnits) {
  CScratchDir dir;
  std::string f = dir.file("a.bin");
  std::ofstream(f) << "x";
  std::u16string p = FromUtf8(f);
  std::uint64_t t1 = GetFileTime(p), t2 = GetFileTime(p);
  EXPECT_EQ(t1, t2);
  EXPECT_GT(t1, 130000000000000000ULL);  // after 2012
  EXPECT_EQ(GetFileTime(u"/nonexistent/file"), 0u);
  EXPECT_TRUE(CreateDirectories(FromUtf8(dir.file("x/y/z"))));
  EXPECT_TRUE(PathIsDirectory(FromUtf8(dir.file("x/y"))));
}
