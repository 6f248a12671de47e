#include <gtest/gtest.h>

#include <limits>

#include "DialogTestUtil.h"
#include "formats/layout/DlgInit.h"
#include "formats/layout/ResBinary.h"

using namespace dlgtest;

namespace {

struct ControlDef {
  DWORD id;
  std::u16string text;
  int x = 0, y = 0, cx = 50, cy = 10;
};

std::unique_ptr<CResDialog> Dialog(const std::vector<ControlDef>& defs, LANGID language = kEnglish,
                                   const std::u16string& caption = u"Caption") {
  auto d = std::make_unique<CResDialog>();
  d->m_identifier.SetOrdinal(100);
  d->m_statusChain.m_language = language;
  d->m_caption.m_text = caption;
  d->m_caption.m_language = language;
  d->m_size.m_language = language;
  d->m_size.m_x = 200;
  d->m_size.m_y = 100;
  for (const ControlDef& s : defs) {
    auto item = std::make_unique<CResDialogItem>();
    item->m_id = s.id;
    item->m_class.SetOrdinal(0x82);
    item->m_text.m_text = s.text;
    item->m_text.m_language = language;
    item->m_pos.m_language = item->m_size.m_language = language;
    item->m_pos.m_x = s.x;
    item->m_pos.m_y = s.y;
    item->m_size.m_x = s.cx;
    item->m_size.m_y = s.cy;
    d->m_items.push_back(std::move(item));
  }
  d->m_itemCount = static_cast<WORD>(d->m_items.size());
  return d;
}

// Each control's German text, "" when it has none; "?" marks a status-0 translation.
std::vector<std::u16string> German(const CResDialog& d) {
  std::vector<std::u16string> out;
  for (const auto& item : d.m_items) {
    const CLocalizedParam* n = item->m_text.FindValue(kGerman);
    if (!n) {
      out.emplace_back();
      continue;
    }
    std::u16string text = static_cast<const CLocalizedString*>(n)->m_text;
    if (n->m_status == 0) text += u"?";
    out.push_back(text);
  }
  return out;
}

void TranslateAll(CResDialog& d) {
  d.m_caption.SetTranslation(u"Titel", kGerman);
  for (auto& item : d.m_items) item->m_text.SetTranslation(item->m_text.m_text + u"-de", kGerman);
}

std::unique_ptr<CDlgInitMsg> Text(WORD id, const std::u16string& text, LANGID language = kEnglish) {
  return std::make_unique<CDlgInitMsg>(id, 0x403, std::make_unique<CLocalizedString>(text, language));
}

}  // namespace

TEST(DialogMerge, InsertedAndRemovedControlsKeepEveryOtherTranslation) {
  auto old = Dialog({{1, u"a"}, {2, u"b"}, {3, u"c"}, {4, u"d"}});
  TranslateAll(*old);
  auto inserted = Dialog({{1, u"a"}, {2, u"b"}, {9, u"new"}, {3, u"c"}, {4, u"d"}});
  inserted->Merge(*old, true, false);
  EXPECT_EQ(German(*inserted), (std::vector<std::u16string>{u"a-de", u"b-de", u"", u"c-de", u"d-de"}));
  EXPECT_EQ(inserted->m_caption.GetText(kGerman), u"Titel");
  EXPECT_EQ(inserted->m_caption.GetValueStatus(kGerman), 1);
  // The new control starts untranslated, and so the dialog.
  EXPECT_EQ(inserted->ComputeStatus(kGerman), 0);

  auto removed = Dialog({{1, u"a"}, {3, u"c"}, {4, u"d"}});
  removed->Merge(*old, true, false);
  EXPECT_EQ(German(*removed), (std::vector<std::u16string>{u"a-de", u"c-de", u"d-de"}));
  EXPECT_EQ(removed->ComputeStatus(kGerman), 1);
}

TEST(DialogMerge, EqualControlsInTheMiddlePairInOrderAndMovedOnesLoosely) {
  auto old = Dialog({{1, u"head"}, {5, u"same"}, {5, u"same"}, {8, u"tail", 0, 90}});
  old->m_items[1]->m_text.SetTranslation(u"eins", kGerman);
  old->m_items[2]->m_text.SetTranslation(u"zwei", kGerman);
  old->m_items[3]->m_text.SetTranslation(u"Ende", kGerman);
  // A control inserted after the head; the last one moved (no common tail).
  auto fresh = Dialog({{1, u"head"}, {7, u"inserted"}, {5, u"same"}, {5, u"same"}, {8, u"tail", 0, 95}});
  fresh->Merge(*old, true, false);
  EXPECT_EQ(German(*fresh), (std::vector<std::u16string>{u"", u"", u"eins", u"zwei", u"Ende"}));
}

