#include <gtest/gtest.h>

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>

#include "TestSupport.h"
#include "TvlRun.h"
#include "cli/TvlCommands.h"
#include "languages/AvailableLanguages.h"
#include "platform/Text.h"
#include "project/TextItems.h"
#include "project/TvlDoc.h"

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
int ValidateXliff(const std::string& path, std::string& output,
                  const std::string& schema = "xliff-core-1.2-strict.xsd") {
  std::string schemas = std::string(TVL_FIXTURES_DIR) + "/xliff/";
  if (!fs::exists(schemas + schema)) {
    output = "the XLIFF schema is missing: run scripts/setup.sh";
    return -1;
  }
  int rc = 0;
  output = Shell("XML_CATALOG_FILES=" + schemas + "catalog.xml xmllint --nonet --noout --schema " + schemas + schema +
                     " " + path,
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

namespace {
// FillPo's translations as other tools read PO: one string a line.
std::string FillPoLines(const std::string& po) {
  std::istringstream in(FillPo(po));
  std::string out, line;
  while (std::getline(in, line)) {
    if (line.rfind("msgstr \"DE \" ", 0) == 0) line = std::regex_replace(line, std::regex("\" \""), "\"\n\"");
    out += line + "\n";
  }
  return out;
}

bool HaveTool(const std::string& name) {
  int rc = 0;
  RunCommand("command -v " + name + " >/dev/null 2>&1", &rc);
  return rc == 0;
}

// The ids of an exported file, in order: XLIFF trans-unit ids or PO msgctxt lines.
std::vector<std::string> IdsOf(const std::string& text) {
  std::regex id(R"re(<trans-unit id="([^"]*)"|\nmsgctxt "((?:[^"\\]|\\.)*)")re");
  std::vector<std::string> ids;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), id); it != std::sregex_iterator(); ++it)
    ids.push_back((*it)[1].matched ? (*it)[1].str() : (*it)[2].str());
  return ids;
}

// "status" and "translation" of one item in a JSON export.
std::pair<int, std::string> JsonItem(const std::string& json, const std::string& id) {
  std::regex item("\"id\": \"" + std::regex_replace(id, std::regex(R"([.^$|()\[\]{}*+?\\])"), R"(\$&)") +
                  R"re(",\s*"source": "(?:[^"\\]|\\.)*",\s*"translation": ("(?:[^"\\]|\\.)*"|null),\s*"status": (\d))re");
  std::smatch m;
  if (!std::regex_search(json, m, item)) return {-1, ""};
  return {std::stoi(m.str(2)), m.str(1)};
}

// A project of all32.exe into French holding every state an item can have: not translated,
// translated, out of date, edited (final), marked not to translate; a string with
// placeholders and a line break; a check box whose translation grows it.
struct ExchangeProject {
  ExchangeProject(const std::string& exe = "all32.exe") {
    SetLanguageCatalogueFile(tvl::FromUtf8(std::string(TVL_SOURCE_DIR) + "/data/Languages.dat"));
    fs::copy_file(FixturePath(exe), dir.file("App.exe"));
    EXPECT_EQ(Tvl({"new", project}).rc, 0);
    EXPECT_EQ(Tvl({"insert", project, dir.file("App.exe")}).rc, 0);
    EXPECT_EQ(Tvl({"languages", project, "--add", "fr-FR"}).rc, 0);
  }
  void AddStates() {
    {
      CTvlDoc doc;
      ASSERT_TRUE(doc.OnOpenDocument(tvl::FromUtf8(project)));
      for (CExchangeItem& item : tvl::CollectProjectItems(doc)) {
        if (item.m_id == "App.exe/6/15/text") item.m_value->m_text = u"Copy %1 of %2\nto %3";
        if (item.m_id == "App.exe/5/100/control/1002#0") item.m_value->SetDoNotTranslate(true);
      }
      ASSERT_TRUE(doc.OnSaveDocument(doc.GetPathName()));
    }
    WriteText(dir.file("states.xlf"),
              "<xliff version=\"1.2\" xmlns=\"urn:oasis:names:tc:xliff:document:1.2\"><file original=\"App.exe\" "
              "source-language=\"en-US\" target-language=\"fr-FR\" datatype=\"winres\"><body>"
              "<trans-unit id=\"App.exe/5/100/control/1#0\"><source>OK</source><target state=\"translated\">"
              "Valider</target></trans-unit>"
              "<trans-unit id=\"App.exe/5/100/control/2#0\"><source>Cancel</source><target "
              "state=\"needs-review-translation\">Annuler</target></trans-unit>"
              "<trans-unit id=\"App.exe/5/100/caption\"><source>Classic dialog</source><target state=\"final\">"
              "Dialogue classique</target></trans-unit>"
              "<trans-unit id=\"App.exe/5/100/control/1005#0\"><source>Auto check</source><target "
              "state=\"translated\">Case à cocher automatique avec un texte bien trop long</target></trans-unit>"
              "</body></file></xliff>");
    TvlRun r = Tvl({"import", project, "--lang", "fr-FR", dir.file("states.xlf")});
    EXPECT_EQ(r.rc, 0) << r.err;
  }
  std::string Export(std::vector<std::string> options, const std::string& name) {
    std::vector<std::string> args{"export", project, "--lang", "fr-FR", "-o", dir.file(name)};
    args.insert(args.end(), options.begin(), options.end());
    TvlRun r = Tvl(args);
    EXPECT_EQ(r.rc, 0) << r.err;
    return ReadText(dir.file(name));
  }
  CScratchDir dir;
  std::string project = dir.file("p.tvl");
};

