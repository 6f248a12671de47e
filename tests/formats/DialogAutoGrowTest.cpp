#include <gtest/gtest.h>

#include "DialogTestUtil.h"

using namespace dlgtest;
using tvl::MulDiv;
using tvl::Rect;

namespace {

struct Control {
  DWORD style;
  WORD windowClass;
  int x, y, cx, cy;
  std::u16string text;
};

// A DIALOGEX in MS Shell Dlg 8 (measured in Tahoma: 6 x 13 base units) with the controls.
std::unique_ptr<CResDialog> MakeDialog(const std::vector<Control>& controls, DWORD dialogStyle = 0x80C00040) {
  Bytes t;
  t.W(1).W(0xFFFF).D(0).D(0).D(dialogStyle).W(static_cast<WORD>(controls.size())).W(0).W(0).W(300).W(200);
  t.W(0).W(0).S(u"Grow");
  if (dialogStyle & DS_SETFONT) t.W(8).W(400).B(0).B(1).S(u"MS Shell Dlg");
  DWORD id = 100;
  for (const Control& c : controls) {
    t.Align(4).D(0).D(0).D(0x50000000 | c.style).W(static_cast<WORD>(c.x)).W(static_cast<WORD>(c.y));
    t.W(static_cast<WORD>(c.cx)).W(static_cast<WORD>(c.cy)).D(id++).W(0xFFFF).W(c.windowClass).S(c.text).W(0);
  }
  return Parse(t.b);
}

// The measuring context the writer makes for a language.
struct Context {
  explicit Context(const CResDialog& dialog, LANGID language = kGerman) {
    CResourceData data;
    data.m_language = language;
    data.m_fontFace = u"Tahoma";
    data.m_fontSize = 8;
    context.Create(CTemplateMeasuringContext::BuildTemplate(dialog.m_isEx, dialog.m_style, dialog.ChooseFont(data)));
  }
  CTemplateMeasuringContext context;
};

// Pixel widths from the font itself: the sum of each character's advance.
int Px(const std::u16string& text) {
  static auto font = tvl::CMeasureFont::Open(u"Tahoma", -11, 400, false);
  int w = 0;
  for (char16_t c : text) w += font->GetCharWidth(c);
  return w;
}

int Du(int pixels) { return MulDiv(pixels, 1000, 1500); }

constexpr WORD kStatic = 0x82;
constexpr WORD kButton = 0x80;

}  // namespace

TEST(DialogAutoGrow, MeasuringDialogUnits) {
  auto d = MakeDialog({});
  Context c(*d);
  EXPECT_EQ(c.context.m_w1000, 1500);
  EXPECT_EQ(c.context.m_h1000, 1625);
  ASSERT_NE(c.context.GetFont(), nullptr);
  EXPECT_TRUE(c.context.GetNote().empty());
  // Without a font of its own a dialog measures in the system font: 8 x 16 base units.
  auto plain = MakeDialog({}, 0x80C00000);
  Context p(*plain);
  EXPECT_EQ(p.context.m_w1000, 2000);
  EXPECT_EQ(p.context.m_h1000, 2000);
  // A measuring dialog that cannot be made: the fallback units, measured all the same.
  CTemplateMeasuringContext broken;
  EXPECT_FALSE(broken.Create({0x0040}));
  EXPECT_EQ(broken.m_w1000, 1500);
  EXPECT_EQ(broken.m_h1000, 1625);
  EXPECT_NE(broken.GetFont(), nullptr);
  EXPECT_NE(broken.GetNote().find(u"1500 x 1625"), std::u16string::npos);
  // A face without a metric-compatible file says so.
  CDialogFont segoe{true, u"Segoe UI", 9, 400, 0, 0};
  CTemplateMeasuringContext s;
  EXPECT_TRUE(s.Create(CTemplateMeasuringContext::BuildTemplate(true, DS_SETFONT, segoe)));
  EXPECT_NE(s.GetNote().find(u"Segoe UI"), std::u16string::npos);
}

