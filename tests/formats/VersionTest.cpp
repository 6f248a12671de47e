#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "archive/Archive.h"
#include "formats/text/ResVersion.h"
#include "peimage/PeImage.h"
#include "peimage/ResStream.h"
#include "peimage/VersionInfoWalker.h"
#include "platform/Text.h"
#include "resmodel/CompileContext.h"
#include "resmodel/ResourceType.h"

namespace {

constexpr LANGID kEnglish = 0x0409;
constexpr LANGID kGerman = 0x0407;
constexpr LANGID kFrench = 0x040C;

WORD W(const std::vector<BYTE>& b, size_t at) { return static_cast<WORD>(b.at(at) | b.at(at + 1) << 8); }
DWORD D(const std::vector<BYTE>& b, size_t at) { return W(b, at) | static_cast<DWORD>(W(b, at + 2)) << 16; }

struct Resource {
  std::vector<BYTE> bytes;
  LANGID language = 0;
};

Resource FixtureVersion(const std::string& file) {
  CPeImage image;
  EXPECT_TRUE(image.LoadFile(FixturePath(file)));
  const CPeResource* r = image.FindResource(CResName(WORD{16}), CResName(WORD{1}));
  if (!r) return {};
  auto data = image.GetData(*r);
  return {{data.begin(), data.end()}, r->language};
}

std::unique_ptr<CResVersion> ParseVersion(const std::vector<BYTE>& bytes, LANGID language) {
  auto v = std::make_unique<CResVersion>();
  v->m_statusChain.m_language = language;
  CResStream stream(bytes.data(), static_cast<DWORD>(bytes.size()), language);
  v->Parse(stream);
  return v;
}

std::unique_ptr<CResVersion> FixtureParsed(const std::string& file) {
  Resource r = FixtureVersion(file);
  EXPECT_FALSE(r.bytes.empty()) << file;
  return ParseVersion(r.bytes, r.language);
}

std::vector<BYTE> Written(CResVersion& v, LANGID language, bool satellite = false) {
  CResourceData data;
  data.m_language = language;
  data.m_satelliteDll = satellite ? 1 : 0;
  v.WriteData(data);
  return data.GetBytes();
}

// --- hand-made version trees -------------------------------------------------------------

void Pad4(std::vector<BYTE>& b) {
  while (b.size() % 4) b.push_back(0);
}

void Put16(std::vector<BYTE>& b, WORD w) {
  b.push_back(static_cast<BYTE>(w));
  b.push_back(static_cast<BYTE>(w >> 8));
}

std::vector<BYTE> TextBytes(const std::u16string& s) {
  std::vector<BYTE> b;
  for (char16_t c : s) Put16(b, c);
  Put16(b, 0);
  return b;
}

// A node with its length computed, unless one is forced.
std::vector<BYTE> Node(const std::u16string& key, WORD type, WORD valueLength, const std::vector<BYTE>& value,
                       const std::vector<std::vector<BYTE>>& children = {}, int forcedLength = -1) {
  std::vector<BYTE> b;
  Put16(b, 0);
  Put16(b, valueLength);
  Put16(b, type);
  std::vector<BYTE> k = TextBytes(key);
  b.insert(b.end(), k.begin(), k.end());
  Pad4(b);
  b.insert(b.end(), value.begin(), value.end());
  for (const auto& c : children) {
    Pad4(b);
    b.insert(b.end(), c.begin(), c.end());
  }
  Pad4(b);
  WORD length = static_cast<WORD>(forcedLength >= 0 ? forcedLength : static_cast<int>(b.size()));
  b[0] = static_cast<BYTE>(length);
  b[1] = static_cast<BYTE>(length >> 8);
  return b;
}

std::vector<BYTE> Str(const std::u16string& key, const std::u16string& text) {
  return Node(key, 1, static_cast<WORD>(text.size() + 1), TextBytes(text));
}

std::vector<BYTE> FixedInfo(WORD a, WORD b, WORD c, WORD d, DWORD fileType = 1) {
  std::vector<BYTE> f(52, 0);
  auto put32 = [&f](size_t at, DWORD v) {
    for (int i = 0; i < 4; ++i) f[at + i] = static_cast<BYTE>(v >> (8 * i));
  };
  put32(0, 0xFEEF04BD);
  put32(4, 0x00010000);
  put32(8, static_cast<DWORD>(a) << 16 | b);
  put32(12, static_cast<DWORD>(c) << 16 | d);
  put32(16, static_cast<DWORD>(a) << 16 | b);
  put32(20, 0);
  put32(36, fileType);
  return f;
}

std::vector<BYTE> Root(const std::vector<std::vector<BYTE>>& children, const std::vector<BYTE>& fixed = FixedInfo(1, 2, 3, 4)) {
  return Node(u"VS_VERSION_INFO", 0, static_cast<WORD>(fixed.size()), fixed, children);
}

std::vector<BYTE> Translation(const std::vector<WORD>& words) {
  std::vector<BYTE> v;
  for (WORD w : words) Put16(v, w);
  return Node(u"VarFileInfo", 0, 0, {}, {Node(u"Translation", 0, static_cast<WORD>(v.size()), v)});
}

// The key of the node at `at`.
std::u16string KeyAt(const std::vector<BYTE>& b, size_t at) {
  std::u16string k;
  for (size_t i = at + 6; W(b, i) != 0; i += 2) k.push_back(static_cast<char16_t>(W(b, i)));
  return k;
}

bool Throws(const std::vector<BYTE>& bytes) {
  try {
    ParseVersion(bytes, kEnglish);
  } catch (const CResStreamException&) {
    return true;
  }
  return false;
}

}  // namespace

