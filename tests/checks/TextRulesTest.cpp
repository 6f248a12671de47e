#include <gtest/gtest.h>

#include "checks/GroupRules.h"
#include "checks/TextRules.h"
#include "platform/Text.h"

namespace {

struct Case {
  const char* source;
  const char* translation;
  bool reported;
  bool label = false;
};

// Runs a rule over each case: a must-report case gives at least one hit, the others none.
void RunTable(const CTextRule& rule, const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    std::u16string s = tvl::FromUtf8(c.source), t = tvl::FromUtf8(c.translation);
    CRuleHits hits;
    rule.Check({s, t, c.label}, hits);
    EXPECT_EQ(!hits.empty(), c.reported) << rule.Name() << ": \"" << c.source << "\" -> \"" << c.translation << "\""
                                         << (hits.empty() ? "" : " : " + hits[0].m_message);
  }
}

}  // namespace

TEST(PlaceholderRule, ComparesConversionsInsertsAndBraces) {
  RunTable(CPlaceholderRule(), {
      {"Open %s failed", "Échec de l'ouverture", true},
      {"Open %s failed", "Échec de l'ouverture de %s", false},
      {"%d of %s", "%s : %d", true},  // plain conversions may not change places
      {"%1$d of %2$s", "%2$s : %1$d", false},
      {"%-5.2f%%", "%-5.2f %%", false},
      {"%-5.2f%%", "%-5.2f", true},
      {"%ls items", "%s éléments", true},
      {"Copy %1 to %2", "Kopiere nach %2 %1", false},
      {"Error %1!u!: %2", "Fehler %2 (%1)", true},
      {"Error %1!u!: %2", "Fehler %2 (%1!u!)", false},
      {"Line%nnext", "Zeile%n nächste", false},
      {"Line%nnext", "Zeile nächste", true},
      {"{0} files in {1}", "{1} enthält {0} Dateien", false},
      {"{0:N2} MB", "{0} MB", true},
      {"Use {{braces}}", "Utiliser {{accolades}}", false},
      {"100% sure", "sûr à 100%", false},
      {"% d points", "% d Punkte", false},
      {"% d points", "%d Punkte", true},
      {"Width %10d", "Breite %10d", false},
      {"Width %10d", "Breite %d", true},
  });
}

TEST(PlaceholderRule, ExtractsTokensInOrder) {
  auto p = ExtractPlaceholders(u"%1!s! has %d of %2 {3} %%");
  ASSERT_EQ(p.size(), 5u);
  EXPECT_EQ(p[0].text, u"%1!s!");
  EXPECT_TRUE(p[0].positional);
  EXPECT_EQ(p[1].text, u"%d");
  EXPECT_FALSE(p[1].positional);
  EXPECT_EQ(p[2].text, u"%2");
  EXPECT_EQ(p[3].text, u"{3}");
  EXPECT_EQ(p[4].text, u"%%");
}

TEST(MnemonicPresenceRule, LabelsKeepTheirMnemonic) {
  RunTable(CMnemonicPresenceRule(), {
      {"&Open", "Ö&ffnen", false, true},
      {"&Open", "Öffnen", true, true},
      {"Open", "Ö&ffnen", true, true},
      {"Tom && Jerry", "Tom && Jerry", false, true},
      {"&Save", "Speichern && schließen", true, true},
      {"&Open", "Öffnen", false, false},  // not a label: '&' means nothing there
      {"保存(&S)", "Enregistrer", true, true},
  });
}

TEST(TextShapeRule, BlanksBreaksPunctuationAndCopies) {
  RunTable(CTextShapeRule(), {
      {"Name:", "Nom :", false},
      {"Name:", "Nom", true},
      {"Name", "Nom :", true},
      {"Open...", "Ouvrir...", false},
      {"Open...", "Ouvrir…", false},
      {"Open...", "Ouvrir", true},
      {" padded", " rempli", false},
      {" padded", "rempli", true},
      {"padded ", "rempli", true},
      {"One\nTwo", "Un\nDeux", false},
      {"One\nTwo", "Un Deux", true},
      {"Version", "Version", true},
      {"OK", "OK", false},
      {"%s", "%s", false},
  });
}

