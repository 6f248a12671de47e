#include <gtest/gtest.h>

#include "DialogTestUtil.h"
#include "formats/layout/DlgInit.h"
#include "formats/layout/ResDialogTable.h"

using namespace dlgtest;

namespace {

struct FixtureDialog {
  std::string file;
  CResName name;
  LANGID language;
};

const FixtureDialog kFixtureDialogs[] = {
    {"all32.exe", CResName(WORD{100}), kEnglish}, {"all32.exe", CResName(WORD{101}), kEnglish},
    {"all32.exe", CResName(u"NAMEDDLG"), kEnglish}, {"all64.exe", CResName(WORD{100}), kEnglish},
    {"all64.exe", CResName(WORD{101}), kEnglish}, {"all64.exe", CResName(u"NAMEDDLG"), kEnglish},
    {"mfc32.exe", CResName(WORD{102}), kEnglish}, {"mfc64.exe", CResName(WORD{102}), kEnglish},
    {"twolang.dll", CResName(WORD{100}), kGerman}, {"reloc32.dll", CResName(WORD{100}), kEnglish},
};

std::string Label(const FixtureDialog& f) {
  return f.file + " " + (f.name.IsOrdinal() ? std::to_string(f.name.GetOrdinal()) : tvl::ToUtf8(f.name.GetName()));
}

}  // namespace

TEST(DialogTemplate, EveryFixtureDialogWritesBackAsCompiledAndStoresByteForByte) {
  for (const FixtureDialog& f : kFixtureDialogs) {
    SCOPED_TRACE(Label(f));
    auto table = LoadTable(f.file);
    ASSERT_TRUE(table);
    CResDialog* dialog = FindDialog(*table, f.name);
    ASSERT_NE(dialog, nullptr);
    const std::vector<BYTE> source = SourceBytes(f.file, CResName(WORD{5}), f.name, f.language);
    ASSERT_FALSE(source.empty());
    EXPECT_TRUE(SameTemplate(Write(*dialog, f.language), source));

    // Stored, loaded and stored again: the same bytes; the loaded dialog writes the same
    // template except for help ids, which the project file does not keep.
    const std::vector<BYTE> stored = Store(*dialog);
    auto loaded = Load<CResDialog>(stored);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(Store(*loaded), stored);
    bool hasHelpIds = dialog->m_helpId != 0;
    for (const auto& item : dialog->m_items) hasHelpIds = hasHelpIds || item->m_helpId != 0;
    EXPECT_EQ(SameTemplate(Write(*loaded, f.language), source), !hasHelpIds);
    EXPECT_TRUE(loaded->TakeHelpIds(*dialog));
    EXPECT_TRUE(SameTemplate(Write(*loaded, f.language), source));
    EXPECT_EQ(WriteInit(*loaded, f.language), WriteInit(*dialog, f.language));
  }
}

TEST(DialogTemplate, ClassicFixtureDialogFields) {
  auto table = LoadTable("all32.exe");
  ASSERT_TRUE(table);
  CResDialog* d = FindDialog(*table, CResName(WORD{100}));
  ASSERT_NE(d, nullptr);
  EXPECT_FALSE(d->m_isEx);
  EXPECT_EQ(d->m_caption.m_text, u"Classic dialog");
  EXPECT_EQ(d->m_caption.m_language, kEnglish);
  EXPECT_EQ(d->m_x, 10);
  EXPECT_EQ(d->m_y, 10);
  EXPECT_EQ(d->m_size.m_x, 240);
  EXPECT_EQ(d->m_size.m_y, 180);
  EXPECT_TRUE(d->m_menu.IsOrdinal());
  EXPECT_EQ(d->m_menu.m_ordinal, 200);
  EXPECT_TRUE(d->m_class.IsString());
  EXPECT_EQ(d->m_class.m_name, u"TVLDLGCLASS");  // the compiler upper-cases class names
  EXPECT_EQ(d->m_font.m_text, u"MS Shell Dlg");
  EXPECT_EQ(d->m_font.m_pointSize, 8);
  EXPECT_EQ(d->m_font.m_weight, 0xFFFF);  // a DIALOG font block has no weight
  EXPECT_EQ(d->m_itemCount, 22);
  ASSERT_EQ(d->m_items.size(), 22u);
  const CResDialogItem& left = *d->m_items[0];
  EXPECT_EQ(left.m_id, 1000u);
  EXPECT_EQ(left.m_text.m_text, u"Left &text:");
  EXPECT_TRUE(left.m_class.IsOrdinal());
  EXPECT_EQ(left.m_class.m_ordinal, 0x82);
  EXPECT_EQ(left.m_pos.m_x, 7);
  EXPECT_EQ(left.m_size.m_x, 60);
  EXPECT_FALSE(left.m_noText);
  // The icon static's title is the icon's ordinal, and it shows no text.
  const CResDialogItem& icon = *d->m_items[14];
  EXPECT_EQ(icon.m_id, 1012u);
  EXPECT_TRUE(icon.m_titleIsOrdinal);
  EXPECT_EQ(icon.m_titleOrdinal, 400);
  EXPECT_TRUE(icon.m_noText);
  EXPECT_TRUE(icon.IsTextExcluded());
  // List, combo and scroll bars show no text, edits do.
  for (size_t i : {11u, 12u, 13u}) EXPECT_TRUE(d->m_items[i]->m_noText) << i;
  EXPECT_FALSE(d->m_items[3]->m_noText);
  // Class names compare exactly: the upper-cased "SYSLISTVIEW32" is not the list view's name.
  EXPECT_EQ(d->m_items[21]->m_class.m_name, u"SYSLISTVIEW32");
  EXPECT_FALSE(d->m_items[21]->m_noText);
  EXPECT_TRUE(d->m_dlgInit.empty());
}

