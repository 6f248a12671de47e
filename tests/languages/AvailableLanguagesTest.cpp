#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "languages/AvailableLanguages.h"
#include "languages/Language.h"
#include "platform/Files.h"
#include "platform/LocaleTable.h"
#include "platform/Profile.h"
#include "platform/Text.h"

namespace {

void WriteText(const std::string& path, const std::string& text) {
  WriteFileBytes(path, std::vector<unsigned char>(text.begin(), text.end()));
}

std::u16string U16(const std::string& s) { return tvl::FromUtf8(s); }

// Points the program's catalogues at a file for one test.
class CatalogueFile {
 public:
  explicit CatalogueFile(const std::u16string& path) { SetLanguageCatalogueFile(path); }
  ~CatalogueFile() { SetLanguageCatalogueFile(std::nullopt); }
};

std::string ShippedFile() { return std::string(TVL_SOURCE_DIR) + "/data/Languages.dat"; }

}  // namespace

TEST(AvailableLanguages, LinesBecomeEntriesByTheCatalogueRules) {
  CScratchDir dir;
  WriteText(dir.file("l.dat"),
            "[Languages]\n"
            "1036=French\n"
            "0=Key zero\n"
            "no equals sign\n"
            "66569=Low bits only\n"
            "abc=No digits\n"
            "  1031  =  German  \n"
            "12abc=Leading digits count\n"
            "1040=Italian=Italiano\n"
            "1036=French again\n"
            "65536=Low bits zero\n"
            "99999999999999999999=Huge\n"
            "-1033=Signed\n");
  CAvailableLanguages cat(u"languages", U16(dir.file("l.dat")));
  std::vector<std::pair<LANGID, std::u16string>> got;
  for (const auto& e : cat) got.emplace_back(e.m_language, e.m_name);
  // 99999999999999999999 mod 65536 = 0xFFFF
  const std::vector<std::pair<LANGID, std::u16string>> want = {
      {0x040C, u"French"},      {0x0409, u"Low bits only"}, {0x0407, u"German"},
      {12, u"Leading digits count"}, {0x0410, u"Italian=Italiano"}, {0x040C, u"French again"},
      {0xFFFF, u"Huge"}};
  EXPECT_EQ(got, want);
  ASSERT_NE(cat.FindEntry(0x040C), nullptr);
  EXPECT_EQ(cat.FindEntry(0x040C)->m_name, u"French");  // the first of a repeated LANGID
  EXPECT_EQ(cat.FindEntry(0x0419), nullptr);
  EXPECT_EQ(cat.FindEntry(0), nullptr);

  const CAvailableLanguages::CLanguage& e = cat[0];
  EXPECT_EQ(e.m_fontName, u"Tahoma");
  EXPECT_EQ(e.m_fontSize, 8);
  for (const auto& s : e.m_strings) EXPECT_TRUE(s.empty());
  EXPECT_EQ(e.m_values[0], 0);
  EXPECT_EQ(e.m_values[1], 0);
}

TEST(AvailableLanguages, KeysKeepTheirLowSixteenBits) {
  EXPECT_EQ(CatalogueKeyToLanguage(u"1036"), 0x040C);
  EXPECT_EQ(CatalogueKeyToLanguage(u"66569"), 0x0409);
  EXPECT_EQ(CatalogueKeyToLanguage(u"4295033865"), 0x0409);  // 2^32 + 66569
  EXPECT_EQ(CatalogueKeyToLanguage(u""), 0);
  EXPECT_EQ(CatalogueKeyToLanguage(u"x1"), 0);
  EXPECT_EQ(CatalogueKeyToLanguage(u"+1033"), 0);
}

TEST(AvailableLanguages, MissingFileOrSectionLeavesItEmpty) {
  CScratchDir dir;
  EXPECT_EQ(CAvailableLanguages(u"Languages", U16(dir.file("none.dat"))).GetSize(), 0);
  WriteText(dir.file("other.dat"), "[Other]\n1033=English\n");
  EXPECT_EQ(CAvailableLanguages(u"Languages", U16(dir.file("other.dat"))).GetSize(), 0);
}

TEST(AvailableLanguages, WithoutAPathTheFileBesideTheProgramIsRead) {
  CScratchDir dir;
  WriteText(dir.file("Languages.dat"), "[SubLanguages]\n3084=French (Canada)\n");
  tvl::SetProgramDirectory(U16(dir.path() + "/"));
  CAvailableLanguages cat(u"SubLanguages");
  tvl::SetProgramDirectory(u"");
  ASSERT_EQ(cat.GetSize(), 1);
  EXPECT_EQ(cat[0].m_language, 0x0C0C);
}