// The line of the unit whose `attribute` is `id` (units are written one a line), and the
// line of the group it is in.
std::pair<std::string, std::string> UnitLine(const std::string& text, const char* attribute, const std::string& id) {
  const std::string quoted = std::regex_replace(id, std::regex("\""), "&quot;");
  const size_t at = text.find(std::string(" ") + attribute + "=\"" + quoted + "\"");
  if (at == std::string::npos) return {};
  auto line = [&text](size_t pos) {
    const size_t begin = text.rfind('\n', pos) + 1;
    return text.substr(begin, text.find('\n', pos) - begin);
  };
  const size_t group = text.rfind("<group ", at);
  const bool inGroup = group != std::string::npos && text.find("</group>", group) > at;
  return {line(at), inGroup ? line(group) : std::string()};
}
}  // namespace

TEST(XliffExport, UnitsCarryKindPlaceWidthContextAndState) {
  ExchangeProject p;
  p.AddStates();
  const std::string text = p.Export({}, "fr.xlf");
  std::string lint;
  EXPECT_EQ(ValidateXliff(p.dir.file("fr.xlf"), lint), 0) << lint;
  EXPECT_NE(text.find("<tool tool-id=\"tvl\" tool-name=\"Tessalingvora\" tool-version=\"" TVL_VERSION "\"/>"),
            std::string::npos);
  // Nothing but elements inside a unit: no blank between them.
  std::regex unit(R"(<trans-unit [\s\S]*?</trans-unit>)"), blank(R"(>\s+<)");
  int units = 0;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), unit); it != std::sregex_iterator(); ++it, ++units)
    EXPECT_FALSE(std::regex_search(it->str(), blank)) << it->str();
  EXPECT_EQ(units, static_cast<int>(IdsOf(text).size()));

  const struct {
    const char* id;
    const char* group;
    std::vector<std::string> parts;  // of the unit's line
  } cases[] = {
      {"App.exe/5/100/caption", "resname=\"100\" restype=\"dialog\"", {"restype=\"caption\"", "<target state=\"final\">"}},
      {"App.exe/5/100/control/1#0", "resname=\"100\" restype=\"dialog\"",
       {"resname=\"control/1#0\" restype=\"defpushbutton\" coord=\"183;7;50;14\" size-unit=\"dlgunit\" maxwidth=\"50\"",
        "approved=\"yes\"", "<target state=\"translated\">Valider", "<note>dialog: Classic dialog</note>"}},
      {"App.exe/5/100/control/2#0", "restype=\"dialog\"",
       {"restype=\"pushbutton\" coord=\"183;24;50;14\"", "<target state=\"needs-review-translation\">Annuler",
        "<note>width limit: 50 dialog units</note>"}},
      {"App.exe/5/100/control/1004#0", "restype=\"dialog\"",
       {"restype=\"checkbox\" coord=\"7;40;60;10\"", "<target state=\"needs-translation\"/>"}},
      {"App.exe/5/100/control/1006#0", "restype=\"dialog\"", {"restype=\"radio\" coord=\"7;52;60;10\""}},
      {"App.exe/5/100/control/1008#0", "restype=\"dialog\"", {"restype=\"groupbox\" coord=\"7;65;120;40\""}},
      {"App.exe/5/100/control/1002#0", "restype=\"dialog\"",
       {"restype=\"ctext\" coord=\"115;7;40;8\"", "translate=\"no\"", "</source><note>ctext</note>",
        "<note>do not translate</note>"}},
      {"App.exe/5/\"NAMEDDLG\"/control/2#0", "resname=\"NAMEDDLG\" restype=\"dialog\"",
       {"restype=\"pushbutton\" coord=\"25;20;50;14\"", "<note>dialog: Named</note>"}},
      {"App.exe/5/101/init/1102#0", "resname=\"101\"", {"restype=\"comboboxitem\" xml:space"}},
      {"App.exe/4/200/0.3/label", "resname=\"200\" restype=\"menu\"", {"restype=\"popupmenu\"", "<note>menu: File</note>"}},
      {"App.exe/4/200/0.3.0/label", "restype=\"menu\"", {"restype=\"menuitem\"", "<note>menu: File &gt; Recent</note>"}},
      {"App.exe/4/200/0.0/shortcut", "restype=\"menu\"", {"restype=\"shortcut\"", "<note>menu: File</note>"}},
      {"App.exe/6/15/text", "resname=\"STRINGTABLE\" restype=\"x-stringtable\"", {"resname=\"15/text\" restype=\"string\""}},
      {"App.exe/16/1/FileVersion#fixed", "resname=\"1\" restype=\"versioninfo\"", {"restype=\"x-version-number\""}},
  };
  for (const auto& c : cases) {
    auto [line, group] = UnitLine(text, "id", c.id);
    ASSERT_FALSE(line.empty()) << c.id;
    EXPECT_NE(group.find(c.group), std::string::npos) << c.id << ": " << group;
    for (const std::string& part : c.parts) EXPECT_NE(line.find(part), std::string::npos) << c.id << ": " << part;
  }
  // The check box translated too long is grown: its width limit is past the source's 60.
  std::smatch width;
  const std::string grown = UnitLine(text, "id", "App.exe/5/100/control/1005#0").first;
  ASSERT_TRUE(std::regex_search(grown, width, std::regex("maxwidth=\"(\\d+)\""))) << grown;
  EXPECT_GT(std::stoi(width.str(1)), 60) << grown;
}

