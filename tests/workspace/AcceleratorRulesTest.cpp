#include <gtest/gtest.h>

#include <set>

#include "workspace/AcceleratorRules.h"
#include "workspace/CommandIds.h"

using namespace tvl;

TEST(AcceleratorRules, KeyNamesShowTheFirstNameOfACode) {
  EXPECT_EQ(KeyNameTable().size(), 141u);
  const struct {
    WORD code;
    const char16_t* name;
  } cases[] = {{0x15, u"Hangeul"}, {0x19, u"Hanja"},   {0x0C, u"Clear"}, {0xFE, u"Clear"},
               {0x6D, u"Substract"}, {0xBB, u"+"},     {0x41, u"A"},     {0x37, u"7"},
               {0x2E, u"Delete"},  {0x70, u"F1"},      {0x0D, u"Enter"}, {0xB3, u"Play/Pause"}};
  for (const auto& c : cases) EXPECT_EQ(VirtualKeyName(c.code), c.name) << c.code;
}

TEST(AcceleratorRules, KeyColumnAndModifiers) {
  const struct {
    WORD flags;
    WORD key;
    const char16_t* modifiers;
    const char16_t* key_text;
    const char16_t* type;
  } cases[] = {
      {0, 3, u"", u"^C", u"ASCII"},           {0, 1, u"", u"^A", u"ASCII"},
      {0, 26, u"", u"^Z", u"ASCII"},          {0, 27, u"", u"27", u"ASCII"},
      {0, 0, u"", u"0", u"ASCII"},            {16, u'a', u"Alt", u"a", u"ASCII"},
      {0, u' ', u"", u" ", u"ASCII"},         {1 | 4 | 8, 0x2E, u"Ctrl+Shift", u"Delete", u"VIRTKEY"},
      {1 | 4 | 8 | 16, 0x41, u"Ctrl+Alt+Shift", u"A", u"VIRTKEY"},
      {1 | 2, 0x70, u"", u"F1", u"VIRTKEY"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(AcceleratorModifiersText(c.flags), c.modifiers) << c.key;
    EXPECT_EQ(AcceleratorKeyText(c.flags, c.key), c.key_text) << c.key;
    EXPECT_EQ(std::u16string(AcceleratorTypeText(c.flags)), c.type) << c.key;
  }
}

TEST(AcceleratorRules, StatusLimitByMode) {
  EXPECT_EQ(AcceleratorStatusLimit(ID_VIEW_TO_TRANSLATE), 0);
  EXPECT_EQ(AcceleratorStatusLimit(ID_VIEW_TO_EDIT), 1);
  EXPECT_EQ(AcceleratorStatusLimit(ID_VIEW_TRANSLATABLE), 2);
}

TEST(AcceleratorRules, TheKeyListHoldsLettersDigitsAndNamesSorted) {
  std::vector<CKeyName> list = KeyChoiceList();
  ASSERT_EQ(list.size(), 141u + 36u);
  for (size_t i = 1; i < list.size(); ++i) {
    std::u16string a = list[i - 1].name, b = list[i].name;
    for (auto* s : {&a, &b})
      for (char16_t& c : *s)
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
    EXPECT_LE(a, b) << i;
  }
  std::set<WORD> codes;
  for (const CKeyName& k : list) codes.insert(k.code);
  for (WORD c : {WORD(u'A'), WORD(u'Z'), WORD(u'0'), WORD(u'9'), WORD(0x15), WORD(0xFB)})
    EXPECT_TRUE(codes.count(c)) << c;
}

TEST(AcceleratorRules, TheCharacterBox) {
  const struct {
    WORD key;
    const char16_t* text;
  } shown[] = {{3, u"^C"}, {26, u"^Z"}, {27, u""}, {0, u""}, {u'x', u"x"}, {u'^', u"^"}};
  for (const auto& c : shown) EXPECT_EQ(CharacterBoxText(c.key), c.text) << c.key;
  EXPECT_EQ(CharacterBoxLimit(u""), 1);
  EXPECT_EQ(CharacterBoxLimit(u"a"), 1);
  EXPECT_EQ(CharacterBoxLimit(u"^"), 2);
  EXPECT_EQ(CharacterBoxLimit(u"^c"), 2);
}

TEST(AcceleratorRules, CharacterKeysAreValidated) {
  const char16_t* typeTheKey = u"Please type the key.";
  const char16_t* single = u"Please type either a single character or ^ + a latin letter (A-Z).";
  const struct {
    const char16_t* text;
    bool alt;
    const char16_t* message;
    WORD flags;
    WORD key;
  } cases[] = {
      {u"^c", false, nullptr, 0, 3},     {u"^C", true, nullptr, 16, 3},   {u"^z", false, nullptr, 0, 26},
      {u"^", false, nullptr, 0, u'^'},   {u"a", true, nullptr, 16, u'a'}, {u"", false, typeTheKey, 0, 0},
      {u"^1", false, single, 0, 0},      {u"^[", false, single, 0, 0},    {u"ab", false, single, 0, 0},
      {u"^\u00e9", false, single, 0, 0},
  };
  for (const auto& c : cases) {
    CAccelResult r = ParseCharacterKey(c.text, c.alt);
    if (c.message) {
      EXPECT_FALSE(r.entry.has_value());
      EXPECT_EQ(std::u16string(r.message), c.message);
      continue;
    }
    ASSERT_TRUE(r.entry.has_value());
    EXPECT_EQ(r.entry->flags, c.flags);
    EXPECT_EQ(r.entry->key, c.key);
  }
}

TEST(AcceleratorRules, VirtualKeysCarryTheirModifiers) {
  CAccelResult none = MakeVirtualKey(-1, true, false, false);
  EXPECT_FALSE(none.entry.has_value());
  EXPECT_EQ(std::u16string(none.message), u"Please select a key.");
  CAccelResult r = MakeVirtualKey(0x74, true, true, true);
  ASSERT_TRUE(r.entry.has_value());
  EXPECT_EQ(r.entry->flags, 1 | 4 | 8 | 16);
  EXPECT_EQ(r.entry->key, 0x74);
}

TEST(AcceleratorRules, ClashesNeedTheSameTypeModifiersAndKey) {
  // NOINVERT and the end bit do not make a different key.
  std::vector<CAccelEntry> entries = {{1 | 8, 0x43}, {0, 3}, {1 | 8 | 2 | 0x80, 0x43}, {1, 0x43}, {0, 0x43}, {0, 3}};
  EXPECT_EQ(FindKeyClashes(entries), (std::vector<int>{2, 5, 0, -1, -1, 1}));
  EXPECT_EQ(FindKeyClashes({}), std::vector<int>{});
}