TEST(AvailableLanguages, ASectionBeyondTheBufferIsCut) {
  // 3000 lines "NNNNN=Language NNNNN" are 21 characters each with their NUL: 63000.
  std::string text = "[SubLanguages]\n";
  for (int i = 0; i < 3000; ++i) {
    std::string n = std::to_string(20000 + i);
    text += n + "=Language " + n + "\n";
  }
  tvl::CProfileFile file = tvl::CProfileFile::FromBytes(text);
  CAvailableLanguages cat(u"SubLanguages", file);
  // 32765 characters are kept: 1560 whole lines (32760) and "21560" without its "=".
  ASSERT_EQ(cat.GetSize(), 1560);
  EXPECT_EQ(cat[1559].m_name, u"Language 21559");
  EXPECT_EQ(cat.FindEntry(21560), nullptr);

  // Cut inside a name: the entry stays with what is left of its name.
  text = "[S]\n";
  for (int i = 0; i < 3000; ++i) text += std::to_string(20000 + i) + "=Lang" + std::to_string(20000 + i) + "\n";
  // Lines are 16 characters with their NUL: 32765 = 2047 * 16 + 13.
  CAvailableLanguages cut(u"S", tvl::CProfileFile::FromBytes(text));
  ASSERT_EQ(cut.GetSize(), 2048);
  EXPECT_EQ(cut[2047].m_language, 22047);
  EXPECT_EQ(cut[2047].m_name, u"Lang220");
}

TEST(AvailableLanguages, ProgramCataloguesNameLanguages) {
  CScratchDir dir;
  WriteText(dir.file("c.dat"),
            "[Languages]\n1033=English\n1031=German\n"
            "[SubLanguages]\n1033=English (United States)\n3084=French (Canada)\n");
  {
    CatalogueFile use(U16(dir.file("c.dat")));
    EXPECT_EQ(GetLanguagesCatalogue().GetSize(), 2);
    EXPECT_EQ(GetSubLanguagesCatalogue().GetSize(), 2);
    EXPECT_EQ(GetLanguageName(0x0409), u"English");  // the main list first
    EXPECT_EQ(GetLanguageName(0x0C0C), u"French (Canada)");
    EXPECT_EQ(GetLanguageName(0x0419), u"???");
    EXPECT_EQ(CLanguage(0x0407).GetName(), u"German");
  }
  {
    CatalogueFile use(U16(dir.file("missing.dat")));
    EXPECT_EQ(GetLanguagesCatalogue().GetSize(), 0);
    EXPECT_EQ(GetLanguageName(0x0409), u"???");
  }
}

TEST(ShippedCatalogue, EveryLanguageIsKnownAndNothingIsCut) {
  auto file = tvl::CProfileFile::Load(ShippedFile());
  ASSERT_TRUE(file.has_value()) << ShippedFile();
  for (const char16_t* section : {u"Languages", u"SubLanguages"}) {
    SCOPED_TRACE(tvl::ToUtf8(section));
    std::vector<std::u16string> lines = file->GetSectionLines(section);
    CAvailableLanguages cat(section, *file);
    // Every line became an entry: the section fits the buffer and has no stray lines.
    EXPECT_EQ(cat.GetSize(), static_cast<int>(lines.size()));
    std::set<LANGID> ids;
    std::set<std::u16string> names;
    for (const auto& e : cat) {
      const tvl::LocaleInfo* l = tvl::FindLocale(e.m_language);
      ASSERT_NE(l, nullptr) << e.m_language;
      EXPECT_EQ(l->specific, l->langId) << "neutral LANGID " << e.m_language;
      EXPECT_TRUE(ids.insert(e.m_language).second) << e.m_language;
      EXPECT_TRUE(names.insert(e.m_name).second) << tvl::ToUtf8(e.m_name);
      EXPECT_FALSE(e.m_name.empty());
    }
  }
  CAvailableLanguages main(u"Languages", *file);
  CAvailableLanguages sub(u"SubLanguages", *file);
  // Every locale of the table is offered with its country.
  // The pseudo locales are for testing layouts and stay out of the catalogue.
  auto pseudo = [](const tvl::LocaleInfo& l) { return std::string(l.tag).rfind("qps-", 0) == 0; };
  for (const tvl::LocaleInfo& l : tvl::AllLocales()) {
    if (l.specific == l.langId && l.langId != 0x007F && !pseudo(l)) {
      EXPECT_NE(sub.FindEntry(l.langId), nullptr) << l.tag;
    }
  }
  // The main list holds each primary language with SUBLANG_DEFAULT where there is one.
  std::set<WORD> primaries;
  for (const auto& e : main) primaries.insert(PRIMARYLANGID(e.m_language));
  for (const tvl::LocaleInfo& l : tvl::AllLocales()) {
    if (l.specific != l.langId || l.langId == 0x007F || pseudo(l)) continue;
    EXPECT_TRUE(primaries.count(PRIMARYLANGID(l.langId))) << l.tag;
  }
  const std::map<LANGID, std::u16string> expected = {
      {1033, u"English"}, {1031, u"German"}, {1036, u"French"}, {1041, u"Japanese"},
      {2052, u"Chinese (Simplified)"}, {1028, u"Chinese (Traditional)"}, {1044, u"Norwegian Bokmål"},
      {2074, u"Serbian (Latin)"}};
  for (const auto& [id, name] : expected) {
    ASSERT_NE(main.FindEntry(id), nullptr) << id;
    EXPECT_EQ(main.FindEntry(id)->m_name, name);
  }
  ASSERT_NE(sub.FindEntry(0x0C0C), nullptr);
  EXPECT_EQ(sub.FindEntry(0x0C0C)->m_name, u"French (Canada)");
}