TEST(DialogTemplate, ExtendedFixtureDialogFields) {
  auto table = LoadTable("all64.exe");
  ASSERT_TRUE(table);
  CResDialog* d = FindDialog(*table, CResName(WORD{101}));
  ASSERT_NE(d, nullptr);
  EXPECT_TRUE(d->m_isEx);
  EXPECT_EQ(d->m_helpId, 5001u);
  EXPECT_EQ(d->m_exStyle, 0x80u);  // WS_EX_TOOLWINDOW
  EXPECT_EQ(d->m_style & (DS_SETFONT | DS_FIXEDSYS), DS_SETFONT | DS_FIXEDSYS);
  EXPECT_EQ(d->m_font.m_text, u"Segoe UI");
  EXPECT_EQ(d->m_font.m_pointSize, 9);
  EXPECT_EQ(d->m_font.m_weight, 700);
  EXPECT_EQ(d->m_font.m_italic, 1);
  EXPECT_EQ(d->m_font.m_charSet, 1);
  ASSERT_EQ(d->m_items.size(), 8u);
  EXPECT_EQ(d->m_items[0]->m_helpId, 7001u);
  EXPECT_EQ(d->m_items[0]->m_exStyle, 0x20u);  // WS_EX_TRANSPARENT
  const CResDialogItem& data = *d->m_items[4];
  EXPECT_EQ(data.m_id, 1104u);
  EXPECT_EQ(data.m_creationData, (std::vector<BYTE>{0x34, 0x12, 0x78, 0x56, 'x', 'y'}));
  const CResDialogItem& activeX = *d->m_items[5];
  EXPECT_EQ(activeX.m_class.m_name, u"{8856F961-340A-11D0-A96B-00C04FD705A2}");
  EXPECT_EQ(d->m_dlgInit.size(), 5u);

  CResDialog* named = FindDialog(*table, CResName(u"NAMEDDLG"));
  ASSERT_NE(named, nullptr);
  EXPECT_EQ(named->m_caption.m_text, u"Named");
  EXPECT_TRUE(named->m_menu.IsNone());
  EXPECT_TRUE(named->m_class.IsNone());
}

TEST(DialogTemplate, TheSecondWordAloneTellsTheTemplateKinds) {
  // First word 1, second 0xFFFF: DIALOGEX with its 26-byte header.
  Bytes ex;
  ex.W(1).W(0xFFFF).D(77).D(0).D(0x80C00000).W(0).W(1).W(2).W(30).W(40).W(0).W(0).S(u"Ex");
  auto d = Parse(ex.b);
  EXPECT_TRUE(d->m_isEx);
  EXPECT_EQ(d->m_helpId, 77u);
  EXPECT_EQ(d->m_size.m_x, 30);
  EXPECT_EQ(d->m_caption.m_text, u"Ex");
  EXPECT_TRUE(SameTemplate(Write(*d, kEnglish), ex.b));
  // Any other second word: an 18-byte DIALOG header (this style's high word is 0x80C0).
  Bytes classic;
  classic.D(0x80C00000).D(0).W(0).W(-3).W(4).W(30).W(40).W(0).W(0).S(u"Old");
  d = Parse(classic.b);
  EXPECT_FALSE(d->m_isEx);
  EXPECT_EQ(d->m_x, -3);  // sign-extended
  EXPECT_EQ(d->m_caption.m_text, u"Old");
  EXPECT_TRUE(SameTemplate(Write(*d, kEnglish), classic.b));
}

