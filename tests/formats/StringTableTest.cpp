#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "StringTableTestSupport.h"
#include "archive/Archive.h"
#include "formats/text/ResStringTable.h"
#include "resmodel/ResTable.h"

using namespace strtest;

namespace {

constexpr LANGID kEnglish = 0x0409;
constexpr LANGID kGerman = 0x0407;
constexpr LANGID kFrench = 0x040C;

std::vector<DWORD> Ids(const CResStringTable& table) {
  std::vector<DWORD> ids;
  for (const auto& s : table.m_strings) ids.push_back(s->m_id);
  return ids;
}

CResString* Add(CResStringTable& table, DWORD id, const std::u16string& text, LANGID language = kEnglish) {
  return table.AddString(std::make_unique<CResString>(id, 1, text, language));
}

bool AddBlock(CResStringTable& table, WORD block, const std::vector<std::u16string>& entries, LANGID language) {
  std::vector<BYTE> bytes = BlockBytes(entries);
  CResStream stream = Stream(bytes, 6, CResName(block), language);
  return table.AddResource(stream);
}

std::vector<BYTE> Store(const CObject& object) {
  CArchive ar;
  ar.WriteObject(&object);
  return ar.GetStoredBytes();
}

}  // namespace

TEST(StringTable, FixtureBlocksBecomeOneTableInBlockOrder) {
  CResTable table;
  ASSERT_TRUE(table.Load(FixtureU("all32.exe"), kNoLanguage));
  const CResStringTable& st = table.m_stringTable;
  EXPECT_EQ(Ids(st), (std::vector<DWORD>{1, 2, 15, 16, 100, 1001, 4000, 65535}));
  EXPECT_EQ(st.GetCount(), 8);
  EXPECT_TRUE(st.m_resources.empty());
  EXPECT_TRUE(st.IsStringTable());
  EXPECT_EQ(st.FindString(2)->m_value.m_text, u"Two\tTab");
  EXPECT_EQ(st.FindString(100)->m_value.m_text, u"Hundred with a newline\nsecond line");
  EXPECT_EQ(st.FindString(4000)->m_value.m_text, u"Unicode \u00e9\u00e8 \u4e2d\u6587");
  EXPECT_EQ(st.FindString(65535)->m_value.m_text, u"Last id");
  EXPECT_EQ(st.FindString(3), nullptr);
  for (const auto& s : st.m_strings) {
    EXPECT_EQ(s->m_unicode, 1);
    EXPECT_EQ(s->m_value.m_language, kEnglish);
    EXPECT_EQ(s->m_value.GetNext(), nullptr);
  }
}

TEST(StringTable, BlockInTwoLanguagesGivesTranslationsOrReplacesTheSource) {
  // The German block is enumerated first: without an override it holds the sources.
  CResTable plain;
  ASSERT_TRUE(plain.Load(FixtureU("twolang.dll"), kNoLanguage));
  const CResStringTable& st = plain.m_stringTable;
  ASSERT_EQ(Ids(st), (std::vector<DWORD>{1, 2, 3}));
  EXPECT_EQ(st.FindString(1)->m_value.m_text, u"Ja");
  EXPECT_EQ(st.FindString(1)->m_value.m_language, kGerman);
  const CLocalizedString* english = st.FindString(1)->m_value.FindString(kEnglish);
  ASSERT_NE(english, nullptr);
  EXPECT_EQ(english->m_text, u"Yes");
  EXPECT_EQ(english->m_status, 1);
  EXPECT_EQ(st.FindString(3)->m_value.m_language, kEnglish);

  // Under the module's language every block is that language: the later block's texts
  // replace the sources and no translation appears.
  CResTable over;
  ASSERT_TRUE(over.Load(FixtureU("twolang.dll"), kEnglish));
  const CResStringTable& ot = over.m_stringTable;
  ASSERT_EQ(Ids(ot), (std::vector<DWORD>{1, 2, 3}));
  for (auto [id, text] : {std::pair{1u, u"Yes"}, std::pair{2u, u"No"}, std::pair{3u, u"Only in English"}}) {
    const CResString* s = ot.FindString(id);
    EXPECT_EQ(s->m_value.m_text, text);
    EXPECT_EQ(s->m_value.m_language, kEnglish);
    EXPECT_EQ(s->m_value.m_status, 0);
    EXPECT_EQ(s->m_value.GetNext(), nullptr);
  }
}