TEST(XliffExport, FilesWrittenBeforeTheHintsStillImport) {
  // Exports of the same project written before units carried hints: same ids, and filled
  // in they import with nothing unknown.
  for (const char* name : {"all32-fr-plain.xlf", "all32-fr-plain.po"}) {
    ExchangeProject p;
    const std::string old = ReadText(FixturePath(std::string("exchange/") + name));
    const bool xliff = std::string(name).ends_with(".xlf");
    const std::string now = p.Export(xliff ? std::vector<std::string>{} : std::vector<std::string>{"--format", "po"},
                                     xliff ? "now.xlf" : "now.po");
    EXPECT_EQ(IdsOf(old), IdsOf(now)) << name;
    EXPECT_GT(IdsOf(old).size(), 50u) << name;
    WriteText(p.dir.file(name), xliff ? FillXliff(old) : FillPo(old));
    TvlRun r = Tvl({"import", p.project, "--lang", "fr-FR", p.dir.file(name)});
    EXPECT_EQ(r.rc, 0) << name << r.err;
    EXPECT_EQ(r.err, "") << name;
    TvlRun todo = Tvl({"export", p.project, "--lang", "fr-FR", "--format", "json", "--only", "todo"});
    EXPECT_EQ(todo.out.find("\"id\""), std::string::npos) << name << todo.out;
  }
}