TEST(CodePageCheck, FindsCharactersTheAnsiPageLoses) {
  struct {
    const char* text;
    UINT codePage;
    const char* lost;
  } cases[] = {
      {"Café", 1252, ""},
      {"Café", 1251, "é"},
      {"Привет", 1251, ""},
      {"Привет", 1252, "Привет"},
      {"Grüße €", 1252, ""},
      {"数 ?", 1252, "数"},
      {"ﬁne ﬁle", 1252, "ﬁ"},  // each lost character once
  };
  for (const auto& c : cases)
    EXPECT_EQ(tvl::ToUtf8(UnrepresentableCharacters(tvl::FromUtf8(c.text), c.codePage)), c.lost) << c.text;
}

TEST(MnemonicConflictRule, SameLetterTwiceInOneGroup) {
  struct {
    std::vector<CLabelPair> labels;
    const char* locale;
    std::vector<size_t> reported;
  } cases[] = {
      {{{u"&Open", u"Ö&ffnen"}, {u"&Save", u"&Speichern"}}, "de-DE", {}},
      {{{u"&Open", u"&Öffnen"}, {u"&Save", u"&öffentlich speichern"}}, "de-DE", {1}},
      {{{u"&Open", u"&Ouvrir"}, {u"&Options", u"&Options"}}, "fr-FR", {}},  // the source clashes too
      {{{u"&Add", u"&Içer"}, {u"&Index", u"&İndeks"}}, "tr-TR", {}},  // dotted and dotless I differ
      {{{u"&Add", u"&Içer"}, {u"&Index", u"&ılık"}}, "tr-TR", {1}},
      {{{u"&Add", u"&Içer"}, {u"&Index", u"&ılık"}}, "en-US", {}},
      {{{u"&Add", u"&Ekle"}, {u"&Index", u"&eNdeks"}}, "tr-TR", {1}},
      {{{u"&A", u"&a"}, {u"&B", u"&B"}, {u"&C", u"&A"}}, "en-US", {2}},
  };
  CMnemonicConflictRule rule;
  for (const auto& c : cases) {
    std::vector<size_t> got;
    for (const auto& [index, hit] : rule.Check(c.labels, "en-US", c.locale)) got.push_back(index);
    EXPECT_EQ(got, c.reported) << tvl::ToUtf8(c.labels[1].translation);
  }
}

TEST(ShortcutRule, ShortcutTextNamesTheAccelerator) {
  const CAcceleratorKey ctrlS{0x09, 'S'}, ctrlShiftF5{0x0D, 0x74}, del{0x01, 0x2E}, asciiCtrlC{0x00, 3};
  struct {
    const char* text;
    CAcceleratorKey key;
    std::optional<bool> names;
  } cases[] = {
      {"Ctrl+S", ctrlS, true},       {"Strg+S", ctrlS, true},       {"Ctrl+O", ctrlS, false},
      {"S", ctrlS, false},           {"Ctrl+Shift+F5", ctrlShiftF5, true},
      {"Strg+Umschalt+F5", ctrlShiftF5, true},
      {"Ctrl+F5", ctrlShiftF5, false}, {"Entf", del, true},         {"Suppr", del, true},
      {"Ctrl+C", asciiCtrlC, true},  {"Kontrolka+C", ctrlS, std::nullopt}, {"", ctrlS, std::nullopt},
      {"Ctrl++", {0x09, 0x6B}, true},
  };
  for (const auto& c : cases) EXPECT_EQ(CShortcutRule::Names(tvl::FromUtf8(c.text), c.key), c.names) << c.text;

  CShortcutRule rule;
  EXPECT_TRUE(rule.Check(u"Ctrl+S", {ctrlS}, u"Strg+O", {ctrlS}).has_value());
  EXPECT_FALSE(rule.Check(u"Ctrl+S", {ctrlS}, u"Strg+S", {ctrlS}).has_value());
  // A translated accelerator moves the shortcut text with it.
  EXPECT_FALSE(rule.Check(u"Ctrl+S", {ctrlS}, u"Strg+P", {{0x09, 'P'}}).has_value());
  // A source that shows another key is the program's own business.
  EXPECT_FALSE(rule.Check(u"Ctrl+O", {asciiCtrlC}, u"Strg+O", {asciiCtrlC}).has_value());
}