TEST(DialogMerge, MovedControlsSharingAnIdPairByTheirText) {
  // Static labels often share one id; moved, only their texts tell them apart.
  auto old = Dialog({{0xFFFF, u"First:", 5, 10}, {0xFFFF, u"Second:", 5, 30}, {0xFFFF, u"Third:", 5, 50}});
  TranslateAll(*old);
  auto fresh = Dialog({{0xFFFF, u"Second:", 8, 32}, {0xFFFF, u"First:", 8, 12}, {0xFFFF, u"Fourth:", 8, 70}});
  fresh->Merge(*old, true, false);
  // What is left after that, one control on each side, pairs by its now unique id: the renamed
  // label keeps its translation, out of date.
  EXPECT_EQ(German(*fresh), (std::vector<std::u16string>{u"Second:-de", u"First:-de", u"Third:-de?"}));
}

TEST(DialogMerge, EveryStageRequiresEqualIds) {
  auto old = Dialog({{1, u"text"}});
  TranslateAll(*old);
  auto fresh = Dialog({{2, u"text"}});
  fresh->Merge(*old, true, false);
  EXPECT_EQ(German(*fresh), (std::vector<std::u16string>{u""}));
}

TEST(DialogMerge, ChangedTextWithAUniqueIdPairsLastAndGoesOutOfDate) {
  auto old = Dialog({{1, u"Open"}, {2, u"Close"}});
  TranslateAll(*old);
  auto fresh = Dialog({{1, u"Open file"}, {2, u"Close"}});
  fresh->Merge(*old, true, false);
  EXPECT_EQ(German(*fresh), (std::vector<std::u16string>{u"Open-de?", u"Close-de"}));
  // An id held by two controls on one side pairs nothing at that stage.
  auto twice = Dialog({{5, u"a"}, {5, u"b"}});
  TranslateAll(*twice);
  auto changed = Dialog({{5, u"c"}, {5, u"d"}});
  changed->Merge(*twice, true, false);
  EXPECT_EQ(German(*changed), (std::vector<std::u16string>{u"", u""}));
}

TEST(DialogMerge, AMovedControlKeepsItsTranslatedOffset) {
  auto old = Dialog({{1, u"label", 10, 10, 50, 10}});
  old->m_items[0]->m_pos.SetPoint(kGerman, 12, 14);
  old->m_items[0]->m_size.SetPoint(kGerman, 60, 10);
  old->m_items[0]->m_pos.SetPoint(kFrench, 8, 10);
  auto fresh = Dialog({{1, u"label", 15, 13, 50, 10}});
  fresh->Merge(*old, true, false);
  const CResDialogItem& item = *fresh->m_items[0];
  auto german = static_cast<const CLocalizedPoint*>(item.m_pos.FindValue(kGerman));
  ASSERT_NE(german, nullptr);
  EXPECT_EQ(german->m_x, 17);
  EXPECT_EQ(german->m_y, 17);
  EXPECT_EQ(german->m_status, 0);  // the moved source counts as a change
  auto french = static_cast<const CLocalizedPoint*>(item.m_pos.FindValue(kFrench));
  EXPECT_EQ(french->m_x, 13);
  EXPECT_EQ(french->m_y, 13);
  // Sizes are not shifted and stay up to date.
  auto size = static_cast<const CLocalizedPoint*>(item.m_size.FindValue(kGerman));
  EXPECT_EQ(size->m_x, 60);
  EXPECT_EQ(size->m_status, 1);
  // Until the position is given again, a target uses the new source position.
  EXPECT_EQ(item.GetItemRect(kGerman, nullptr), (tvl::Rect{15, 13, 75, 23}));
}

TEST(DialogMerge, AShiftFromExtremeStoredPositionsSaturates) {
  // A project may store any 32-bit position; the shift must not wrap round.
  constexpr int kMax = std::numeric_limits<int>::max(), kMin = std::numeric_limits<int>::min();
  auto old = Dialog({{1, u"label", kMin, 0, 50, 10}});
  old->m_items[0]->m_pos.SetPoint(kGerman, kMax - 5, kMin);
  old->m_items[0]->m_pos.SetPoint(kFrench, kMin, 3);
  auto fresh = Dialog({{1, u"label", kMax, -10, 50, 10}});
  fresh->Merge(*old, true, false);
  auto german = static_cast<const CLocalizedPoint*>(fresh->m_items[0]->m_pos.FindValue(kGerman));
  auto french = static_cast<const CLocalizedPoint*>(fresh->m_items[0]->m_pos.FindValue(kFrench));
  ASSERT_TRUE(german && french);
  EXPECT_EQ(german->m_x, kMax);
  EXPECT_EQ(german->m_y, kMin);
  EXPECT_EQ(french->m_x, kMax);  // kMin moved by kMax - kMin: just in range
  EXPECT_EQ(french->m_y, -7);
}