TEST(PoExport, CommentsReferencesFlagsDatesAndTemplate) {
  ExchangeProject p;
  p.AddStates();
  setenv("SOURCE_DATE_EPOCH", "31536000", 1);
  const std::string po = p.Export({"--format", "po"}, "fr.po");
  const std::string again = p.Export({"--format", "po"}, "again.po");
  const std::string pot = p.Export({"--format", "po", "--template"}, "fr.pot");
  unsetenv("SOURCE_DATE_EPOCH");
  EXPECT_EQ(po, again);  // reproducible
  EXPECT_NE(po.find("\"POT-Creation-Date: 1971-01-01 00:00+0000\\n\"\n\"PO-Revision-Date: 1971-01-01 00:00+0000\\n\""),
            std::string::npos) << po.substr(0, 400);
  EXPECT_NE(pot.find("\"PO-Revision-Date: YEAR-MO-DA HO:MI+ZONE\\n\""), std::string::npos);
  EXPECT_NE(pot.find("\"Language: \\n\""), std::string::npos);
  int rc = 0;
  std::string check = Shell("msgfmt --check -o /dev/null " + p.dir.file("fr.po"), rc);
  EXPECT_EQ(rc, 0) << check;

  const std::pair<const char*, const char*> entries[] = {
      {"App.exe/5/100/control/2#0",
       "#. pushbutton\n#. dialog: Classic dialog\n#. width limit: 50 dialog units\n#: App.exe/5/100/control/2#0\n"
       "#, fuzzy\nmsgctxt \"App.exe/5/100/control/2#0\"\nmsgid \"Cancel\"\nmsgstr \"Annuler\"\n"},
      {"App.exe/5/100/control/1#0", "#: App.exe/5/100/control/1#0\nmsgctxt \"App.exe/5/100/control/1#0\"\nmsgid "
                                    "\"OK\"\nmsgstr \"Valider\"\n"},
      {"App.exe/4/200/0.3.0/label", "#. menuitem\n#. menu: File > Recent\n#: App.exe/4/200/0.3.0/label\n"},
      {"App.exe/6/15/text", "#. string\n#: App.exe/6/15/text\nmsgctxt \"App.exe/6/15/text\"\nmsgid \"\"\n\"Copy %1 of "
                            "%2\\n\"\n\"to %3\"\nmsgstr \"\"\n"},
      {"App.exe/5/\"NAMEDDLG\"/caption", "#: App.exe/5/\"NAMEDDLG\"/caption\n"},
  };
  for (auto [id, block] : entries) EXPECT_NE(po.find(block), std::string::npos) << id << "\n" << block;
  EXPECT_NE(po.find("#. ctext\n#. dialog: Classic dialog\n#. width limit: 40 dialog units\n#. do not translate\n"
                    "#: App.exe/5/100/control/1002#0\nmsgctxt \"App.exe/5/100/control/1002#0\"\nmsgid \"Center\"\n"
                    "msgstr \"\"\n"),
            std::string::npos);
  // The template: every msgstr empty, nothing fuzzy, the same entries.
  EXPECT_EQ(IdsOf(pot), IdsOf(po));
  EXPECT_EQ(pot.find("#, fuzzy"), std::string::npos);
  EXPECT_EQ(std::regex_search(pot, std::regex("\nmsgstr \"[^\"]")), false);
}

TEST(ExchangeTools, GettextMergeAfterAProgramUpdateImportsFuzzyAsOutOfDate) {
  for (const char* tool : {"msgmerge", "msgcat", "msgfmt"})
    if (!HaveTool(tool)) GTEST_SKIP() << tool << " is not installed";
  // The translator's file for the first build, filled in.
  ExchangeProject first;
  first.Export({"--format", "po"}, "fr.po");
  WriteText(first.dir.file("fr.po"), FillPoLines(ReadText(first.dir.file("fr.po"))));
  // The program changed: a template of the second build updates the translator's file.
  ExchangeProject second("all32_v2.exe");
  second.Export({"--format", "po", "--template"}, "new.pot");
  int rc = 0;
  std::string merged = second.dir.file("merged.po");
  std::string said = Shell("msgmerge --quiet -o " + merged + " " + first.dir.file("fr.po") + " " +
                               second.dir.file("new.pot"), rc);
  ASSERT_EQ(rc, 0) << said;
  said = Shell("msgfmt --check -o /dev/null " + merged, rc);
  EXPECT_EQ(rc, 0) << said;
  said = Shell("msgcat -o " + second.dir.file("cat.po") + " " + merged, rc);
  ASSERT_EQ(rc, 0) << said;
  const std::string mergedText = ReadText(merged);
  ASSERT_NE(mergedText.find("#, fuzzy"), std::string::npos) << mergedText;

  TvlRun r = Tvl({"import", second.project, "--lang", "fr-FR", second.dir.file("cat.po")});
  ASSERT_EQ(r.rc, 0) << r.err;
  const std::string json = Tvl({"export", second.project, "--lang", "fr-FR", "--format", "json"}).out;
  const struct {
    const char* id;
    int status;
    const char* translation;
  } cases[] = {
      {"App.exe/6/15/text", 1, "\"DE Fifteen\""},            // unchanged
      {"App.exe/5/100/caption", 1, "\"DE Classic dialog\""},  // unchanged
      {"App.exe/5/100/control/1004#0", 0, "\"DE Check\""},  // "Check this" now: fuzzy, so out of date
      {"App.exe/6/17/text", 0, "\"DE Sixteen\""},           // new, matched by msgmerge to a removed one
      {"App.exe/5/101/control/1100#0", 0, "null"},          // "Full name:": too far from "Name:" to match
  };
  for (const auto& c : cases) {
    auto [status, translation] = JsonItem(json, c.id);
    EXPECT_EQ(status, c.status) << c.id;
    EXPECT_EQ(translation, c.translation) << c.id << "\n" << mergedText;
  }
}

