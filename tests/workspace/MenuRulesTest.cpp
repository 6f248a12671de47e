#include <gtest/gtest.h>

#include "workspace/MenuRules.h"

using namespace tvl;

TEST(MenuRules, TheMnemonicIsTheLetterAfterASingleAmpersand) {
  const struct {
    const char16_t* text;
    char16_t letter;
  } cases[] = {{u"&Open", u'o'},         {u"Save &As...", u'a'},  {u"Fish && &Chips", u'c'},
               {u"Fish && Chips", 0},    {u"No mnemonic", 0},     {u"Trailing &", 0},
               {u"Cut\tCtrl+&X", 0},     {u"&\u00c9diter", 0xE9}, {u"&\u0424\u0430\u0439\u043b", 0x444},
               {u"&&&Double", u'd'},     {u"", 0},                {u"&1 Recent", u'1'}};
  for (const auto& c : cases) EXPECT_EQ(MnemonicOf(c.text), c.letter) << static_cast<int>(c.letter);
}

TEST(MenuRules, ItemsOfALevelSharingAMnemonicClash) {
  const struct {
    std::vector<std::u16string> texts;
    std::vector<int> clashes;
  } cases[] = {
      {{u"&Fichier", u"&Edition", u"&Affichage"}, {-1, -1, -1}},
      {{u"&Fichier", u"&Format", u"&Aide", u"&fen\u00eatre"}, {1, 0, -1, 0}},
      {{u"&\u00c9diter", u"\u00e9&tendre", u"&\u00e9crire"}, {2, -1, 0}},
      {{u"A && B", u"C && D", u""}, {-1, -1, -1}},
      {{}, {}},
  };
  for (const auto& c : cases) EXPECT_EQ(FindMnemonicClashes(c.texts), c.clashes);
}

namespace {

CMenuNodeFacts Item(int item, bool listed) { return {item, u"item", listed, {}}; }
CMenuNodeFacts Popup(int item, const char16_t* text, bool listed, std::vector<CMenuNodeFacts> children) {
  return {item, text, listed, std::move(children)};
}
CMenuRow Row(int item, int indent) { return {item, indent, {}}; }
CMenuRow Caption(const char16_t* text) { return {-1, 0, text}; }

}  // namespace

TEST(MenuRules, FilteredRowsKeepTheirPopupPath) {
  const struct {
    const char* name;
    std::vector<CMenuNodeFacts> menu;
    std::vector<CMenuRow> rows;
  } cases[] = {
      {"everything listed: no captions, indented by depth",
       {Popup(0, u"File", true, {Item(1, true), Popup(2, u"Recent", true, {Item(3, true)})})},
       {Row(0, 0), Row(1, 2), Row(2, 2), Row(3, 4)}},
      {"one listed item deep inside: one merged caption at the top",
       {Popup(0, u"File", false, {Item(1, false), Popup(2, u"Recent", false, {Item(3, true), Item(4, false)})}),
        Popup(5, u"Edit", false, {Item(6, false)})},
       {Caption(u"File > Recent > "), Row(3, 4)}},
      {"a level with items of its own keeps the caption of its popup",
       {Popup(0, u"File", false, {Item(1, true), Popup(2, u"Recent", false, {Item(3, true)})})},
       {Caption(u"File > "), Row(1, 2), Caption(u"Recent > "), Row(3, 4)}},
      {"two popups of one level each get their caption",
       {Popup(0, u"File", false,
              {Popup(1, u"New", false, {Item(2, true)}), Popup(3, u"Recent", false, {Item(4, true)})})},
       {Caption(u"File > "), Caption(u"New > "), Row(2, 4), Caption(u"Recent > "), Row(4, 4)}},
      {"a listed popup needs no caption for its own items",
       {Popup(0, u"File", true, {Item(1, true)}), Popup(2, u"Edit", false, {Item(3, true)})},
       {Row(0, 0), Row(1, 2), Caption(u"Edit > "), Row(3, 2)}},
      {"nothing listed", {Popup(0, u"File", false, {Item(1, false)})}, {}},
  };
  for (const auto& c : cases) EXPECT_EQ(MenuRows(c.menu), c.rows) << c.name;
}