// --- reading --------------------------------------------------------------------------------

TEST(VersionParse, FixtureWithTwoStringTables) {
  auto v = FixtureParsed("all32.exe");
  ASSERT_EQ(v->m_noFixedInfo, 0);
  EXPECT_EQ(v->m_fixedInfo[0] | v->m_fixedInfo[1] << 8 | v->m_fixedInfo[2] << 16 | v->m_fixedInfo[3] << 24,
            0xFEEF04BD);
  EXPECT_EQ(v->m_fileVersion.m_text, u"1, 2, 3, 4");
  EXPECT_EQ(std::vector<WORD>(v->m_fileVersion.m_numbers, v->m_fileVersion.m_numbers + 4), (std::vector<WORD>{1, 2, 3, 4}));
  EXPECT_EQ(v->m_fileVersion.m_language, kEnglish);
  EXPECT_EQ(v->m_productVersion.m_text, u"1, 2, 0, 0");
  EXPECT_EQ(v->m_translations,
            (std::vector<LangAndCodePage>{{0x409, 1200}, {0x407, 1200}, {0x40C, 1252}}));
  EXPECT_EQ(v->m_stringTables, (std::vector<LangAndCodePage>{{0x409, 0x04B0}, {0x407, 0x04B0}}));
  ASSERT_EQ(v->m_values.size(), 4u);
  const char16_t* keys[] = {u"CompanyName", u"FileDescription", u"FileVersion", u"ProductName"};
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(v->m_values[i]->m_key, keys[i]);
    EXPECT_EQ(v->m_values[i]->m_value.m_language, kEnglish);
  }
  // The German table's values are German translations.
  const CLocalizedString& company = v->m_values[0]->m_value;
  EXPECT_EQ(company.m_text, u"Fixture Makers");
  ASSERT_NE(company.FindString(kGerman), nullptr);
  EXPECT_EQ(company.FindString(kGerman)->m_text, u"Testdatenhersteller");
  EXPECT_EQ(company.GetValueStatus(kGerman), 1);
  EXPECT_EQ(v->m_values[1]->m_value.GetText(kGerman), u"Alle Ressourcenarten");
  EXPECT_EQ(v->m_values[3]->m_value.FindValue(kGerman), nullptr);  // ProductName has no German text
  // German: the version numbers are untranslated.
  EXPECT_EQ(v->ComputeStatus(kGerman), 0);
}

TEST(VersionParse, OtherFixtures) {
  // Language-neutral resources; the first table is neutral, the second German.
  auto neutral = FixtureParsed("neutralver32.dll");
  EXPECT_EQ(neutral->m_fileVersion.m_text, u"2, 0, 0, 0");
  EXPECT_EQ(neutral->m_translations, (std::vector<LangAndCodePage>{{0, 1200}, {0x407, 1252}}));
  EXPECT_EQ(neutral->m_stringTables, (std::vector<LangAndCodePage>{{0, 0x04B0}, {0x407, 0x04E4}}));
  ASSERT_EQ(neutral->m_values.size(), 1u);
  EXPECT_EQ(neutral->m_values[0]->m_value.m_text, u"Neutral first");
  EXPECT_EQ(neutral->m_values[0]->m_value.m_language, 0);
  EXPECT_EQ(neutral->m_values[0]->m_value.GetText(kGerman), u"Dann Deutsch");

  auto french = FixtureParsed("overlay32.exe");
  EXPECT_EQ(french->m_fileVersion.m_language, kFrench);
  ASSERT_EQ(french->m_values.size(), 1u);
  EXPECT_EQ(french->m_values[0]->m_value.m_text, u"Programme avec donn\u00e9es annex\u00e9es");
  EXPECT_EQ(french->m_stringTables, (std::vector<LangAndCodePage>{{0x40C, 0x04E4}}));

  auto dll = FixtureParsed("reloc32.dll");
  EXPECT_EQ(dll->m_fileVersion.m_text, u"3, 1, 0, 0");
  EXPECT_EQ(dll->m_fixedInfo[CResVersion::kFileType], 2);
  auto two = FixtureParsed("twolang.dll");
  EXPECT_EQ(two->m_values.at(0)->m_value.m_text, u"Two languages");
}

