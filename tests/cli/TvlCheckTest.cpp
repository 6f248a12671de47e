#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>

#include <nlohmann/json.hpp>

#include "TestSupport.h"
#include "TvlRun.h"
#include "checks/TextRules.h"
#include "platform/Text.h"
#include "project/TextItems.h"
#include "project/TvlDoc.h"

namespace fs = std::filesystem;

namespace {

// A copy of the example project and its program in a scratch folder, which is also where the
// user's settings are looked for: the settings of whoever runs the tests stay out.
struct ExampleCopy {
  ExampleCopy() {
    for (const char* f : {"Example.tvl", "Sample.exe"})
      fs::copy_file(std::string(TVL_SOURCE_DIR) + "/examples/" + f, dir.file(f));
    if (const char* c = std::getenv("XDG_CONFIG_HOME")) config = c;
    setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);
  }
  ~ExampleCopy() {
    if (config)
      setenv("XDG_CONFIG_HOME", config->c_str(), 1);
    else
      unsetenv("XDG_CONFIG_HOME");
  }
  std::string Project() const { return dir.file("Example.tvl"); }
  // The user's settings file with a [Checks] section.
  void WriteSettings(const std::string& checks) const {
    fs::create_directories(dir.file("Tessalingvora"));
    std::ofstream(dir.file("Tessalingvora/Workspace.ini")) << "[MainFrame]\nViewMode=32782\n[Checks]\n" << checks;
  }
  CScratchDir dir;
  std::optional<std::string> config;
};

// Validates a file against the committed SARIF 2.1.0 schema with Debian's JSON schema
// validator; its rc (0 valid, 1 not) and what it said.
int ValidateSarif(const std::string& path, std::string& output) {
  std::string command = "/usr/bin/python3 " + std::string(TVL_SOURCE_DIR) + "/tests/support/validate_json_schema.py " +
                        TVL_FIXTURES_DIR + "/sarif/sarif-schema-2.1.0.json " + path + " 2>&1";
  int rc = 0;
  output = RunCommand(command, &rc);
  return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}

const char* kLostInsert = R"({"items": [{"id": "Sample.exe/11/3/text", "translation": "Troisième message avec %1."}]})";

void Import(const std::string& project, const std::string& language, const std::string& path, const std::string& json) {
  std::ofstream(path) << json;
  TvlRun r = Tvl({"import", project, "--lang", language, path});
  ASSERT_EQ(r.rc, 0) << r.err;
}

}  // namespace

TEST(TvlCheck, LostInsertFailsTheJobWithASarifReport) {
  ExampleCopy e;
  TvlRun clean = Tvl({"check", e.Project()});
  EXPECT_EQ(clean.rc, 0) << clean.out << clean.err;
  Import(e.Project(), "fr-FR", e.dir.file("fr.json"), kLostInsert);
  std::string sarif = e.dir.file("check.sarif");
  TvlRun r = Tvl({"check", e.Project(), "--format", "sarif", "-o", sarif});
  EXPECT_EQ(r.rc, 1);
  auto log = nlohmann::json::parse(ReadFileText(sarif));
  EXPECT_EQ(log["version"], "2.1.0");
  ASSERT_EQ(log["runs"][0]["results"].size(), 1u);
  const auto& result = log["runs"][0]["results"][0];
  EXPECT_EQ(result["level"], "error");
  EXPECT_EQ(result["ruleId"], "placeholders");
  EXPECT_EQ(result["locations"][0]["logicalLocations"][0]["fullyQualifiedName"], "Sample.exe/11/3/text");
  EXPECT_NE(result["message"]["text"].get<std::string>().find("%2!d!"), std::string::npos);
  // German has nothing wrong: checking only it passes.
  EXPECT_EQ(Tvl({"check", e.Project(), "--lang", "de-DE"}).rc, 0);

  // The official schema takes the report, and refuses it with a level the schema does not know.
  std::string said;
  EXPECT_EQ(ValidateSarif(sarif, said), 0) << said;
  log["runs"][0]["results"][0]["level"] = "fatal";
  std::ofstream(e.dir.file("broken.sarif")) << log.dump();
  EXPECT_EQ(ValidateSarif(e.dir.file("broken.sarif"), said), 1) << said;
  EXPECT_NE(said.find("'fatal' is not one of"), std::string::npos) << said;
}

