#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "StringTableTestSupport.h"
#include "archive/Archive.h"
#include "formats/text/ResMessageTable.h"
#include "peimage/PeImage.h"
#include "platform/Text.h"
#include "resmodel/ResTable.h"

using namespace strtest;

namespace {

constexpr LANGID kEnglish = 0x0409;
constexpr LANGID kGerman = 0x0407;
constexpr LANGID kRussian = 0x0419;
constexpr LANGID kHindi = 0x0439;  // no ANSI code page of its own

std::vector<DWORD> Ids(const CResStringTable& table) {
  std::vector<DWORD> ids;
  for (const auto& s : table.m_strings) ids.push_back(s->m_id);
  return ids;
}

CResString* AddMessage(CResMessageTable& table, DWORD id, const std::u16string& text, BYTE unicode = 1) {
  return table.AddString(std::make_unique<CResString>(id, unicode, text, kEnglish));
}

bool Parse(CResMessageTable& table, const std::vector<BYTE>& bytes, LANGID language = kEnglish,
           const CResName& name = CResName(WORD{1})) {
  CResStream stream = Stream(bytes, 11, name, language);
  return table.AddResource(stream);
}

std::vector<BYTE> FixtureMessageTable() {
  CPeImage image;
  EXPECT_TRUE(image.LoadFile(FixturePath("all32.exe")));
  const CPeResource* r = image.FindResource(CResName(WORD{11}), CResName(WORD{1}));
  if (!r) return {};
  auto data = image.GetData(*r);
  return {data.begin(), data.end()};
}

std::vector<BYTE> Bytes(std::initializer_list<int> values) {
  std::vector<BYTE> out;
  for (int v : values) out.push_back(static_cast<BYTE>(v));
  return out;
}

}  // namespace

TEST(MessageTable, FixtureHoldsBothEncodingsWithoutTheirLineEnds) {
  CResTable table;
  ASSERT_TRUE(table.Load(FixtureU("all32.exe"), kNoLanguage));
  const CResMessageTable& mt = table.m_messageTable;
  EXPECT_EQ(Ids(mt), (std::vector<DWORD>{1, 2, 3, 0x100, 0x101, 0x40000010, 0x40000011, 0x40000012}));
  EXPECT_TRUE(mt.m_resourceName == CResName(WORD{1}));
  EXPECT_EQ(mt.GetDisplayName(), u"Message Table");
  EXPECT_TRUE(mt.IsStringTable());
  EXPECT_EQ(mt.FindString(1)->m_value.m_text, u"First message: %1.");
  EXPECT_EQ(mt.FindString(3)->m_value.m_text, u"Third message with %1 and %2!d!.");
  EXPECT_EQ(mt.FindString(0x101)->m_value.m_text, u"Caf\u00e9 ANSI");
  EXPECT_EQ(mt.FindString(0x40000010)->m_value.m_text, u"Gr\u00fc\u00dfe Unicode");
  EXPECT_EQ(mt.FindString(0x40000011)->m_value.m_text, u"Mixed block ANSI");
  EXPECT_EQ(mt.FindString(0x40000012)->m_value.m_text, u"");
  std::vector<int> unicode;
  for (const auto& s : mt.m_strings) unicode.push_back(s->m_unicode);
  EXPECT_EQ(unicode, (std::vector<int>{1, 1, 1, 0, 0, 1, 0, 1}));
  // The string table is not mixed up with it.
  EXPECT_EQ(table.m_stringTable.FindString(0x100), nullptr);
}

