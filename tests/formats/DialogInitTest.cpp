#include <gtest/gtest.h>

#include <filesystem>

#include "DialogTestUtil.h"
#include "formats/layout/DlgInit.h"
#include "formats/layout/ResDialogTable.h"
#include "peimage/ResourceUpdate.h"

using namespace dlgtest;

namespace {

std::vector<std::unique_ptr<CDlgInitMsg>> Read(const std::vector<BYTE>& bytes, UINT codePage = 1252) {
  CResStream stream(bytes.data(), static_cast<DWORD>(bytes.size()), kEnglish);
  std::vector<std::unique_ptr<CDlgInitMsg>> entries;
  tvl::ReadDlgInitEntries(stream, codePage, entries);
  return entries;
}

Bytes& Entry(Bytes& b, WORD id, WORD message, const std::vector<BYTE>& data) {
  return b.W(id).W(message).D(static_cast<DWORD>(data.size())).Raw(data);
}

// A copy of all32.exe whose RT_DLGINIT 101 holds other bytes.
std::string WithDlgInit(const CScratchDir& dir, const std::vector<BYTE>& bytes) {
  std::string path = dir.file("app.exe");
  std::filesystem::copy_file(FixturePath("all32.exe"), path);
  tvl::CResourceUpdate update;
  EXPECT_TRUE(update.Begin(path, false));
  EXPECT_TRUE(update.Add(tvl::ResId::Id(RT_DLGINIT), tvl::ResId::Id(101), kEnglish, bytes.data(), bytes.size()));
  EXPECT_TRUE(update.Commit());
  return path;
}

}  // namespace

TEST(DialogInit, FixtureEntriesAndTheirBytesWrittenBack) {
  auto table = LoadTable("all32.exe");
  ASSERT_TRUE(table);
  CResDialog* d = FindDialog(*table, CResName(WORD{101}));
  ASSERT_NE(d, nullptr);
  ASSERT_EQ(d->m_dlgInit.size(), 5u);
  const std::vector<std::pair<WORD, std::u16string>> texts = {
      {1102, u"Alpha"}, {1102, u"Beta"}, {1103, u"Gamma"}, {1103, u"Delta"}};
  for (size_t i = 0; i < texts.size(); ++i) {
    const CDlgInitMsg& e = *d->m_dlgInit[i];
    EXPECT_EQ(e.m_controlId, texts[i].first);
    EXPECT_EQ(e.m_message, i < 2 ? kDlgInitComboAddString : kDlgInitListAddString);
    ASSERT_NE(e.GetText(), nullptr);
    EXPECT_EQ(e.GetText()->m_text, texts[i].second);
    EXPECT_EQ(e.GetText()->m_language, kEnglish);
  }
  const CDlgInitMsg& opaque = *d->m_dlgInit[4];
  EXPECT_EQ(opaque.m_message, 0x376);
  ASSERT_NE(opaque.GetBlob(), nullptr);
  EXPECT_EQ(opaque.GetBlob()->m_data, (std::vector<BYTE>{1, 2, 3, 4}));
  EXPECT_EQ(opaque.GetStatus(kGerman), 2);
  EXPECT_TRUE(SameTemplate(WriteInit(*d, kEnglish), SourceBytes("all32.exe", CResName(WORD{240}), CResName(WORD{101}))));
  // Per control: the combo box (index 2) has two entries, the list box (3) two, the edit none.
  EXPECT_EQ(d->GetDlgInitCount(2), 2);
  EXPECT_EQ(d->GetDlgInit(2, 1)->GetText()->m_text, u"Beta");
  EXPECT_EQ(d->GetDlgInitCount(3), 2);
  EXPECT_EQ(d->GetDlgInit(3, 0)->GetText()->m_text, u"Gamma");
  EXPECT_EQ(d->GetDlgInitCount(1), 0);
  EXPECT_EQ(d->GetDlgInit(1, 0), nullptr);
  EXPECT_EQ(d->GetDlgInit(3, 2), nullptr);
  EXPECT_EQ(d->GetDlgInitCount(99), 0);

  for (const char* mfc : {"mfc32.exe", "mfc64.exe"}) {
    auto t = LoadTable(mfc);
    ASSERT_TRUE(t);
    CResDialog* m = FindDialog(*t, CResName(WORD{102}));
    ASSERT_NE(m, nullptr);
    ASSERT_EQ(m->m_dlgInit.size(), 3u);
    EXPECT_EQ(m->m_dlgInit[2]->GetText()->m_text, u"Blue");
    EXPECT_TRUE(SameTemplate(WriteInit(*m, kEnglish), SourceBytes(mfc, CResName(WORD{240}), CResName(WORD{102}))));
  }
  // A dialog without initialisation data writes none.
  EXPECT_TRUE(FindDialog(*table, CResName(WORD{100}))->m_dlgInit.empty());
  EXPECT_TRUE(WriteInit(*FindDialog(*table, CResName(WORD{100})), kGerman).empty());
}

