#include <gtest/gtest.h>

#include "platform/Text.h"
#include "workspace/CommandIds.h"
#include "workspace/ContentViewRules.h"

using namespace tvl;

TEST(ContentViewRules, VersionRowsFollowModeStatusAndFlags) {
  const struct {
    CVersionRowFacts facts;
    int mode;
    bool allItems;
    bool shown;
  } cases[] = {
      // versions: the status limit of the mode
      {{false, false, false, 0}, ID_VIEW_TO_TRANSLATE, false, true},
      {{false, false, false, 1}, ID_VIEW_TO_TRANSLATE, false, false},
      {{false, false, false, 1}, ID_VIEW_TO_EDIT, false, true},
      {{false, false, false, 2}, ID_VIEW_TO_EDIT, false, false},
      {{false, false, false, 2}, ID_VIEW_TRANSLATABLE, false, true},
      // an empty version text is still a row; an empty string value never is
      {{false, false, true, 0}, ID_VIEW_TRANSLATABLE, false, true},
      {{true, false, true, 0}, ID_VIEW_TRANSLATABLE, true, false},
      {{true, false, true, 0}, ID_VIEW_TO_TRANSLATE, false, false},
      // do-not-translate only under All Items
      {{true, true, false, 0}, ID_VIEW_TRANSLATABLE, false, false},
      {{true, true, false, 2}, ID_VIEW_TRANSLATABLE, true, true},
      {{false, true, false, 0}, ID_VIEW_TRANSLATABLE, true, true},
  };
  for (size_t i = 0; i < std::size(cases); ++i)
    EXPECT_EQ(IsVersionRowShown(cases[i].facts, cases[i].mode, cases[i].allItems), cases[i].shown) << "case " << i;
}

TEST(ContentViewRules, BlankRowsAreTrimmedAtBothEnds) {
  const struct {
    std::vector<int> in, out;
  } cases[] = {{{-3, -2, -1, 0, 1}, {-3, -2, -1, 0, 1}},
               {{-1, 0, 1}, {0, 1}},
               {{-3, -1}, {-3}},
               {{-1}, {}},
               {{}, {}}};
  for (const auto& c : cases) {
    std::vector<int> items = c.in;
    TrimBlankRows(items);
    EXPECT_EQ(items, c.out);
  }
}

TEST(ContentViewRules, PictureCaptions) {
  const struct {
    int bpp;
    const char16_t* caption;
  } bitmaps[] = {{0, u"16 x 8 pixels. PNG or JPG (0 bpp)"},     {1, u"16 x 8 pixels. Monochrome (1 bpp)"},
                 {4, u"16 x 8 pixels. 16 colors (4 bpp)"},      {8, u"16 x 8 pixels. 256 colors (8 bpp)"},
                 {16, u"16 x 8 pixels. High colors (16 bpp)"},  {24, u"16 x 8 pixels. True colors (24 bpp)"},
                 {32, u"16 x 8 pixels. True colors (32 bpp)"},  {2, u"16 x 8 pixels. Unknown # of colors (2 bpp)"}};
  for (const auto& b : bitmaps) EXPECT_EQ(BitmapCaption(16, 8, b.bpp), b.caption);
  EXPECT_EQ(IconImageCaption(true, 48, 48, 32), u"48x48  True colors (32 bpp)");
  EXPECT_EQ(IconImageCaption(false, 32, 32, 1), u"32x32");
  EXPECT_EQ(MissingImageCaption(true, 7, 2, u"400"), u"Missing RT_ICON resource 7 (plane 2 of icon 400)");
  EXPECT_EQ(MissingImageCaption(false, 3, 1, u"\"ARROW\""), u"Missing RT_CURSOR resource 3 (plane 1 of icon \"ARROW\")");
}

TEST(ContentViewRules, DumpLinesHaveOffsetsHexAndCharacters) {
  std::vector<BYTE> bytes;
  for (int i = 0; i < 20; ++i) bytes.push_back(static_cast<BYTE>(i == 1 ? 'A' : i == 2 ? 127 : i == 3 ? 200 : i));
  EXPECT_EQ(DumpLineCount(0), 0u);
  EXPECT_EQ(DumpLineCount(16), 1u);
  EXPECT_EQ(DumpLineCount(17), 2u);
  std::u16string first = DumpLine(bytes.data(), bytes.size(), 0);
  EXPECT_EQ(first, u"00000000  00 41 7F C8 04 05 06 07  08 09 0A 0B 0C 0D 0E 0F  .A\x7F.............");
  std::u16string last = DumpLine(bytes.data(), bytes.size(), 1);
  EXPECT_EQ(last, u"00000010  10 11 12 13" + std::u16string(39, u' ') + u"....            ");
  EXPECT_EQ(first.size(), kDumpLineWidth);
  EXPECT_EQ(last.size(), kDumpLineWidth);
  // Every line with its break is 78 characters.
  std::u16string all = DumpText(bytes.data(), bytes.size());
  EXPECT_EQ(all, first + u"\r\n" + last + u"\r\n");
  EXPECT_EQ(all.size(), 2 * 78u);
}

TEST(ContentViewRules, NameExtensions) {
  EXPECT_EQ(NameExtension(u"INDEX.HTM"), u".HTM");
  EXPECT_EQ(NameExtension(u"a.b.png"), u".png");
  EXPECT_EQ(NameExtension(u"NOEXT"), u"");
  EXPECT_EQ(NameExtension(u"dir.x/page"), u"");
}