TEST(DialogAutoGrow, MeasuringTemplateHeader) {
  CDialogFont font{true, u"Tahoma", 8, 700, 1, 0};
  std::vector<WORD> ex = CTemplateMeasuringContext::BuildTemplate(true, 0x80C80048, font);
  // version, signature, help id, ex style, WS_CHILD | DS_SETFONT | DS_FIXEDSYS, 0 controls, 0, 0, 100, 100.
  std::vector<WORD> head(ex.begin(), ex.begin() + 13);
  EXPECT_EQ(head, (std::vector<WORD>{1, 0xFFFF, 0, 0, 0, 0, 0x0048, 0x4000, 0, 0, 0, 100, 100}));
  std::vector<WORD> rest(ex.begin() + 13, ex.end());
  EXPECT_EQ(rest, (std::vector<WORD>{0, 0, 0, 8, 700, 1, 'T', 'a', 'h', 'o', 'm', 'a', 0}));
  std::vector<WORD> classic = CTemplateMeasuringContext::BuildTemplate(false, 0x80C80048, font);
  EXPECT_EQ(std::vector<WORD>(classic.begin(), classic.begin() + 4), (std::vector<WORD>{0x0040, 0x4000, 0, 0}));
  // A face name too long for the 1000-word buffer is cut.
  font.face.assign(2000, u'F');
  EXPECT_EQ(CTemplateMeasuringContext::BuildTemplate(true, DS_SETFONT, font).size(), 1000u);
}

TEST(DialogAutoGrow, StaticGrowsRightOrKeepsItsRightEdge) {
  const std::u16string text = u"Vollst\u00e4ndiger Name des Benutzers:";
  auto d = MakeDialog({{0x0000, kStatic, 7, 9, 40, 8, u"Name:"},
                       {0x0002, kStatic, 150, 9, 40, 8, u"Name:"},
                       {0x0002, kStatic, 0, 30, 40, 8, u"Name:"},
                       {0x0002, kStatic, -5, 50, 40, 8, u"Name:"},
                       {0x000B, kStatic, 150, 70, 40, 8, u"Name:"}});  // SS_SIMPLE has bit 2 too
  for (auto& item : d->m_items) item->m_text.SetTranslation(text, kGerman);
  Context c(*d);
  const int w = Du(Px(text) + 3);
  ASSERT_GT(w, 40);
  EXPECT_EQ(d->m_items[0]->GetItemRect(kGerman, &c.context), (Rect{7, 9, 7 + w, 9 + 8}));
  EXPECT_EQ(d->m_items[1]->GetItemRect(kGerman, &c.context), (Rect{190 - w, 9, 190, 17}));
  // Right-aligned at x = 0: it would start left of 0, so it is moved to start at 0.
  EXPECT_EQ(d->m_items[2]->GetItemRect(kGerman, &c.context), (Rect{0, 30, w, 38}));
  // A control already left of 0 is not moved.
  EXPECT_EQ(d->m_items[3]->GetItemRect(kGerman, &c.context), (Rect{35 - w, 50, 35, 58}));
  EXPECT_EQ(d->m_items[4]->GetItemRect(kGerman, &c.context), (Rect{190 - w, 70, 190, 78}));
  // The written template holds the grown rectangle.
  auto written = Parse(Write(*d, kGerman), kGerman);
  EXPECT_EQ(written->m_items[0]->m_size.m_x, w);
  EXPECT_EQ(written->m_items[1]->m_pos.m_x, 190 - w);
}

