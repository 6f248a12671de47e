#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "TestSupport.h"
#include "platform/PersonalWords.h"
#include "platform/SpellDictionary.h"

namespace {

void MakeDictionary(const std::string& folder, const std::string& name, bool withDic = true) {
  std::filesystem::create_directories(folder);
  std::ofstream(folder + "/" + name + ".aff") << "SET UTF-8\n";
  if (withDic) std::ofstream(folder + "/" + name + ".dic") << "1\nmot\n";
}

}  // namespace

TEST(SpellDictionary, FindsTheLocalesDictionaryOrOneOfItsLanguage) {
  CScratchDir dir;
  std::string first = dir.file("first"), second = dir.file("second");
  MakeDictionary(first, "fr_FR");
  MakeDictionary(first, "fr_BE");
  MakeDictionary(second, "fr_CA");
  MakeDictionary(first, "de_CH");
  MakeDictionary(first, "de_AT");
  MakeDictionary(second, "pt");
  MakeDictionary(first, "en_GB", false);  // an .aff alone is no dictionary
  MakeDictionary(second, "en_US");
  const std::vector<std::string> folders = {first, second};
  struct Case {
    const char* tag;
    std::string found;
  } cases[] = {
      {"fr-FR", first + "/fr_FR"},   {"fr_CA", second + "/fr_CA"},  // the exact name, in any folder
      {"fr-CH", first + "/fr_FR"},   {"fr", first + "/fr_FR"},      // the language's own country
      {"de-DE", first + "/de_AT"},   {"pt-BR", second + "/pt"},     // the first by name; the bare language
      {"en-GB", second + "/en_US"},  {"ja-JP", ""},
      {"sr-Latn-RS", ""},            {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(tvl::FindDictionary(c.tag, folders), c.found) << c.tag;
}

TEST(SpellDictionary, FoldersFollowTheEnvironment) {
  CScopedEnv dicPath("DICPATH", "/a/dicts:/b/dicts");
  CScopedEnv dataHome("XDG_DATA_HOME", "/home/u/data");
  CScopedEnv dataDirs("XDG_DATA_DIRS", "/opt/share:/usr/share");
  std::vector<std::string> folders = tvl::DictionaryFolders();
  std::vector<std::string> expected = {"/a/dicts", "/b/dicts", "/home/u/data/hunspell", "/opt/share/hunspell",
                                       "/usr/share/hunspell", "/usr/share/myspell", "/usr/share/myspell/dicts"};
  EXPECT_EQ(folders, expected);
}

TEST(PersonalWords, KeptInTheUsersDataFolder) {
  CScratchDir dir;
  {
    CScopedEnv dataHome("XDG_DATA_HOME", dir.path().c_str());
    EXPECT_EQ(tvl::PersonalWordsFolder(), dir.path() + "/tessalingvora/spelling");
  }
  std::string path = dir.file("deep/er/fr_FR.txt");
  tvl::CPersonalWords words(path);
  EXPECT_EQ(words.Size(), 0u);
  EXPECT_TRUE(words.Add(u"tessalingvora"));
  EXPECT_TRUE(words.Add(u"\u00E9tiquetage"));
  EXPECT_TRUE(words.Add(u"tessalingvora"));  // once only
  EXPECT_FALSE(words.Add(u"two\nlines"));
  EXPECT_EQ(ReadFileText(path), "tessalingvora\n\xC3\xA9tiquetage\n");
  WriteFileBytes(path, {'a', 'b', '\r', '\n', '\n', 'c', 'd'});
  tvl::CPersonalWords again(path);
  EXPECT_EQ(again.Size(), 2u);
  EXPECT_TRUE(again.Contains(u"ab"));
  EXPECT_TRUE(again.Contains(u"cd"));
  EXPECT_FALSE(again.Contains(u"tessalingvora"));
}