TEST(MessageTable, WrittenLikeTheResourceCompilerAndEndsGetTheirLineEnd) {
  CResTable table;
  ASSERT_TRUE(table.Load(FixtureU("all32.exe"), kEnglish));
  std::vector<BYTE> source = FixtureMessageTable();
  ASSERT_FALSE(source.empty());
  std::vector<CResourceEntry> w = WriteFor(table.m_messageTable, kGerman);
  ASSERT_EQ(w.size(), 1u);
  EXPECT_TRUE(w[0].m_type == CResName(WORD{11}));
  EXPECT_TRUE(w[0].m_name == CResName(WORD{1}));
  EXPECT_EQ(w[0].m_language, kGerman);
  // Everything but the last entry, whose empty text was stored without CR LF, is the
  // source's own bytes.
  const std::vector<BYTE>& out = w[0].m_data;
  ASSERT_EQ(out.size(), source.size() + 4);
  EXPECT_EQ(std::vector<BYTE>(out.begin(), out.end() - 12), std::vector<BYTE>(source.begin(), source.end() - 8));
  EXPECT_EQ(std::vector<BYTE>(source.end() - 8, source.end()), Bytes({8, 0, 1, 0, 0, 0, 0, 0}));
  EXPECT_EQ(std::vector<BYTE>(out.end() - 12, out.end()), Bytes({12, 0, 1, 0, '\r', 0, '\n', 0, 0, 0, 0, 0}));

  // Read back, the same messages in the same encodings.
  CResMessageTable back;
  ASSERT_TRUE(Parse(back, out, kGerman));
  ASSERT_EQ(Ids(back), Ids(table.m_messageTable));
  for (const auto& s : table.m_messageTable.m_strings) {
    EXPECT_EQ(back.FindString(s->m_id)->m_value.m_text, s->m_value.m_text) << s->m_id;
    EXPECT_EQ(back.FindString(s->m_id)->m_unicode, s->m_unicode) << s->m_id;
  }
}

TEST(MessageTable, BlocksFollowRunsOfConsecutiveIds) {
  // Two two-character messages: one block (1, 2, offset 16), entries of Length 16: 48 bytes.
  CResMessageTable two;
  AddMessage(two, 2, u"cd");
  AddMessage(two, 1, u"ab");
  std::vector<CResourceEntry> w = WriteFor(two, kEnglish);
  ASSERT_EQ(w.size(), 1u);
  std::vector<BYTE> expected;
  for (DWORD d : {1u, 1u, 2u, 16u}) PutDword(expected, d);
  for (const char16_t* text : {u"ab", u"cd"}) {
    for (WORD v : {WORD{16}, WORD{1}, static_cast<WORD>(text[0]), static_cast<WORD>(text[1]), WORD{'\r'}, WORD{'\n'},
                   WORD{0}, WORD{0}})
      PutWord(expected, v);
  }
  EXPECT_EQ(w[0].m_data, expected);

  // Ids 1, 2, 3 and 10: blocks 1-3 and 10-10.
  CResMessageTable gap;
  for (DWORD id : {10u, 3u, 1u, 2u}) AddMessage(gap, id, u"x");
  w = WriteFor(gap, kEnglish);
  ASSERT_EQ(w.size(), 1u);
  const std::vector<BYTE>& b = w[0].m_data;
  EXPECT_EQ(DwordAt(b, 0), 2u);
  EXPECT_EQ(DwordAt(b, 4), 1u);
  EXPECT_EQ(DwordAt(b, 8), 3u);
  EXPECT_EQ(DwordAt(b, 12), 28u);
  EXPECT_EQ(DwordAt(b, 16), 10u);
  EXPECT_EQ(DwordAt(b, 20), 10u);
  EXPECT_EQ(DwordAt(b, 24), 28u + 3 * 12);
  EXPECT_EQ(b.size(), 28u + 4 * 12);

  // The last possible id does not wrap into a block with id 0.
  CResMessageTable edge;
  AddMessage(edge, 0, u"first");
  AddMessage(edge, 0xFFFFFFFF, u"last");
  w = WriteFor(edge, kEnglish);
  CResMessageTable back;
  ASSERT_TRUE(Parse(back, w.at(0).m_data));
  EXPECT_EQ(Ids(back), (std::vector<DWORD>{0, 0xFFFFFFFF}));

  CResMessageTable empty;
  EXPECT_TRUE(WriteFor(empty, kEnglish).empty());
}

TEST(MessageTable, TranslationsAreWrittenInTheTargetCodePage) {
  CResMessageTable table;
  AddMessage(table, 0x100, u"ANSI message", 0)->m_value.SetTranslation(u"\u041f\u0440\u0438\u0432\u0435\u0442, Gr\u00fc\u00dfe", kRussian);
  CResString* stale = AddMessage(table, 0x101, u"Stale");
  stale->m_value.SetTranslation(u"\u0421\u0442\u0430\u0440\u043e", kRussian);
  stale->m_value.SetStatus(kRussian, 0);
  std::vector<CResourceEntry> w = WriteFor(table, kRussian);
  ASSERT_EQ(w.size(), 1u);
  const std::vector<BYTE>& b = w[0].m_data;
  // The ANSI entry in code page 1251; what 1251 cannot hold is the default character.
  std::vector<BYTE> ansi = {20, 0, 0, 0, 0xCF, 0xF0, 0xE8, 0xE2, 0xE5, 0xF2, ',', ' ', 'G', 'r', '?', '?', 'e', '\r', '\n', 0};
  EXPECT_EQ(std::vector<BYTE>(b.begin() + 16, b.begin() + 36), ansi);
  // The stale translation is not written; the source stays UTF-16.
  CResMessageTable back;
  ASSERT_TRUE(Parse(back, b, kRussian));
  EXPECT_EQ(back.FindString(0x100)->m_value.m_text, u"\u041f\u0440\u0438\u0432\u0435\u0442, Gr??e");
  EXPECT_EQ(back.FindString(0x101)->m_value.m_text, u"Stale");
  EXPECT_EQ(back.FindString(0x101)->m_unicode, 1);
}