TEST(DialogAutoGrow, NeverShrinksAndOnlyForTheTargetLanguage) {
  const std::u16string longSource = u"A rather long English label text";
  auto d = MakeDialog({{0, kStatic, 7, 9, 100, 8, u"Name:"}, {0, kStatic, 7, 20, 20, 8, longSource}});
  Context c(*d);
  // No translation for German: the plain rectangle, however long the source.
  EXPECT_EQ(d->m_items[1]->GetItemRect(kGerman, &c.context), (Rect{7, 20, 27, 28}));
  // A translation that fits leaves the rectangle as it is.
  d->m_items[0]->m_text.SetTranslation(u"Ja", kGerman);
  EXPECT_EQ(d->m_items[0]->GetItemRect(kGerman, &c.context), (Rect{7, 9, 107, 17}));
  // A translation with status 0 is measured with the source text (what is written), and grows.
  d->m_items[1]->m_text.SetTranslation(u"Kurz", kGerman);
  d->m_items[1]->m_text.FindValue(kGerman)->m_status = 0;
  EXPECT_EQ(d->m_items[1]->GetItemRect(kGerman, &c.context), (Rect{7, 20, 7 + Du(Px(longSource) + 3), 28}));
  // Written for the source language: nothing grows.
  Context english(*d, kEnglish);
  EXPECT_EQ(d->m_items[1]->GetItemRect(kEnglish, &english.context), (Rect{7, 20, 27, 28}));
  EXPECT_TRUE(SameTemplate(Write(*d, kEnglish), Write(*MakeDialog({{0, kStatic, 7, 9, 100, 8, u"Name:"},
                                                                  {0, kStatic, 7, 20, 20, 8, longSource}}),
                                                      kEnglish)));
  // The translated size is the box that grows.
  d->m_items[0]->m_text.SetTranslation(u"Ein viel zu langer Text", kGerman);
  d->m_items[0]->m_size.SetPoint(kGerman, 10, 12);
  d->m_items[0]->m_pos.SetPoint(kGerman, 3, 4);
  EXPECT_EQ(d->m_items[0]->GetItemRect(kGerman, &c.context),
            (Rect{3, 4, 3 + Du(Px(u"Ein viel zu langer Text") + 3), 16}));
}

TEST(DialogAutoGrow, ButtonsAddTheirBoxOrFrame) {
  const std::u16string check = u"Kontrollk\u00e4stchen mit langem Text";
  const std::u16string push = u"Einverstanden und weiter";
  auto d = MakeDialog({{0x0002, kButton, 7, 40, 60, 10, u"Check"},      // check box
                       {0x0022, kButton, 100, 40, 60, 10, u"Check"},    // text on the left
                       {0x0009, kButton, 7, 60, 60, 10, u"Radio"},      // auto radio button
                       {0x0001, kButton, 183, 7, 50, 14, u"OK"},        // default push button
                       {0x0300, kButton, 183, 30, 50, 14, u"OK"},       // centred text: BS_RIGHT bit
                       {0x1002, kButton, 7, 80, 40, 14, u"Like"},       // push-like check box
                       {0x1222, kButton, 100, 80, 40, 14, u"Like"}});   // push-like, right text bit
  d->m_items[0]->m_text.SetTranslation(check, kGerman);
  d->m_items[1]->m_text.SetTranslation(check, kGerman);
  d->m_items[2]->m_text.SetTranslation(check, kGerman);
  for (size_t i = 3; i < 7; ++i) d->m_items[i]->m_text.SetTranslation(push, kGerman);
  Context c(*d);
  // Check boxes: 13 pixels for the box, a leading space and 3 of margin.
  const int wc = Du(13 + Px(u" " + check) + 3);
  EXPECT_EQ(d->m_items[0]->GetItemRect(kGerman, &c.context), (Rect{7, 40, 7 + wc, 50}));
  EXPECT_EQ(d->m_items[1]->GetItemRect(kGerman, &c.context), (Rect{160 - wc, 40, 160, 50}));
  EXPECT_EQ(d->m_items[2]->GetItemRect(kGerman, &c.context), (Rect{7, 60, 7 + wc, 70}));
  // Push buttons: 6 pixels and 3.
  const int wp = Du(Px(push) + 6 + 3);
  EXPECT_EQ(d->m_items[3]->GetItemRect(kGerman, &c.context), (Rect{183, 7, 183 + wp, 21}));
  EXPECT_EQ(d->m_items[4]->GetItemRect(kGerman, &c.context), (Rect{233 - wp, 30, 233, 44}));
  EXPECT_EQ(d->m_items[5]->GetItemRect(kGerman, &c.context), (Rect{7, 80, 7 + wp, 94}));
  // A push-like check box follows BS_RIGHT, not BS_LEFTTEXT.
  EXPECT_EQ(d->m_items[6]->GetItemRect(kGerman, &c.context), (Rect{140 - wp, 80, 140, 94}));
}

