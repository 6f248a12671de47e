#include <gtest/gtest.h>

#include <set>

#include "archive/Archive.h"
#include "resmodel/LocalizedParam.h"

namespace {

std::vector<BYTE> Store(CLocalizedParam& head, const std::set<LANGID>* filter = nullptr) {
  CArchive ar;
  if (filter) ar.SetLanguageFilter(*filter);
  head.Serialize(ar);
  return ar.GetStoredBytes();
}

template <class T>
void Load(T& head, const std::vector<BYTE>& bytes, const std::set<LANGID>* filter = nullptr) {
  CArchive ar(bytes.data(), bytes.size(), u"test.tvl");
  if (filter) ar.SetLanguageFilter(*filter);
  head.Serialize(ar);
  ar.Close();
}

// A head with translations for the given languages, each node's text naming its language.
void Chain(CLocalizedString& head, LANGID source, std::vector<LANGID> targets) {
  head.m_text = u"src";
  head.m_language = source;
  for (LANGID l : targets) head.SetTranslation(u"t" + std::u16string(1, static_cast<char16_t>(u'0' + (l & 0xF))), l);
}

}  // namespace

TEST(LocalizedString, WorkedExampleStoresNestedChainByteForByte) {
  CLocalizedString head(u"a", 0x0409, 0);
  head.SetTranslation(u"b", 0x040C);
  std::vector<BYTE> expected = {0x09, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01,   // head base, has-next
                                0xFF, 0xFF, 0x01, 0x00, 0x10, 0x00};                      // new class, schema 1, 16
  for (char c : std::string("CLocalizedString")) expected.push_back(static_cast<BYTE>(c));
  std::vector<BYTE> node = {0x0C, 0x04, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00,  // node base, no next
                            0xFF, 0xFE, 0xFF, 0x01, 'b', 0x00,                    // node text
                            0xFF, 0xFE, 0xFF, 0x01, 'a', 0x00};                   // head text last
  expected.insert(expected.end(), node.begin(), node.end());
  EXPECT_EQ(Store(head), expected);

  CLocalizedString loaded;
  Load(loaded, expected);
  EXPECT_EQ(loaded.m_language, 0x0409);
  EXPECT_EQ(loaded.m_text, u"a");
  ASSERT_NE(loaded.GetNext(), nullptr);
  EXPECT_EQ(loaded.GetText(0x040C), u"b");
  EXPECT_EQ(loaded.GetValueStatus(0x040C), 1);
  EXPECT_EQ(Store(loaded), expected);
}

TEST(LocalizedString, FindValueAndSetTranslationRules) {
  CLocalizedString head(u"Open", 0x0409, 0);
  EXPECT_EQ(head.FindValue(0), &head);  // language 0 is the head even when it is not 0
  EXPECT_EQ(head.FindValue(0x0407), nullptr);
  EXPECT_EQ(head.GetValueStatus(0x0407), 0);

  head.SetTranslation(u"\u00d6ffnen", 0x0407);
  EXPECT_EQ(head.GetValueStatus(0x0407), 1);
  head.SetTranslation(u"Open...", 0x0409);  // the head's own language edits the source
  EXPECT_EQ(head.m_text, u"Open...");
  EXPECT_EQ(head.m_status, 0);

  head.SetStatus(0x040C, 0);  // no node yet: a plain status node is appended
  ASSERT_NE(head.FindValue(0x040C), nullptr);
  EXPECT_EQ(head.FindValue(0x040C)->GetRuntimeClass(), RUNTIME_CLASS(CLocalizedParam));
  EXPECT_EQ(head.Languages(), (std::vector<LANGID>{0x0409, 0x0407, 0x040C}));

  auto removed = head.RemoveTranslation(0x0407, false);
  ASSERT_NE(removed, nullptr);
  EXPECT_EQ(static_cast<CLocalizedString&>(*removed).m_text, u"\u00d6ffnen");
  EXPECT_EQ(head.RemoveTranslation(0x0409, true), nullptr);  // the head is never removed
  EXPECT_EQ(head.Languages(), (std::vector<LANGID>{0x0409, 0x040C}));
}

TEST(LocalizedString, EffectiveAndBuildValues) {
  CLocalizedString head(u"File", 0x0409, 0);
  head.SetTranslation(u"Datei", 0x0407);
  head.SetTranslation(u"Fichier", 0x040C);
  head.SetStatus(0x040C, 0);
  EXPECT_EQ(head.GetBuildText(0x0407), u"Datei");
  EXPECT_EQ(head.GetBuildText(0x040C), u"File");  // not up-to-date: the source is written
  EXPECT_EQ(head.EffectiveStatus(0x0407), 1);
  head.SetDoNotTranslate(true);
  EXPECT_EQ(head.EffectiveStatus(0x040C), 2);
  EXPECT_EQ(head.GetBuildText(0x0407), u"File");
  CLocalizedString empty(u"", 0x0409, 0);
  EXPECT_EQ(empty.EffectiveStatus(0x0407), 2);
}