TEST(DialogMerge, ImportOfATranslatedFileFillsOnlyWhatIsMissing) {
  auto project = Dialog({{1, u"One", 10, 10}, {2, u"Two", 10, 30}, {3, u"Three", 10, 50}, {7, u"x"}, {7, u"y"}});
  project->m_items[0]->m_text.SetTranslation(u"Eins", kGerman);
  // Read from the translated file: the heads carry German.
  auto translated = Dialog({{1, u"Anders", 10, 10}, {2, u"Zwei", 10, 30}, {3, u"Drei", 12, 55},
                            {7, u"x-de"}, {7, u"y-de"}},
                           kGerman, u"Titel");
  translated->m_size.m_x = 220;
  project->Merge(*translated, false, false);
  EXPECT_EQ(German(*project), (std::vector<std::u16string>{u"Eins", u"Zwei", u"Drei", u"x-de", u"y-de"}));
  EXPECT_EQ(project->m_caption.GetText(kGerman), u"Titel");
  // Positions equal to the source add nothing; a different one is taken.
  EXPECT_EQ(project->m_items[1]->m_pos.FindValue(kGerman), nullptr);
  auto moved = static_cast<const CLocalizedPoint*>(project->m_items[2]->m_pos.FindValue(kGerman));
  ASSERT_NE(moved, nullptr);
  EXPECT_EQ(moved->m_x, 12);
  EXPECT_EQ(moved->m_status, 1);
  EXPECT_EQ(project->m_items[2]->m_size.FindValue(kGerman), nullptr);
  auto size = static_cast<const CLocalizedPoint*>(project->m_size.FindValue(kGerman));
  ASSERT_NE(size, nullptr);
  EXPECT_EQ(size->m_x, 220);
  // The source stays the project's.
  EXPECT_EQ(project->m_items[0]->m_text.m_text, u"One");
  EXPECT_EQ(project->m_items[0]->m_text.m_language, kEnglish);
}

TEST(DialogMerge, ImportOfATranslatorsProjectOverwrites) {
  auto project = Dialog({{1, u"One", 10, 10}, {2, u"Two", 10, 30}});
  project->m_items[0]->m_text.SetTranslation(u"Alt", kGerman);
  project->m_items[0]->m_pos.SetPoint(kFrench, 11, 11);
  auto copy = Dialog({{1, u"One", 10, 10}, {2, u"Two changed", 10, 30}});
  copy->m_items[0]->m_text.SetTranslation(u"Neu", kGerman);
  copy->m_items[1]->m_text.SetTranslation(u"Zwei", kGerman);
  project->Merge(*copy, false, true);
  // Overwritten; where the translator's source differs, the imported language is out of date.
  EXPECT_EQ(German(*project), (std::vector<std::u16string>{u"Neu", u"Zwei?"}));
  EXPECT_EQ(project->m_items[1]->m_text.m_text, u"Two");

  // Positions taken from a copy whose source position differs are shifted; the project's own
  // positions of other languages are not.
  auto project2 = Dialog({{1, u"One", 20, 20}});
  project2->m_items[0]->m_pos.SetPoint(kFrench, 25, 25);
  auto copy2 = Dialog({{1, u"One", 10, 10}});
  copy2->m_items[0]->m_pos.SetPoint(kGerman, 12, 12);
  project2->Merge(*copy2, false, true);
  auto de = static_cast<const CLocalizedPoint*>(project2->m_items[0]->m_pos.FindValue(kGerman));
  auto fr = static_cast<const CLocalizedPoint*>(project2->m_items[0]->m_pos.FindValue(kFrench));
  ASSERT_TRUE(de && fr);
  EXPECT_EQ(de->m_x, 22);
  EXPECT_EQ(fr->m_x, 25);
}