TEST(DialogTemplate, MenuClassAndControlClassWords) {
  Bytes t;
  t.D(0x80000000).D(0).W(2).W(0).W(0).W(50).W(50);
  t.W(0);                  // no menu
  t.S(u"MyClass");         // class by name
  t.S(u"");                // empty caption
  t.Align(4).D(0x50000000).D(0).W(1).W(2).W(3).W(4).W(10);
  t.W(0);                  // a 0 class word: an empty class name
  t.S(u"x").W(0);
  t.Align(4).D(0x50000000).D(0).W(1).W(2).W(3).W(4).W(11);
  t.S(u"Edit").W(0xFFFF).W(7).W(0);  // title by ordinal
  auto d = Parse(t.b);
  EXPECT_TRUE(d->m_menu.IsNone());
  EXPECT_EQ(d->m_class.m_name, u"MyClass");
  ASSERT_EQ(d->m_items.size(), 2u);
  EXPECT_TRUE(d->m_items[0]->m_class.IsString());
  EXPECT_EQ(d->m_items[0]->m_class.m_name, u"");
  EXPECT_TRUE(d->m_items[1]->m_titleIsOrdinal);
  EXPECT_EQ(d->m_items[1]->m_titleOrdinal, 7);
  EXPECT_TRUE(SameTemplate(Write(*d, kEnglish), t.b));
}

TEST(DialogTemplate, CreationDataCountsOfBothKinds) {
  // DIALOG: the count includes its own word. 1 means none (written back as 0); 6 keeps 4 bytes.
  Bytes t;
  t.D(0x80000000).D(0).W(3).W(0).W(0).W(50).W(50).W(0).W(0).S(u"");
  t.Align(4).D(0x50000000).D(0).W(1).W(2).W(3).W(4).W(10).W(0xFFFF).W(0x80).S(u"a").W(1);
  t.Align(4).D(0x50000000).D(0).W(1).W(2).W(3).W(4).W(11).W(0xFFFF).W(0x80).S(u"b").W(6).Raw({1, 2, 3, 4});
  t.Align(4).D(0x50000000).D(0).W(1).W(2).W(3).W(4).W(12).W(0xFFFF).W(0x80).S(u"c").W(0);
  auto d = Parse(t.b);
  ASSERT_EQ(d->m_items.size(), 3u);
  EXPECT_TRUE(d->m_items[0]->m_creationData.empty());
  EXPECT_EQ(d->m_items[1]->m_creationData, (std::vector<BYTE>{1, 2, 3, 4}));
  EXPECT_EQ(d->m_items[2]->m_id, 12u);
  std::vector<BYTE> expected = t.b;
  // The first control's count of 1 comes back as 0.
  Bytes first;
  first.D(0x80000000).D(0).W(3).W(0).W(0).W(50).W(50).W(0).W(0).S(u"");
  first.Align(4).D(0x50000000).D(0).W(1).W(2).W(3).W(4).W(10).W(0xFFFF).W(0x80).S(u"a");
  expected[first.b.size()] = 0;
  EXPECT_TRUE(SameTemplate(Write(*d, kEnglish), expected));

  // DIALOGEX: the count is the bytes after it; the next control starts on the next 4-byte
  // boundary after them.
  Bytes ex;
  ex.W(1).W(0xFFFF).D(0).D(0).D(0x80000000).W(2).W(0).W(0).W(50).W(50).W(0).W(0).S(u"");
  ex.Align(4).D(0).D(0).D(0x50000000).W(1).W(2).W(3).W(4).D(20).W(0xFFFF).W(0x80).S(u"").W(4).Raw({9, 8, 7, 6});
  ex.Align(4).D(0).D(0).D(0x50000000).W(1).W(2).W(3).W(4).D(21).W(0xFFFF).W(0x80).S(u"").W(0);
  d = Parse(ex.b);
  ASSERT_EQ(d->m_items.size(), 2u);
  EXPECT_EQ(d->m_items[0]->m_creationData, (std::vector<BYTE>{9, 8, 7, 6}));
  EXPECT_EQ(d->m_items[1]->m_id, 21u);
  EXPECT_TRUE(SameTemplate(Write(*d, kEnglish), ex.b));
}