TEST(LocalizedFontReference, SetTranslationResetsSizeAndWeight) {
  CLocalizedFontReference font;
  font.m_language = 0x0409;
  font.m_text = u"MS Shell Dlg";
  font.SetFont(0x0411, u"MS UI Gothic", 9, 400, 1, 128);
  font.SetTranslation(u"Meiryo", 0x0411);
  auto* n = static_cast<CLocalizedFontReference*>(font.FindValue(0x0411));
  EXPECT_EQ(n->m_text, u"Meiryo");
  EXPECT_EQ(n->m_pointSize, 8);
  EXPECT_EQ(n->m_weight, 0xFFFF);
  EXPECT_EQ(n->m_italic, 0);
  EXPECT_EQ(n->m_charSet, 0);
  EXPECT_EQ(n->m_status, 1);
}

TEST(LocalizedStringSizePos, NumbersKeptUnlessAllUnset) {
  CLocalizedStringSizePos v;
  v.m_language = 0x0409;
  v.SetTranslation(u"1.0", 0x0407);
  auto* n = static_cast<CLocalizedStringSizePos*>(v.FindValue(0x0407));
  EXPECT_EQ(n->m_numbers[0], 0xFFFF);
  v.SetSizePos(0x0407, u"1.2.3.4", 1, 2, 3, 4);
  EXPECT_EQ(n->m_numbers[3], 4);
  v.SetSizePos(0x0407, u"x", 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF);
  EXPECT_EQ(n->m_numbers[0], 1);
  EXPECT_EQ(n->m_text, u"x");
  v.SetTranslation(u"1.0", 0x0409);  // even the source language gets status 1 here
  EXPECT_EQ(v.m_status, 1);
}

TEST(LocalizedParam, EveryClassRoundTripsThroughTheArchive) {
  CLocalizedPoint p;
  p.m_language = 0x0409;
  p.m_x = -5;
  p.m_y = 7;
  p.SetPoint(0x0407, 10, -20);
  CLocalizedPoint p2;
  Load(p2, Store(p));
  EXPECT_EQ(p2.m_x, -5);
  EXPECT_EQ(static_cast<CLocalizedPoint*>(p2.FindValue(0x0407))->m_y, -20);

  CLocalizedHotKey k;
  k.m_language = 0x0409;
  k.SetHotKey(0x0407, 0x0B, 'S');
  CLocalizedHotKey k2;
  Load(k2, Store(k));
  EXPECT_EQ(static_cast<CLocalizedHotKey*>(k2.FindValue(0x0407))->m_key, 'S');

  CLocalizedBlob b;
  b.m_language = 0x0409;
  b.m_data = {1, 2, 3};
  b.SetBlob(0x0407, {9});
  std::vector<BYTE> bytes = Store(b);
  CLocalizedBlob b2;
  Load(b2, bytes);
  EXPECT_EQ(b2.m_data, (std::vector<BYTE>{1, 2, 3}));
  EXPECT_EQ(static_cast<CLocalizedBlob*>(b2.FindValue(0x0407))->m_data, std::vector<BYTE>{9});
  EXPECT_EQ(Store(b2), bytes);

  CLocalizedFontReference f;
  f.m_language = 0x0409;
  f.SetFont(0x0411, u"MS UI Gothic", 9, 700, 1, 128);
  CLocalizedFontReference f2;
  Load(f2, Store(f));
  auto* fn = static_cast<CLocalizedFontReference*>(f2.FindValue(0x0411));
  EXPECT_EQ(fn->m_weight, 700);
  EXPECT_EQ(fn->m_charSet, 128);
}

TEST(LocalizedParam, TruncatedChainIsAnArchiveErrorNotACrash) {
  CLocalizedString head;
  Chain(head, 0x0409, {0x0407, 0x040C});
  std::vector<BYTE> bytes = Store(head);
  for (size_t n = 0; n < bytes.size(); ++n) {
    std::vector<BYTE> cut(bytes.begin(), bytes.begin() + static_cast<long>(n));
    CLocalizedString loaded;
    EXPECT_THROW(Load(loaded, cut), CArchiveException) << n;
  }
}

TEST(LanguageFilter, StoresAndLoadsOnlyLanguagesInTheSet) {
  CLocalizedString head;
  Chain(head, 0x0409, {0x0401, 0x0402, 0x0403});
  const std::set<LANGID> onlyB{0x0402}, onlyA{0x0401}, aAndC{0x0401, 0x0403};
  std::vector<BYTE> storedB = Store(head, &onlyB);
  CLocalizedString loaded;
  Load(loaded, storedB);
  EXPECT_EQ(loaded.Languages(), (std::vector<LANGID>{0x0409, 0x0402}));
  CLocalizedString filtered;
  Load(filtered, storedB, &onlyA);
  EXPECT_EQ(filtered.Languages(), (std::vector<LANGID>{0x0409}));

  // The filter belongs to one archive: the next one stores everything.
  std::vector<BYTE> all = Store(head);
  CLocalizedString everything;
  Load(everything, all);
  EXPECT_EQ(everything.Languages(), (std::vector<LANGID>{0x0409, 0x0401, 0x0402, 0x0403}));

  // Filtering out a middle node on loading relinks to the node after it.
  CLocalizedString relinked;
  Load(relinked, all, &aAndC);
  EXPECT_EQ(relinked.Languages(), (std::vector<LANGID>{0x0409, 0x0401, 0x0403}));
}