TEST(DialogInit, ReadingRules) {
  // Data may end right after an entry, without the terminating zero word.
  Bytes open;
  Entry(open, 7, 0x403, {'a', 'b', 0});
  auto entries = Read(open.b);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0]->GetText()->m_text, u"ab");
  // Everything after the zero control id is ignored.
  Bytes ended;
  Entry(ended, 7, 0x401, {'a', 0}).W(0).Raw({0xFF, 0xFF, 0xFF});
  EXPECT_EQ(Read(ended.b).size(), 1u);
  // Extended combo box items are text too; other messages are bytes, even when they look like text.
  Bytes kinds;
  Entry(kinds, 7, 0x1234, {'x', 0});
  Entry(kinds, 8, 0x0180, {'y', 0});
  entries = Read(kinds.b);
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_TRUE(entries[0]->IsText());
  EXPECT_FALSE(entries[1]->IsText());
  EXPECT_EQ(entries[1]->GetBlob()->m_data, (std::vector<BYTE>{'y', 0}));
  // Text in the language's code page.
  Bytes ansi;
  Entry(ansi, 7, 0x403, {0xC4, 'p', 'f', 'e', 'l', 0});
  EXPECT_EQ(Read(ansi.b, 1252)[0]->GetText()->m_text, u"\u00c4pfel");
  Bytes sjis;
  Entry(sjis, 7, 0x403, {0x83, 0x41, 0x83, 0x8B, 0});
  EXPECT_EQ(Read(sjis.b, 932)[0]->GetText()->m_text, u"\u30a2\u30eb");
  // A string entry of no bytes: empty text.
  Bytes empty;
  Entry(empty, 7, 0x403, {});
  Entry(empty, 7, 0x403, {'z', 0});
  entries = Read(empty.b);
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0]->GetText()->m_text, u"");
  EXPECT_EQ(entries[1]->GetText()->m_text, u"z");

  // Broken data.
  Bytes noZero;
  Entry(noZero, 7, 0x403, {'a', 'b'});
  EXPECT_THROW(Read(noZero.b), CResStreamException);
  Bytes past;
  past.W(7).W(0x403).D(100).Raw({'a', 0});
  EXPECT_THROW(Read(past.b), CResStreamException);
  Bytes half;
  half.W(7).W(0x403);
  EXPECT_THROW(Read(half.b), CResStreamException);
  Bytes hugeLength;
  hugeLength.W(7).W(0x999).D(0xFFFFFFFF);
  EXPECT_THROW(Read(hugeLength.b), CResStreamException);
}

TEST(DialogInit, ADialogWithBrokenDataIsDroppedAndMissingDataIsNoError) {
  CScratchDir dir;
  Bytes broken;
  Entry(broken, 1102, 0x403, {'n', 'o', 'z', 'e', 'r', 'o'});
  std::string path = WithDlgInit(dir, broken.b);
  CRecordingSink sink;
  CResTable table;
  ASSERT_TRUE(table.Load(tvl::FromUtf8(path), kNoLanguage));
  EXPECT_EQ(FindDialog(table, CResName(WORD{101})), nullptr);
  EXPECT_NE(FindDialog(table, CResName(WORD{100})), nullptr);  // reading went on
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0].text, u"Error parsing resource (type 5 - Id 101) : Invalid Format");
  EXPECT_EQ(sink.messages[0].type & MB_ICONMASK, MB_ICONERROR);

  // Empty initialisation data: no entries, nothing reported.
  CScratchDir dir2;
  std::string emptyPath = WithDlgInit(dir2, {});
  CRecordingSink quiet;
  CResTable table2;
  ASSERT_TRUE(table2.Load(tvl::FromUtf8(emptyPath), kNoLanguage));
  ASSERT_NE(FindDialog(table2, CResName(WORD{101})), nullptr);
  EXPECT_TRUE(FindDialog(table2, CResName(WORD{101}))->m_dlgInit.empty());
  EXPECT_TRUE(quiet.messages.empty());
}

TEST(DialogInit, WrittenTextsForALanguage) {
  auto table = LoadTable("all32.exe");
  ASSERT_TRUE(table);
  CResDialog* d = FindDialog(*table, CResName(WORD{101}));
  ASSERT_NE(d, nullptr);
  d->m_dlgInit[0]->GetText()->SetTranslation(u"\u00c4lpha", kGerman);
  d->m_dlgInit[1]->GetText()->SetTranslation(u"", kGerman);  // an empty translation
  d->m_dlgInit[2]->GetText()->SetTranslation(u"Gammas", kGerman);
  d->m_dlgInit[2]->GetText()->FindValue(kGerman)->m_status = 0;  // out of date: the source
  d->m_dlgInit[3]->GetText()->SetTranslation(u"Delten", kGerman);
  d->m_dlgInit[3]->GetText()->SetDoNotTranslate(true);  // marked: the source
  d->m_dlgInit[4]->GetBlob()->SetBlob(kGerman, {9, 9});
  Bytes expected;
  Entry(expected, 1102, 0x403, {0xC4, 'l', 'p', 'h', 'a', 0});
  Entry(expected, 1102, 0x403, {0});
  Entry(expected, 1103, 0x401, {'G', 'a', 'm', 'm', 'a', 0});
  Entry(expected, 1103, 0x401, {'D', 'e', 'l', 't', 'a', 0});
  Entry(expected, 1105, 0x376, {9, 9});
  expected.W(0);
  EXPECT_EQ(WriteInit(*d, kGerman), expected.b);

  // Japanese text in code page 932, Greek in 1253.
  d->m_dlgInit[0]->GetText()->SetTranslation(u"\u30a2\u30eb", kJapanese);
  d->m_dlgInit[0]->GetText()->SetTranslation(u"\u0391\u03bb\u03c6\u03b1", kGreek);
  std::vector<BYTE> ja = WriteInit(*d, kJapanese);
  EXPECT_EQ(std::vector<BYTE>(ja.begin(), ja.begin() + 13),
            (std::vector<BYTE>{0x4E, 0x04, 0x03, 0x04, 5, 0, 0, 0, 0x83, 0x41, 0x83, 0x8B, 0}));
  std::vector<BYTE> el = WriteInit(*d, kGreek);
  EXPECT_EQ(std::vector<BYTE>(el.begin() + 8, el.begin() + 13), (std::vector<BYTE>{0xC1, 0xEB, 0xF6, 0xE1, 0}));
}