TEST(DialogTemplate, FontBlockOnlyWithSetFont) {
  // DS_FIXEDSYS without DS_SETFONT: no font block, the first control follows the caption.
  Bytes ex;
  ex.W(1).W(0xFFFF).D(0).D(0).D(0x80000000 | DS_FIXEDSYS).W(1).W(0).W(0).W(50).W(50).W(0).W(0).S(u"Fixed");
  ex.Align(4).D(0).D(0).D(0x50000000).W(1).W(2).W(3).W(4).D(20).W(0xFFFF).W(0x82).S(u"Label").W(0);
  auto d = Parse(ex.b);
  EXPECT_EQ(d->m_font.m_language, kNoLanguage);
  ASSERT_EQ(d->m_items.size(), 1u);
  EXPECT_EQ(d->m_items[0]->m_text.m_text, u"Label");
  EXPECT_TRUE(SameTemplate(Write(*d, kGerman), ex.b));

  // A DIALOG without DS_SETFONT keeps writing no font block, even with a font translation.
  Bytes classic;
  classic.D(0x80000000).D(0).W(0).W(0).W(0).W(50).W(50).W(0).W(0).S(u"Plain");
  d = Parse(classic.b);
  d->m_font.SetFont(kGerman, u"Arial", 10, 400, 0, 0);
  EXPECT_TRUE(SameTemplate(Write(*d, kGerman), classic.b));
}

TEST(DialogTemplate, FontChoiceForTheTargetLanguage) {
  auto table = LoadTable("all32.exe");
  ASSERT_TRUE(table);
  CResDialog* ex = FindDialog(*table, CResName(WORD{101}));  // Segoe UI 9, bold italic
  CResDialog* classic = FindDialog(*table, CResName(WORD{100}));  // MS Shell Dlg 8
  ASSERT_TRUE(ex && classic);
  auto font = [](CResDialog& d, LANGID language, const std::u16string& face, WORD size, BYTE charset) {
    CResourceData data;
    data.m_language = language;
    data.m_fontFace = face;
    data.m_fontSize = size;
    data.m_fontWeight = 400;
    data.m_fontCharset = charset;
    return d.ChooseFont(data);
  };
  // Segoe UI exists in the German (ANSI) and Greek sets: kept.
  EXPECT_EQ(font(*ex, kGerman, u"Tahoma", 8, 0).face, u"Segoe UI");
  CDialogFont greek = font(*ex, kGreek, u"Tahoma", 8, 161);
  EXPECT_EQ(greek.face, u"Segoe UI");
  EXPECT_EQ(greek.weight, 700);
  // Not in the Japanese set: the language's preview font replaces all of it.
  CDialogFont japanese = font(*ex, kJapanese, u"MS UI Gothic", 9, 128);
  EXPECT_EQ(japanese.face, u"MS UI Gothic");
  EXPECT_EQ(japanese.pointSize, 9);
  EXPECT_EQ(japanese.weight, 400);
  EXPECT_EQ(japanese.italic, 0);
  EXPECT_EQ(japanese.charSet, 128);
  // The shell dialog face is always kept.
  EXPECT_EQ(font(*classic, kJapanese, u"MS UI Gothic", 9, 128).face, u"MS Shell Dlg");
  // A translated font wins whatever its status; the source language gets the source font.
  ex->m_font.SetFont(kJapanese, u"Meiryo UI", 9, 400, 0, 128);
  ex->m_font.FindValue(kJapanese)->m_status = 0;
  EXPECT_EQ(font(*ex, kJapanese, u"MS UI Gothic", 9, 128).face, u"Meiryo UI");
  EXPECT_EQ(font(*ex, kEnglish, u"MS UI Gothic", 9, 128).face, u"Segoe UI");
  // A language with DEFAULT_CHARSET cannot tell: the preview font replaces the face.
  EXPECT_EQ(font(*ex, 0x0439, u"Mangal", 8, 1).face, u"Mangal");  // Hindi has no ANSI code page
}