TEST(VersionParse, ValueKeysMatchWithoutRegardToCase) {
  auto v = ParseVersion(Root({Node(u"stringfileinfo", 1, 0, {},
                                   {Node(u"040904b0", 1, 0, {}, {Str(u"Comments", u"Hello")}),
                                    Node(u"040C04B0", 1, 0, {}, {Str(u"COMMENTS", u"Bonjour")}),
                                    // the same language again replaces the source text
                                    Node(u"040904E4", 1, 0, {}, {Str(u"comments", u"Hi")})})}),
                        kEnglish);
  ASSERT_EQ(v->m_values.size(), 1u);
  EXPECT_EQ(v->m_values[0]->m_key, u"Comments");
  EXPECT_EQ(v->m_values[0]->m_value.m_text, u"Hi");
  EXPECT_EQ(v->m_values[0]->m_value.m_status, 0);
  EXPECT_EQ(v->m_values[0]->m_value.GetText(kFrench), u"Bonjour");
  EXPECT_EQ(v->m_stringTables.size(), 3u);
}

TEST(VersionParse, MalformedTreesAreRefusedOrSkippedSafely) {
  std::vector<BYTE> good = Root({Node(u"StringFileInfo", 1, 0, {}, {Node(u"040904b0", 1, 0, {}, {Str(u"A", u"B")})}),
                                 Translation({0x409, 1200})});
  EXPECT_FALSE(Throws(good));
  // Root length below 8 or beyond the data.
  std::vector<BYTE> shortRoot = good;
  shortRoot[0] = 7;
  shortRoot[1] = 0;
  EXPECT_TRUE(Throws(shortRoot));
  std::vector<BYTE> longRoot = good;
  longRoot[0] = static_cast<BYTE>(good.size() + 1);
  longRoot[1] = static_cast<BYTE>((good.size() + 1) >> 8);
  EXPECT_TRUE(Throws(longRoot));
  EXPECT_TRUE(Throws({}));
  EXPECT_TRUE(Throws({8, 0, 0}));
  // A text without terminator.
  std::vector<BYTE> noNul = Node(u"A", 1, 2, {'x', 0, 'y', 0});
  EXPECT_TRUE(Throws(Root({Node(u"StringFileInfo", 1, 0, {}, {Node(u"040904b0", 1, 0, {}, {noNul})})})));
  // A string value that is not text.
  EXPECT_TRUE(Throws(Root({Node(u"StringFileInfo", 1, 0, {}, {Node(u"040904b0", 1, 0, {}, {Node(u"A", 0, 2, {1, 2})})})})));
  // A binary value longer than its node.
  EXPECT_TRUE(Throws(Root({Translation({0x409, 1200}), Node(u"X", 0, 400, {1, 2, 3, 4})})));
  // A key that runs past its node.
  std::vector<BYTE> keyPast = Root({Node(u"StringFileInfo", 1, 0, {}, {}, 8)});
  EXPECT_TRUE(Throws(keyPast));

  // A table whose key is not 8 hexadecimal digits is skipped.
  auto skipped = ParseVersion(Root({Node(u"StringFileInfo", 1, 0, {},
                                         {Node(u"0409x4b0", 1, 0, {}, {Str(u"A", u"B")}),
                                          Node(u"040904b", 1, 0, {}, {Str(u"C", u"D")}),
                                          Node(u"040704b0", 1, 0, {}, {Str(u"E", u"F")})})}),
                              kEnglish);
  ASSERT_EQ(skipped->m_values.size(), 1u);
  EXPECT_EQ(skipped->m_values[0]->m_key, u"E");
  EXPECT_EQ(skipped->m_stringTables, (std::vector<LangAndCodePage>{{0x407, 0x4B0}}));

  // Zero bytes after the last child end the list instead of looping.
  std::vector<BYTE> table = Node(u"040904b0", 1, 0, {}, {Str(u"A", u"B")});
  table.insert(table.end(), 8, 0);
  table[0] = static_cast<BYTE>(table.size());
  auto padded = ParseVersion(Root({Node(u"StringFileInfo", 1, 0, {}, {table})}), kEnglish);
  EXPECT_EQ(padded->m_values.size(), 1u);

  // Only the first Translation list counts, and only as binary data.
  auto vars = ParseVersion(Root({Node(u"VarFileInfo", 0, 0, {}, {Node(u"Translation", 1, 3, TextBytes(u"ab"))}),
                                 Translation({0x407, 1252}), Translation({0x40C, 1252})}),
                           kEnglish);
  EXPECT_EQ(vars->m_translations, (std::vector<LangAndCodePage>{{0x407, 1252}}));
}

