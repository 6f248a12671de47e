#include <gtest/gtest.h>

#include "platform/Fonts.h"
#include "platform/Text.h"

using namespace tvl;

TEST(Fonts, MulDivRoundsHalvesAwayFromZeroAndRefusesZeroDivisor) {
  EXPECT_EQ(MulDiv(5, 3, 2), 8);     // 7.5
  EXPECT_EQ(MulDiv(-5, 3, 2), -8);   // -7.5
  EXPECT_EQ(MulDiv(7, 1, 3), 2);     // 2.33
  EXPECT_EQ(MulDiv(8, 1, 3), 3);     // 2.67
  EXPECT_EQ(MulDiv(5, -3, 2), -8);
  EXPECT_EQ(MulDiv(1, 1, 0), -1);
  EXPECT_EQ(MulDiv(0x40000000, 4, 2), -1);  // overflows 32 bits
  EXPECT_EQ(PointsToLogicalHeight(8), -11);
  EXPECT_EQ(PointsToLogicalHeight(9), -12);
}

TEST(Fonts, DialogFacesGiveThePlatformsBaseUnits) {
  // Tahoma 8 pt (and the shell dialog faces that stand for it): 6 x 13 at 96 dpi.
  for (const char16_t* face : {u"Tahoma", u"MS Shell Dlg", u"ms shell dlg 2"}) {
    auto font = CMeasureFont::Open(face, PointsToLogicalHeight(8), 400, false);
    ASSERT_TRUE(font) << "no font for a shell dialog face";
    EXPECT_EQ(font->GetBaseUnitX(), 6);
    EXPECT_EQ(font->GetBaseUnitY(), 13);
    EXPECT_EQ(font->GetHeight(), 13);
    EXPECT_TRUE(font->IsMetricCompatible());
    EXPECT_EQ(MulDiv(1000, font->GetBaseUnitX(), 4), 1500);
    EXPECT_EQ(MulDiv(1000, font->GetBaseUnitY(), 8), 1625);
  }
  // The bitmap face picks its 13-pixel strike for 8 pt.
  auto sans = CMeasureFont::Open(u"MS Sans Serif", PointsToLogicalHeight(8), 0, false);
  ASSERT_TRUE(sans);
  EXPECT_EQ(sans->GetHeight(), 13);
  EXPECT_EQ(sans->GetBaseUnitX(), 6);
  // The system font of dialogs without a font of their own: 8 x 16.
  auto system = CMeasureFont::Open(u"System", 16, 700, false);
  ASSERT_TRUE(system);
  EXPECT_EQ(system->GetHeight(), 16);
  EXPECT_EQ(system->GetBaseUnitX(), 8);
}

TEST(Fonts, BoldUsesTheBoldFileOrWidensEachCharacterByOnePixel) {
  auto regular = CMeasureFont::Open(u"Tahoma", -11, 400, false);
  auto bold = CMeasureFont::Open(u"Tahoma", -11, 700, false);
  ASSERT_TRUE(regular && bold);
  EXPECT_NE(regular->GetFile(), bold->GetFile());
  EXPECT_GT(bold->GetTextWidth(u"Save the file"), regular->GetTextWidth(u"Save the file"));
  // No bold file for the bitmap face: one pixel per character, as simulated bold draws.
  auto sans = CMeasureFont::Open(u"MS Sans Serif", -11, 400, false);
  auto sansBold = CMeasureFont::Open(u"MS Sans Serif", -11, 700, false);
  ASSERT_TRUE(sans && sansBold);
  EXPECT_EQ(sansBold->GetFile(), sans->GetFile());
  EXPECT_EQ(sansBold->GetTextWidth(u"Hello"), sans->GetTextWidth(u"Hello") + 5);
}

TEST(Fonts, WidthsAreSumsOfAdvancesWithFallbackForMissingCharacters) {
  auto font = CMeasureFont::Open(u"Tahoma", -11, 400, false);
  ASSERT_TRUE(font);
  int sum = 0;
  for (char16_t c : std::u16string(u"Wave")) sum += font->GetCharWidth(c);
  EXPECT_EQ(font->GetTextWidth(u"Wave"), sum);  // no kerning between W and a
  EXPECT_GT(font->GetCharWidth(U'W'), font->GetCharWidth(U'i'));
  EXPECT_EQ(font->GetCharWidth(U'\n'), 0);
  // Tahoma has no kana: another face measures it, so it is not the empty box of Tahoma.
  EXPECT_GT(font->GetCharWidth(U'\u3042'), 0);
  EXPECT_GE(font->GetCharWidth(U'\u3042'), font->GetCharWidth(U'a'));
  // A surrogate pair is one character.
  EXPECT_EQ(font->GetTextWidth(u"\U0001D400"), font->GetCharWidth(U'\U0001D400'));
}

