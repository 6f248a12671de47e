// Accelerators and version information through a whole build: a project made from a
// fixture, translated, saved and opened again, built into targets that our reader and the
// mingw-w64 decompiler both read back.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "formats/text/ResAccelerator.h"
#include "formats/text/ResVersion.h"
#include "peimage/PeImage.h"
#include "peimage/ResStream.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "project/TvlDoc.h"

namespace fs = std::filesystem;

namespace {

constexpr LANGID kGerman = 0x0407;
constexpr LANGID kFrench = 0x040C;
constexpr WORD kCtrlVirt = kAccelVirtKey | kAccelControl;

std::u16string U8(const std::string& s) { return tvl::FromUtf8(s); }

// all32.exe in a saved project with German and French targets.
struct Project {
  Project() {
    tvl::SetProgramDirectory(U8(std::string(TVL_SOURCE_DIR) + "/data/"));
    fs::copy_file(FixturePath("all32.exe"), dir.file("App.exe"));
    doc.SetPathName(U8(dir.file("App.tvl")));
    CLanguageArray languages;
    languages.Add(CLanguage(kGerman));
    languages.Add(CLanguage(kFrench));
    auto m = std::make_unique<CModule>(U8(dir.file("App.exe")), 0x0409, 0);
    m->SetDocument(&doc);
    EXPECT_TRUE(m->LoadFromFile());
    doc.InsertModule(std::move(m), 0x0409, languages);
    BuildSuccessList().clear();
  }
  ~Project() { tvl::SetProgramDirectory({}); }

  CModule& Module(CTvlDoc& d) { return *d.m_modules.at(0); }
  CResAcceleratorTable& Accelerators(CTvlDoc& d) {
    auto* t = dynamic_cast<CResAcceleratorTable*>(Module(d).m_resTable.m_accelerators.FindResource(CResourceIdentifier(CResName(WORD{300}))));
    EXPECT_NE(t, nullptr);
    return *t;
  }
  CResVersion& Version(CTvlDoc& d) {
    auto* v = dynamic_cast<CResVersion*>(Module(d).m_resTable.m_version.FindResource(CResourceIdentifier(CResName(WORD{1}))));
    EXPECT_NE(v, nullptr);
    return *v;
  }

  // Saves the project and opens it in a fresh document, so that what is built went
  // through the project file.
  std::unique_ptr<CTvlDoc> SaveAndReopen() {
    EXPECT_TRUE(doc.OnSaveDocument(doc.GetPathName()));
    auto reopened = std::make_unique<CTvlDoc>();
    EXPECT_TRUE(reopened->OnOpenDocument(doc.GetPathName()));
    return reopened;
  }

  CScratchDir dir;
  CTvlDoc doc;
};

std::vector<BYTE> ResourceBytes(const std::string& path, WORD type, WORD name, LANGID language) {
  CPeImage image;
  EXPECT_TRUE(image.LoadFile(path)) << path;
  const CPeResource* r = image.FindResourceEx(CResName(type), CResName(name), language);
  EXPECT_NE(r, nullptr) << path << " type " << type << " name " << name;
  if (!r) return {};
  auto data = image.GetData(*r);
  return {data.begin(), data.end()};
}

std::unique_ptr<CResAcceleratorTable> ReadAccelerators(const std::string& path, LANGID language) {
  std::vector<BYTE> bytes = ResourceBytes(path, 9, 300, language);
  auto t = std::make_unique<CResAcceleratorTable>();
  CResStream stream(bytes.data(), static_cast<DWORD>(bytes.size()), language);
  t->Parse(stream);
  return t;
}

std::unique_ptr<CResVersion> ReadVersion(const std::string& path, LANGID language) {
  std::vector<BYTE> bytes = ResourceBytes(path, 16, 1, language);
  auto v = std::make_unique<CResVersion>();
  CResStream stream(bytes.data(), static_cast<DWORD>(bytes.size()), language);
  v->Parse(stream);
  return v;
}

std::u16string ValueText(const CResVersion& v, const char16_t* key) {
  const StringValue* s = v.FindValue(key);
  return s ? s->m_value.m_text : u"<missing>";
}

// The lines of one resource statement of a script ("300 ACCELERATORS", "1 VERSIONINFO")
// up to its closing END at column 0.
std::string Statement(const std::string& script, const std::string& head) {
  size_t at = script.find("\n" + head + "\n");
  if (at == std::string::npos) return {};
  size_t end = script.find("\nEND\n", at);
  return script.substr(at + 1, end == std::string::npos ? std::string::npos : end - at);
}

}  // namespace

