// Templates written for the preview, read back as the window toolkit sees them.
#include <gtest/gtest.h>

#include "DialogTestUtil.h"
#include "formats/layout/DialogTemplate.h"

using namespace dlgtest;

TEST(DialogTemplateReadBack, PreviewTemplateCarriesIndexesAndChildStyle) {
  auto table = LoadTable("all32.exe");
  ASSERT_NE(table, nullptr);
  for (WORD name : {WORD{100}, WORD{101}}) {
    CResDialog* dialog = FindDialog(*table, CResName(name));
    ASSERT_NE(dialog, nullptr);
    CDialogTemplate t = CDialogTemplate::Parse(Write(*dialog, kFrench, true));
    EXPECT_EQ(t.isEx, dialog->m_isEx);
    EXPECT_EQ(t.style, (dialog->m_style & 0x29FFFFFC) | 0x44000000);
    EXPECT_EQ(t.x, 0);
    EXPECT_EQ(t.y, 0);
    EXPECT_EQ(t.caption, dialog->m_caption.m_text);
    ASSERT_EQ(t.controls.size(), dialog->m_items.size());
    for (size_t i = 0; i < t.controls.size(); ++i) {
      const CTemplateControl& c = t.controls[i];
      const CResDialogItem& item = *dialog->m_items[i];
      EXPECT_EQ(c.id, i);
      EXPECT_NE(c.style & WS_VISIBLE, 0u);
      EXPECT_EQ(c.titleIsOrdinal, item.m_titleIsOrdinal);
      if (!item.m_titleIsOrdinal) {
        EXPECT_EQ(c.title, item.m_text.m_text);
      }
      EXPECT_EQ(c.rect, item.GetItemRect(kFrench, nullptr));
    }
  }
  // The ActiveX control keeps its class id; the written DIALOGEX data comes back whole.
  CDialogTemplate ex = CDialogTemplate::Parse(Write(*FindDialog(*table, CResName(101)), kEnglish, true));
  EXPECT_EQ(TemplateClassName(ex.controls[5]), u"{8856F961-340A-11D0-A96B-00C04FD705A2}");
  EXPECT_EQ(ex.controls[4].creationData, (std::vector<BYTE>{0x34, 0x12, 0x78, 0x56, 'x', 'y'}));
  EXPECT_EQ(ex.font.face, u"Segoe UI");
  EXPECT_EQ(ex.font.weight, 700);
  EXPECT_EQ(TemplateClassName(ex.controls[0]), u"Static");
}

TEST(DialogTemplateReadBack, TruncatedTemplateIsRefused) {
  auto table = LoadTable("all32.exe");
  ASSERT_NE(table, nullptr);
  std::vector<BYTE> bytes = Write(*FindDialog(*table, CResName(100)), kEnglish, true);
  for (size_t cut : {size_t{4}, size_t{20}, bytes.size() / 2, bytes.size() - 2}) {
    std::vector<BYTE> part(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(cut));
    EXPECT_THROW(CDialogTemplate::Parse(part), CResStreamException) << cut;
  }
}

TEST(DialogTemplateReadBack, MapDialogRectRoundsHalvesAwayFromZero) {
  const struct {
    tvl::Rect units;
    int bx, by;
    tvl::Rect pixels;
  } cases[] = {
      {{0, 0, 1000, 1000}, 6, 13, {0, 0, 1500, 1625}},
      {{1, 3, 2, 5}, 6, 13, {2, 5, 3, 8}},     // 1.5 -> 2, 4.875 -> 5, 3, 8.125 -> 8
      {{-1, -1, 0, 0}, 6, 13, {-2, -2, 0, 0}},  // -1.5 -> -2, -1.625 -> -2
      {{7, 7, 67, 15}, 7, 14, {12, 12, 117, 26}},
  };
  for (const auto& c : cases) EXPECT_EQ(MapDialogRect(c.units, c.bx, c.by), c.pixels);
}

TEST(DialogTemplateReadBack, PreviewInitDataKeepsTheFirstControlsStrings) {
  auto table = LoadTable("mfc64.exe");
  ASSERT_NE(table, nullptr);
  CResDialog* dialog = FindDialog(*table, CResName(102));
  ASSERT_NE(dialog, nullptr);
  ASSERT_EQ(dialog->m_dlgInit.size(), 3u);
  std::vector<CPreviewInitEntry> entries = ReadPreviewInitData(WriteInit(*dialog, kEnglish, true), 1252);
  ASSERT_EQ(entries.size(), 3u);
  // The combo box is control 0: its id in the preview data is the terminator's value.
  EXPECT_EQ(entries[0].control, 0);
  EXPECT_EQ(entries[0].text, u"Red");
  EXPECT_TRUE(entries[0].isText);
  EXPECT_EQ(entries[2].control, 1);
  std::vector<BYTE> cut = WriteInit(*dialog, kEnglish, true);
  cut.resize(cut.size() - 4);
  EXPECT_THROW(ReadPreviewInitData(cut, 1252), CResStreamException);
}
