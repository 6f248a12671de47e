#include <gtest/gtest.h>

#include "DialogTestUtil.h"

using namespace dlgtest;

namespace {

class OnlyStandardClasses : public CPreviewClasses {
 public:
  bool IsRegistered(std::u16string_view name) const override {
    return tvl::CompareNoCase(name, u"Edit") == 0 || tvl::CompareNoCase(name, u"comboboxex32") == 0;
  }
  std::u16string BestRichEditClass() const override { return u"RichEdit20W"; }
};

struct ScopedClasses {
  explicit ScopedClasses(const CPreviewClasses* c) : previous(SetPreviewClasses(c)) {}
  ~ScopedClasses() { SetPreviewClasses(previous); }
  const CPreviewClasses* previous;
};

}  // namespace

TEST(DialogPreviewTemplate, HeaderBecomesAChildWithoutMenuAndClass) {
  auto table = LoadTable("all32.exe");
  ASSERT_TRUE(table);
  CResDialog* d = FindDialog(*table, CResName(WORD{100}));
  ASSERT_NE(d, nullptr);
  auto preview = Parse(Write(*d, kGerman, true), kGerman);
  EXPECT_EQ(preview->m_style, (d->m_style & 0x29FFFFFC) | 0x44000000);
  EXPECT_EQ(preview->m_x, 0);
  EXPECT_EQ(preview->m_y, 0);
  EXPECT_TRUE(preview->m_menu.IsNone());
  EXPECT_TRUE(preview->m_class.IsNone());
  EXPECT_EQ(d->m_previewFace, u"MS Shell Dlg");
  EXPECT_EQ(d->m_previewPointSize, 8);
  // Controls carry their index as id and are visible.
  for (size_t i = 0; i < preview->m_items.size(); ++i) {
    EXPECT_EQ(preview->m_items[i]->m_id, i);
    EXPECT_TRUE(preview->m_items[i]->m_style & WS_VISIBLE);
  }
  // A target file keeps ids and header.
  auto target = Parse(Write(*d, kGerman, false), kGerman);
  EXPECT_EQ(target->m_items[4]->m_id, 1u);
  EXPECT_EQ(target->m_menu.m_ordinal, 200);
}

TEST(DialogPreviewTemplate, StylesAndClassesThePreviewCanShow) {
  Bytes t;
  const std::vector<std::pair<std::u16string, DWORD>> controls = {
      {u"", 0x0000000B},         // Button, owner-drawn: a push button
      {u"", 0x00004080},         // Button, bitmap and notify: an icon, no notify
      {u"", 0x0000010D},         // Static, type 13 with notify
      {u"", 0x00002072},         // ListBox: sorting and owner-draw bits go
      {u"RichEdit20A", 0x1},     // the best rich edit class
      {u"MyCustomClass", 0x44},  // not registered: a bordered static with its text
      {u"{8856F961-340A-11D0-A96B-00C04FD705A2}", 0},  // ActiveX: left to the container
      {u"ComboBoxEx32", 0x0102},
  };
  const WORD ordinals[] = {0x80, 0x80, 0x82, 0x83};
  t.W(1).W(0xFFFF).D(0).D(0).D(0x80C00040).W(static_cast<WORD>(controls.size())).W(5).W(5).W(100).W(100);
  t.W(0).W(0).S(u"P").W(8).W(400).B(0).B(1).S(u"MS Shell Dlg");
  for (size_t i = 0; i < controls.size(); ++i) {
    t.Align(4).D(9).D(0x200).D(0x50000000 | controls[i].second).W(1).W(2).W(30).W(10).D(1000 + static_cast<DWORD>(i));
    if (i < 4)
      t.W(0xFFFF).W(ordinals[i]);
    else
      t.S(controls[i].first);
    t.S(u"Text").W(2).Raw({0xAB, 0xCD});
  }
  auto d = Parse(t.b);
  OnlyStandardClasses classes;
  ScopedClasses scope(&classes);
  auto p = Parse(Write(*d, kEnglish, true));
  ASSERT_EQ(p->m_items.size(), controls.size());
  EXPECT_EQ(p->m_items[0]->m_style & 0xF, 0u);
  EXPECT_EQ(p->m_items[1]->m_style & 0x40C0, 0x40u);
  EXPECT_EQ(p->m_items[2]->m_style & 0x11F, 0u);
  EXPECT_EQ(p->m_items[3]->m_style & 0x2072, 0u);
  EXPECT_EQ(p->m_items[4]->m_class.m_name, u"RichEdit20W");
  const CResDialogItem& substitute = *p->m_items[5];
  EXPECT_TRUE(substitute.m_class.IsOrdinal());
  EXPECT_EQ(substitute.m_class.m_ordinal, 0x82);
  EXPECT_EQ(substitute.m_style, 0x56800001u);
  EXPECT_EQ(substitute.m_text.m_text, u"Text");
  EXPECT_EQ(substitute.m_exStyle, 0x200u);
  EXPECT_EQ(substitute.m_helpId, 9u);
  EXPECT_EQ(substitute.m_id, 5u);
  EXPECT_TRUE(substitute.m_creationData.empty());
  EXPECT_EQ(p->m_items[6]->m_class.m_name, u"{8856F961-340A-11D0-A96B-00C04FD705A2}");
  EXPECT_EQ(p->m_items[6]->m_creationData, (std::vector<BYTE>{0xAB, 0xCD}));
  EXPECT_EQ(p->m_items[7]->m_class.m_name, u"ComboBoxEx32");
  EXPECT_EQ(p->m_items[7]->m_style & 0x102, 0x2u);
}