TEST(DialogMerge, InitialisationDataPairsByControlAndOccurrence) {
  auto old = Dialog({{1, u"a"}});
  old->m_dlgInit.push_back(Text(1102, u"Red"));
  old->m_dlgInit.push_back(Text(1103, u"List"));
  old->m_dlgInit.push_back(Text(1102, u"Green"));
  old->m_dlgInit.push_back(std::make_unique<CDlgInitMsg>(1105, 0x376, std::make_unique<CLocalizedBlob>()));
  old->m_dlgInit.push_back(Text(1106, u"kind"));
  old->m_dlgInit[0]->GetText()->SetTranslation(u"Rot", kGerman);
  old->m_dlgInit[1]->GetText()->SetTranslation(u"Liste", kGerman);
  old->m_dlgInit[2]->GetText()->SetTranslation(u"Gr\u00fcn", kGerman);
  old->m_dlgInit[3]->GetBlob()->m_language = kEnglish;
  old->m_dlgInit[3]->GetBlob()->SetBlob(kGerman, {7, 7});
  old->m_dlgInit[4]->GetText()->SetTranslation(u"Art", kGerman);

  auto fresh = Dialog({{1, u"a"}});
  fresh->m_dlgInit.push_back(Text(1102, u"Red"));
  fresh->m_dlgInit.push_back(Text(1102, u"Green!"));
  fresh->m_dlgInit.push_back(Text(1102, u"Blue"));
  fresh->m_dlgInit.push_back(std::make_unique<CDlgInitMsg>(1105, 0x376, std::make_unique<CLocalizedBlob>()));
  fresh->m_dlgInit.push_back(std::make_unique<CDlgInitMsg>(1106, 0x376, std::make_unique<CLocalizedBlob>()));
  fresh->m_dlgInit[3]->GetBlob()->m_language = kEnglish;
  fresh->Merge(*old, true, false);
  // First to first, second to second (its source changed: out of date), the third is new.
  EXPECT_EQ(fresh->m_dlgInit[0]->GetText()->GetText(kGerman), u"Rot");
  EXPECT_EQ(fresh->m_dlgInit[0]->GetText()->GetValueStatus(kGerman), 1);
  EXPECT_EQ(fresh->m_dlgInit[1]->GetText()->GetText(kGerman), u"Gr\u00fcn");
  EXPECT_EQ(fresh->m_dlgInit[1]->GetText()->GetValueStatus(kGerman), 0);
  EXPECT_EQ(fresh->m_dlgInit[2]->GetText()->FindValue(kGerman), nullptr);
  auto blob = static_cast<const CLocalizedBlob*>(fresh->m_dlgInit[3]->GetBlob()->FindValue(kGerman));
  ASSERT_NE(blob, nullptr);
  EXPECT_EQ(blob->m_data, (std::vector<BYTE>{7, 7}));
  // A text entry and a binary one take nothing from each other.
  EXPECT_EQ(fresh->m_dlgInit[4]->GetBlob()->FindValue(kGerman), nullptr);
}

TEST(DialogMerge, FontsAndDialogValues) {
  auto old = Dialog({});
  old->m_font.m_text = u"MS Shell Dlg";
  old->m_font.m_language = kEnglish;
  old->m_font.SetFont(kGerman, u"Arial", 9, 700, 1, 0);
  old->m_font.SetFont(kFrench, u"Verdana", 10, 400, 0, 0);
  old->m_size.SetPoint(kGerman, 250, 120);
  auto fresh = Dialog({});
  fresh->m_font.m_text = u"MS Shell Dlg";
  fresh->m_font.m_language = kEnglish;
  fresh->m_font.SetFont(kFrench, u"Tahoma", 8, 400, 0, 0);  // already there: kept
  fresh->Merge(*old, true, false);
  auto de = static_cast<const CLocalizedFontReference*>(fresh->m_font.FindValue(kGerman));
  ASSERT_NE(de, nullptr);
  EXPECT_EQ(de->m_text, u"Arial");
  EXPECT_EQ(de->m_pointSize, 9);
  EXPECT_EQ(de->m_weight, 700);
  EXPECT_EQ(de->m_italic, 1);
  EXPECT_EQ(static_cast<const CLocalizedFontReference*>(fresh->m_font.FindValue(kFrench))->m_text, u"Tahoma");
  EXPECT_EQ(fresh->m_font.m_text, u"MS Shell Dlg");
  auto size = static_cast<const CLocalizedPoint*>(fresh->m_size.FindValue(kGerman));
  ASSERT_NE(size, nullptr);
  EXPECT_EQ(size->m_x, 250);
  EXPECT_EQ(size->m_status, 1);
  // The status chain learns the languages of the other version.
  old->m_statusChain.SetStatus(kGerman, 1);
  fresh->Merge(*old, true, false);
  EXPECT_TRUE(fresh->HasTranslation(kGerman));
  // Another kind of resource merges nothing into a dialog.
  const std::vector<LANGID> fonts = fresh->m_font.Languages();
  const std::vector<LANGID> captions = fresh->m_caption.Languages();
  CResBinary binary;
  binary.m_statusChain.m_language = kEnglish;
  fresh->Merge(binary, true, false);
  EXPECT_EQ(fresh->m_font.Languages(), fonts);
  EXPECT_EQ(fresh->m_caption.Languages(), captions);
}
