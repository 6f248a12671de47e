// Targets built from projects with translated strings, messages and command prompts, read
// back by our reader and by the resource compiler's decompiler.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>

#include "StringTableTestSupport.h"
#include "formats/text/ResMessageTable.h"
#include "peimage/PeImage.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "project/TvlDoc.h"
#include "resmodel/ResTable.h"

namespace fs = std::filesystem;

namespace {

constexpr LANGID kEnglish = 0x0409;
constexpr LANGID kGerman = 0x0407;
constexpr LANGID kFrench = 0x040C;

std::u16string U8(const std::string& s) { return tvl::FromUtf8(s); }

// A saved project of one fixture with German and French targets.
struct Project {
  Project(const std::string& fixture, int usesMfc) {
    tvl::SetProgramDirectory(U8(std::string(TVL_SOURCE_DIR) + "/data/"));
    fs::copy_file(FixturePath(fixture), dir.file("App.exe"));
    doc.SetPathName(U8(dir.file("App.tvl")));
    CLanguageArray languages;
    languages.Add(CLanguage(kGerman));
    languages.Add(CLanguage(kFrench));
    auto m = std::make_unique<CModule>(U8(dir.file("App.exe")), kEnglish, usesMfc);
    m->SetDocument(&doc);
    EXPECT_TRUE(m->LoadFromFile());
    doc.InsertModule(std::move(m), kEnglish, languages);
    module = doc.m_modules[0].get();
  }
  ~Project() { tvl::SetProgramDirectory({}); }

  CResStringTable& Strings() { return module->m_resTable.m_stringTable; }
  CResMessageTable& Messages() { return module->m_resTable.m_messageTable; }
  std::string Target(LANGID language) const { return dir.file(language == kGerman ? "AppDEU.exe" : "AppFRA.exe"); }

  CScratchDir dir;
  CTvlDoc doc;
  CModule* module = nullptr;
};

// What a string or message of the project must be in the target of a language.
std::map<DWORD, std::u16string> Expected(const CResStringTable& table, LANGID language) {
  std::map<DWORD, std::u16string> out;
  for (const auto& s : table.m_strings) out[s->m_id] = s->m_value.GetBuildText(language);
  return out;
}

std::map<DWORD, std::u16string> Texts(const CResStringTable& table) {
  std::map<DWORD, std::u16string> out;
  for (const auto& s : table.m_strings) out[s->m_id] = s->m_value.m_text;
  return out;
}

// C escapes as the decompiler writes them; octal and hex escapes are code points (for the
// ANSI messages of Western targets, code page 1252 bytes, which agree above 0x9F).
std::u16string Unescape(const std::string& s) {
  std::u16string out;
  for (size_t i = 0; i < s.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (c != '\\' || i + 1 == s.size()) {
      out += static_cast<char16_t>(c);
      continue;
    }
    char e = s[++i];
    switch (e) {
      case 'n': out += u'\n'; break;
      case 't': out += u'\t'; break;
      case 'r': out += u'\r'; break;
      case 'a': out += u'\a'; break;
      case 'b': out += u'\b'; break;
      case 'f': out += u'\f'; break;
      case 'v': out += u'\v'; break;
      case 'x': {
        unsigned v = 0;
        size_t n = 0;
        while (n < 4 && i + 1 < s.size() && std::isxdigit(static_cast<unsigned char>(s[i + 1]))) {
          v = v * 16 + std::stoi(std::string(1, s[++i]), nullptr, 16);
          ++n;
        }
        out += static_cast<char16_t>(v);
        break;
      }
      default:
        if (e >= '0' && e <= '7') {
          unsigned v = static_cast<unsigned>(e - '0');
          for (int n = 1; n < 3 && i + 1 < s.size() && s[i + 1] >= '0' && s[i + 1] <= '7'; ++n)
            v = v * 8 + static_cast<unsigned>(s[++i] - '0');
          out += static_cast<char16_t>(v);
        } else {
          out += static_cast<char16_t>(e);
        }
    }
  }
  return out;
}

struct Decompiled {
  std::map<DWORD, std::u16string> strings, messages;
  std::set<LANGID> stringLanguages;
};

// Runs the decompiler; false when it is not installed or fails.
bool Decompile(const std::string& path, Decompiled& out) {
  int status = 0;
  const std::string text = DecompileModule(path, &status);
  if (status != 0 || text.empty()) return false;

  std::istringstream lines(text);
  std::string line;
  LANGID language = 0;
  bool inStrings = false, inMessages = false;
  DWORD messageId = 0;
  bool messageText = false;
  while (std::getline(lines, line)) {
    unsigned primary = 0, sub = 0;
    if (std::sscanf(line.c_str(), "LANGUAGE %u, %u", &primary, &sub) == 2) language = static_cast<LANGID>(sub << 10 | primary);
    if (line == "STRINGTABLE") {
      inStrings = true;
      out.stringLanguages.insert(language);
      continue;
    }
    if (inStrings && line == "END") inStrings = false;
    if (inStrings) {
      unsigned id = 0;
      int used = 0;
      if (std::sscanf(line.c_str(), " %u, %n", &id, &used) == 1 && used > 0) {
        std::string quoted = line.substr(static_cast<size_t>(used));
        if (!quoted.empty() && quoted[0] == 'L') quoted.erase(0, 1);
        if (quoted.size() >= 2) out.strings[id] = Unescape(quoted.substr(1, quoted.size() - 2));
      }
      continue;
    }
    if (line.find("MC syntax dump") != std::string::npos) inMessages = true;
    if (!inMessages) continue;
    unsigned id = 0;
    if (std::sscanf(line.c_str(), " MessageId = %x", &id) == 1) {
      messageId = id;
      messageText = true;
      continue;
    }
    if (messageText) {
      messageText = false;
      std::string t = line.size() >= 3 ? line.substr(3) : std::string();
      while (t.size() >= 4 && t.compare(t.size() - 4, 4, "\\000") == 0) t.resize(t.size() - 4);
      if (t.size() >= 4 && t.compare(t.size() - 4, 4, "\\r\\n") == 0) t.resize(t.size() - 4);
      out.messages[messageId] = Unescape(t);
    }
    if (line.find("*/") != std::string::npos) inMessages = false;
  }
  return true;
}

}  // namespace