TEST(VersionParse, AChildClaimingMoreThanItsParentEndsTheListAsTheSurveySeesIt) {
  // "C" claims 200 bytes in a table that holds fewer: neither reader takes it, nor refuses the rest.
  std::vector<BYTE> tree = Root({Node(u"StringFileInfo", 1, 0, {},
                                      {Node(u"040904b0", 1, 0, {}, {Str(u"A", u"B"), Node(u"C", 1, 2, TextBytes(u"D"), {}, 200)})})});
  auto v = ParseVersion(tree, kEnglish);
  ASSERT_EQ(v->m_values.size(), 1u);
  EXPECT_EQ(v->m_values[0]->m_key, u"A");
  CVersionInfoWalker walker;
  ASSERT_TRUE(walker.Parse(tree));
  EXPECT_NE(walker.Find(u"\\StringFileInfo\\040904b0\\A"), nullptr);
  EXPECT_EQ(walker.Find(u"\\StringFileInfo\\040904b0\\C"), nullptr);
}

TEST(VersionParse, TextLengthCountedInBytesStillEndsAtTheTerminator) {
  // wValueLength 8 for "Hi" + NUL (6 bytes): the text ends at its terminator in the node.
  std::vector<BYTE> s = Node(u"Key", 1, 8, TextBytes(u"Hi"));
  auto v = ParseVersion(Root({Node(u"StringFileInfo", 1, 0, {}, {Node(u"040904b0", 1, 0, {}, {s, Str(u"Next", u"x")})})}),
                        kEnglish);
  ASSERT_EQ(v->m_values.size(), 2u);
  EXPECT_EQ(v->m_values[0]->m_value.m_text, u"Hi");
  EXPECT_EQ(v->m_values[1]->m_value.m_text, u"x");
}

TEST(VersionParse, RootWithoutFixedInfoKeepsNothingAndStillWritesTheShape) {
  auto v = ParseVersion(Node(u"VS_VERSION_INFO", 0, 4, {1, 2, 3, 4},
                             {Node(u"StringFileInfo", 1, 0, {}, {Node(u"040904b0", 1, 0, {}, {Str(u"A", u"B")})})}),
                        kEnglish);
  EXPECT_EQ(v->m_noFixedInfo, 1);
  EXPECT_TRUE(v->m_values.empty());
  EXPECT_TRUE(v->m_stringTables.empty());
  EXPECT_EQ(v->ComputeStatus(kGerman), 2);
  // Root (40, no value) + StringFileInfo (36) with an empty table (24) + VarFileInfo (68).
  std::vector<BYTE> out = Written(*v, kGerman);
  ASSERT_EQ(out.size(), 40u + 36 + 24 + 68);
  EXPECT_EQ(W(out, 0), out.size());
  EXPECT_EQ(W(out, 2), 0);
  EXPECT_EQ(KeyAt(out, 40), u"StringFileInfo");
  EXPECT_EQ(W(out, 40), 60);
  EXPECT_EQ(KeyAt(out, 76), u"040704B0");
  EXPECT_EQ(W(out, 76), 24);
  EXPECT_EQ(KeyAt(out, 100), u"VarFileInfo");
  EXPECT_EQ(D(out, out.size() - 4), 0x04B00407u);
}

// --- writing --------------------------------------------------------------------------------

TEST(VersionWrite, NormalizedShapeByteForByte) {
  auto v = ParseVersion(Root({Node(u"StringFileInfo", 1, 0, {}, {Node(u"040904e4", 1, 0, {}, {Str(u"A", u"B")})}),
                              Translation({0x409, 1252})}),
                        kEnglish);
  std::vector<BYTE> out = Written(*v, kGerman);
  // Root: 6 + 32 (key) = 38 -> 40, value 52 -> 92; StringFileInfo 36 + table (24 + string
  // 16) = 76; VarFileInfo 32 + Translation 36 = 68.
  ASSERT_EQ(out.size(), 236u);
  struct Expect {
    size_t at;
    WORD length, valueLength, type;
    const char16_t* key;
  } nodes[] = {{0, 236, 52, 0, u"VS_VERSION_INFO"}, {92, 76, 0, 1, u"StringFileInfo"}, {128, 40, 0, 1, u"040704B0"},
               {152, 16, 2, 1, u"A"},                {168, 68, 0, 0, u"VarFileInfo"},    {200, 36, 4, 0, u"Translation"}};
  for (const Expect& e : nodes) {
    EXPECT_EQ(W(out, e.at), e.length) << e.at;
    EXPECT_EQ(W(out, e.at + 2), e.valueLength) << e.at;
    EXPECT_EQ(W(out, e.at + 4), e.type) << e.at;
    EXPECT_EQ(KeyAt(out, e.at), e.key);
  }
  // The fixed info at offset 40, the string's text at 164, the pair at 232.
  EXPECT_EQ(D(out, 40), 0xFEEF04BDu);
  EXPECT_EQ(D(out, 48), 0x00010002u);
  EXPECT_EQ(D(out, 52), 0x00030004u);
  EXPECT_EQ(W(out, 164), u'B');
  EXPECT_EQ(W(out, 166), 0);
  EXPECT_EQ(W(out, 232), kGerman);
  EXPECT_EQ(W(out, 234), 1200);
  // Padding bytes are zero.
  EXPECT_EQ(W(out, 38), 0);
  EXPECT_EQ(W(out, 162), 0);

  // A text whose size is not a multiple of 4 is padded, and the padding counts in the
  // node's length: key "A" (6 + 4, padded to 12), value "xy" + NUL (6, padded to 8).
  v->m_values.at(0)->m_value.m_text = u"xy";
  std::vector<BYTE> padded = Written(*v, kGerman);
  ASSERT_EQ(padded.size(), 240u);
  EXPECT_EQ(W(padded, 152), 20);
  EXPECT_EQ(W(padded, 154), 3);
  EXPECT_EQ(W(padded, 128), 44);
  EXPECT_EQ(W(padded, 0), 240);
  v->m_values.at(0)->m_value.m_text = u"B";

  // What is written reads back as one table in the target language with code page 1200.
  auto again = ParseVersion(out, kGerman);
  EXPECT_EQ(again->m_stringTables, (std::vector<LangAndCodePage>{{kGerman, 1200}}));
  EXPECT_EQ(again->m_translations, (std::vector<LangAndCodePage>{{kGerman, 1200}}));
  EXPECT_EQ(again->m_values.at(0)->m_value.m_text, u"B");
}

