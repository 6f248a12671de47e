#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "TestSupport.h"
#include "platform/Text.h"
#include "workspace/SpellChecker.h"
#include "workspace/SpellingWords.h"

namespace {

std::string Words(std::u16string_view text) {
  std::string out;
  for (const CSpellWord& w : WordsToCheck(text)) out += (out.empty() ? "" : "|") + tvl::ToUtf8(w.word);
  return out;
}

// A small French dictionary of its own, in a legacy encoding, so the answers do not depend on
// the system's word list.
struct CSmallDictionary {
  CSmallDictionary() {
    std::ofstream(folder.file("fr_FR.aff"), std::ios::binary) << "SET ISO8859-1\nTRY \xE9" "esianrtolcdugmphbyfvkwz\n";
    std::ofstream(folder.file("fr_FR.dic"), std::ios::binary)
        << "5\nfichier\nouvrir\nle\ncaf\xE9\nmot\n";
  }
  CScratchDir folder;
  CScratchDir words;
};

}  // namespace

TEST(SpellingWords, LeaveOutWhatAProgramReads) {
  struct Case {
    const char16_t* text;
    const char* words;
  } cases[] = {
      {u"&Fichier", "Fichier"},
      {u"Fi&chier && Co", "Fichier|Co"},
      {u"Ouvrir %s avec %-5.2f et %ls", "Ouvrir|avec|et"},
      {u"Erreur %1!u! : %2%nsuite {0} fin", "Erreur|suite|fin"},
      {u"Ligne\\nSuivante\\tfin\\x1Bvoila", "Ligne|Suivante|fin|voila"},
      {u"100% s\u00FBr", "s\u00FBr"},
      {u"readme.txt in C:\\Program Files", "in|Files"},
      {u"user@example.com, www.site.org: Fin. D\u00E9but", "Fin|D\u00E9but"},
      {u"MyApp Win32 x64 e-mail l'homme aujourd\u2019hui -tiret- 'cit\u00E9'", "e-mail|l'homme|aujourd\u2019hui|tiret|cit\u00E9"},
      {u"Cafe\u0301 au lait a", "Cafe\u0301|au|lait"},
      {u"snake_case name", "name"},
  };
  for (const Case& c : cases) EXPECT_EQ(Words(c.text), c.words) << tvl::ToUtf8(c.text);
}

TEST(SpellingWords, PlacesCoverTheLettersAndAnInnerMnemonic) {
  std::u16string text = u"%s &Fichierr Fi&chierr";
  std::vector<CSpellWord> words = WordsToCheck(text);
  ASSERT_EQ(words.size(), 2u);
  EXPECT_EQ(text.substr(words[0].start, words[0].length), u"Fichierr");
  EXPECT_EQ(text.substr(words[1].start, words[1].length), u"Fi&chierr");
  EXPECT_EQ(words[1].word, u"Fichierr");
  EXPECT_EQ(KeepMnemonic(u"Fi&chierr", u"Fichier"), u"Fi&chier");
  EXPECT_EQ(KeepMnemonic(u"Fichierr", u"Fichier"), u"Fichier");
  EXPECT_EQ(KeepMnemonic(u"Abcde&f", u"Ab"), u"Ab&");
}

TEST(SpellChecker, MarksUnknownWordsInTheLanguagesDictionary) {
  CSmallDictionary d;
  CSpellChecker checker({d.folder.path()}, d.words.path());
  EXPECT_FALSE(checker.SetLanguage(0x0411));  // no Japanese dictionary: nothing is marked
  EXPECT_TRUE(checker.Misspelled(u"fichierr").empty());
  ASSERT_TRUE(checker.SetLanguage(0x0C0C));  // French (Canada) takes the French one
  std::vector<CSpellWord> bad = checker.Misspelled(u"Ouvrir le fichierr %s %1!u! &Fichier caf\u00E9");
  ASSERT_EQ(bad.size(), 1u);
  EXPECT_EQ(bad[0].word, u"fichierr");
  std::vector<std::u16string> suggestions = checker.Suggestions(u"fichierr");
  EXPECT_NE(std::find(suggestions.begin(), suggestions.end(), u"fichier"), suggestions.end());
  EXPECT_FALSE(checker.IsCorrect(u"cafe"));  // the dictionary's own encoding both ways
  suggestions = checker.Suggestions(u"cafe");
  ASSERT_FALSE(suggestions.empty());
  EXPECT_EQ(suggestions[0], u"caf\u00E9");
}

TEST(SpellChecker, AddedWordsAreKeptPerLanguageAcrossRuns) {
  CSmallDictionary d;
  {
    CSpellChecker checker({d.folder.path()}, d.words.path());
    ASSERT_TRUE(checker.SetLanguage(0x040C));
    EXPECT_FALSE(checker.IsCorrect(u"tessalingvora"));
    EXPECT_TRUE(checker.AddWord(u"tessalingvora"));
    EXPECT_TRUE(checker.Misspelled(u"le tessalingvora").empty());
    EXPECT_EQ(checker.WordsFile(0x040C), d.words.file("fr_FR.txt"));
  }
  EXPECT_EQ(ReadFileText(d.words.file("fr_FR.txt")), "tessalingvora\n");
  CSpellChecker again({d.folder.path()}, d.words.path());
  ASSERT_TRUE(again.SetLanguage(0x040C));
  EXPECT_TRUE(again.IsCorrect(u"tessalingvora"));
  EXPECT_TRUE(again.IsCorrect(u"Tessalingvora"));  // at the start of a sentence
  ASSERT_TRUE(again.SetLanguage(0x0C0C));          // another language's own list
  EXPECT_FALSE(again.IsCorrect(u"tessalingvora"));
}
