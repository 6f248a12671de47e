#include <gtest/gtest.h>

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <set>

#include <nlohmann/json.hpp>

#include "checks/CheckReport.h"

namespace {

using Json = nlohmann::json;

CCheckReportInput Sample() {
  CCheckReportInput input;
  input.findings = {
      {"App.exe/6/1/text", 0x040C, "placeholders", ECheckSeverity::kError, "Placeholder \"%s\" of the source is missing <&>."},
      {"App.exe/5/100/control/1000#0", 0x040C, "layout", ECheckSeverity::kWarning, "The control overlaps control 1001."},
      {"App.exe/4/200/0.1/label", 0x0407, "mnemonics", ECheckSeverity::kWarning, "Mnemonic 'S' is also used."},
  };
  input.languages = {0x040C, 0x0407};
  input.projectPath = "App.tvl";
  return input;
}

// What the SARIF schema cannot say (the official schema checks the rest, in the tvl check
// tests): rule ids are unique, and each result's ruleIndex points at the rule its ruleId
// names. Returns the first violation.
std::string SarifViolation(const Json& log) {
  for (const Json& run : log["runs"]) {
    const Json& rules = run["tool"]["driver"]["rules"];
    std::set<std::string> ids;
    for (const Json& rule : rules)
      if (!ids.insert(rule["id"].get<std::string>()).second) return "rule id";
    for (const Json& r : run["results"]) {
      size_t index = r["ruleIndex"].get<size_t>();
      if (index >= rules.size() || rules[index]["id"] != r["ruleId"]) return "ruleIndex";
    }
  }
  return {};
}

}  // namespace

TEST(CheckReport, SarifKeepsEveryFindingWithItsRule) {
  Json log = Json::parse(WriteCheckReport(Sample(), ECheckReportFormat::kSarif));
  EXPECT_EQ(SarifViolation(log), "");
  const Json& results = log["runs"][0]["results"];
  ASSERT_EQ(results.size(), 3u);
  EXPECT_EQ(results[0]["level"], "error");
  EXPECT_EQ(results[0]["ruleId"], "placeholders");
  EXPECT_EQ(results[0]["message"]["text"], "Placeholder \"%s\" of the source is missing <&>.");
  EXPECT_EQ(results[0]["locations"][0]["logicalLocations"][0]["fullyQualifiedName"], "App.exe/6/1/text");
  EXPECT_EQ(results[0]["properties"]["language"], "fr-FR");
  EXPECT_EQ(results[1]["level"], "warning");
  // The checker itself catches a broken log.
  Json broken = log;
  broken["runs"][0]["results"][0]["ruleIndex"] = 3;
  EXPECT_EQ(SarifViolation(broken), "ruleIndex");
}

TEST(CheckReport, JUnitReadsBackAsSuitesPerLanguage) {
  std::string xml = WriteCheckReport(Sample(), ECheckReportFormat::kJUnit);
  xmlDocPtr doc = xmlReadMemory(xml.data(), static_cast<int>(xml.size()), "junit.xml", nullptr, XML_PARSE_NONET);
  ASSERT_NE(doc, nullptr) << xml;
  auto attr = [](xmlNodePtr n, const char* name) {
    xmlChar* v = xmlGetProp(n, reinterpret_cast<const xmlChar*>(name));
    std::string s = v ? reinterpret_cast<const char*>(v) : "";
    xmlFree(v);
    return s;
  };
  std::map<std::string, std::pair<int, int>> suites;  // name -> (test cases, failures read)
  std::string failureMessage;
  for (xmlNodePtr s = xmlDocGetRootElement(doc)->children; s; s = s->next) {
    if (s->type != XML_ELEMENT_NODE) continue;
    auto& counts = suites[attr(s, "name")];
    for (xmlNodePtr c = s->children; c; c = c->next) {
      if (c->type != XML_ELEMENT_NODE) continue;
      ++counts.first;
      for (xmlNodePtr f = c->children; f; f = f->next) {
        if (f->type != XML_ELEMENT_NODE) continue;
        ++counts.second;
        if (attr(f, "type") == "error") failureMessage = attr(f, "message");
      }
    }
    EXPECT_EQ(std::to_string(counts.first), attr(s, "tests"));
    EXPECT_EQ(std::to_string(counts.second), attr(s, "failures"));
  }
  xmlFreeDoc(doc);
  ASSERT_EQ(suites.size(), 2u);
  // French: two findings and five rules that found nothing; German: one and six.
  EXPECT_EQ(suites["fr-FR"], std::make_pair(7, 2));
  EXPECT_EQ(suites["de-DE"], std::make_pair(7, 1));
  EXPECT_EQ(failureMessage, "Placeholder \"%s\" of the source is missing <&>.");
}

TEST(CheckReport, TextAndJson) {
  std::string text = WriteCheckReport(Sample(), ECheckReportFormat::kText);
  EXPECT_NE(text.find("App.exe/6/1/text [fr-FR] error placeholders: "), std::string::npos);
  EXPECT_NE(text.find("1 errors, 2 warnings"), std::string::npos);
  Json j = Json::parse(WriteCheckReport(Sample(), ECheckReportFormat::kJson));
  EXPECT_EQ(j["errors"], 1);
  EXPECT_EQ(j["findings"][1]["resource"], "5/100");
  EXPECT_EQ(j["findings"][1]["element"], "control/1000#0");
  EXPECT_EQ(j["findings"][2]["language"], "de-DE");
}