TEST(MessageTable, LanguageWithoutAnsiCodePageUsesTheSystemOne) {
  const std::string cafe = "Caf\xE9";
  const std::u16string expected = tvl::MultiByteToWide(tvl::SystemAnsiCodePage(), cafe);
  ASSERT_EQ(expected.size(), 4u);
  CResMessageTable table;
  ASSERT_TRUE(Parse(table, MessageTableBytes({{5, {AnsiMessage(cafe + "\r\n")}}}), kHindi));
  EXPECT_EQ(table.FindString(5)->m_value.m_text, expected);

  std::vector<CResourceEntry> w = WriteFor(table, kHindi);
  ASSERT_EQ(w.size(), 1u);
  // Written back in the same code page, not as UTF-16 bytes.
  std::string ansi = tvl::WideToMultiByte(tvl::SystemAnsiCodePage(), expected) + "\r\n";
  ansi.push_back('\0');
  ASSERT_EQ(ansi.size(), 7u);
  EXPECT_EQ(std::vector<BYTE>(w[0].m_data.begin() + 20, w[0].m_data.begin() + 27),
            std::vector<BYTE>(ansi.begin(), ansi.end()));
}

TEST(MessageTable, EntryTextsAreCutAtTheirFirstNul) {
  RawMessage nul = Utf16Message(std::u16string(u"ab\0cd\r\n", 7));
  RawMessage ansi = AnsiMessage(std::string("xy\0z\r\n", 6));
  RawMessage noLineEnd = Utf16Message(u"plain");
  CResMessageTable table;
  ASSERT_TRUE(Parse(table, MessageTableBytes({{1, {nul, ansi, noLineEnd}}})));
  EXPECT_EQ(table.FindString(1)->m_value.m_text, u"ab");
  EXPECT_EQ(table.FindString(2)->m_value.m_text, u"xy");
  EXPECT_EQ(table.FindString(3)->m_value.m_text, u"plain");
  // Only a final CR LF is a line end.
  CResMessageTable lines;
  ASSERT_TRUE(Parse(lines, MessageTableBytes({{1, {Utf16Message(u"a\r\nb\r\n\r\n"), Utf16Message(u"c\n")}}})));
  EXPECT_EQ(lines.FindString(1)->m_value.m_text, u"a\r\nb\r\n");
  EXPECT_EQ(lines.FindString(2)->m_value.m_text, u"c\n");
}