TEST(VersionWrite, TranslationsWithStatusElseSource) {
  auto v = FixtureParsed("all32.exe");
  v->m_values[1]->m_value.SetStatus(kGerman, 0);  // German from the file, set back to not up to date
  v->m_values[2]->m_value.SetTranslation(u"1.2.3.4-de", kGerman);
  v->m_values[2]->m_value.SetDoNotTranslate(true);
  v->m_values[3]->m_value.SetTranslation(u"Testdaten", kGerman);
  ASSERT_TRUE(CResVersion::SetVersionText(v->m_fileVersion, kGerman, u"5.6.7.8"));

  auto values = [](const std::vector<BYTE>& out) {
    auto back = ParseVersion(out, kGerman);
    std::vector<std::u16string> texts;
    for (const auto& s : back->m_values) texts.push_back(s->m_value.m_text);
    return texts;
  };
  std::vector<BYTE> german = Written(*v, kGerman);
  EXPECT_EQ(values(german),
            (std::vector<std::u16string>{u"Testdatenhersteller", u"All resource kinds", u"1.2.3.4", u"Testdaten"}));
  EXPECT_EQ(D(german, 48), 0x00050006u);
  EXPECT_EQ(D(german, 52), 0x00070008u);
  EXPECT_EQ(D(german, 56), 0x00010002u);  // product version: the source
  EXPECT_EQ(D(german, 76), 1u);           // file type as read

  // French has no translations at all.
  EXPECT_EQ(values(Written(*v, kFrench)),
            (std::vector<std::u16string>{u"Fixture Makers", u"All resource kinds", u"1.2.3.4", u"Fixtures"}));
  EXPECT_EQ(D(Written(*v, kFrench), 48), 0x00010002u);

  // A resource marked do not translate writes its source.
  v->SetTranslatable(false);
  german = Written(*v, kGerman);
  EXPECT_EQ(values(german), (std::vector<std::u16string>{u"Fixture Makers", u"All resource kinds", u"1.2.3.4", u"Fixtures"}));
  EXPECT_EQ(D(german, 48), 0x00010002u);
}

TEST(VersionWrite, SatelliteIsMarkedAsDll) {
  auto v = FixtureParsed("all32.exe");
  std::vector<BYTE> fixed(v->m_fixedInfo, v->m_fixedInfo + 52);
  fixed[CResVersion::kFileSubtype] = 7;
  std::copy(fixed.begin(), fixed.end(), v->m_fixedInfo);
  std::vector<BYTE> dll = Written(*v, kGerman, true);
  EXPECT_EQ(D(dll, 40 + CResVersion::kFileType), 2u);
  EXPECT_EQ(D(dll, 40 + CResVersion::kFileSubtype), 0u);
  std::vector<BYTE> exe = Written(*v, kGerman, false);
  EXPECT_EQ(D(exe, 40 + CResVersion::kFileType), 1u);
  EXPECT_EQ(D(exe, 40 + CResVersion::kFileSubtype), 7u);
  // Everything else of the fixed info is as read.
  for (size_t i = 0; i < 52; ++i) {
    if (i >= 8 && i < 24) continue;  // the versions
    EXPECT_EQ(exe[40 + i], fixed[i]) << i;
  }
}