TEST(StringTable, SparseBlockIsWrittenBackAsTheSame16Entries) {
  CResStringTable table;
  std::vector<std::u16string> entries(16);
  entries[3] = u"three";
  entries[9] = u"nine";
  ASSERT_TRUE(AddBlock(table, 5, entries, kEnglish));
  EXPECT_EQ(Ids(table), (std::vector<DWORD>{67, 73}));

  std::vector<CResourceEntry> written = WriteFor(table, kGerman);
  ASSERT_EQ(written.size(), 1u);
  EXPECT_TRUE(written[0].m_type == CResName(WORD{6}));
  EXPECT_TRUE(written[0].m_name == CResName(WORD{5}));
  EXPECT_EQ(written[0].m_language, kGerman);
  EXPECT_EQ(written[0].m_data, BlockBytes(entries));
}

TEST(StringTable, TextsEndAtTheirFirstNul) {
  // Nothing after a NUL is ever written, and a project file would not keep it.
  CResStringTable table;
  ASSERT_TRUE(AddBlock(table, 1, {std::u16string(u"ab\0cd", 5), std::u16string(u"\0x", 2), u"ok"}, kEnglish));
  EXPECT_EQ(Ids(table), (std::vector<DWORD>{0, 2}));
  EXPECT_EQ(table.FindString(0)->m_value.m_text, u"ab");
  CArchive out;
  out.WriteObject(&table);
  CArchive in(out.GetStoredBytes().data(), out.GetStoredBytes().size(), u"p.tvl");
  std::unique_ptr<CResStringTable> loaded = in.ReadObject<CResStringTable>();
  in.Close();
  EXPECT_EQ(Store(*loaded), out.GetStoredBytes());
}

TEST(StringTable, BlocksAreRebuiltFromIdsWithTheirPadding) {
  // Strings 16 (one character) and 18 (two) are block 2: nineteen values, 38 bytes.
  CResStringTable pair;
  Add(pair, 18, u"bc");
  Add(pair, 16, u"a");
  std::vector<CResourceEntry> w = WriteFor(pair, kEnglish);
  ASSERT_EQ(w.size(), 1u);
  EXPECT_TRUE(w[0].m_name == CResName(WORD{2}));
  std::vector<WORD> expected = {1, u'a', 0, 2, u'b', u'c'};
  expected.resize(19, 0);
  EXPECT_EQ(Words(w[0].m_data), expected);
  EXPECT_EQ(w[0].m_data.size(), 38u);

  // Ids 15 and 16 fall into blocks 1 and 2; the last id into block 4096; 0 into block 1.
  CResStringTable spread;
  Add(spread, 65535, u"z");
  Add(spread, 16, u"y");
  Add(spread, 15, u"x");
  Add(spread, 0, u"w");
  w = WriteFor(spread, kEnglish);
  ASSERT_EQ(w.size(), 3u);
  EXPECT_TRUE(w[0].m_name == CResName(WORD{1}));
  EXPECT_TRUE(w[1].m_name == CResName(WORD{2}));
  EXPECT_TRUE(w[2].m_name == CResName(WORD{4096}));
  EXPECT_EQ(w[0].m_data, BlockBytes({u"w", u"", u"", u"", u"", u"", u"", u"", u"", u"", u"", u"", u"", u"", u"", u"x"}));
  EXPECT_EQ(w[1].m_data, BlockBytes({u"y"}));
  std::vector<std::u16string> last(16);
  last[15] = u"z";
  EXPECT_EQ(w[2].m_data, BlockBytes(last));

  // Nothing to write: no entry at all.
  CResStringTable empty;
  EXPECT_TRUE(WriteFor(empty, kEnglish).empty());
}

