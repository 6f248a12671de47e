#include "checks/CheckReport.h"

#include <cstdio>
#include <map>
#include <sstream>

#include <libxml/xmlwriter.h>
#include <nlohmann/json.hpp>

#include "platform/LocaleTable.h"

namespace {

using Json = nlohmann::ordered_json;

const xmlChar* X(const char* s) { return reinterpret_cast<const xmlChar*>(s); }

}  // namespace

const char* CheckRuleDescription(const std::string& rule) {
  static const std::map<std::string, const char*> kText = {
      {"placeholders", "The translation keeps the placeholders of its source."},
      {"mnemonics", "Mnemonics are kept and unique within a dialog or menu level."},
      {"shortcuts", "A menu item's shortcut text names the accelerator of its command."},
      {"text-shape", "Blanks, line breaks and ending punctuation follow the source."},
      {"code-page", "Text stored as ANSI fits the language's code page."},
      {"layout", "Translated controls fit, do not overlap and stay inside their dialog."},
      {"consistency", "One source text is translated the same way throughout the project."},
  };
  auto it = kText.find(rule);
  return it == kText.end() ? "" : it->second;
}

namespace {

std::string WriteText(const CCheckReportInput& input) {
  std::ostringstream out;
  size_t errors = 0;
  for (const CCheckFinding& f : input.findings) {
    errors += f.m_severity == ECheckSeverity::kError;
    out << f.m_id << " [" << LanguageTag(f.m_language) << "] " << SeverityName(f.m_severity) << " " << f.m_rule << ": "
        << f.m_message << "\n";
  }
  out << errors << " errors, " << input.findings.size() - errors << " warnings\n";
  return out.str();
}

Json FindingJson(const CCheckFinding& f) {
  return Json{{"id", f.m_id},           {"module", f.Module()},      {"resource", f.Resource()},
              {"element", f.Element()}, {"language", LanguageTag(f.m_language)}, {"rule", f.m_rule},
              {"severity", SeverityName(f.m_severity)}, {"message", f.m_message}};
}

std::string WriteJson(const CCheckReportInput& input) {
  Json findings = Json::array();
  size_t errors = 0;
  for (const CCheckFinding& f : input.findings) {
    findings.push_back(FindingJson(f));
    errors += f.m_severity == ECheckSeverity::kError;
  }
  Json j{{"findings", findings}, {"errors", errors}, {"warnings", input.findings.size() - errors}};
  return j.dump(2) + "\n";
}

std::string WriteSarif(const CCheckReportInput& input) {
  const auto& names = CheckRuleNames();
  Json rules = Json::array();
  for (const std::string& name : names)
    rules.push_back({{"id", name}, {"shortDescription", {{"text", CheckRuleDescription(name)}}}});
  Json results = Json::array();
  for (const CCheckFinding& f : input.findings) {
    size_t index = 0;
    while (index < names.size() && names[index] != f.m_rule) ++index;
    Json location{{"physicalLocation", {{"artifactLocation", {{"uri", input.projectPath}}}}},
                  {"logicalLocations", Json::array({{{"fullyQualifiedName", f.m_id}, {"kind", "element"}}})}};
    results.push_back({{"ruleId", f.m_rule},
                       {"ruleIndex", index},
                       {"level", f.m_severity == ECheckSeverity::kError ? "error" : "warning"},
                       {"message", {{"text", f.m_message}}},
                       {"locations", Json::array({location})},
                       {"properties", {{"language", LanguageTag(f.m_language)}}}});
  }
  Json driver{{"name", "tvl check"}, {"version", TVL_VERSION}, {"rules", rules}};
  Json log{{"$schema", "https://docs.oasis-open.org/sarif/sarif/v2.1.0/errata01/os/schemas/sarif-schema-2.1.0.json"},
           {"version", "2.1.0"},
           {"runs", Json::array({{{"tool", {{"driver", driver}}}, {"results", results}}})}};
  return log.dump(2) + "\n";
}

// One test suite per language, one test case per rule that found nothing and one per
// finding, failed.
std::string WriteJUnit(const CCheckReportInput& input) {
  xmlBufferPtr buffer = xmlBufferCreate();
  xmlTextWriterPtr w = xmlNewTextWriterMemory(buffer, 0);
  xmlTextWriterSetIndent(w, 1);
  xmlTextWriterStartDocument(w, "1.0", "UTF-8", nullptr);
  xmlTextWriterStartElement(w, X("testsuites"));
  xmlTextWriterWriteAttribute(w, X("name"), X("tvl check"));
  for (LANGID language : input.languages) {
    std::map<std::string, std::vector<const CCheckFinding*>> byRule;
    for (const CCheckFinding& f : input.findings)
      if (f.m_language == language) byRule[f.m_rule].push_back(&f);
    size_t failures = 0, tests = 0;
    for (const std::string& rule : CheckRuleNames()) {
      failures += byRule[rule].size();
      tests += byRule[rule].empty() ? 1 : byRule[rule].size();
    }
    xmlTextWriterStartElement(w, X("testsuite"));
    xmlTextWriterWriteAttribute(w, X("name"), X(LanguageTag(language).c_str()));
    xmlTextWriterWriteAttribute(w, X("tests"), X(std::to_string(tests).c_str()));
    xmlTextWriterWriteAttribute(w, X("failures"), X(std::to_string(failures).c_str()));
    for (const std::string& rule : CheckRuleNames()) {
      std::string classname = "tvl.check." + rule;
      if (byRule[rule].empty()) {
        xmlTextWriterStartElement(w, X("testcase"));
        xmlTextWriterWriteAttribute(w, X("classname"), X(classname.c_str()));
        xmlTextWriterWriteAttribute(w, X("name"), X(rule.c_str()));
        xmlTextWriterEndElement(w);
      }
      for (const CCheckFinding* f : byRule[rule]) {
        xmlTextWriterStartElement(w, X("testcase"));
        xmlTextWriterWriteAttribute(w, X("classname"), X(classname.c_str()));
        xmlTextWriterWriteAttribute(w, X("name"), X(f->m_id.c_str()));
        xmlTextWriterStartElement(w, X("failure"));
        xmlTextWriterWriteAttribute(w, X("type"), X(SeverityName(f->m_severity)));
        xmlTextWriterWriteAttribute(w, X("message"), X(f->m_message.c_str()));
        xmlTextWriterEndElement(w);
        xmlTextWriterEndElement(w);
      }
    }
    xmlTextWriterEndElement(w);
  }
  xmlTextWriterEndDocument(w);
  xmlFreeTextWriter(w);
  std::string out(reinterpret_cast<const char*>(xmlBufferContent(buffer)), static_cast<size_t>(xmlBufferLength(buffer)));
  xmlBufferFree(buffer);
  return out;
}

}  // namespace

const std::vector<std::string>& CheckRuleNames() {
  static const std::vector<std::string> kNames = {"placeholders", "mnemonics", "shortcuts", "text-shape", "code-page", "layout", "consistency"};
  return kNames;
}

std::string LanguageTag(LANGID language) {
  if (const tvl::LocaleInfo* info = tvl::FindLocale(language)) return info->tag;
  char hex[8];
  std::snprintf(hex, sizeof hex, "0x%04X", language);
  return hex;
}

std::string WriteCheckReport(const CCheckReportInput& input, ECheckReportFormat format) {
  switch (format) {
    case ECheckReportFormat::kJson:
      return WriteJson(input);
    case ECheckReportFormat::kSarif:
      return WriteSarif(input);
    case ECheckReportFormat::kJUnit:
      return WriteJUnit(input);
    case ECheckReportFormat::kText:
      break;
  }
  return WriteText(input);
}