TEST(VersionWrite, PartialVersionKeepsTheSourcesOtherPair) {
  auto v = FixtureParsed("all32.exe");
  v->m_fileVersion.SetSizePos(kGerman, u"9, 8", 9, 8, 0xFFFF, 0xFFFF);
  v->m_productVersion.SetSizePos(kGerman, u"", 0xFFFF, 0xFFFF, 4, 5);
  VersionNumbers file = v->GetVersion(v->m_fileVersion, kGerman);
  EXPECT_EQ(std::vector<WORD>(file.m_numbers, file.m_numbers + 4), (std::vector<WORD>{9, 8, 3, 4}));
  EXPECT_EQ(file.m_text, u"9, 8");
  VersionNumbers product = v->GetVersion(v->m_productVersion, kGerman);
  EXPECT_EQ(std::vector<WORD>(product.m_numbers, product.m_numbers + 4), (std::vector<WORD>{1, 2, 4, 5}));
  EXPECT_EQ(product.m_text, u"1, 2, 0, 0");  // an empty text falls back to the source's
  std::vector<BYTE> out = Written(*v, kGerman);
  EXPECT_EQ(D(out, 48), 0x00090008u);
  EXPECT_EQ(D(out, 52), 0x00030004u);
  EXPECT_EQ(D(out, 60), 0x00040005u);
  // A text-only translation leaves every pair at 0xFFFF: the source numbers are written.
  v->m_fileVersion.SetTranslation(u"anything", kFrench);
  EXPECT_EQ(D(Written(*v, kFrench), 48), 0x00010002u);
  // A version marked do not translate is the source.
  v->m_fileVersion.SetDoNotTranslate(true);
  EXPECT_EQ(D(Written(*v, kGerman), 48), 0x00010002u);
}

// --- typed version texts --------------------------------------------------------------------

TEST(VersionText, AcceptedFormsBecomeCanonical) {
  struct Case {
    const char16_t* text;
    std::vector<WORD> numbers;
  } cases[] = {
      {u"2.1.0.473", {2, 1, 0, 473}},       {u"2, 1, 0, 473", {2, 1, 0, 473}},  {u"2 1 0 473", {2, 1, 0, 473}},
      {u" \t2 ,1. 0\t,473 \t", {2, 1, 0, 473}}, {u"65535,0,0,65535", {65535, 0, 0, 65535}},
      {u"007.08.9.10", {7, 8, 9, 10}},      {u"1,2 3.4", {1, 2, 3, 4}},
  };
  for (const Case& c : cases) {
    WORD n[4] = {1, 1, 1, 1};
    std::u16string canonical;
    ASSERT_TRUE(CResVersion::ParseVersionText(c.text, n, &canonical)) << tvl::ToUtf8(c.text);
    EXPECT_EQ(std::vector<WORD>(n, n + 4), c.numbers);
  }
  CLocalizedStringSizePos version;
  version.m_language = kEnglish;
  CRecordingSink sink;
  ASSERT_TRUE(CResVersion::SetVersionText(version, kGerman, u"2.1.0.473"));
  const auto* de = static_cast<const CLocalizedStringSizePos*>(version.FindValue(kGerman));
  ASSERT_NE(de, nullptr);
  EXPECT_EQ(de->m_text, u"2, 1, 0, 473");
  EXPECT_EQ(de->m_status, 1);
  EXPECT_EQ(std::vector<WORD>(de->m_numbers, de->m_numbers + 4), (std::vector<WORD>{2, 1, 0, 473}));
  EXPECT_TRUE(sink.messages.empty());
}

TEST(VersionText, RefusedFormsShowTheFormatMessage) {
  const char16_t* refused[] = {u"1.2.3",     u"1.2.3.4.5", u"1.2.3.65536", u"",         u"1..2.3.4", u"1.2.3.4,",
                               u"a.b.c.d",  u"1.2.3.4x",  u"-1.2.3.4",    u"1;2;3;4", u"99999999999999999999.1.2.3"};
  CLocalizedStringSizePos version;
  version.m_language = kEnglish;
  for (const char16_t* text : refused) {
    CRecordingSink sink;
    WORD n[4] = {};
    EXPECT_FALSE(CResVersion::ParseVersionText(text, n)) << tvl::ToUtf8(text);
    EXPECT_FALSE(CResVersion::SetVersionText(version, kGerman, text));
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].text,
              u"Incorrect format. Please enter the version as : A, B, C, D  where A, B, C and D are numbers in the "
              u"range 0-65535. Commas can be ommited or replaced by periods.\n e.g.: 2, 1, 0, 473");
    EXPECT_EQ(sink.messages[0].type & MB_ICONMASK, MB_ICONERROR);
  }
  EXPECT_EQ(version.GetNext(), nullptr);  // nothing was set
}

// --- status, merging, stored form -------------------------------------------------------

