#include <gtest/gtest.h>

#include "workspace/ViewRules.h"

using namespace tvl;

TEST(ViewRules, LineCountsAndBreaksFollowTheSource) {
  EXPECT_EQ(CountLines(u""), 1);
  EXPECT_EQ(CountLines(u"a\r\nb\rc\nd"), 4);
  EXPECT_EQ(CountLines(u"a\n\r"), 3);  // LF then a lone CR: two breaks
  // The first break comes from the source; the extra one takes the source's most frequent kind.
  EXPECT_EQ(MatchLineBreaks(u"x\ny\nz", u"a\r\nb"), u"x\r\ny\r\nz");
  EXPECT_EQ(MatchLineBreaks(u"x\r\ny\r\nz", u"a\nb\rc\nd"), u"x\ny\rz");
  // More lone CRs than LFs and no pairs: CR; no breaks at all in the source: CR LF.
  EXPECT_EQ(MatchLineBreaks(u"1\n2\n3\n4", u"a\rb\rc"), u"1\r2\r3\r4");
  EXPECT_EQ(MatchLineBreaks(u"1\n2", u"single"), u"1\r\n2");
  EXPECT_EQ(MatchLineBreaks(u"same", u"a\nb"), u"same");
  EXPECT_EQ(EscapeControlChars(u"a\tb\r\nc"), u"a\\tb\\r\\nc");
}

TEST(ViewRules, ModesDecideWhatTheTreeLists) {
  EXPECT_EQ(EffectiveMode(ID_VIEW_TRANSLATABLE, true), ID_VIEW_ALL_ITEMS);
  EXPECT_EQ(EffectiveMode(ID_VIEW_TO_TRANSLATE, true), ID_VIEW_TO_TRANSLATE);
  EXPECT_TRUE(IsNodeVisible(ID_VIEW_ALL_ITEMS, true, 2));
  EXPECT_FALSE(IsNodeVisible(ID_VIEW_TRANSLATABLE, true, 0));
  EXPECT_TRUE(IsNodeVisible(ID_VIEW_TO_TRANSLATE, false, 0));
  EXPECT_FALSE(IsNodeVisible(ID_VIEW_TO_TRANSLATE, false, 1));
  EXPECT_TRUE(IsNodeVisible(ID_VIEW_TO_EDIT, false, 1));
  EXPECT_FALSE(IsNodeVisible(ID_VIEW_TO_EDIT, false, 2));

  EXPECT_EQ(ModeListEntry(ID_VIEW_TRANSLATABLE, true), 0);
  EXPECT_EQ(ModeListEntry(ID_VIEW_TRANSLATABLE, false), 1);
  EXPECT_EQ(ModeListEntry(ID_VIEW_TO_TRANSLATE, false), 2);
  EXPECT_EQ(ModeListEntry(ID_VIEW_TO_EDIT, false), -1);
  int mode = ID_VIEW_TRANSLATABLE;
  bool flag = true;
  ModeFromListEntry(2, mode, flag);
  EXPECT_EQ(mode, ID_VIEW_TO_TRANSLATE);
  EXPECT_TRUE(flag);  // kept
}

TEST(ViewRules, StringRowsAndCountersFollowTheStatus) {
  // claimed, do-not-translate, empty source, status, mode, flag
  CStringRowRule r = ClassifyString(true, false, false, 0, ID_VIEW_TRANSLATABLE, true);
  EXPECT_FALSE(r.shown || r.untranslated || r.toEdit);
  r = ClassifyString(false, true, false, 0, ID_VIEW_TRANSLATABLE, true);
  EXPECT_TRUE(r.shown);
  EXPECT_FALSE(r.untranslated || r.toEdit);
  EXPECT_FALSE(ClassifyString(false, true, false, 0, ID_VIEW_TRANSLATABLE, false).shown);
  r = ClassifyString(false, false, false, 0, ID_VIEW_TO_TRANSLATE, false);
  EXPECT_TRUE(r.shown && r.untranslated && r.toEdit);
  r = ClassifyString(false, false, false, 1, ID_VIEW_TO_EDIT, false);
  EXPECT_FALSE(r.shown);  // "To be edited" lists what "To be translated" lists
  EXPECT_TRUE(r.toEdit && !r.untranslated);
  r = ClassifyString(false, false, true, 0, ID_VIEW_TRANSLATABLE, false);
  EXPECT_TRUE(r.shown);
  EXPECT_FALSE(r.untranslated || r.toEdit);

  int u = 3, e = 5;
  AdjustCounts(CountChange::TranslationSet, 0, 1, u, e);
  EXPECT_EQ(u, 2);
  EXPECT_EQ(e, 5);
  AdjustCounts(CountChange::TranslationSet, 1, 2, u, e);
  EXPECT_EQ(e, 4);
  AdjustCounts(CountChange::TranslationRemoved, 2, 0, u, e);
  EXPECT_EQ(u, 3);
  EXPECT_EQ(e, 5);
  AdjustCounts(CountChange::BecameNotTranslatable, 0, 0, u, e);
  EXPECT_EQ(u, 2);
  EXPECT_EQ(e, 4);
  AdjustCounts(CountChange::BecameTranslatable, 1, 1, u, e);
  EXPECT_EQ(u, 2);
  EXPECT_EQ(e, 5);

  EXPECT_EQ(TableStatusFromCounts(0, 0), 2);
  EXPECT_EQ(TableStatusFromCounts(1, 3), 0);
  EXPECT_EQ(TableStatusFromCounts(0, 1), 1);
}

TEST(ViewRules, HeaderTextsAndExportNames) {
  EXPECT_EQ(HeaderTypeName(241), u"Toolbar");
  EXPECT_EQ(HeaderTypeName(10), u"");
  EXPECT_EQ(DoNotTranslateLabel(true, 16), u"&Do not translate version info item");
  EXPECT_EQ(DoNotTranslateLabel(false, 6), u"&Do not translate resource");
  EXPECT_EQ(ExportFileName(u"MY/DATA:1", u"bin"), u"MYDATA1.bin");
  EXPECT_EQ(ExportFileName(u"page.htm", u"bin"), u"page.htm");
  EXPECT_EQ(ExportFileName(u"\"LOGO\"", u"bmp"), u"LOGO.bmp");
  EXPECT_LT(CompareUiText(u"french", u"German"), 0);
  EXPECT_EQ(CompareUiText(u"APP.EXE", u"app.exe"), 0);
}