TEST(ExchangeTools, TranslateToolkitConvertsBothWaysAndFindsNoFault) {
  for (const char* tool : {"po2xliff", "xliff2po", "pofilter"})
    if (!HaveTool(tool)) GTEST_SKIP() << tool << " is not installed";
  ExchangeProject p;
  p.AddStates();
  WriteText(p.dir.file("fr.po"), FillPoLines(p.Export({"--format", "po"}, "fr.po")));
  // The translator's tool approves what it translates.
  WriteText(p.dir.file("fr.xlf"), std::regex_replace(FillXliff(p.Export({}, "fr.xlf")),
                                                     std::regex("<trans-unit ((?:(?!approved|translate=)[^>])*)>"),
                                                     "<trans-unit $1 approved=\"yes\">"));
  int rc = 0;
  std::string said = Shell("po2xliff " + p.dir.file("fr.po") + " " + p.dir.file("po.xlf"), rc);
  ASSERT_EQ(rc, 0) << said;
  said = Shell("xliff2po " + p.dir.file("fr.xlf") + " " + p.dir.file("xlf.po"), rc);
  ASSERT_EQ(rc, 0) << said;

  // Each converted file gives the project what the file it came from gives.
  const std::tuple<const char*, const char*, const char*> pairs[] = {{"fr.po", "po.xlf", "DE"},
                                                                     {"fr.xlf", "xlf.po", "FR"}};
  for (auto [original, converted, prefix] : pairs) {
    std::string results[2];
    for (int i = 0; i < 2; ++i) {
      ExchangeProject fresh;
      fresh.AddStates();
      TvlRun r = Tvl({"import", fresh.project, "--lang", "fr-FR", p.dir.file(i ? converted : original)});
      EXPECT_EQ(r.rc, 0) << converted << r.err;
      EXPECT_EQ(r.err, "") << converted;
      results[i] = Tvl({"export", fresh.project, "--lang", "fr-FR", "--format", "json"}).out;
    }
    EXPECT_EQ(results[1], results[0]) << converted;
    EXPECT_EQ(JsonItem(results[1], "App.exe/6/15/text").second, "\"" + std::string(prefix) + " Copy %1 of %2\\nto %3\"");
  }

  // Placeholders, line breaks and escapes survive; a translation that drops them is caught.
  const std::string tests = " -t printf -t newlines -t escapes -t doublespacing -t endwhitespace -t startwhitespace";
  said = Shell("pofilter --progress=none" + tests + " " + p.dir.file("fr.po") + " " + p.dir.file("faults.po"), rc);
  EXPECT_EQ(rc, 0) << said;
  EXPECT_EQ(IdsOf(ReadText(p.dir.file("faults.po"))).size(), 0u) << ReadText(p.dir.file("faults.po"));
  std::string broken = ReadText(p.dir.file("fr.po"));
  broken = std::regex_replace(broken, std::regex("msgstr \"DE \"\n\"\"\n\"Copy %1 of %2\\\\n\"\n\"to %3\""),
                              "msgstr \"DE Copy %1 of %2 to %3\"");
  WriteText(p.dir.file("broken.po"), broken);
  Shell("pofilter --progress=none" + tests + " " + p.dir.file("broken.po") + " " + p.dir.file("faults.po"), rc);
  EXPECT_EQ(IdsOf(ReadText(p.dir.file("faults.po"))), std::vector<std::string>{"App.exe/6/15/text"});
}