TEST(VersionStatus, SmallestOfVersionsAndValues) {
  auto v = ParseVersion(Root({Node(u"StringFileInfo", 1, 0, {},
                                   {Node(u"040904b0", 1, 0, {}, {Str(u"A", u"a"), Str(u"Empty", u""), Str(u"B", u"b")})})}),
                        kEnglish);
  EXPECT_EQ(v->ComputeStatus(kGerman), 0);
  // The untranslated versions count even when every value is done.
  for (auto& value : v->m_values) value->m_value.SetDoNotTranslate(true);
  EXPECT_EQ(v->ComputeStatus(kGerman), 0);
  v->m_productVersion.SetSizePos(kGerman, u"1, 0, 0, 0", 1, 0, 0, 0);
  EXPECT_EQ(v->ComputeStatus(kGerman), 0);
  v->m_fileVersion.SetSizePos(kGerman, u"1, 0, 0, 0", 1, 0, 0, 0);
  EXPECT_EQ(v->ComputeStatus(kGerman), 1);
  for (auto& value : v->m_values) value->m_value.SetDoNotTranslate(false);
  EXPECT_EQ(v->ComputeStatus(kGerman), 0);
  v->m_productVersion.SetDoNotTranslate(true);
  v->m_values[0]->m_value.SetTranslation(u"x", kGerman);
  EXPECT_EQ(v->ComputeStatus(kGerman), 0);  // B is untranslated; the empty value does not count
  v->m_values[2]->m_value.SetDoNotTranslate(true);
  EXPECT_EQ(v->ComputeStatus(kGerman), 1);
  v->m_fileVersion.SetDoNotTranslate(true);
  v->m_values[0]->m_value.SetDoNotTranslate(true);
  EXPECT_EQ(v->ComputeStatus(kGerman), 2);
}

TEST(VersionMerge, UpdateOfTheSourceKeepsTranslationsAndFlagsChangedTexts) {
  auto old = FixtureParsed("all32.exe");
  old->m_values[3]->m_value.SetTranslation(u"Testdaten", kGerman);
  ASSERT_TRUE(CResVersion::SetVersionText(old->m_fileVersion, kGerman, u"1.2.3.5"));
  ASSERT_TRUE(CResVersion::SetVersionText(old->m_productVersion, kGerman, u"1.2.0.1"));
  old->m_values[2]->m_value.SetDoNotTranslate(true);
  // The new source: file version 1.3, product name changed, a new value.
  auto fresh = ParseVersion(Root({Node(u"StringFileInfo", 1, 0, {},
                                       {Node(u"040904b0", 1, 0, {},
                                             {Str(u"companyname", u"Fixture Makers"), Str(u"FileVersion", u"1.3"),
                                              Str(u"ProductName", u"Fixtures 2"), Str(u"Comments", u"new")})})},
                                 FixedInfo(1, 3, 0, 0)),
                            kEnglish);
  // The product version stays 1.2.0.0.
  fresh->m_productVersion.m_numbers[1] = 2;
  fresh->m_productVersion.m_text = u"1, 2, 0, 0";
  fresh->Merge(*old, true, false);

  // Unchanged company name: the German translation read from the file stays translated.
  EXPECT_EQ(fresh->m_values[0]->m_value.GetText(kGerman), u"Testdatenhersteller");
  EXPECT_EQ(fresh->m_values[0]->m_value.GetValueStatus(kGerman), 1);
  EXPECT_EQ(fresh->m_values[0]->m_key, u"companyname");
  // Changed texts keep their translation as not up to date; the mark is taken over.
  EXPECT_EQ(fresh->m_values[1]->m_value.GetText(kGerman), u"1.2.3.4");
  EXPECT_EQ(fresh->m_values[1]->m_value.GetValueStatus(kGerman), 0);
  EXPECT_TRUE(fresh->m_values[1]->m_value.IsDoNotTranslate());
  EXPECT_EQ(fresh->m_values[2]->m_value.GetText(kGerman), u"Testdaten");
  EXPECT_EQ(fresh->m_values[2]->m_value.GetValueStatus(kGerman), 0);
  EXPECT_EQ(fresh->m_values[3]->m_value.GetNext(), nullptr);
  // The file version changed: not up to date. The product version did not.
  EXPECT_EQ(fresh->m_fileVersion.GetValueStatus(kGerman), 0);
  EXPECT_EQ(fresh->m_productVersion.GetValueStatus(kGerman), 1);
  EXPECT_EQ(fresh->m_stringTables, (std::vector<LangAndCodePage>{{0x409, 0x4B0}, {0x407, 0x4B0}}));
  // Not up to date is written as the source.
  EXPECT_EQ(D(Written(*fresh, kGerman), 48), 0x00010003u);
  EXPECT_EQ(D(Written(*fresh, kGerman), 60), 0x00000001u);
}

