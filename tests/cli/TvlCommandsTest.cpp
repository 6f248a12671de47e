#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "TestSupport.h"
#include "TvlRun.h"
#include "cli/TvlCommands.h"
#include "languages/AvailableLanguages.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "project/TvlDoc.h"

namespace fs = std::filesystem;

TEST(TvlCommands, LanguageArgumentsInEveryForm) {
  EXPECT_EQ(ParseLanguageArgument("1036"), 0x040C);
  EXPECT_EQ(ParseLanguageArgument("0x0c0c"), 0x0C0C);
  EXPECT_EQ(ParseLanguageArgument("fr-FR"), 0x040C);
  EXPECT_EQ(ParseLanguageArgument("de_de"), 0x0407);
  EXPECT_EQ(ParseLanguageArgument("FRC"), 0x0C0C);
  EXPECT_EQ(ParseLanguageArgument("deu"), 0x0407);
  EXPECT_EQ(ParseLanguageArgument("0"), std::nullopt);
  EXPECT_EQ(ParseLanguageArgument("70000"), std::nullopt);
  EXPECT_EQ(ParseLanguageArgument("xx-YY"), std::nullopt);
}

TEST(TvlCommands, FromNothingToTranslatedTargets) {
  SetLanguageCatalogueFile(tvl::FromUtf8(std::string(TVL_SOURCE_DIR) + "/data/Languages.dat"));
  CScratchDir dir;
  fs::copy_file(FixturePath("all32.exe"), dir.file("App.exe"));
  std::string project = dir.file("p.tvl");
  EXPECT_EQ(Tvl({"new", project}).rc, 0);
  EXPECT_EQ(Tvl({"new", project}).rc, 1);  // never overwrites without --force
  TvlRun insert = Tvl({"insert", project, dir.file("App.exe"), "--lang", "DEU", "--lang", "fr-FR"});
  EXPECT_EQ(insert.rc, 0) << insert.err;
  TvlRun again = Tvl({"insert", project, dir.file("App.exe")});
  EXPECT_EQ(again.rc, 1);
  EXPECT_EQ(again.err, "Error: The file is already in the Tessalingvora project.\n");

  EXPECT_EQ(Tvl({"languages", project, "--add", "0x0410", "--remove", "FRA"}).rc, 0);
  TvlRun list = Tvl({"languages", project});
  EXPECT_NE(list.out.find("English (Source)"), std::string::npos);
  EXPECT_NE(list.out.find("ITA"), std::string::npos);
  EXPECT_EQ(list.out.find("FRA"), std::string::npos);
  EXPECT_EQ(Tvl({"languages", project, "--font", "ITA", "Arial", "big"}).rc, 2);

  CTvlDoc doc;
  ASSERT_TRUE(doc.OnOpenDocument(tvl::FromUtf8(project)));
  EXPECT_EQ(doc.m_modules.at(0)->GetSourcePath(), u".\\App.exe");
  EXPECT_EQ(doc.m_languages.GetSize(), 2);

  TvlRun build = Tvl({"build", project, "--lang", "ITA"});
  EXPECT_EQ(build.rc, 0) << build.err;
  EXPECT_TRUE(fs::exists(dir.file("AppITA.exe")));
  EXPECT_FALSE(fs::exists(dir.file("AppDEU.exe")));

  TvlRun stats = Tvl({"stats", project, "--json"});
  EXPECT_EQ(stats.rc, 0);
  EXPECT_NE(stats.out.find("\"language\": \"ITA\""), std::string::npos);

  fs::last_write_time(dir.file("App.exe"), fs::last_write_time(dir.file("App.exe")) + std::chrono::hours(1));
  TvlRun update = Tvl({"update", project});
  EXPECT_EQ(update.rc, 0) << update.err;
  EXPECT_NE(update.err.find("Warning: Please confirm update of the source contents."), std::string::npos);
}

TEST(TvlCommands, BadUsageIsStatusTwoAndFailuresLeaveTheFileAlone) {
  EXPECT_EQ(Tvl({}).rc, 2);
  EXPECT_EQ(Tvl({"frobnicate"}).rc, 2);
  EXPECT_EQ(Tvl({"insert", "p.tvl"}).rc, 2);
  EXPECT_EQ(Tvl({"languages", "p.tvl", "--add"}).rc, 2);
  EXPECT_EQ(Tvl({"--version"}).rc, 0);
  TvlRun help = Tvl({"export", "--help"});
  EXPECT_EQ(help.rc, 0);
  EXPECT_EQ(help.out.rfind("usage: tvl export PROJECT.tvl --lang L", 0), 0u) << help.out;
  TvlRun unknownHelp = Tvl({"frobnicate", "--help"});
  EXPECT_EQ(unknownHelp.rc, 2);
  EXPECT_TRUE(unknownHelp.out.empty()) << unknownHelp.out;
  EXPECT_EQ(unknownHelp.err.rfind("tvl: unknown command 'frobnicate'\n", 0), 0u) << unknownHelp.err;
  CScratchDir dir;
  std::string project = dir.file("p.tvl");
  ASSERT_EQ(Tvl({"new", project}).rc, 0);
  std::vector<unsigned char> before = ReadFileBytes(project);
  TvlRun bad = Tvl({"insert", project, dir.file("missing.exe")});
  EXPECT_EQ(bad.rc, 1);
  EXPECT_EQ(bad.err, "Error: The file does not exist.\n");
  TvlRun noResources = Tvl({"insert", project, FixturePath("README.md")});
  EXPECT_EQ(noResources.err, "Error: The file cannot be loaded.\n");
  EXPECT_EQ(ReadFileBytes(project), before);
}