TEST(XliffExport, Xliff2CarriesTheSameInItsOwnTermsAndReadsBack) {
  ExchangeProject p;
  p.AddStates();
  const std::string text = p.Export({"--format", "xliff2"}, "fr2.xlf");
  std::string lint;
  EXPECT_EQ(ValidateXliff(p.dir.file("fr2.xlf"), lint, "xliff-core-2.0.xsd"), 0) << lint;
  WriteText(p.dir.file("bad2.xlf"), std::regex_replace(text, std::regex("<unit id=\"u1\""), "<unit"));
  EXPECT_NE(ValidateXliff(p.dir.file("bad2.xlf"), lint, "xliff-core-2.0.xsd"), 0) << lint;
  EXPECT_NE(text.find("<xliff xmlns=\"urn:oasis:names:tc:xliff:document:2.0\""), std::string::npos);
  EXPECT_NE(text.find("version=\"2.1\" srcLang=\"en-US\" trgLang=\"fr-FR\""), std::string::npos);
  EXPECT_NE(text.find("<mda:meta type=\"tool-name\">Tessalingvora</mda:meta>"), std::string::npos);
  EXPECT_NE(text.find("<group id=\"g2\" name=\"100\" type=\"tvl:dialog\">"), std::string::npos) << text;

  // Each unit is one line: what it must hold.
  const std::pair<const char*, std::vector<std::string>> cases[] = {
      {"App.exe/5/100/caption", {"type=\"tvl:caption\"", "<segment state=\"final\"><source>Classic dialog</source>"
                                 "<target>Dialogue classique</target>"}},
      {"App.exe/5/100/control/1#0",
       {"type=\"tvl:defpushbutton\"", "<mda:meta type=\"coord\">183;7;50;14</mda:meta>",
        "<mda:meta type=\"size-unit\">dlgunit</mda:meta><mda:meta type=\"maxwidth\">50</mda:meta>",
        "<note>dialog: Classic dialog</note>", "<segment state=\"translated\"><source>OK</source><target>Valider"}},
      {"App.exe/5/100/control/2#0",
       {"<segment state=\"initial\" subState=\"tvl:needs-review\"><source>Cancel</source><target>Annuler"}},
      {"App.exe/5/100/control/1004#0", {"<segment state=\"initial\"><source>Check</source></segment>"}},
      {"App.exe/5/100/control/1002#0", {"translate=\"no\"", "<segment><source>Center</source></segment>"}},
      {"App.exe/4/200/0.3.0/label", {"type=\"tvl:menuitem\"", "<note>menu: File &gt; Recent</note>"}},
  };
  for (const auto& [id, parts] : cases) {
    const std::string line = UnitLine(text, "name", id).first;
    ASSERT_FALSE(line.empty()) << id;
    for (const std::string& part : parts) EXPECT_NE(line.find(part), std::string::npos) << id << ": " << part;
  }

  // Read back into a project without translations, the states are those exported.
  ExchangeProject q;
  TvlRun r = Tvl({"import", q.project, "--lang", "fr-FR", p.dir.file("fr2.xlf")});
  ASSERT_EQ(r.rc, 0) << r.err;
  const std::string json = Tvl({"export", q.project, "--lang", "fr-FR", "--format", "json"}).out;
  EXPECT_EQ(JsonItem(json, "App.exe/5/100/caption"), std::make_pair(2, std::string("\"Dialogue classique\"")));
  EXPECT_EQ(JsonItem(json, "App.exe/5/100/control/1#0"), std::make_pair(1, std::string("\"Valider\"")));
  EXPECT_EQ(JsonItem(json, "App.exe/5/100/control/2#0"), std::make_pair(0, std::string("\"Annuler\"")));
  EXPECT_EQ(JsonItem(json, "App.exe/5/100/control/1004#0"), std::make_pair(0, std::string("null")));
}