TEST(DialogInit, PreviewDataUsesControlIndexesAndDropsUnknownControls) {
  auto table = LoadTable("all32.exe");
  ASSERT_TRUE(table);
  CResDialog* d = FindDialog(*table, CResName(WORD{101}));
  ASSERT_NE(d, nullptr);
  d->m_dlgInit.push_back(std::make_unique<CDlgInitMsg>(4242, 0x403, std::make_unique<CLocalizedString>(u"lost")));
  std::vector<BYTE> preview = WriteInit(*d, kEnglish, true);
  auto entries = Read(preview);
  ASSERT_EQ(entries.size(), 5u);  // the entry of control 4242 is left out
  EXPECT_EQ(entries[0]->m_controlId, 2);  // 1102 is the third control
  EXPECT_EQ(entries[2]->m_controlId, 3);
  EXPECT_EQ(entries[4]->m_controlId, 5);
  // The target file keeps the ids, and the entry of the unknown control.
  EXPECT_EQ(Read(WriteInit(*d, kEnglish)).size(), 6u);
}

TEST(DialogInit, TheHandlerWritesDialogsThenTheirData) {
  auto table = LoadTable("all32.exe");
  ASSERT_TRUE(table);
  CResourceWriter writer;
  CCompileContext context(kEnglish, kGerman, &writer);
  context.m_data.m_language = kGerman;
  context.m_data.m_fontFace = u"Tahoma";
  context.m_data.m_fontSize = 8;
  table->m_dialogs.Write(context);
  ASSERT_EQ(writer.GetCount(), 4u);  // three dialogs, one set of initialisation data
  for (size_t i = 0; i < 3; ++i) EXPECT_TRUE(writer.GetEntry(i).m_type == CResName(WORD{5}));
  const CResourceEntry& init = writer.GetEntry(3);
  EXPECT_TRUE(init.m_type == CResName(WORD{RT_DLGINIT}));
  EXPECT_TRUE(init.m_name == CResName(WORD{101}));
  EXPECT_EQ(init.m_language, kGerman);
  EXPECT_EQ(Read(init.m_data).size(), 5u);

  // A satellite that leaves out neutral resources leaves out their data too.
  FindDialog(*table, CResName(WORD{101}))->SetTranslatable(false);
  CResourceWriter satellite;
  CCompileContext sat(kEnglish, kGerman, &satellite);
  sat.m_data.m_language = kGerman;
  sat.m_data.m_satelliteDll = 1;
  sat.m_data.m_noDuplicateNeutral = 1;
  table->m_dialogs.Write(sat);
  EXPECT_EQ(satellite.GetCount(), 2u);
  for (size_t i = 0; i < satellite.GetCount(); ++i) EXPECT_FALSE(satellite.GetEntry(i).m_name == CResName(WORD{101}));
}

TEST(DialogInit, StoredFormAndRefusedValueClasses) {
  CDlgInitMsg entry(1102, 0x403, std::make_unique<CLocalizedString>(u"A", kEnglish));
  std::vector<BYTE> stored = Store(entry);
  auto loaded = Load<CDlgInitMsg>(stored);
  ASSERT_TRUE(loaded);
  EXPECT_EQ(loaded->m_controlId, 1102);
  EXPECT_EQ(loaded->m_message, 0x403);
  ASSERT_NE(loaded->GetText(), nullptr);
  EXPECT_EQ(loaded->GetText()->m_text, u"A");
  EXPECT_EQ(Store(*loaded), stored);
  // A value of a class the writer cannot write is refused.
  CDlgInitMsg point(1, 2, std::make_unique<CLocalizedPoint>());
  std::vector<BYTE> bad = Store(point);
  EXPECT_THROW(Load<CDlgInitMsg>(bad), CArchiveException);
  CDlgInitMsg none(1, 2, nullptr);
  std::vector<BYTE> null = Store(none);
  EXPECT_THROW(Load<CDlgInitMsg>(null), CArchiveException);
}