TEST(DialogAutoGrow, TallStaticsWrapWordsInTheirBox) {
  const std::u16string words = u"Aaaaaaaaaaa Bbbbbbbbbbbb Cccccccccccc";
  const int box = MulDiv(30, 1500, 1000);  // 30 dialog units across in pixels
  for (const char16_t* w : {u"Aaaaaaaaaaa", u"Bbbbbbbbbbbb", u"Cccccccccccc"}) ASSERT_GT(Px(w), box);
  auto d = MakeDialog({{0, kStatic, 7, 9, 30, 16, u"x y z"}, {0, kStatic, 7, 40, 30, 15, u"x y z"}});
  for (auto& item : d->m_items) item->m_text.SetTranslation(words, kGerman);
  Context c(*d);
  // Each word on its own line: three lines of 13 pixels, as wide as the widest word.
  const int widest = std::max({Px(u"Aaaaaaaaaaa"), Px(u"Bbbbbbbbbbbb"), Px(u"Cccccccccccc")});
  EXPECT_EQ(d->m_items[0]->GetItemRect(kGerman, &c.context),
            (Rect{7, 9, 7 + Du(widest + 3), 9 + MulDiv(3 * 13, 1000, 1625)}));
  // 15 high: one line, grows only across.
  EXPECT_EQ(d->m_items[1]->GetItemRect(kGerman, &c.context), (Rect{7, 40, 7 + Du(Px(words) + 3), 55}));
}

TEST(DialogAutoGrow, ControlsThatNeverGrow) {
  const std::u16string text = u"Eine sehr lange \u00dcbersetzung des Textes";
  auto d = MakeDialog({{0x0007, kButton, 7, 9, 40, 30, u"Group"},      // group box
                       {0x000B, kButton, 7, 40, 40, 14, u"Owner"},      // owner-drawn
                       {0x0008, kButton, 7, 60, 40, 14, u"Owner"},      // user button
                       {0x2000, kButton, 7, 80, 40, 14, u"Multi"},      // multi-line
                       {0x0080, kButton, 7, 100, 40, 14, u"Bitmap"},
                       {0x0040, kButton, 7, 120, 40, 14, u"Icon"},
                       {0x0003, kStatic, 7, 140, 40, 8, u"Icon"},       // icon static
                       {0x4000, kStatic, 7, 150, 40, 8, u"Ellipsis"},   // end ellipsis
                       {0x0000, 0x81, 7, 160, 40, 12, u"Edit"}});
  Context c(*d);
  for (auto& item : d->m_items) {
    item->m_text.SetTranslation(text, kGerman);
    const CResDialogItem& i = *item;
    EXPECT_EQ(i.GetItemRect(kGerman, &c.context),
              (Rect{i.m_pos.m_x, i.m_pos.m_y, i.m_pos.m_x + i.m_size.m_x, i.m_pos.m_y + i.m_size.m_y}))
        << std::hex << i.m_style;
  }
}

TEST(DialogAutoGrow, TargetFontIsTheOneMeasuredWith) {
  // Each font measures in its own pixels and its own base units.
  auto d = MakeDialog({{0, kStatic, 7, 9, 20, 8, u"x"}});
  d->m_items[0]->m_text.SetTranslation(u"Breiter Text", kGerman);
  Context regular(*d);
  const Rect r1 = d->m_items[0]->GetItemRect(kGerman, &regular.context);
  d->m_font.SetFont(kGerman, u"Tahoma", 8, 700, 0, 0);
  Context bold(*d);
  const Rect r2 = d->m_items[0]->GetItemRect(kGerman, &bold.context);
  auto boldFont = tvl::CMeasureFont::Open(u"Tahoma", -11, 700, false);
  EXPECT_EQ(r2.right - r2.left, MulDiv(boldFont->GetTextWidth(u"Breiter Text") + 3, 1000, bold.context.m_w1000));
  EXPECT_EQ(r1.right - r1.left, Du(Px(u"Breiter Text") + 3));
  // Bold Tahoma 8 has a base unit of 7 against 6: in dialog units the bold text is the
  // narrower one (43 against 42 on the platform too).
  EXPECT_NE(r2.right, r1.right);
}