TEST(DialogTemplate, WrittenValuesForALanguage) {
  auto table = LoadTable("all32.exe");
  ASSERT_TRUE(table);
  CResDialog* d = FindDialog(*table, CResName(WORD{100}));
  ASSERT_NE(d, nullptr);
  d->m_caption.SetTranslation(u"Klassischer Dialog", kGerman);
  d->m_size.SetPoint(kGerman, 260, 190);
  CResDialogItem& edit = *d->m_items[3];
  edit.m_pos.SetPoint(kGerman, 9, 21);
  edit.m_size.SetPoint(kGerman, 90, 15);
  edit.m_size.FindValue(kGerman)->m_status = 0;  // not up to date: the source size is written
  CResDialogItem& cancel = *d->m_items[5];
  cancel.m_text.SetTranslation(u"Abbrechen", kGerman);
  cancel.m_text.SetDoNotTranslate(true);  // marked: the source text is written
  CResDialogItem& check = *d->m_items[6];
  check.m_text.SetTranslation(u"Pr\u00fcfen", kGerman);

  auto written = Parse(Write(*d, kGerman), kGerman);
  EXPECT_EQ(written->m_caption.m_text, u"Klassischer Dialog");
  EXPECT_EQ(written->m_size.m_x, 260);
  EXPECT_EQ(written->m_size.m_y, 190);
  EXPECT_EQ(written->m_x, 10);
  EXPECT_EQ(written->m_menu.m_ordinal, 200);
  EXPECT_EQ(written->m_class.m_name, u"TVLDLGCLASS");
  EXPECT_EQ(written->m_items[3]->m_pos.m_x, 9);
  EXPECT_EQ(written->m_items[3]->m_pos.m_y, 21);
  EXPECT_EQ(written->m_items[3]->m_size.m_x, 100);
  EXPECT_EQ(written->m_items[5]->m_text.m_text, u"Cancel");
  EXPECT_EQ(written->m_items[6]->m_text.m_text, u"Pr\u00fcfen");
  EXPECT_EQ(written->m_items[6]->m_style, d->m_items[6]->m_style);
  EXPECT_EQ(written->m_items[6]->m_id, 1004u);
  // French has nothing: the source, byte for byte.
  EXPECT_TRUE(SameTemplate(Write(*d, kFrench),
                           SourceBytes("all32.exe", CResName(WORD{5}), CResName(WORD{100}))));
}

TEST(DialogTemplate, StatusOfADialog) {
  auto table = LoadTable("all32.exe");
  ASSERT_TRUE(table);
  CResDialog* d = FindDialog(*table, CResName(WORD{101}));
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->ComputeStatus(kGerman), 0);
  d->m_caption.SetTranslation(u"Erweitert", kGerman);
  for (auto& item : d->m_items)
    if (!item->IsTextExcluded()) item->m_text.SetTranslation(u"x", kGerman);
  // The combo and list box strings are still to do; the opaque data does not count.
  EXPECT_EQ(d->ComputeStatus(kGerman), 0);
  for (auto& entry : d->m_dlgInit)
    if (CLocalizedString* text = entry->GetText()) text->SetTranslation(u"y", kGerman);
  EXPECT_EQ(d->ComputeStatus(kGerman), 1);
  // One control's text gone out of date.
  d->m_items[0]->m_text.FindValue(kGerman)->m_status = 0;
  EXPECT_EQ(d->ComputeStatus(kGerman), 0);
  // Marked do not translate: it counts as nothing to do.
  d->m_items[0]->m_text.SetDoNotTranslate(true);
  EXPECT_EQ(d->ComputeStatus(kGerman), 1);
  // Sizes, positions and fonts never lower it.
  d->m_size.SetPoint(kGerman, 1, 1);
  d->m_size.FindValue(kGerman)->m_status = 0;
  EXPECT_EQ(d->ComputeStatus(kGerman), 1);
  // Nothing translatable at all: "edited".
  CResDialog empty;
  EXPECT_EQ(empty.ComputeStatus(kGerman), 2);
}

TEST(DialogTemplate, ControlsThatShowNoText) {
  auto ord = [](WORD o) {
    CResourceIdentifier id;
    id.SetOrdinal(o);
    return id;
  };
  auto name = [](const char16_t* n) {
    CResourceIdentifier id;
    id.SetString(n);
    return id;
  };
  for (DWORD type : {0u, 1u, 2u, 11u, 12u, 13u}) EXPECT_FALSE(CResDialogItem::ShowsNoText(ord(0x82), type)) << type;
  for (DWORD type : {3u, 4u, 10u, 14u, 18u, 31u}) EXPECT_TRUE(CResDialogItem::ShowsNoText(ord(0x82), type)) << type;
  EXPECT_TRUE(CResDialogItem::ShowsNoText(name(u"Static"), 3));
  EXPECT_FALSE(CResDialogItem::ShowsNoText(name(u"STATIC"), 3));  // names compare exactly
  EXPECT_FALSE(CResDialogItem::ShowsNoText(ord(0x80), 0xF));
  EXPECT_FALSE(CResDialogItem::ShowsNoText(ord(0x81), 0));
  for (WORD o : {0x83, 0x84, 0x85}) EXPECT_TRUE(CResDialogItem::ShowsNoText(ord(o), 0));
  for (const char16_t* n : {u"ListBox", u"ComboBox", u"ScrollBar", u"SysTreeView32", u"msctls_updown32", u"SysPager"})
    EXPECT_TRUE(CResDialogItem::ShowsNoText(name(n), 0));
  EXPECT_FALSE(CResDialogItem::ShowsNoText(name(u"SysLink"), 0));
  EXPECT_FALSE(CResDialogItem::ShowsNoText(name(u"listbox"), 0));
}

