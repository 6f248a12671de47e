#include <gtest/gtest.h>

#include <memory>

#include "formats/layout/DlgInit.h"
#include "formats/layout/ResDialog.h"
#include "workspace/CommandIds.h"
#include "workspace/DialogViewRules.h"

using namespace tvl;

namespace {

constexpr LANGID kEnglish = 0x0409, kFrench = 0x040C;

void AddItem(CResDialog& d, WORD classOrdinal, DWORD style, const std::u16string& text, DWORD id) {
  auto item = std::make_unique<CResDialogItem>();
  item->m_class.SetOrdinal(classOrdinal);
  item->m_style = style;
  item->m_id = id;
  item->m_text.m_text = text;
  item->m_text.m_language = kEnglish;
  item->m_noText = CResDialogItem::ShowsNoText(item->m_class, style);
  d.m_items.push_back(std::move(item));
}

// Caption; 0 static "Label"; 1 icon (no text); 2 button "OK"; 3 list box with "One", "Two".
std::unique_ptr<CResDialog> MakeDialog() {
  auto d = std::make_unique<CResDialog>();
  d->m_caption.m_text = u"Caption";
  d->m_caption.m_language = kEnglish;
  AddItem(*d, 0x82, 0, u"Label", 10);
  AddItem(*d, 0x82, 3, u"", 11);
  AddItem(*d, 0x80, 0, u"OK", 12);
  AddItem(*d, 0x83, 0, u"", 13);
  for (const char16_t* s : {u"One", u"Two"}) {
    auto text = std::make_unique<CLocalizedString>();
    text->m_text = s;
    text->m_language = kEnglish;
    d->m_dlgInit.push_back(std::make_unique<CDlgInitMsg>(13, kDlgInitListAddString, std::move(text)));
  }
  return d;
}

}  // namespace

TEST(DialogClickCycle, SmallestFirstThenCyclesThroughStackedWindows) {
  // A group box holding a button, and a control elsewhere.
  const std::vector<Rect> controls = {{0, 0, 100, 60}, {10, 20, 50, 40}, {200, 0, 220, 20}};
  auto under = ClickCandidates(controls, 20, 30);
  ASSERT_EQ(under.size(), 2u);
  EXPECT_EQ(under[0].window, 1);
  EXPECT_EQ(under[1].window, 0);
  // Three clicks on one point: button, group box, button.
  std::vector<CClickCandidate> last;
  int selected = -2;
  std::vector<int> picked;
  for (int i = 0; i < 3; ++i) {
    selected = ChooseClicked(under, last, selected);
    last = under;
    picked.push_back(selected);
  }
  EXPECT_EQ(picked, (std::vector<int>{1, 0, 1}));
  // A click where nothing lies: the dialog.
  auto empty = ClickCandidates(controls, 150, 50);
  ASSERT_EQ(empty.size(), 1u);
  EXPECT_EQ(ChooseClicked(empty, under, 1), -1);
  // Equal areas keep the controls' order; another set of windows starts from the smallest.
  auto same = ClickCandidates({{0, 0, 10, 10}, {0, 0, 10, 10}}, 5, 5);
  EXPECT_EQ(same[0].window, 0);
  EXPECT_EQ(ChooseClicked(same, under, 0), 0);
}

TEST(DialogKeyboardWalk, WrapsBetweenLastControlAndDialog) {
  const struct {
    int selected;
    bool forward;
    int want;
  } cases[] = {{-1, true, 0}, {0, true, 1}, {3, true, -1}, {-1, false, 3}, {0, false, -1}, {-2, true, 0}, {2, false, 1}};
  for (const auto& c : cases) EXPECT_EQ(WalkControls(c.selected, 4, c.forward), c.want) << c.selected;
  EXPECT_EQ(WalkControls(-1, 0, true), -1);
}