TEST(Fonts, CalcTextRectSingleLineDropsPrefixesAndExpandsTabs) {
  auto font = CMeasureFont::Open(u"Tahoma", -11, 400, false);
  ASSERT_TRUE(font);
  Rect r{0, 0, 1, 1};
  font->CalcTextRect(u"&File", DT_CALCRECT | DT_SINGLELINE | DT_EXPANDTABS, r);
  EXPECT_EQ(r, (Rect{0, 0, font->GetTextWidth(u"File"), 13}));
  r = {0, 0, 1, 1};
  font->CalcTextRect(u"A && B", DT_CALCRECT | DT_SINGLELINE, r);
  EXPECT_EQ(r.right, font->GetTextWidth(u"A & B"));
  r = {0, 0, 1, 1};
  font->CalcTextRect(u"&File", DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX, r);
  EXPECT_EQ(r.right, font->GetTextWidth(u"&File"));
  // A tab goes to the next stop of 8 average characters.
  const int tab = 8 * font->GetAveCharWidth();
  ASSERT_GT(tab, font->GetTextWidth(u"ab"));
  r = {0, 0, 1, 1};
  font->CalcTextRect(u"ab\tc", DT_CALCRECT | DT_SINGLELINE | DT_EXPANDTABS, r);
  EXPECT_EQ(r.right, tab + font->GetCharWidth(U'c'));
  r = {5, 7, 6, 8};  // the rectangle keeps its origin
  font->CalcTextRect(u"x", DT_CALCRECT | DT_SINGLELINE, r);
  EXPECT_EQ(r, (Rect{5, 7, 5 + font->GetCharWidth(U'x'), 7 + 13}));
}

TEST(Fonts, CalcTextRectWordBreakWrapsAtSpacesAndKeepsLongWordsWhole) {
  auto font = CMeasureFont::Open(u"Tahoma", -11, 400, false);
  ASSERT_TRUE(font);
  const int one = font->GetTextWidth(u"gamma");
  const int rest = font->GetTextWidth(u"beta alpha");
  const int all = font->GetTextWidth(u"gamma beta alpha");
  // Room for "beta alpha" but not for "gamma beta": the first line ends after "gamma".
  Rect r{0, 0, font->GetTextWidth(u"gamma beta") - 1, 100};
  ASSERT_LE(rest, r.right);
  font->CalcTextRect(u"gamma beta alpha", DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS, r);
  EXPECT_EQ(r.bottom, 2 * 13);
  EXPECT_EQ(r.right, std::max(one, rest));
  // Everything fits: one line, and the rectangle shrinks to the text.
  r = {0, 0, all + 20, 100};
  font->CalcTextRect(u"gamma beta alpha", DT_CALCRECT | DT_WORDBREAK, r);
  EXPECT_EQ(r, (Rect{0, 0, all, 13}));
  // A word wider than the box stays whole on its own line and widens the rectangle.
  r = {0, 0, one / 2, 100};
  font->CalcTextRect(u"gamma be", DT_CALCRECT | DT_WORDBREAK, r);
  EXPECT_EQ(r.right, one);
  EXPECT_EQ(r.bottom, 2 * 13);
  // Line breaks end lines; \r\n counts once.
  r = {0, 0, 500, 100};
  font->CalcTextRect(u"one\r\ntwo\nthree", DT_CALCRECT | DT_WORDBREAK, r);
  EXPECT_EQ(r.bottom, 3 * 13);
  EXPECT_EQ(r.right, font->GetTextWidth(u"three"));
  // On a single line a line break does not break.
  r = {0, 0, 1, 1};
  font->CalcTextRect(u"one\ntwo", DT_CALCRECT | DT_SINGLELINE, r);
  EXPECT_EQ(r.bottom, 13);
}

TEST(Fonts, StandardInstallationTableAndFontconfigForOtherFaces) {
  EXPECT_EQ(StandardFontCoversCharset(u"Tahoma", kThaiCharset), 1);
  EXPECT_EQ(StandardFontCoversCharset(u"TAHOMA", kRussianCharset), 1);
  EXPECT_EQ(StandardFontCoversCharset(u"Tahoma", kShiftJisCharset), 0);
  EXPECT_EQ(StandardFontCoversCharset(u"MS UI Gothic", kShiftJisCharset), 1);
  EXPECT_EQ(StandardFontCoversCharset(u"SimSun", kGb2312Charset), 1);
  EXPECT_EQ(StandardFontCoversCharset(u"SimSun", kRussianCharset), 0);
  EXPECT_EQ(StandardFontCoversCharset(u"Verdana", kArabicCharset), 0);
  EXPECT_EQ(StandardFontCoversCharset(u"DejaVu Sans", kAnsiCharset), -1);
  // The table answers for the machine the target runs on, even where this one has no file.
  EXPECT_TRUE(FontFaceExistsInCharset(u"Segoe UI", kGreekCharset));
  EXPECT_FALSE(FontFaceExistsInCharset(u"Arial", kShiftJisCharset));
  // Faces the table does not know: asked of the fonts installed here.
  EXPECT_TRUE(FontFaceExistsInCharset(u"DejaVu Sans", kRussianCharset));
  EXPECT_FALSE(FontFaceExistsInCharset(u"DejaVu Sans", kShiftJisCharset));
  EXPECT_FALSE(FontFaceExistsInCharset(u"No Such Face At All", kAnsiCharset));
  EXPECT_FALSE(FontFaceExistsInCharset(u"", kAnsiCharset));
}