TEST(StringTableBuild, TargetsHoldTranslationsWithStatusAndSourcesOtherwise) {
  Project p("all32.exe", 0);
  CResStringTable& st = p.Strings();
  st.FindString(1)->m_value.SetTranslation(u"Eins", kGerman);
  st.FindString(2)->m_value.SetTranslation(u"Zwei\tTabulator", kGerman);
  st.FindString(2)->m_value.SetStatus(kGerman, 0);  // out of date
  st.FindString(15)->m_value.SetTranslation(u"Quinze", kFrench);
  st.FindString(100)->m_value.SetTranslation(u"Hundert mit Zeilenumbruch\nzweite Zeile", kGerman);
  st.FindString(4000)->m_value.SetTranslation(u"Unicode-Text \u4e2d\u6587 und \u00fc", kGerman);
  st.FindString(65535)->m_value.SetTranslation(u"Letzte", kGerman);
  st.FindString(65535)->m_value.SetDoNotTranslate(true);
  CResMessageTable& mt = p.Messages();
  mt.FindString(1)->m_value.SetTranslation(u"Erste Meldung: %1.", kGerman);
  mt.FindString(2)->m_value.SetTranslation(u"Zweite", kGerman);
  mt.FindString(2)->m_value.SetStatus(kGerman, 0);
  mt.FindString(0x101)->m_value.SetTranslation(u"Caf\u00e9 auf Deutsch \u00fc", kGerman);
  mt.FindString(0x40000011)->m_value.SetTranslation(u"Bloc mixte \u00e9", kFrench);
  mt.FindString(0x40000012)->m_value.SetTranslation(u"Leer", kGerman);
  ASSERT_TRUE(p.doc.OnSaveDocument(p.doc.GetPathName()));

  CRecordingSink sink;
  ASSERT_TRUE(p.module->BuildLanguages({kGerman, kFrench}));
  EXPECT_TRUE(sink.messages.empty());

  for (LANGID language : {kGerman, kFrench}) {
    const std::string target = p.Target(language);
    const std::map<DWORD, std::u16string> strings = Expected(st, language);
    const std::map<DWORD, std::u16string> messages = Expected(mt, language);
    ASSERT_EQ(strings.size(), 8u);
    ASSERT_EQ(messages.size(), 8u);

    // Our reader: every block and the message table in the target language only.
    CPeImage image;
    ASSERT_TRUE(image.LoadFile(target));
    std::set<WORD> blocks;
    size_t messageTables = 0;
    for (const CPeResource& r : image.GetResources()) {
      if (r.type == CResName(WORD{6})) {
        EXPECT_EQ(r.language, language);
        blocks.insert(r.name.GetOrdinal());
      }
      if (r.type == CResName(WORD{11})) {
        EXPECT_EQ(r.language, language);
        EXPECT_TRUE(r.name == CResName(WORD{1}));
        ++messageTables;
      }
    }
    EXPECT_EQ(blocks, (std::set<WORD>{1, 2, 7, 63, 251, 4096}));
    EXPECT_EQ(messageTables, 1u);

    CResTable back;
    ASSERT_TRUE(back.Load(U8(target), kNoLanguage));
    EXPECT_EQ(Texts(back.m_stringTable), strings) << std::hex << language;
    EXPECT_EQ(Texts(back.m_messageTable), messages) << std::hex << language;
    for (const auto& s : mt.m_strings) EXPECT_EQ(back.m_messageTable.FindString(s->m_id)->m_unicode, s->m_unicode);

    // The decompiler sees the same.
    Decompiled d;
    if (!Decompile(target, d)) {
      ADD_FAILURE() << "the decompiler could not read " << target;
      continue;
    }
    EXPECT_EQ(d.strings, strings) << std::hex << language;
    EXPECT_EQ(d.messages, messages) << std::hex << language;
    EXPECT_EQ(d.stringLanguages, (std::set<LANGID>{language}));
  }
  // Spot checks of what the maps above hold.
  EXPECT_EQ(Expected(st, kGerman)[1], u"Eins");
  EXPECT_EQ(Expected(st, kGerman)[2], u"Two\tTab");
  EXPECT_EQ(Expected(st, kGerman)[65535], u"Last id");
  EXPECT_EQ(Expected(mt, kGerman)[0x101], u"Caf\u00e9 auf Deutsch \u00fc");
  EXPECT_EQ(Expected(mt, kFrench)[0x101], u"Caf\u00e9 ANSI");
}