TEST(DialogNextElement, WalksCaptionTextsAndListEntriesSkippingDoneOnes) {
  auto d = MakeDialog();
  CDialogElement e;  // nothing selected: the caption first
  ASSERT_TRUE(NextElementToTranslate(*d, kFrench, ID_VIEW_TRANSLATABLE, e));
  EXPECT_EQ(e, (CDialogElement{-1, -1}));
  std::vector<CDialogElement> walk;
  for (int i = 0; i < 5; ++i) {
    ASSERT_TRUE(NextElementToTranslate(*d, kFrench, ID_VIEW_TRANSLATABLE, e));
    walk.push_back(e);
  }
  // The icon shows no text; the list box's entries follow its (absent) text; then the caption again.
  EXPECT_EQ(walk, (std::vector<CDialogElement>{{0, -1}, {2, -1}, {3, 0}, {3, 1}, {-1, -1}}));

  // In the work modes translated elements are passed over; with none left the walk fails.
  d->m_items[2]->m_text.SetTranslation(u"D'accord", kFrench);
  e = {0, -1};
  ASSERT_TRUE(NextElementToTranslate(*d, kFrench, ID_VIEW_TO_TRANSLATE, e));
  EXPECT_EQ(e, (CDialogElement{3, 0}));
  d->m_caption.SetTranslation(u"Titre", kFrench);
  d->m_items[0]->m_text.SetTranslation(u"Etiquette", kFrench);
  d->m_dlgInit[0]->GetText()->SetTranslation(u"Un", kFrench);
  d->m_dlgInit[1]->GetText()->SetDoNotTranslate(true);
  e = {0, -1};
  EXPECT_FALSE(NextElementToTranslate(*d, kFrench, ID_VIEW_TO_TRANSLATE, e));
  EXPECT_EQ(e, (CDialogElement{0, -1}));
}

TEST(DialogWorkMarks, ThresholdOfEachModeDecidesWhatIsMarked) {
  auto d = MakeDialog();
  d->m_items[0]->m_text.SetTranslation(u"Etiquette", kFrench);  // status 1
  EXPECT_EQ(WorkThreshold(ID_VIEW_TRANSLATABLE), 0);
  const int translate = WorkThreshold(ID_VIEW_TO_TRANSLATE), edit = WorkThreshold(ID_VIEW_TO_EDIT);
  EXPECT_FALSE(ControlNeedsWork(*d, 0, kFrench, translate));
  EXPECT_TRUE(ControlNeedsWork(*d, 0, kFrench, edit));
  EXPECT_TRUE(ControlNeedsWork(*d, 2, kFrench, translate));
  EXPECT_FALSE(ControlNeedsWork(*d, 1, kFrench, edit));  // no text of its own
  EXPECT_TRUE(CaptionNeedsWork(*d, kFrench, translate));
  // A list box needs work while one of its strings does.
  EXPECT_TRUE(ControlNeedsWork(*d, 3, kFrench, translate));
  d->m_dlgInit[0]->GetText()->SetTranslation(u"Un", kFrench);
  d->m_dlgInit[1]->GetText()->SetTranslation(u"Deux", kFrench);
  EXPECT_FALSE(ControlNeedsWork(*d, 3, kFrench, translate));
  EXPECT_TRUE(ControlNeedsWork(*d, 3, kFrench, edit));
  // The first entry a list shows in the work modes is its first untranslated one.
  d->m_dlgInit[0]->GetText()->RemoveTranslation(kFrench, true);
  d->m_dlgInit[1]->GetText()->RemoveTranslation(kFrench, true);
  d->m_dlgInit[0]->GetText()->SetTranslation(u"Un", kFrench);
  EXPECT_EQ(EntryShownFirst(*d, 3, kFrench, ID_VIEW_TO_TRANSLATE), 1);
  EXPECT_EQ(EntryShownFirst(*d, 3, kFrench, ID_VIEW_TRANSLATABLE), 0);
  EXPECT_EQ(EntryShownFirst(*d, 0, kFrench, ID_VIEW_TRANSLATABLE), -1);
}

TEST(DialogFrame, StyleDecidesBorderAndCaptionBar) {
  const struct {
    DWORD style, exStyle;
    int border, caption;
    bool close;
  } cases[] = {
      {0x80C80080, 0, 3, 19, true},       // modal frame, caption, system menu
      {0x80CC0000, 0x80, 4, 16, true},    // sizing tool window
      {0x80C00000, 0, 3, 19, false},      // caption only
      {0x40000000, 0, 0, 0, false},       // plain child
      {0x40800000, 0, 1, 0, false},       // border only
  };
  for (const auto& c : cases) {
    CDialogFrame f = DialogFrameOf(c.style, c.exStyle);
    EXPECT_EQ(f.border, c.border) << std::hex << c.style;
    EXPECT_EQ(f.caption, c.caption) << std::hex << c.style;
    EXPECT_EQ(f.closeBox, c.close) << std::hex << c.style;
  }
}
