#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "TestSupport.h"
#include "TvlRun.h"
#include "project/Module.h"
#include "project/TextItems.h"
#include "project/TvlDoc.h"

namespace fs = std::filesystem;

namespace {

struct TmProject {
  TmProject() {
    for (const char* f : {"Example.tvl", "Sample.exe"})
      fs::copy_file(std::string(TVL_SOURCE_DIR) + "/examples/" + f, dir.file(f));
  }
  std::string Project() const { return dir.file("Example.tvl"); }
  std::string Stats() const { return Tvl({"stats", Project()}).out; }
  CScratchDir dir;
};

}  // namespace

TEST(TvlTm, AddExportImportAndPretranslateEndToEnd) {
  TmProject e;
  const std::string first = e.dir.file("first.tm"), second = e.dir.file("second.tm"), tmx = e.dir.file("all.tmx");
  TvlRun add = Tvl({"tm", "add", e.Project(), "--lang", "FRA", "--memory", first});
  ASSERT_EQ(add.rc, 0) << add.err;
  EXPECT_EQ(Tvl({"tm", "add", e.Project(), "--lang", "FRA", "--memory", first}).out.find(", 0 new"), add.out.find(", "))
      << "adding again adds nothing";
  ASSERT_EQ(Tvl({"tm", "export", tmx, "--memory", first}).rc, 0);
  TvlRun import = Tvl({"tm", "import", tmx, "--memory", second});
  ASSERT_EQ(import.rc, 0) << import.err;
  EXPECT_EQ(import.out.substr(0, import.out.find(' ')), add.out.substr(0, add.out.find(' ')));

  TvlRun lookup = Tvl({"tm", "lookup", "Hello, world", "--source-lang", "en-US", "--lang", "fr-FR", "--memory", second});
  EXPECT_EQ(lookup.rc, 0) << lookup.err;

  // The French translations gone, the imported memory brings them back.
  {
    CTvlDoc doc;
    ASSERT_TRUE(doc.OnOpenDocument(tvl_test_u16(e.Project())));
    for (const CExchangeItem& item : tvl::CollectProjectItems(doc)) item.m_value->RemoveTranslation(0x040C, true);
    for (const auto& m : doc.m_modules) m->m_resTable.UpdateStatus(0x040C);
    ASSERT_TRUE(doc.OnSaveDocument(doc.GetPathName()));
  }
  ASSERT_NE(e.Stats().find("String Table\tFRA\tnot translated 7\t"), std::string::npos) << e.Stats();
  TvlRun filled = Tvl({"pretranslate", e.Project(), "--lang", "FRA", "--memory", second});
  ASSERT_EQ(filled.rc, 0) << filled.err;
  EXPECT_NE(filled.out.find("exact matches (translated)"), std::string::npos) << filled.out;
  // Translated as before, except the string whose source changed after its translation.
  std::string now = e.Stats();
  EXPECT_NE(now.find("String Table\tFRA\tnot translated 2\tnot up to date 0\ttranslated 5"), std::string::npos) << now;
  EXPECT_NE(now.find("Dialogs\tFRA\tnot translated 23\tnot up to date 0\ttranslated 1"), std::string::npos) << now;
}

TEST(TvlTm, ADamagedMemoryLeavesTheProjectUntouched) {
  TmProject e;
  const std::string bad = e.dir.file("bad.tm");
  std::ofstream(bad) << std::string(4096, 'x');
  std::vector<unsigned char> before = ReadFileBytes(e.Project());
  for (std::vector<std::string> args : {std::vector<std::string>{"pretranslate", e.Project(), "--lang", "DEU", "--memory", bad},
                                        {"tm", "add", e.Project(), "--memory", bad}}) {
    TvlRun r = Tvl(args);
    EXPECT_EQ(r.rc, 1) << args[0];
    EXPECT_NE(r.err.find("Error: Cannot use the translation memory " + bad), std::string::npos) << r.err;
  }
  EXPECT_EQ(ReadFileBytes(e.Project()), before);
  EXPECT_EQ(ReadFileText(bad), std::string(4096, 'x'));
}

TEST(TvlTm, UsageErrors) {
  TmProject e;
  const std::string memory = "--memory=" + e.dir.file("m.tm");
  for (std::vector<std::string> args : {std::vector<std::string>{"tm"}, {"tm", "frob", memory}, {"tm", "add", memory},
                                        {"pretranslate", e.Project(), memory},
                                        {"pretranslate", e.Project(), "--lang", "FRA", "--min-match", "0", memory},
                                        {"pretranslate", e.Project(), "--lang", "FRA", "--min-match", "90x", memory}}) {
    TvlRun r = Tvl(args);
    EXPECT_EQ(r.rc, 2) << args.back() << r.err;
  }
  EXPECT_NE(Tvl({"tm", "--help"}).out.find("tvl tm import FILE.tmx"), std::string::npos);
  EXPECT_NE(Tvl({"pretranslate", "--help"}).out.find("--min-match PERCENT"), std::string::npos);
}