TEST(MergeFrom, UpdateOfTheSourceKeepsTranslationsAndFlagsChangedOnes) {
  // Unchanged text: translations taken over with their status; an outdated one stays
  // outdated, or a second update would pass a stale translation off as reviewed.
  CLocalizedString old;
  Chain(old, 0x0409, {0x0407, 0x040C});
  old.SetStatus(0x040C, 0);
  old.SetDoNotTranslate(true);
  CLocalizedString fresh(u"src", 0x0409, 0);
  fresh.MergeFrom(old, true, false);
  EXPECT_EQ(fresh.GetText(0x0407), u"t7");
  EXPECT_EQ(fresh.GetValueStatus(0x0407), 1);
  EXPECT_EQ(fresh.GetValueStatus(0x040C), 0);
  EXPECT_TRUE(fresh.IsDoNotTranslate());
  EXPECT_EQ(StatusText(fresh.GetValueStatus(0x040C), true), u"Translation is not up-to-date.");

  // Changed text: the new source stays, every translation becomes not up-to-date.
  CLocalizedString changed(u"new source", 0x0409, 0);
  changed.MergeFrom(old, true, false);
  EXPECT_EQ(changed.m_text, u"new source");
  EXPECT_EQ(changed.GetText(0x0407), u"t7");
  EXPECT_EQ(changed.GetValueStatus(0x0407), 0);
  EXPECT_EQ(StatusText(changed.GetValueStatus(0x0407), true), u"Translation is not up-to-date.");
  EXPECT_TRUE(changed.IsDoNotTranslate());
}

TEST(MergeFrom, ImportOfTranslatedFileFillsOnlyMissingLanguages) {
  CLocalizedString project;
  Chain(project, 0x0409, {0x0407});
  CLocalizedString germanFile(u"aus Datei", 0x0407, 0);
  project.MergeFrom(germanFile, false, false);
  EXPECT_EQ(project.GetText(0x0407), u"t7");  // existing translation stays
  CLocalizedString frenchFile(u"de fichier", 0x040C, 0);
  project.MergeFrom(frenchFile, false, false);
  EXPECT_EQ(project.GetText(0x040C), u"de fichier");
  EXPECT_EQ(project.GetValueStatus(0x040C), 1);
  EXPECT_EQ(project.m_text, u"src");
}

TEST(MergeFrom, TranslatorImportOverwritesAndMarksChangedSource) {
  CLocalizedString project;
  Chain(project, 0x0409, {0x0407});
  CLocalizedString translator(u"src", 0x0409, 0);
  translator.SetTranslation(u"neu", 0x0407);
  project.MergeFrom(translator, false, true);
  EXPECT_EQ(project.GetText(0x0407), u"neu");
  EXPECT_EQ(project.GetValueStatus(0x0407), 1);

  CLocalizedString differentSource(u"other src", 0x0409, 0);
  differentSource.SetTranslation(u"anders", 0x0407);
  project.MergeFrom(differentSource, false, true);
  EXPECT_EQ(project.GetText(0x0407), u"anders");
  EXPECT_EQ(project.GetValueStatus(0x0407), 0);
  EXPECT_EQ(project.m_text, u"src");  // the project's source is not the translator's
}

TEST(MergeFrom, BlobsAddOnlyNonEmptyButImportOverwritesWithEmpty) {
  CLocalizedBlob project;
  project.m_language = 0x0409;
  project.m_data = {1};
  project.SetBlob(0x0407, {2});
  CLocalizedBlob fileEmpty;
  fileEmpty.m_language = 0x040C;
  project.MergeFrom(fileEmpty, false, false);
  EXPECT_EQ(project.FindValue(0x040C), nullptr);

  CLocalizedBlob translator;
  translator.m_language = 0x0409;
  translator.m_data = {1};
  translator.SetBlob(0x0407, {});
  project.MergeFrom(translator, false, true);
  EXPECT_TRUE(static_cast<CLocalizedBlob*>(project.FindValue(0x0407))->m_data.empty());
}

TEST(StatusText, AllForms) {
  EXPECT_EQ(StatusText(0, false), u"Not translated yet.");
  EXPECT_EQ(StatusText(0, true, true), u"Bitmap translation is not up-to-date.");
  EXPECT_EQ(StatusText(0, false, true), u"Bitmap not translated yet.");
  EXPECT_EQ(StatusText(1, true, true), u"Bitmap translated.");
  EXPECT_EQ(StatusText(2, false), u"Edited.");
  EXPECT_EQ(StatusText(2, false, true), u"Bitmap edited.");
  EXPECT_EQ(StatusText(-3, false), u"Unknown status : -3");
}

TEST(TextsEqual, CanonicallyEquivalentTextsAreEqualCaseIsNot) {
  EXPECT_TRUE(TextsEqual(u"caf\u00e9", u"cafe\u0301"));
  EXPECT_FALSE(TextsEqual(u"File", u"file"));
  EXPECT_FALSE(TextsEqual(u"a", u"b"));
}