TEST(DialogTemplate, BrokenTemplatesAreDroppedWithTheParseMessage) {
  const std::vector<BYTE> good = SourceBytes("all32.exe", CResName(WORD{5}), CResName(WORD{101}));
  ASSERT_FALSE(good.empty());
  auto whole = Parse(good);
  // Every cut before the last control's end: the template ends early.
  const size_t content = Write(*whole, kEnglish).size();
  for (size_t n = 0; n < content; ++n) {
    std::vector<BYTE> cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n));
    EXPECT_THROW(Parse(cut), CResStreamException) << n;
  }
  // A caption without its terminator.
  Bytes t;
  t.D(0x80000000).D(0).W(0).W(0).W(0).W(50).W(50).W(0).W(0).W('A').W('B');
  EXPECT_THROW(Parse(t.b), CResStreamException);
  // More controls declared than there are.
  Bytes many;
  many.D(0x80000000).D(0).W(500).W(0).W(0).W(50).W(50).W(0).W(0).S(u"");
  EXPECT_THROW(Parse(many.b), CResStreamException);

  // Through the handler: reported, left out, reading goes on.
  CRecordingSink sink;
  CResDialogTable handler;
  handler.m_resourceClass = RUNTIME_CLASS(CResDialog);
  CResStream stream(nullptr, CResName(WORD{5}), CResName(WORD{42}), kEnglish, kEnglish, t.b.data(),
                    static_cast<DWORD>(t.b.size()));
  EXPECT_FALSE(handler.AddResource(stream));
  EXPECT_EQ(handler.GetCount(), 0);
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0].text, u"Error parsing resource (type 5 - Id 42) : Invalid Format");
}

TEST(DialogTemplate, HelpIdsComeBackFromTheSourceFile) {
  auto table = LoadTable("all32.exe");
  ASSERT_TRUE(table);
  auto loaded = Load<CResTable>(Store(*table));
  ASSERT_TRUE(loaded);
  auto* d = FindDialog(*loaded, CResName(WORD{101}));
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->m_helpId, 0u);
  EXPECT_EQ(loaded->m_dialogs.RestoreHelpIds(FixtureU("all32.exe")), 2);  // 101 and NAMEDDLG
  EXPECT_EQ(d->m_helpId, 5001u);
  EXPECT_EQ(d->m_items[4]->m_helpId, 7003u);
  EXPECT_TRUE(SameTemplate(Write(*d, kEnglish), SourceBytes("all32.exe", CResName(WORD{5}), CResName(WORD{101}))));
  // A dialog whose controls differ from the file's keeps what it has.
  d->m_items.pop_back();
  d->m_helpId = 0;
  EXPECT_EQ(loaded->m_dialogs.RestoreHelpIds(FixtureU("all32.exe")), 1);
  EXPECT_EQ(d->m_helpId, 0u);
  EXPECT_EQ(loaded->m_dialogs.RestoreHelpIds(u"/nonexistent/file.exe"), 0);
}

TEST(DialogTemplate, TableHoldsDialogsAndSeesMfcClues) {
  auto all = LoadTable("all32.exe");
  ASSERT_TRUE(all);
  EXPECT_EQ(all->m_dialogs.GetCount(), 3);
  EXPECT_TRUE(all->HasMfcClues());  // dialog 101 has initialisation data
  auto two = LoadTable("twolang.dll");
  ASSERT_TRUE(two);
  EXPECT_EQ(two->m_dialogs.GetCount(), 1);
  EXPECT_FALSE(two->HasMfcClues());
  // The first language enumerated (German comes first in the directory) is kept.
  EXPECT_EQ(FindDialog(*two, CResName(WORD{100}))->m_caption.m_text, u"Hallo");
  EXPECT_EQ(FindDialog(*two, CResName(WORD{100}))->GetSourceLanguage(), kGerman);
}