// A translated build imported, then the program's second build brought in with `update`:
// the statistics show what the merge kept, what it marked stale and what is new.
TEST(TvlCommands, StatsFollowImportAndUpdateOfASecondBuild) {
  SetLanguageCatalogueFile(tvl::FromUtf8(std::string(TVL_SOURCE_DIR) + "/data/Languages.dat"));
  CScratchDir dir;
  fs::copy_file(FixturePath("all32.exe"), dir.file("App.exe"));
  std::string project = dir.file("p.tvl");
  ASSERT_EQ(Tvl({"new", project}).rc, 0);
  ASSERT_EQ(Tvl({"insert", project, dir.file("App.exe"), "--lang", "fr-FR"}).rc, 0);
  auto row = [&](const char* type) {
    TvlRun stats = Tvl({"stats", project});
    std::string key = std::string("App.exe\t") + type + "\tFRA\t";
    size_t at = stats.out.find(key);
    return at == std::string::npos ? std::string() : stats.out.substr(at + key.size(), stats.out.find('\n', at) - at - key.size());
  };
  EXPECT_EQ(row("String Table"), "not translated 9\tnot up to date 0\ttranslated 0\tedited 0\twords 20");

  TvlRun import = Tvl({"import-exe", project, "App.exe", FixturePath("all32_fr.exe"), "--lang", "fr-FR"});
  ASSERT_EQ(import.rc, 0) << import.err;
  EXPECT_EQ(row("String Table"), "not translated 0\tnot up to date 0\ttranslated 9\tedited 0\twords 20");
  EXPECT_EQ(row("Dialogs"), "not translated 0\tnot up to date 0\ttranslated 24\tedited 0\twords 32");

  fs::remove(dir.file("App.exe"));
  fs::copy_file(FixturePath("all32_v2.exe"), dir.file("App.exe"));
  fs::last_write_time(dir.file("App.exe"), fs::file_time_type::clock::now() + std::chrono::hours(1));
  TvlRun update = Tvl({"update", project});
  ASSERT_EQ(update.rc, 0) << update.err;
  // Strings 2 and 100 were edited, 16 removed, 17 and 5000 added.
  EXPECT_EQ(row("String Table"), "not translated 2\tnot up to date 2\ttranslated 5\tedited 0\twords 26");
  // A label inserted; a check box and a label reworded; the named dialog gone.
  EXPECT_EQ(row("Dialogs"), "not translated 1\tnot up to date 2\ttranslated 20\tedited 0\twords 34");
  EXPECT_EQ(row("Message Table"), "not translated 0\tnot up to date 0\ttranslated 7\tedited 0\twords 20");
}

// A build system translates the file it has just linked, wherever that lies, not the module's
// own source; without --source the missing module file fails the build.
TEST(TvlCommands, BuildTranslatesTheGivenSourceFile) {
  CScratchDir dir;
  fs::copy_file(FixturePath("all32.exe"), dir.file("App.exe"));
  std::string project = dir.file("p.tvl");
  ASSERT_EQ(Tvl({"new", project}).rc, 0);
  ASSERT_EQ(Tvl({"insert", project, dir.file("App.exe"), "--lang", "DEU"}).rc, 0);
  fs::create_directory(dir.file("linked"));
  fs::rename(dir.file("App.exe"), dir.file("linked/App.exe"));

  EXPECT_EQ(Tvl({"build", project, "--lang", "DEU", "--output", dir.file("a.exe")}).rc, 1);
  TvlRun build = Tvl({"build", project, "--module", "App.exe", "--lang", "DEU", "--source",
                      dir.file("linked/App.exe"), "--output", dir.file("linked/AppDEU.exe")});
  EXPECT_EQ(build.rc, 0) << build.err;
  EXPECT_TRUE(fs::exists(dir.file("linked/AppDEU.exe")));
  EXPECT_FALSE(fs::exists(dir.file("a.exe")));
}

// Shell completion offers what this lists, so every name must be one tvl accepts.
TEST(TvlCommands, ListedLanguageNamesAreAllAccepted) {
  TvlRun list = Tvl({"--list-languages"});
  ASSERT_EQ(list.rc, 0);
  std::istringstream lines(list.out);
  std::string name;
  std::vector<std::string> rejected;
  size_t count = 0;
  for (; std::getline(lines, name); ++count)
    if (!ParseLanguageArgument(name)) rejected.push_back(name);
  EXPECT_GT(count, 100u);
  EXPECT_TRUE(rejected.empty()) << rejected.size() << " rejected, first: " << rejected.front();
  for (const char* expected : {"\nFRA\n", "\nfr-FR\n", "\nDEU\n", "\nde-DE\n"})
    EXPECT_NE(("\n" + list.out).find(expected), std::string::npos) << expected;
}