// The user's check settings choose the rules, the least severity and the identical-text
// warning; the command line goes over them.
TEST(TvlCheck, SettingsFileAndCommandLine) {
  ExampleCopy e;
  Import(e.Project(), "fr-FR", e.dir.file("fr.json"), kLostInsert);
  Import(e.Project(), "de-DE", e.dir.file("de.json"),
         R"({"items": [{"id": "Sample.exe/11/3/text", "translation": "Third message with %1 and %2!d!."}]})");
  auto counts = [&e](std::vector<std::string> options) {
    std::vector<std::string> args = {"check", e.Project(), "--format", "json"};
    args.insert(args.end(), options.begin(), options.end());
    TvlRun r = Tvl(args);
    auto j = nlohmann::json::parse(r.out.empty() ? "{}" : r.out);
    return std::make_tuple(r.rc, j.value("errors", -1), j.value("warnings", -1));
  };
  // No settings file: every rule, warnings too (German's text equals its source).
  EXPECT_EQ(counts({}), std::make_tuple(1, 1, 1));
  e.WriteSettings("placeholders=0\nIdenticalTranslation=0\n");
  EXPECT_EQ(counts({}), std::make_tuple(0, 0, 0));
  EXPECT_EQ(counts({"--rules", "placeholders"}), std::make_tuple(1, 1, 0));
  EXPECT_EQ(counts({"--rules", "all", "--identical", "yes"}), std::make_tuple(1, 1, 1));
  e.WriteSettings("MinSeverity=error\n");
  EXPECT_EQ(counts({}), std::make_tuple(1, 1, 0));
  EXPECT_EQ(counts({"--min-severity", "warning"}), std::make_tuple(1, 1, 1));
  // --settings names another file; one that cannot be read fails the run.
  std::ofstream(e.dir.file("ci.ini")) << "[Checks]\nplaceholders=0\n";
  EXPECT_EQ(counts({"--settings", e.dir.file("ci.ini")}), std::make_tuple(0, 0, 1));
  EXPECT_EQ(std::get<0>(counts({"--settings", e.dir.file("none.ini")})), 1);
  EXPECT_EQ(std::get<0>(counts({"--rules", "placeholders,spelling"})), 2);
  EXPECT_EQ(std::get<0>(counts({"--identical", "maybe"})), 2);
}

TEST(TvlCheck, OptionsAreChecked) {
  ExampleCopy e;
  EXPECT_EQ(Tvl({"check", e.Project(), "--format", "html"}).rc, 2);
  EXPECT_EQ(Tvl({"check", e.Project(), "--min-severity", "note"}).rc, 2);
  EXPECT_EQ(Tvl({"check", e.Project(), "--lang", "ja-JP"}).rc, 1);  // not a target language
  EXPECT_EQ(Tvl({"pseudo", e.Project(), "--lang", "fr-FR"}).rc, 2);
  EXPECT_EQ(Tvl({"pseudo", e.Project(), "--lang", "qps-ploc", "--expand", "lots"}).rc, 2);
}

TEST(TvlCheck, WarningsLeftOutWithMinSeverityError) {
  ExampleCopy e;
  Import(e.Project(), "fr-FR", e.dir.file("fr.json"),
         R"({"items": [{"id": "Sample.exe/11/3/text", "translation": "Third message with %1 and %2!d!."}]})");
  TvlRun all = Tvl({"check", e.Project(), "--format", "json"});
  EXPECT_EQ(all.rc, 0);  // the same text as the source is only a warning
  EXPECT_EQ(nlohmann::json::parse(all.out)["warnings"], 1);
  TvlRun errors = Tvl({"check", e.Project(), "--format", "json", "--min-severity", "error"});
  EXPECT_EQ(nlohmann::json::parse(errors.out)["findings"].size(), 0u);
}

// The example pseudo-localized, built, and the built program read back as a translation:
// every text keeps its placeholders and mnemonics, and is longer than its source.
TEST(TvlPseudo, BuiltExampleRoundTripsItsTexts) {
  ExampleCopy e;
  TvlRun p = Tvl({"pseudo", e.Project(), "--lang", "qps-ploc", "--expand", "50"});
  ASSERT_EQ(p.rc, 0) << p.err;
  TvlRun b = Tvl({"build", e.Project(), "--lang", "QPS"});
  ASSERT_EQ(b.rc, 0) << b.err;
  std::string built = e.dir.file("SampleQPS.exe");
  ASSERT_TRUE(fs::exists(built)) << b.out;

  // A second copy without the pseudo texts takes them back from the built program.
  ExampleCopy fresh;
  ASSERT_EQ(Tvl({"languages", fresh.Project(), "--add", "qps-ploc"}).rc, 0);
  TvlRun i = Tvl({"import-exe", fresh.Project(), "Sample.exe", built, "--lang", "qps-ploc"});
  ASSERT_EQ(i.rc, 0) << i.err;
  CTvlDoc doc;
  ASSERT_TRUE(doc.OnOpenDocument(tvl::FromUtf8(fresh.Project())));
  size_t checked = 0;
  CPlaceholderRule placeholders;
  for (const CExchangeItem& item : tvl::CollectProjectItems(doc)) {
    if (item.m_kind == TextItemKind::kVersion || item.m_doNotTranslate) continue;
    const CLocalizedParam* node = item.m_value->FindValue(0x0501);
    if (!node || node == item.m_value) continue;
    const std::u16string& source = item.m_value->m_text;
    const std::u16string& pseudo = item.m_value->GetText(0x0501);
    SCOPED_TRACE(item.m_id + ": " + tvl::ToUtf8(pseudo));
    CRuleHits hits;
    placeholders.Check({source, pseudo, false}, hits);
    EXPECT_TRUE(hits.empty());
    EXPECT_EQ(FindMnemonic(pseudo), FindMnemonic(source));
    if (item.m_id.find("/shortcut") == std::string::npos) {
      EXPECT_GT(pseudo.size(), source.size());
    }
    ++checked;
  }
  EXPECT_GT(checked, 20u);
  // The pseudo build has no placeholder error.
  EXPECT_EQ(Tvl({"check", e.Project(), "--lang", "qps-ploc", "--min-severity", "error"}).rc, 0);
}
