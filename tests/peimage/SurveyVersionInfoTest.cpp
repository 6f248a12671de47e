// The VS_VERSIONINFO walker behind the survey's version languages.
#include <gtest/gtest.h>

#include "ReaderTestHelpers.h"
#include "peimage/VersionInfoWalker.h"
#include "platform/Text.h"

using namespace readertest;

namespace {

std::vector<BYTE> VersionOf(const std::string& fixture) {
  CPeImage image;
  EXPECT_TRUE(image.LoadFile(FixturePath(fixture)));
  const CPeResource* r = image.FindResource(CResName(WORD{16}), CResName(WORD{1}));
  if (!r) return {};
  std::span<const BYTE> d = image.GetData(*r);
  return std::vector<BYTE>(d.begin(), d.end());
}

std::u16string Text(const CVersionInfoWalker& w, const CVersionInfoNode& n) {
  std::span<const BYTE> v = w.GetValue(n);
  std::u16string s;
  for (size_t i = 0; i + 1 < v.size(); i += 2) s.push_back(static_cast<char16_t>(pe::Get16(v.data() + i)));
  while (!s.empty() && s.back() == 0) s.pop_back();
  return s;
}

// A node: header, key, padding, value, padding, children.
std::vector<BYTE> Node(const std::u16string& key, WORD type, const std::vector<BYTE>& value, WORD valueLength,
                       const std::vector<BYTE>& children = {}) {
  std::vector<BYTE> b(6, 0);
  for (char16_t c : key) b.insert(b.end(), {BYTE(c), BYTE(c >> 8)});
  b.insert(b.end(), {0, 0});
  while (b.size() % 4) b.push_back(0);
  b.insert(b.end(), value.begin(), value.end());
  while (b.size() % 4) b.push_back(0);
  b.insert(b.end(), children.begin(), children.end());
  pe::Put16(&b[0], WORD(b.size()));
  pe::Put16(&b[2], valueLength);
  pe::Put16(&b[4], type);
  return b;
}

}  // namespace

TEST(SurveyVersionInfo, WalksTheTreeOfARealVersionResource) {
  const std::vector<BYTE> v = VersionOf("all64.exe");
  ASSERT_FALSE(v.empty());
  CVersionInfoWalker w;
  ASSERT_TRUE(w.Parse(v));
  EXPECT_EQ(w.GetRoot().key, u"VS_VERSION_INFO");
  EXPECT_EQ(w.GetRoot().valueSize, 52u);
  EXPECT_EQ(pe::Get32(w.GetValue(w.GetRoot()).data()), 0xFEEF04BDu);  // VS_FIXEDFILEINFO signature
  ASSERT_EQ(w.GetRoot().children.size(), 2u);
  EXPECT_EQ(w.GetRoot().children[0].children.size(), 2u);  // two string tables

  const CVersionInfoNode* company = w.Find(u"\\StringFileInfo\\040704b0\\CompanyName");
  ASSERT_NE(company, nullptr);
  EXPECT_EQ(Text(w, *company), u"Testdatenhersteller");
  // Keys compare without regard to case.
  const CVersionInfoNode* same = w.Find(u"\\stringfileinfo\\040704B0\\companyname");
  EXPECT_EQ(same, company);
  EXPECT_EQ(w.Find(u"\\StringFileInfo\\041104b0"), nullptr);
  EXPECT_EQ(w.Find(u"\\"), &w.GetRoot());

  EXPECT_EQ(CVersionInfoWalker::TranslationLanguages(v), (std::vector<LANGID>{0x0409, 0x0407, 0x040C}));
}

TEST(SurveyVersionInfo, BuiltTreesAndDamagedOnes) {
  const std::vector<BYTE> pairs = {0x09, 0x04, 0xB0, 0x04, 0x11, 0x04, 0xA4, 0x03};
  const std::vector<BYTE> translation = Node(u"Translation", 0, pairs, 8);
  const std::vector<BYTE> var = Node(u"VarFileInfo", 1, {}, 0, translation);
  const std::vector<BYTE> root = Node(u"VS_VERSION_INFO", 0, std::vector<BYTE>(52, 0), 52, var);
  EXPECT_EQ(CVersionInfoWalker::TranslationLanguages(root), (std::vector<LANGID>{0x0409, 0x0411}));

  // A value length beyond its node is cut to the node; an odd length keeps whole pairs only.
  std::vector<BYTE> longer = root;
  const size_t tAt = root.size() - translation.size();
  pe::Put16(&longer[tAt + 2], 400);
  EXPECT_EQ(CVersionInfoWalker::TranslationLanguages(longer), (std::vector<LANGID>{0x0409, 0x0411}));
  std::vector<BYTE> shorter = root;
  pe::Put16(&shorter[tAt + 2], 6);
  EXPECT_EQ(CVersionInfoWalker::TranslationLanguages(shorter), (std::vector<LANGID>{0x0409}));

  // A child that claims more than its parent holds ends the parent's list.
  std::vector<BYTE> bad = root;
  pe::Put16(&bad[tAt], 0x7000);
  CVersionInfoWalker w;
  ASSERT_TRUE(w.Parse(bad));
  ASSERT_NE(w.Find(u"\\VarFileInfo"), nullptr);
  EXPECT_EQ(w.Find(u"\\VarFileInfo\\Translation"), nullptr);
  EXPECT_TRUE(CVersionInfoWalker::TranslationLanguages(bad).empty());

  // A root longer than the data, or shorter than its header, is refused.
  std::vector<BYTE> r2 = root;
  pe::Put16(&r2[0], WORD(root.size() + 4));
  EXPECT_FALSE(w.Parse(r2));
  pe::Put16(&r2[0], 4);
  EXPECT_FALSE(w.Parse(r2));
  // A key without terminator inside the node is refused.
  std::vector<BYTE> noKeyEnd = {10, 0, 0, 0, 0, 0, 'A', 0, 'B', 0};
  EXPECT_FALSE(w.Parse(noKeyEnd));

  // Every prefix of a real resource: never a crash, never a language that is not there.
  const std::vector<BYTE> real = VersionOf("all32.exe");
  for (size_t len = 0; len < real.size(); ++len) {
    std::vector<LANGID> got = CVersionInfoWalker::TranslationLanguages(std::span(real.data(), len));
    EXPECT_TRUE(got.empty()) << len;  // the root's length no longer fits
  }
}

TEST(SurveyVersionInfo, ZeroLengthChildDoesNotLoop) {
  std::vector<BYTE> child = Node(u"A", 0, {}, 0);
  std::vector<BYTE> root = Node(u"VS_VERSION_INFO", 0, {}, 0, child);
  pe::Put16(&root[root.size() - child.size()], 0);  // child wLength 0
  CVersionInfoWalker w;
  ASSERT_TRUE(w.Parse(root));
  EXPECT_TRUE(w.GetRoot().children.empty());
}