TEST(VersionMerge, ImportOfATranslatedExecutableFillsOnlyMissingLanguages) {
  auto project = FixtureParsed("all32.exe");
  // The translated file, read under French.
  auto translated = ParseVersion(Root({Node(u"StringFileInfo", 1, 0, {},
                                            {Node(u"040c04b0", 1, 0, {},
                                                  {Str(u"CompanyName", u"Fabricants"), Str(u"Unknown", u"x")})}),
                                       Translation({0x40C, 1200})},
                                      FixedInfo(1, 2, 3, 9)),
                                 kFrench);
  translated->m_statusChain.m_language = kFrench;
  project->Merge(*translated, false, false);
  EXPECT_EQ(project->m_values[0]->m_value.GetText(kFrench), u"Fabricants");
  EXPECT_EQ(project->m_values[0]->m_value.GetValueStatus(kFrench), 1);
  EXPECT_EQ(project->m_values[0]->m_value.m_text, u"Fixture Makers");
  EXPECT_EQ(project->m_values.size(), 4u);  // a value the project lacks is not added
  EXPECT_EQ(project->m_fileVersion.GetText(kFrench), u"1, 2, 3, 9");
  EXPECT_EQ(project->m_stringTables.back(), (LangAndCodePage{kFrench, 0x4B0}));
  EXPECT_TRUE(project->HasTranslation(kFrench));
  // German was translated already: a German file does not replace it.
  auto german = ParseVersion(Root({Node(u"StringFileInfo", 1, 0, {},
                                        {Node(u"040704b0", 1, 0, {}, {Str(u"CompanyName", u"Andere")})})}),
                             kGerman);
  project->Merge(*german, false, false);
  EXPECT_EQ(project->m_values[0]->m_value.GetText(kGerman), u"Testdatenhersteller");
  EXPECT_EQ(project->m_stringTables.size(), 3u);
}

TEST(VersionMerge, TranslatorsProjectOverwrites) {
  auto project = FixtureParsed("all32.exe");
  auto translator = FixtureParsed("all32.exe");
  translator->m_values[0]->m_value.SetTranslation(u"Neu", kGerman);
  translator->m_values[1]->m_value.m_text = u"Changed source";
  project->Merge(*translator, false, true);
  EXPECT_EQ(project->m_values[0]->m_value.GetText(kGerman), u"Neu");
  EXPECT_EQ(project->m_values[0]->m_value.GetValueStatus(kGerman), 1);
  // The translator saw another source text: the language is not up to date.
  EXPECT_EQ(project->m_values[1]->m_value.GetValueStatus(kGerman), 0);
  EXPECT_EQ(project->m_values[1]->m_value.m_text, u"All resource kinds");
}

TEST(VersionStore, StoreAndLoadByteForByte) {
  auto v = FixtureParsed("all32.exe");
  v->m_identifier.SetOrdinal(1);
  ASSERT_TRUE(CResVersion::SetVersionText(v->m_fileVersion, kFrench, u"4 3 2 1"));
  v->m_values[2]->m_value.SetDoNotTranslate(true);
  v->UpdateStatus(kGerman);
  CArchive out;
  out.WriteObject(v.get());
  std::vector<BYTE> stored = out.GetStoredBytes();

  CArchive in(stored.data(), stored.size());
  auto loaded = in.ReadObject<CResVersion>();
  in.Close();
  ASSERT_NE(loaded, nullptr);
  CArchive again;
  again.WriteObject(loaded.get());
  EXPECT_EQ(again.GetStoredBytes(), stored);
  EXPECT_EQ(Written(*loaded, kGerman), Written(*v, kGerman));
  EXPECT_EQ(Written(*loaded, kFrench), Written(*v, kFrench));
  EXPECT_EQ(loaded->m_translations, v->m_translations);
  EXPECT_EQ(loaded->ComputeStatus(kGerman), v->ComputeStatus(kGerman));

  // The layout after the resource part: the flag, the fixed info, the two versions.
  CArchive plain;
  v->Serialize(plain);
  std::vector<BYTE> fields = plain.GetStoredBytes();
  CArchive base;
  v->CResource::Serialize(base);
  size_t at = base.GetStoredBytes().size();
  EXPECT_EQ(fields.at(at), 0);
  EXPECT_TRUE(std::equal(v->m_fixedInfo, v->m_fixedInfo + 52, fields.begin() + static_cast<std::ptrdiff_t>(at + 1)));
  EXPECT_EQ(W(fields, at + 53), kEnglish);  // the file version head's language
}

TEST(VersionStore, WithoutFixedInfoOnlyTheFlagIsStored) {
  auto v = ParseVersion(Node(u"VS_VERSION_INFO", 0, 0, {}), kEnglish);
  ASSERT_EQ(v->m_noFixedInfo, 1);
  CArchive base;
  v->CResource::Serialize(base);
  CArchive full;
  v->Serialize(full);
  std::vector<BYTE> expected = base.GetStoredBytes();
  expected.push_back(1);
  EXPECT_EQ(full.GetStoredBytes(), expected);
  CArchive in(expected.data(), expected.size());
  CResVersion loaded;
  loaded.Serialize(in);
  EXPECT_EQ(loaded.m_noFixedInfo, 1);
  EXPECT_EQ(in.GetRemaining(), 0u);
  // A count beyond the data is refused before anything is allocated.
  auto w = FixtureParsed("all32.exe");
  CArchive store;
  w->Serialize(store);
  std::vector<BYTE> bytes = store.GetStoredBytes();
  std::vector<BYTE> cut(bytes.begin(), bytes.end() - 40);
  CArchive bad(cut.data(), cut.size());
  CResVersion target;
  EXPECT_THROW(target.Serialize(bad), CArchiveException);
}