TEST(StringTable, WritesTranslationOnlyWhenUpToDateAndTranslatable) {
  CResStringTable table;
  Add(table, 1, u"One")->m_value.SetTranslation(u"Eins", kGerman);
  CResString* stale = Add(table, 2, u"Two");
  stale->m_value.SetTranslation(u"Zwei", kGerman);
  stale->m_value.SetStatus(kGerman, 0);  // the source changed after it was translated
  CResString* fixed = Add(table, 3, u"Three");
  fixed->m_value.SetTranslation(u"Drei", kGerman);
  fixed->m_value.SetDoNotTranslate(true);
  Add(table, 4, u"Four")->m_value.SetTranslation(u"Quatre", kFrench);
  Add(table, 5, u"Five")->m_value.SetTranslation(std::u16string(u"F\0nf", 4), kGerman);

  std::vector<CResourceEntry> w = WriteFor(table, kGerman);
  ASSERT_EQ(w.size(), 1u);
  // Read the block back as a fresh table would.
  CResStringTable back;
  CResStream stream = Stream(w[0].m_data, 6, CResName(WORD{1}), kGerman);
  ASSERT_TRUE(back.AddResource(stream));
  ASSERT_EQ(Ids(back), (std::vector<DWORD>{1, 2, 3, 4, 5}));
  EXPECT_EQ(back.FindString(1)->m_value.m_text, u"Eins");
  EXPECT_EQ(back.FindString(2)->m_value.m_text, u"Two");
  EXPECT_EQ(back.FindString(3)->m_value.m_text, u"Three");
  EXPECT_EQ(back.FindString(4)->m_value.m_text, u"Four");
  // A length counts up to the first NUL.
  EXPECT_EQ(back.FindString(5)->m_value.m_text, u"F");
  EXPECT_EQ(w[0].m_data.size(), 2u * (16 + 4 + 3 + 5 + 4 + 1));
}

TEST(StringTable, RefusedBlocksAreReportedAndLeaveNothingBehind) {
  CRecordingSink sink;
  CResStringTable table;
  std::vector<BYTE> good = BlockBytes({u"kept"});

  // A named string block.
  CResStream named = Stream(good, 6, CResName(u"NAMED"), kEnglish);
  EXPECT_FALSE(table.AddResource(named));
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0].text, u"Error parsing resource (type 6 - Id \"NAMED\") : Invalid Format");
  EXPECT_EQ(sink.messages[0].type & MB_ICONMASK, MB_ICONERROR);

  // A block whose second string runs past the end: the first string is not taken either.
  std::vector<BYTE> cut = BlockBytes({u"first", u"second"});
  cut.resize(2 + 10 + 2 + 6);
  CResStream truncated = Stream(cut, 6, CResName(WORD{1}), kEnglish);
  EXPECT_FALSE(table.AddResource(truncated));
  // Fewer than 16 lengths.
  std::vector<BYTE> shortBlock(30, 0);
  CResStream tooShort = Stream(shortBlock, 6, CResName(WORD{2}), kEnglish);
  EXPECT_FALSE(table.AddResource(tooShort));
  EXPECT_EQ(sink.messages.size(), 3u);
  EXPECT_EQ(table.GetCount(), 0);

  // Through the table walk's entry point the same refusal, and reading goes on.
  CResTable resTable;
  CResStream viaTable = Stream(good, 6, CResName(u"NAMED"), kEnglish);
  resTable.AddRawResource(viaTable);
  CResStream fine = Stream(good, 6, CResName(WORD{1}), kEnglish);
  resTable.AddRawResource(fine);
  EXPECT_EQ(Ids(resTable.m_stringTable), (std::vector<DWORD>{0}));
}