TEST(AcceleratorVersionBuild, TranslationsWithStatusAreBuiltAndTheRestIsSource) {
  Project p;
  CResAcceleratorTable& keys = p.Accelerators(p.doc);
  ASSERT_EQ(keys.GetCount(), 6u);
  keys.SetTranslatable(true);
  keys.GetEntry(0)->m_key.SetHotKey(kGerman, kCtrlVirt, 'K');          // Ctrl+C -> Ctrl+K
  keys.GetEntry(2)->m_key.SetHotKey(kGerman, kAccelVirtKey, 0x75);     // F5 -> F6, then out of date
  keys.GetEntry(2)->m_key.SetStatus(kGerman, 0);
  keys.GetEntry(5)->m_key.SetHotKey(kGerman, kAccelVirtKey | kAccelLast, 0x71);  // F1 -> F2
  keys.GetEntry(0)->m_key.SetHotKey(kFrench, kCtrlVirt, 'R');
  CResVersion& version = p.Version(p.doc);
  version.FindValue(u"ProductName")->m_value.SetTranslation(u"Testdaten", kGerman);
  version.FindValue(u"FileDescription")->m_value.SetStatus(kGerman, 0);
  ASSERT_TRUE(CResVersion::SetVersionText(version.m_fileVersion, kGerman, u"5.6.7.8"));

  auto reopened = p.SaveAndReopen();
  ASSERT_TRUE(p.Module(*reopened).BuildLanguages({kGerman, kFrench}));
  const std::string de = p.dir.file("AppDEU.exe"), fr = p.dir.file("AppFRA.exe");

  // Our reader.
  auto deKeys = ReadAccelerators(de, kGerman);
  ASSERT_EQ(deKeys->GetCount(), 6u);
  EXPECT_EQ(deKeys->GetEntry(0)->m_key.m_key, 'K');
  EXPECT_EQ(deKeys->GetEntry(0)->m_key.m_hotFlags, kCtrlVirt);
  EXPECT_EQ(deKeys->GetEntry(2)->m_key.m_key, 0x74);  // not up to date: the source
  EXPECT_EQ(deKeys->GetEntry(5)->m_key.m_key, 0x71);
  for (size_t i = 0; i < 6; ++i) {
    EXPECT_EQ(deKeys->GetEntry(i)->m_commandId, 1001 + i);
    if (i == 0 || i == 5) continue;
    EXPECT_EQ(deKeys->GetEntry(i)->m_key.m_key, keys.GetEntry(i)->m_key.m_key) << i;
  }
  auto frKeys = ReadAccelerators(fr, kFrench);
  EXPECT_EQ(frKeys->GetEntry(0)->m_key.m_key, 'R');
  EXPECT_EQ(frKeys->GetEntry(5)->m_key.m_key, 0x70);

  auto deVersion = ReadVersion(de, kGerman);
  EXPECT_EQ(deVersion->m_stringTables, (std::vector<LangAndCodePage>{{kGerman, 1200}}));
  EXPECT_EQ(deVersion->m_translations, (std::vector<LangAndCodePage>{{kGerman, 1200}}));
  EXPECT_EQ(ValueText(*deVersion, u"CompanyName"), u"Testdatenhersteller");
  EXPECT_EQ(ValueText(*deVersion, u"FileDescription"), u"All resource kinds");
  EXPECT_EQ(ValueText(*deVersion, u"ProductName"), u"Testdaten");
  EXPECT_EQ(deVersion->m_fileVersion.m_text, u"5, 6, 7, 8");
  EXPECT_EQ(deVersion->m_productVersion.m_text, u"1, 2, 0, 0");
  auto frVersion = ReadVersion(fr, kFrench);
  EXPECT_EQ(frVersion->m_stringTables, (std::vector<LangAndCodePage>{{kFrench, 1200}}));
  EXPECT_EQ(ValueText(*frVersion, u"CompanyName"), u"Fixture Makers");
  EXPECT_EQ(frVersion->m_fileVersion.m_text, u"1, 2, 3, 4");

  // The decompiler reads the same.
  if (!HaveDecompiler()) GTEST_SKIP() << "x86_64-w64-mingw32-windres is not installed";
  std::string deScript = DecompileModule(de);
  std::string deAccel = Statement(deScript, "300 ACCELERATORS");
  EXPECT_NE(deAccel.find("  75, 1001, VIRTKEY, CONTROL\n"), std::string::npos) << deAccel;
  EXPECT_NE(deAccel.find("  116, 1003, VIRTKEY\n"), std::string::npos) << deAccel;
  EXPECT_NE(deAccel.find("  113, 1006, VIRTKEY\n"), std::string::npos) << deAccel;
  std::string deInfo = Statement(deScript, "1 VERSIONINFO");
  EXPECT_NE(deInfo.find(" FILEVERSION 5, 6, 7, 8\n"), std::string::npos) << deInfo;
  EXPECT_NE(deInfo.find(" PRODUCTVERSION 1, 2, 0, 0\n"), std::string::npos) << deInfo;
  EXPECT_NE(deInfo.find("BLOCK \"040704B0\""), std::string::npos) << deInfo;
  EXPECT_EQ(deInfo.find("BLOCK \"040904b0\""), std::string::npos) << deInfo;
  EXPECT_NE(deInfo.find("VALUE \"CompanyName\", \"Testdatenhersteller\""), std::string::npos) << deInfo;
  EXPECT_NE(deInfo.find("VALUE \"FileDescription\", \"All resource kinds\""), std::string::npos) << deInfo;
  EXPECT_NE(deInfo.find("VALUE \"ProductName\", \"Testdaten\""), std::string::npos) << deInfo;
  EXPECT_NE(deInfo.find("VALUE \"Translation\", 0x407, 1200"), std::string::npos) << deInfo;
  std::string frScript = DecompileModule(fr);
  EXPECT_NE(Statement(frScript, "300 ACCELERATORS").find("  82, 1001, VIRTKEY, CONTROL\n"), std::string::npos);
  std::string frInfo = Statement(frScript, "1 VERSIONINFO");
  EXPECT_NE(frInfo.find("BLOCK \"040C04B0\""), std::string::npos) << frInfo;
  EXPECT_NE(frInfo.find("VALUE \"CompanyName\", \"Fixture Makers\""), std::string::npos) << frInfo;
  EXPECT_NE(frInfo.find(" FILEVERSION 1, 2, 3, 4\n"), std::string::npos) << frInfo;
}

