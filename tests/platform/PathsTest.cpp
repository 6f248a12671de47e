#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <vector>

#include "TestSupport.h"
#include "platform/PathForms.h"
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

namespace {

// The textbook table: prefix of the pattern against prefix of the name.
bool ReferenceMatch(std::u16string_view name, std::u16string_view pattern) {
  auto lower = [](char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c; };
  std::vector<bool> row(name.size() + 1, false);
  row[0] = true;
  for (char16_t pc : pattern) {
    std::vector<bool> next(name.size() + 1, false);
    for (size_t i = 0; i <= name.size(); ++i) {
      if (pc == u'*')
        next[i] = row[i] || (i > 0 && next[i - 1]);
      else
        next[i] = i > 0 && row[i - 1] && (pc == u'?' || lower(pc) == lower(name[i - 1]));
    }
    row = std::move(next);
  }
  return row[name.size()];
}

// Every string of up to `length` characters from `alphabet`.
std::vector<std::u16string> AllStrings(std::u16string_view alphabet, size_t length) {
  std::vector<std::u16string> out{u""};
  for (size_t start = 0, end = 1; length-- > 0; start = end, end = out.size())
    for (size_t i = start; i < end; ++i)
      for (char16_t c : alphabet) out.push_back(out[i] + c);
  return out;
}

}  // namespace

TEST(Paths, PatternsMatchAsTheTextbookTableDoes) {
  const auto names = AllStrings(u"aB", 5);
  auto patterns = AllStrings(u"ab?*", 5);
  EXPECT_FALSE(PathMatchSpec(u"", u""));  // an empty pattern matches nothing
  patterns.erase(patterns.begin());
  for (const auto& pattern : patterns)
    for (const auto& name : names)
      ASSERT_EQ(PathMatchSpec(name, pattern), ReferenceMatch(name, pattern))
          << ToUtf8(name) << " against " << ToUtf8(pattern);
}

TEST(Paths, ManyStarsAgainstALongNameTakeLinearTime) {
  const std::u16string name(20000, u'a');
  std::u16string stars;
  for (int i = 0; i < 12; ++i) stars += u"*a";
  const auto begin = std::chrono::steady_clock::now();
  EXPECT_FALSE(PathMatchSpec(name, stars + u"*b"));
  EXPECT_TRUE(PathMatchSpec(name + u"B", stars + u"*b"));
  EXPECT_TRUE(PathMatchSpec(name, u"x*y;" + stars + u"*?;z"));
  EXPECT_FALSE(PathMatchSpec(name, stars + u"*b;" + stars + u"*c"));
  EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(1));
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

TEST(Paths, ShownWithSlashesStoredWithBackslashes) {
  const struct {
    const char16_t* stored;
    const char16_t* shown;
  } cases[] = {
      {u".\\App.exe", u"./App.exe"},
      {u"..\\bin\\x64\\App.exe", u"../bin/x64/App.exe"},
      {u"App.exe", u"App.exe"},
      {u"/home/me/p/App.exe", u"/home/me/p/App.exe"},
      // Not paths of this platform: shown as they are, and kept.
      {u"C:\\Program Files\\App.exe", u"C:\\Program Files\\App.exe"},
      {u"\\\\server\\share\\App.exe", u"\\\\server\\share\\App.exe"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(tvl::ToUtf8(c.stored));
    EXPECT_EQ(tvl::DisplayPath(c.stored), c.shown);
    EXPECT_EQ(tvl::StoredPath(tvl::DisplayPath(c.stored)), c.stored);
  }
  // What the user types relative with '/' is stored with '\'; absolute paths stay native.
  EXPECT_EQ(tvl::StoredPath(u"out/fr/App.exe"), u"out\\fr\\App.exe");
  EXPECT_EQ(tvl::StoredPath(u"/tmp/out/App.exe"), u"/tmp/out/App.exe");
}