TEST(StringTable, StatusSkipsEmptyAndDoNotTranslateAndIsCachedPerLanguage) {
  CResStringTable table;
  EXPECT_EQ(table.GetStatus(kGerman), 2);
  Add(table, 1, u"");
  Add(table, 2, u"Fixed")->m_value.SetDoNotTranslate(true);
  EXPECT_EQ(table.ComputeStatus(kGerman), 2);

  CResString* open = Add(table, 3, u"Open");
  table.UpdateStatus(kGerman);
  table.UpdateStatus(kFrench);
  EXPECT_EQ(table.GetStatus(kGerman), 0);
  open->m_value.SetTranslation(u"\u00d6ffnen", kGerman);
  // The cache answers until the language is updated.
  EXPECT_EQ(table.GetStatus(kGerman), 0);
  table.UpdateStatus(kGerman);
  EXPECT_EQ(table.GetStatus(kGerman), 1);
  EXPECT_EQ(table.GetStatus(kFrench), 0);
  // A language asked for the first time is computed.
  open->m_value.SetTranslation(u"Aprire", 0x0410);
  EXPECT_EQ(table.GetStatus(0x0410), 1);
  // A translation gone stale counts 0 again.
  open->m_value.SetStatus(kGerman, 0);
  table.UpdateStatus(kGerman);
  EXPECT_EQ(table.GetStatus(kGerman), 0);
}

TEST(StringTable, CommandStringsCountForTheCommandsOnlyWhenPromptsAreEnabled) {
  CResTable table;
  Add(table.m_stringTable, 100, u"Create a new document\nNew");
  Add(table.m_stringTable, 128, u"Title")->m_value.SetTranslation(u"Titel", kGerman);
  table.m_messageTable.AddString(std::make_unique<CResString>(100, 1, u"Message with a command's id", kEnglish));
  auto entry = std::make_unique<CPromptAndTip>();
  entry->m_commandId = 100;
  table.m_promptAndTips.SetAt(100, std::move(entry));

  // Not an MFC module: the command string counts like any other.
  EXPECT_EQ(table.m_stringTable.ComputeStatus(kGerman), 0);
  table.m_promptAndTips.m_enabled = 1;
  EXPECT_EQ(table.m_stringTable.ComputeStatus(kGerman), 1);
  // Message ids are no command ids.
  EXPECT_EQ(table.m_messageTable.ComputeStatus(kGerman), 0);
}

TEST(StringTable, StoredFormLoadsAndStoresByteForByte) {
  CResTable table;
  ASSERT_TRUE(table.Load(FixtureU("all32.exe"), kEnglish));
  CResStringTable& st = table.m_stringTable;
  st.FindString(1)->m_value.SetTranslation(u"Eins", kGerman);
  st.FindString(4000)->m_value.SetTranslation(u"\u4e2d\u6587", 0x0804);
  st.FindString(65535)->m_value.SetDoNotTranslate(true);
  table.m_messageTable.FindString(0x101)->m_value.SetTranslation(u"Caf\u00e9 allemand", kGerman);

  CArchive out;
  out.WriteObject(&table);
  const std::vector<BYTE> bytes = out.GetStoredBytes();
  // Both handlers are stored under the string table's class.
  const std::string text(bytes.begin(), bytes.end());
  EXPECT_EQ(text.find("CResMessageTable"), std::string::npos);
  EXPECT_NE(text.find("CResStringTable"), std::string::npos);

  CArchive in(bytes.data(), bytes.size(), u"p.tvl");
  std::unique_ptr<CResTable> loaded = in.ReadObject<CResTable>();
  in.Close();
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(Ids(loaded->m_stringTable), Ids(st));
  EXPECT_EQ(loaded->m_stringTable.FindString(1)->m_value.GetText(kGerman), u"Eins");
  EXPECT_TRUE(loaded->m_stringTable.FindString(65535)->m_value.IsDoNotTranslate());
  EXPECT_EQ(loaded->m_messageTable.GetCount(), table.m_messageTable.GetCount());
  EXPECT_EQ(loaded->m_messageTable.FindString(0x101)->m_unicode, 0);
  EXPECT_TRUE(loaded->m_messageTable.m_resourceName == CResName(WORD{1}));
  EXPECT_EQ(Store(*loaded), bytes);
}