TEST(AcceleratorVersionBuild, DoNotTranslateKeepsTheSourceAndSatellitesAreDlls) {
  Project p;
  // Translations exist, but the table keeps its do-not-translate mark from reading.
  CResAcceleratorTable& keys = p.Accelerators(p.doc);
  ASSERT_FALSE(keys.IsTranslatable());
  keys.GetEntry(0)->m_key.SetHotKey(kGerman, kCtrlVirt, 'K');
  CResVersion& version = p.Version(p.doc);
  version.SetTranslatable(false);
  ASSERT_TRUE(CResVersion::SetVersionText(version.m_fileVersion, kGerman, u"5.6.7.8"));
  auto reopened = p.SaveAndReopen();
  CModule& module = p.Module(*reopened);
  module.m_satelliteDll = true;
  module.m_noDuplicateNeutral = false;  // else the table marked do not translate is left out
  ASSERT_TRUE(module.BuildLanguages({kGerman}));
  const std::string dll = p.dir.file("AppDEU.dll");
  CPeImage image;
  ASSERT_TRUE(image.LoadFile(dll));
  EXPECT_TRUE(image.IsDll());

  auto built = ReadAccelerators(dll, kGerman);
  ASSERT_EQ(built->GetCount(), 6u);
  EXPECT_EQ(built->GetEntry(0)->m_key.m_key, keys.GetEntry(0)->m_key.m_key);
  auto info = ReadVersion(dll, kGerman);
  EXPECT_EQ(info->m_fileVersion.m_text, u"1, 2, 3, 4");
  EXPECT_EQ(ValueText(*info, u"CompanyName"), u"Fixture Makers");  // the German table is not used either
  EXPECT_EQ(info->m_fixedInfo[CResVersion::kFileType], 2);

  if (!HaveDecompiler()) GTEST_SKIP() << "x86_64-w64-mingw32-windres is not installed";
  std::string script = DecompileModule(dll);
  EXPECT_NE(Statement(script, "300 ACCELERATORS").find("  67, 1001, VIRTKEY, CONTROL\n"), std::string::npos) << script;
  std::string infoText = Statement(script, "1 VERSIONINFO");
  EXPECT_NE(infoText.find(" FILETYPE 0x2\n"), std::string::npos) << infoText;
  EXPECT_NE(infoText.find(" FILEVERSION 1, 2, 3, 4\n"), std::string::npos) << infoText;
  EXPECT_NE(infoText.find("BLOCK \"040704B0\""), std::string::npos) << infoText;
}
