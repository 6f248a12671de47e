#include <gtest/gtest.h>

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "TestSupport.h"
#include "TvlRun.h"
#include "cli/TvlCommands.h"
#include "languages/AvailableLanguages.h"
#include "platform/Text.h"

namespace fs = std::filesystem;

namespace {
std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}
void WriteText(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }
std::string Shell(const std::string& command, int& rc) { return RunCommand(command + " 2>&1", &rc); }

// Validates against the official XLIFF 1.2 schema that scripts/setup.sh fetches; the catalog
// keeps xmllint off the network. Returns xmllint's rc and puts its words in `output`.
int ValidateXliff(const std::string& path, std::string& output) {
  std::string schemas = std::string(TVL_FIXTURES_DIR) + "/xliff/";
  if (!fs::exists(schemas + "xliff-core-1.2-strict.xsd")) {
    output = "the XLIFF schema is missing: run scripts/setup.sh";
    return -1;
  }
  int rc = 0;
  output = Shell("XML_CATALOG_FILES=" + schemas + "catalog.xml xmllint --nonet --noout --schema " + schemas +
                     "xliff-core-1.2-strict.xsd " + path,
                 rc);
  return rc;
}

// A translator's work: every unit gets a target (in place of an empty one), "FR " and the
// source; version numbers get a version.
std::string FillXliff(const std::string& xliff) {
  std::regex unit(
      R"re(<trans-unit id="([^"]*)"([^>]*)>(\s*)<source>([\s\S]*?)</source>(<target[^>]*/>|<target[^>]*>[\s\S]*?</target>)?)re");
  std::string result;
  auto begin = std::sregex_iterator(xliff.begin(), xliff.end(), unit);
  size_t last = 0;
  for (auto it = begin; it != std::sregex_iterator(); ++it) {
    const std::smatch& m = *it;
    result += xliff.substr(last, static_cast<size_t>(m.position()) - last) +
              m.str().substr(0, m.str().size() - m.str(5).size());
    if (m.str(2).find("translate=\"no\"") == std::string::npos) {
      bool version = m.str(1).find("#fixed") != std::string::npos;
      result += "<target state=\"translated\">" + (version ? std::string("5, 6, 7, 8") : "FR " + m.str(4)) + "</target>";
    }
    last = static_cast<size_t>(m.position() + m.length());
  }
  return result + xliff.substr(last);
}

// The same for PO: msgstr is "DE " and the msgid's strings.
std::string FillPo(const std::string& po) {
  std::istringstream in(po);
  std::ostringstream out;
  std::string line, ctxt, id;
  bool inId = false;
  while (std::getline(in, line)) {
    if (line.rfind("msgctxt ", 0) == 0) ctxt = line;
    if (line.rfind("msgid ", 0) == 0) {
      id = line.substr(6);
      inId = true;
    } else if (inId && line.rfind("\"", 0) == 0) {
      id += " " + line;
    } else if (line.rfind("msgstr ", 0) == 0) {
      inId = false;
      if (!ctxt.empty()) {
        line = ctxt.find("#fixed") != std::string::npos ? "msgstr \"3, 0, 0, 0\"" : "msgstr \"DE \" " + id;
        ctxt.clear();
      }
    }
    out << line << '\n';
  }
  return out.str();
}
}  // namespace

TEST(TvlExchange, ExportFillImportBuildFindsTheTranslations) {
  SetLanguageCatalogueFile(tvl::FromUtf8(std::string(TVL_SOURCE_DIR) + "/data/Languages.dat"));
  CScratchDir dir;
  fs::copy_file(FixturePath("all32.exe"), dir.file("App.exe"));
  std::string project = dir.file("p.tvl");
  ASSERT_EQ(Tvl({"new", project}).rc, 0);
  TvlRun insert = Tvl({"insert", project, dir.file("App.exe")});
  ASSERT_EQ(insert.rc, 0) << insert.err;
  ASSERT_EQ(Tvl({"languages", project, "--add", "fr-FR", "--add", "DEU"}).rc, 0);

  TvlRun xliff = Tvl({"export", project, "--lang", "fr-FR", "-o", dir.file("fr.xlf")});
  ASSERT_EQ(xliff.rc, 0) << xliff.err;
  TvlRun po = Tvl({"export", project, "--lang", "DEU", "--format", "po", "-o", dir.file("de.po")});
  ASSERT_EQ(po.rc, 0) << po.err;

  // The exported files are what other tools accept.
  int rc = 0;
  std::string lint;
  EXPECT_EQ(ValidateXliff(dir.file("fr.xlf"), lint), 0) << lint;
  // ...and the check can fail: a unit without its id is refused.
  WriteText(dir.file("bad.xlf"), std::regex_replace(ReadText(dir.file("fr.xlf")), std::regex(" id=\"[^\"]*\""), ""));
  EXPECT_NE(ValidateXliff(dir.file("bad.xlf"), lint), 0) << lint;
  std::string check = Shell("msgfmt --check -o /dev/null " + dir.file("de.po"), rc);
  EXPECT_EQ(rc, 0) << check;
  // The XLIFF structure: namespace and version, a file with its languages, units with ids
  // and sources.
  {
    std::string text = ReadText(dir.file("fr.xlf"));
    xmlDocPtr xml = xmlReadMemory(text.data(), static_cast<int>(text.size()), nullptr, nullptr, XML_PARSE_NONET);
    ASSERT_NE(xml, nullptr);
    xmlNodePtr root = xmlDocGetRootElement(xml);
    EXPECT_STREQ(reinterpret_cast<const char*>(root->name), "xliff");
    EXPECT_STREQ(reinterpret_cast<const char*>(root->ns->href), "urn:oasis:names:tc:xliff:document:1.2");
    xmlChar* version = xmlGetProp(root, reinterpret_cast<const xmlChar*>("version"));
    EXPECT_STREQ(reinterpret_cast<const char*>(version), "1.2");
    xmlFree(version);
    xmlFreeDoc(xml);
    EXPECT_NE(text.find("source-language=\"en-US\" target-language=\"fr-FR\""), std::string::npos);
    EXPECT_NE(text.find("id=\"App.exe/6/15/text\""), std::string::npos);
    EXPECT_NE(text.find("id=\"App.exe/5/100/caption\""), std::string::npos);
    EXPECT_NE(text.find("id=\"App.exe/4/201/0/label\""), std::string::npos);
  }

  WriteText(dir.file("fr.xlf"), FillXliff(ReadText(dir.file("fr.xlf"))));
  WriteText(dir.file("de.po"), FillPo(ReadText(dir.file("de.po"))));
  EXPECT_EQ(ValidateXliff(dir.file("fr.xlf"), lint), 0) << lint;
  std::string filledCheck = Shell("msgfmt --check -o /dev/null " + dir.file("de.po"), rc);
  ASSERT_EQ(rc, 0) << filledCheck;
  TvlRun importFr = Tvl({"import", project, "--lang", "fr-FR", dir.file("fr.xlf")});
  ASSERT_EQ(importFr.rc, 0) << importFr.err;
  TvlRun importDe = Tvl({"import", project, "--lang", "DEU", dir.file("de.po")});
  ASSERT_EQ(importDe.rc, 0) << importDe.err;

  // Nothing is left to do for either language.
  TvlRun todo = Tvl({"export", project, "--lang", "fr-FR", "--format", "json", "--only", "todo"});
  EXPECT_EQ(todo.out.find("\"id\""), std::string::npos) << todo.out;
  TvlRun todoDe = Tvl({"export", project, "--lang", "DEU", "--format", "json", "--only", "todo"});
  EXPECT_EQ(todoDe.out.find("\"id\""), std::string::npos) << todoDe.out;

  TvlRun build = Tvl({"build", project});
  ASSERT_EQ(build.rc, 0) << build.err;
  for (auto [file, prefix] : {std::pair{"AppFRA.exe", "FR "}, std::pair{"AppDEU.exe", "DE "}}) {
    ASSERT_TRUE(fs::exists(dir.file(file))) << file;
    std::string rc2 = DecompileModule(dir.file(file), &rc);
    ASSERT_EQ(rc, 0) << rc2;
    for (const char* text : {"Classic dialog", "Fifteen", "Fixture Makers", "Open a file"})
      EXPECT_NE(rc2.find(std::string(prefix) + text), std::string::npos) << file << ": " << text;
  }
  std::string fr = DecompileModule(dir.file("AppFRA.exe"), &rc);
  EXPECT_NE(fr.find("FILEVERSION 5, 6, 7, 8"), std::string::npos);
}

TEST(TvlExchange, FaultyFilesAndUnknownIdsChangeNothing) {
  SetLanguageCatalogueFile(tvl::FromUtf8(std::string(TVL_SOURCE_DIR) + "/data/Languages.dat"));
  CScratchDir dir;
  std::string project = dir.file("p.tvl");
  ASSERT_EQ(Tvl({"new", project}).rc, 0);
  ASSERT_EQ(Tvl({"insert", project, FixturePath("all32.exe"), "--lang", "fr-FR"}).rc, 0);
  std::vector<unsigned char> before = ReadFileBytes(project);

  const std::pair<const char*, const char*> broken[] = {
      {"a.xlf", "<xliff version=\"1.2\" xmlns=\"urn:oasis:names:tc:xliff:document:1.2\"><file><body>"},
      {"b.po", "msgctxt \"all32.exe/6/15/text\"\nmsgid \"Fifteen\"\nmsgstr \"Quinze\n"},
      {"c.json", "{\"items\": [{\"id\": \"all32.exe/6/15/text\", \"translation\": 15}]}"},
      // Parses, but a version must be four numbers: nothing of the file is applied.
      {"d.json", "{\"items\": [{\"id\": \"all32.exe/6/15/text\", \"translation\": \"Quinze\"},"
                 " {\"id\": \"all32.exe/16/1/FileVersion#fixed\", \"translation\": \"one\"}]}"},
      // Translations for another language.
      {"e.json", "{\"language\": \"de-DE\", \"items\": [{\"id\": \"all32.exe/6/15/text\", \"translation\": \"X\"}]}"},
      // Entities that would expand to gigabytes: refused at their declaration.
      {"f.xlf", "<!DOCTYPE xliff [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
                "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\"><!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">"
                "<!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\"><!ENTITY f \"&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;\">"
                "<!ENTITY g \"&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;\"><!ENTITY h \"&g;&g;&g;&g;&g;&g;&g;&g;&g;&g;\">]>"
                "<xliff version=\"1.2\" xmlns=\"urn:oasis:names:tc:xliff:document:1.2\"><file><body>"
                "<trans-unit id=\"all32.exe/6/15/text\" resname=\"&h;\"><source>Fifteen</source>"
                "<target>&h;</target></trans-unit></body></file></xliff>"},
  };
  for (auto [name, text] : broken) {
    WriteText(dir.file(name), text);
    TvlRun r = Tvl({"import", project, "--lang", "fr-FR", dir.file(name)});
    EXPECT_EQ(r.rc, 1) << name;
    EXPECT_EQ(r.err.rfind("Error: ", 0), 0u) << name << ": " << r.err;
    EXPECT_EQ(ReadFileBytes(project), before) << name;
  }

  WriteText(dir.file("ok.json"), "{\"items\": [{\"id\": \"all32.exe/6/15/text\", \"translation\": \"Quinze\"},"
                                 " {\"id\": \"nowhere/6/1/text\", \"translation\": \"X\"}]}");
  TvlRun ok = Tvl({"import", project, "--lang", "fr-FR", dir.file("ok.json")});
  EXPECT_EQ(ok.rc, 0) << ok.err;
  EXPECT_EQ(ok.err, "Warning: Unknown id nowhere/6/1/text: not imported.\n");
  TvlRun json = Tvl({"export", project, "--lang", "fr-FR", "--format", "json"});
  EXPECT_NE(json.out.find("\"translation\": \"Quinze\",\n      \"status\": 1"), std::string::npos) << json.out;

  EXPECT_EQ(Tvl({"export", project, "--lang", "fr-FR", "--format", "csv"}).rc, 2);
  EXPECT_EQ(Tvl({"export", project, "--lang", "de-DE"}).rc, 1);  // not a target language
}