TEST(Fonts, FaceMapPrefersMetricCompatibleFiles) {
  EXPECT_NE(FindSubstituteFont(u"Arial", false, false).path.find("LiberationSans-Regular"), std::string::npos);
  EXPECT_TRUE(FindSubstituteFont(u"Arial", false, false).metricCompatible);
  CFontFileChoice bi = FindSubstituteFont(u"Times New Roman", true, true);
  EXPECT_NE(bi.path.find("LiberationSerif-BoldItalic"), std::string::npos);
  EXPECT_TRUE(bi.bold);
  EXPECT_NE(FindSubstituteFont(u"Calibri", false, false).path.find("Carlito"), std::string::npos);
  // No metric-compatible free face: measured with a near one, and said so.
  EXPECT_FALSE(FindSubstituteFont(u"Segoe UI", false, false).metricCompatible);
  EXPECT_FALSE(FindSubstituteFont(u"Unknown Face 123", false, false).path.empty());
  EXPECT_FALSE(FindSubstituteFont(u"Unknown Face 123", false, false).metricCompatible);
  EXPECT_FALSE(FallbackFontPath().empty());
}

// Widths the platform measures for these fonts at 96 dpi (text extents, '&' counted as a
// character), with each font's dialog base units. Every figure must come out exactly: a
// control grown one pixel short clips its last letter there.
TEST(Fonts, WidthsAndBaseUnitsAreThePlatformsExactly) {
  struct FontRow {
    const char16_t* face;
    int points;
    int weight;
    int baseX, baseY;
  };
  const FontRow fonts[] = {
      {u"MS Shell Dlg", 8, 400, 6, 13}, {u"MS Shell Dlg", 8, 700, 7, 13},
      {u"Tahoma", 10, 400, 7, 16},      {u"Tahoma", 9, 400, 7, 14}};
  struct TextRow {
    const char16_t* text;
    int widths[4];
  };
  const TextRow texts[] = {
      {u"OK", {15, 17, 17, 16}},
      {u"Cancel", {37, 39, 40, 38}},
      {u"&Name:", {42, 46, 49, 46}},
      {u"FR:Label text", {68, 76, 78, 72}},
      {u"Schließen", {52, 57, 59, 53}},
      {u"Paramètres avancés…", {116, 126, 134, 122}},
      {u"Überprüfung der Einstellungen", {163, 181, 184, 168}},
      {u"The quick brown fox jumps over the lazy dog", {231, 259, 272, 252}},
      {u"0123456789", {60, 70, 70, 70}},
      {u"WWW.iii.MMM", {72, 81, 81, 75}},
      {u"Ctrl+Shift+F12", {78, 88, 85, 82}},
      {u"Größe: 100 %", {69, 79, 85, 79}},
  };
  for (size_t f = 0; f < std::size(fonts); ++f) {
    const FontRow& row = fonts[f];
    auto font = CMeasureFont::Open(row.face, PointsToLogicalHeight(row.points), row.weight, false);
    ASSERT_TRUE(font);
    SCOPED_TRACE(testing::Message() << "font " << f);
    EXPECT_EQ(font->GetBaseUnitX(), row.baseX);
    EXPECT_EQ(font->GetBaseUnitY(), row.baseY);
    for (const TextRow& t : texts) {
      std::u16string_view text(t.text);
      const int want = t.widths[f];
      EXPECT_EQ(font->GetTextWidth(text), want) << "text " << ToUtf8(text);
      if (text.find(u' ') == std::u16string_view::npos) continue;
      // A wrapped label breaks where the platform's does: one line in exactly its width,
      // more in a pixel less.
      Rect r{0, 0, want, 1000};
      font->CalcTextRect(text, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX, r);
      EXPECT_EQ(r, (Rect{0, 0, want, row.baseY})) << "text " << ToUtf8(text);
      r = {0, 0, want - 1, 1000};
      font->CalcTextRect(text, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX, r);
      EXPECT_EQ(r.bottom, 2 * row.baseY) << "text " << ToUtf8(text);
    }
  }
}