TEST(MessageTable, MalformedTablesAreRefusedWhole) {
  CRecordingSink sink;
  std::vector<BYTE> good = MessageTableBytes({{1, {Utf16Message(u"one\r\n"), Utf16Message(u"two\r\n")}}});
  ASSERT_EQ(good.size(), 16u + 16 + 16);

  struct Case {
    const char* what;
    std::vector<BYTE> bytes;
  };
  std::vector<Case> cases;
  std::vector<BYTE> b = good;
  b[32] = 0x40;  // the second entry's Length runs past the end
  cases.push_back({"length past end", b});
  b = good;
  b[32] = 0;  // a Length of 0 would never move on
  cases.push_back({"zero length", b});
  b = good;
  b[32] = 2;  // shorter than its own header
  cases.push_back({"length below header", b});
  b = good;
  b[0] = b[1] = b[2] = b[3] = 0xFF;
  cases.push_back({"block count", b});
  b = good;
  b[12] = 0xF0;  // entries start past the end
  cases.push_back({"offset", b});
  b = good;
  b.resize(good.size() - 1);
  cases.push_back({"truncated", b});
  cases.push_back({"empty", {}});
  cases.push_back({"header only", {1, 0, 0, 0, 1, 0, 0, 0}});
  // Ten blocks of ten ids that all share the same ten entries.
  std::vector<BYTE> shared;
  PutDword(shared, 10);
  for (DWORD i = 0; i < 10; ++i) {
    PutDword(shared, i * 100);
    PutDword(shared, i * 100 + 9);
    PutDword(shared, 4 + 12 * 10);
  }
  for (int i = 0; i < 10; ++i) {
    PutWord(shared, 4);
    PutWord(shared, 1);
  }
  cases.push_back({"shared entries", shared});

  for (const Case& c : cases) {
    sink.messages.clear();
    CResMessageTable table;
    EXPECT_FALSE(Parse(table, c.bytes)) << c.what;
    EXPECT_EQ(table.GetCount(), 0) << c.what;
    EXPECT_TRUE(table.m_resourceName.IsNone()) << c.what;
    ASSERT_EQ(sink.messages.size(), 1u) << c.what;
    EXPECT_EQ(sink.messages[0].text, u"Error parsing resource (type 11 - Id 1) : Invalid Format") << c.what;
  }

  // A block whose HighId is below its LowId holds no entry, which is no error.
  std::vector<BYTE> inverted;
  for (DWORD d : {1u, 5u, 4u, 16u}) PutDword(inverted, d);
  CResMessageTable table;
  EXPECT_TRUE(Parse(table, inverted));
  EXPECT_EQ(table.GetCount(), 0);
}

TEST(MessageTable, SeveralTablesArePooledAndWrittenUnderTheLastName) {
  CResMessageTable table;
  ASSERT_TRUE(Parse(table, MessageTableBytes({{1, {Utf16Message(u"one\r\n"), Utf16Message(u"two\r\n")}}}), kEnglish,
                    CResName(WORD{1})));
  ASSERT_TRUE(Parse(table, MessageTableBytes({{2, {Utf16Message(u"two again\r\n"), Utf16Message(u"three\r\n")}}}),
                    kEnglish, CResName(u"MORE")));
  EXPECT_EQ(Ids(table), (std::vector<DWORD>{1, 2, 3}));
  EXPECT_EQ(table.FindString(2)->m_value.m_text, u"two again");
  // The same table in another language adds translations.
  ASSERT_TRUE(Parse(table, MessageTableBytes({{1, {Utf16Message(u"eins\r\n")}}}), kGerman, CResName(u"MORE")));
  EXPECT_EQ(table.FindString(1)->m_value.GetText(kGerman), u"eins");

  std::vector<CResourceEntry> w = WriteFor(table, kGerman);
  ASSERT_EQ(w.size(), 1u);
  EXPECT_TRUE(w[0].m_name == CResName(u"MORE"));
  CResMessageTable back;
  ASSERT_TRUE(Parse(back, w[0].m_data, kGerman));
  EXPECT_EQ(back.FindString(1)->m_value.m_text, u"eins");
  EXPECT_EQ(back.FindString(3)->m_value.m_text, u"three");
}

TEST(MessageTable, TableFromAnOlderProjectIsWrittenUnderTheUsualName) {
  CResMessageTable table;
  ASSERT_TRUE(Parse(table, MessageTableBytes({{7, {AnsiMessage("seven\r\n")}}}), kEnglish, CResName(WORD{5})));
  CArchive out;
  out.SerializeClass(RUNTIME_CLASS(CResStringTable));
  table.Serialize(out);
  std::vector<BYTE> bytes = out.GetStoredBytes();
  ASSERT_EQ(WordAt(bytes, 2), 2);
  // Schema 1: no resource name (its kind byte and ordinal are the last three bytes).
  ASSERT_EQ(bytes[bytes.size() - 3], 1);
  bytes[2] = 1;
  bytes.resize(bytes.size() - 3);

  CArchive in(bytes.data(), bytes.size(), u"old.tvl");
  CResMessageTable loaded;
  in.SerializeClass(RUNTIME_CLASS(CResStringTable));
  loaded.Serialize(in);
  in.Close();
  ASSERT_EQ(Ids(loaded), (std::vector<DWORD>{7}));
  EXPECT_EQ(loaded.FindString(7)->m_unicode, 0);
  std::vector<CResourceEntry> w = WriteFor(loaded, kEnglish);
  ASSERT_EQ(w.size(), 1u);
  EXPECT_TRUE(w[0].m_name == CResName(WORD{1}));
}