TEST(StringTable, OlderSchemaWithoutResourceNameLoads) {
  CResStringTable table;
  Add(table, 7, u"Seven")->m_value.SetTranslation(u"Sieben", kGerman);
  std::vector<BYTE> bytes = Store(table);
  // FF FF, schema, name length, name: the schema word follows the new-class tag. The
  // kind-0 resource name is the last byte.
  ASSERT_EQ(WordAt(bytes, 2), 2);
  ASSERT_EQ(bytes.back(), 0);
  bytes[2] = 1;
  bytes.pop_back();

  CArchive in(bytes.data(), bytes.size(), u"old.tvl");
  std::unique_ptr<CResStringTable> loaded = in.ReadObject<CResStringTable>();
  in.Close();
  ASSERT_NE(loaded, nullptr);
  ASSERT_EQ(Ids(*loaded), (std::vector<DWORD>{7}));
  EXPECT_EQ(loaded->FindString(7)->m_value.GetText(kGerman), u"Sieben");
  EXPECT_TRUE(loaded->m_resourceName.IsNone());
  // Stored again, it has the current form.
  bytes[2] = 2;
  bytes.push_back(0);
  EXPECT_EQ(Store(*loaded), bytes);
}

TEST(StringTable, MergeMatchesStringsById) {
  // The project's version: translations, one marked do not translate.
  CResStringTable project;
  Add(project, 2, u"Two")->m_value.SetTranslation(u"Zwei", kGerman);
  Add(project, 1, u"One")->m_value.SetTranslation(u"Eins", kGerman);
  CResString* fixed = Add(project, 3, u"Three");
  fixed->m_value.SetTranslation(u"Drei", kGerman);
  fixed->m_value.SetDoNotTranslate(true);
  Add(project, 9, u"Gone")->m_value.SetTranslation(u"Weg", kGerman);

  // Update of the source: the fresh read, in another order, with string 1 changed.
  CResStringTable fresh;
  Add(fresh, 1, u"One!");
  Add(fresh, 3, u"Three");
  Add(fresh, 2, u"Two");
  Add(fresh, 4, u"New");
  fresh.UpdateStatus(kGerman);
  EXPECT_EQ(fresh.GetStatus(kGerman), 0);
  fresh.Merge(project, true, false);
  EXPECT_EQ(Ids(fresh), (std::vector<DWORD>{1, 3, 2, 4}));
  EXPECT_EQ(fresh.FindString(1)->m_value.m_text, u"One!");
  EXPECT_EQ(fresh.FindString(1)->m_value.GetText(kGerman), u"Eins");
  EXPECT_EQ(fresh.FindString(1)->m_value.GetValueStatus(kGerman), 0);
  EXPECT_EQ(fresh.FindString(2)->m_value.GetValueStatus(kGerman), 1);
  EXPECT_TRUE(fresh.FindString(3)->m_value.IsDoNotTranslate());
  EXPECT_EQ(fresh.FindString(4)->m_value.GetNext(), nullptr);

  // Import of a translated file: its heads carry the target language; only missing
  // translations are taken.
  CResStringTable translated;
  Add(translated, 1, u"Un", kFrench);
  Add(translated, 2, u"Deux", kFrench);
  Add(translated, 5, u"Cinq", kFrench);
  project.FindString(2)->m_value.SetTranslation(u"Deux (projet)", kFrench);
  project.FindString(9)->m_value.SetTranslation(u"Parti", kFrench);
  project.UpdateStatus(kFrench);
  ASSERT_EQ(project.GetStatus(kFrench), 0);  // string 1 has no French yet
  project.Merge(translated, false, false);
  EXPECT_EQ(project.FindString(1)->m_value.GetText(kFrench), u"Un");
  EXPECT_EQ(project.FindString(1)->m_value.GetValueStatus(kFrench), 1);
  EXPECT_EQ(project.FindString(2)->m_value.GetText(kFrench), u"Deux (projet)");
  EXPECT_EQ(project.FindString(5), nullptr);
  // The merge dropped the cached statuses.
  EXPECT_EQ(project.GetStatus(kFrench), 1);

  // Merging with another kind of handler changes nothing.
  CResourceType other;
  project.Merge(other, true, true);
  EXPECT_EQ(project.GetStatus(kFrench), 1);
}