TEST(StringTableBuild, ComposedCommandPromptsReachTheTarget) {
  Project p("mfc32.exe", 1);
  CPromptAndTips& prompts = p.module->m_resTable.m_promptAndTips;
  ASSERT_EQ(prompts.m_enabled, 1);
  // Until the command formats report their ids, the entries are made here.
  for (DWORD id : {100u, 101u, 102u})
    if (!prompts.Find(id)) prompts.SetAt(id, CPromptAndTip::Create(*p.Strings().FindString(id)));

  CPromptAndTip* open = prompts.Find(101);
  open->m_prompt.SetTranslation(u"Vorhandenes Dokument \u00f6ffnen", kGerman);
  open->m_tooltip.SetTranslation(u"\u00d6ffnen", kGerman);
  open->Compose(kGerman);
  CPromptAndTip* print = prompts.Find(102);
  print->m_tooltip.SetTranslation(u"Imprimer", kFrench);
  print->Compose(kFrench);
  ASSERT_TRUE(p.doc.OnSaveDocument(p.doc.GetPathName()));

  ASSERT_TRUE(p.module->BuildLanguages({kGerman, kFrench}));
  CResTable german, french;
  ASSERT_TRUE(german.Load(U8(p.Target(kGerman)), kNoLanguage));
  ASSERT_TRUE(french.Load(U8(p.Target(kFrench)), kNoLanguage));
  EXPECT_EQ(german.m_stringTable.FindString(101)->m_value.m_text, u"Vorhandenes Dokument \u00f6ffnen\n\u00d6ffnen");
  EXPECT_EQ(german.m_stringTable.FindString(101)->m_value.m_language, kGerman);
  EXPECT_EQ(german.m_stringTable.FindString(102)->m_value.m_text, u"Print the document\nPrint");
  EXPECT_EQ(french.m_stringTable.FindString(102)->m_value.m_text, u"Print the document\nImprimer");
  EXPECT_EQ(french.m_stringTable.FindString(101)->m_value.m_text, u"Open an existing document\nOpen");
  EXPECT_EQ(Texts(french.m_stringTable).size(), 4u);
}
