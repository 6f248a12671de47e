#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "TestSupport.h"
#include "formats/layout/ResBinary.h"
#include "peimage/PeImage.h"
#include "peimage/ResourceUpdate.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "project/TvlDoc.h"

namespace fs = std::filesystem;

namespace {

std::u16string U8(const std::string& s) { return tvl::FromUtf8(s); }

// A saved project with all32.exe (copied next to it) and German and French targets; the
// second bitmap has a German replacement and is translatable.
struct BuildFixture {
  // prepare may change the copied source before the module reads it.
  explicit BuildFixture(const std::function<void(const std::string&)>& prepare = {}) {
    tvl::SetProgramDirectory(U8(std::string(TVL_SOURCE_DIR) + "/data/"));
    fs::copy_file(FixturePath("all32.exe"), dir.file("App.exe"));
    if (prepare) prepare(dir.file("App.exe"));
    doc.SetPathName(U8(dir.file("App.tvl")));
    CLanguageArray languages;
    languages.Add(CLanguage(0x0407));
    languages.Add(CLanguage(0x040C));
    auto m = std::make_unique<CModule>(U8(dir.file("App.exe")), 0x0409, 0);
    m->SetDocument(&doc);
    EXPECT_TRUE(m->LoadFromFile());
    doc.InsertModule(std::move(m), 0x0409, languages);
    module = doc.m_modules[0].get();
    bitmap = static_cast<CResBinary*>(module->m_resTable.m_bitmaps.GetResource(1));
    bitmap->SetTranslatable(true);
    std::vector<BYTE> file = ReadFileBytes(FixturePath("data/info8.bmp"));
    std::unique_ptr<CLocalizedParam> replaced;
    EXPECT_TRUE(bitmap->SetData(file, 0x0407, replaced));
    EXPECT_TRUE(doc.OnSaveDocument(doc.GetPathName()));
    BuildSuccessList().clear();
  }
  ~BuildFixture() { tvl::SetProgramDirectory({}); }

  CScratchDir dir;
  CTvlDoc doc;
  CModule* module = nullptr;
  CResBinary* bitmap = nullptr;
};

std::unique_ptr<CPeImage> Read(const std::string& path) {
  auto image = std::make_unique<CPeImage>();
  EXPECT_TRUE(image->LoadFile(path)) << path;
  return image;
}

size_t TempFilesWithPrefix(const std::string& folder, const std::string& prefix) {
  size_t n = 0;
  for (const auto& e : fs::directory_iterator(folder))
    if (e.path().filename().string().rfind(prefix, 0) == 0) ++n;
  return n;
}

}  // namespace

TEST(Build, FullCopyHoldsEveryResourceInTheTargetLanguage) {
  BuildFixture f;
  CScratchDir tmp;
  setenv("TMPDIR", tmp.path().c_str(), 1);
  CRecordingSink sink;
  ASSERT_TRUE(f.module->BuildLanguages({0x0407, 0x040C}));
  unsetenv("TMPDIR");
  EXPECT_TRUE(sink.messages.empty());
  EXPECT_EQ(BuildSuccessList(), (std::vector<std::u16string>{U8(f.dir.file("AppDEU.exe")), U8(f.dir.file("AppFRA.exe"))}));
  EXPECT_EQ(TempFilesWithPrefix(tmp.path(), "TVL"), 0u);  // the working copy never survives

  auto sourcep = Read(f.dir.file("App.exe"));
  CPeImage& source = *sourcep;
  auto germanp = Read(f.dir.file("AppDEU.exe"));
  CPeImage& german = *germanp;
  // The same resources, all in German, except the icon and cursor images and dialog init
  // data, which belong to formats read later.
  size_t written = 0;
  for (const CPeResource& r : german.GetResources()) {
    EXPECT_EQ(r.language, 0x0407);
    ++written;
  }
  EXPECT_GT(written, 20u);
  const CPeResource* bmp = german.FindResourceEx(CResName(WORD{2}), f.bitmap->m_identifier.ToResName(), 0x0407);
  ASSERT_NE(bmp, nullptr);
  auto data = german.GetData(*bmp);
  EXPECT_EQ(std::vector<BYTE>(data.begin(), data.end()), f.bitmap->GetBytes(0x0407));
  // French has no replacement: the source bytes.
  auto frenchp = Read(f.dir.file("AppFRA.exe"));
  CPeImage& french = *frenchp;
  const CPeResource* frBmp = french.FindResourceEx(CResName(WORD{2}), f.bitmap->m_identifier.ToResName(), 0x040C);
  ASSERT_NE(frBmp, nullptr);
  auto frData = french.GetData(*frBmp);
  EXPECT_EQ(std::vector<BYTE>(frData.begin(), frData.end()), f.bitmap->GetBytes(0));
  // The code outside the resources is the source's.
  ASSERT_EQ(german.GetSections().size(), source.GetSections().size());
  EXPECT_EQ(german.GetSections()[0].name, source.GetSections()[0].name);
}

TEST(Build, SatelliteDllFromTemplateLeavesOutNeutralResourcesWhenAsked) {
  BuildFixture f;
  f.module->m_satelliteDll = true;
  f.module->m_noDuplicateNeutral = true;
  ASSERT_TRUE(f.module->BuildLanguages({0x0407}));
  auto dllp = Read(f.dir.file("AppDEU.dll"));
  CPeImage& dll = *dllp;
  EXPECT_TRUE(dll.IsDll());
  bool sawBitmap = false;
  for (const CPeResource& r : dll.GetResources()) {
    EXPECT_FALSE(r.type == CResName(WORD{10}) && r.name == CResName(WORD{700}));  // RCDATA is do not translate
    if (r.type == CResName(WORD{2}) && r.name == f.bitmap->m_identifier.ToResName()) sawBitmap = true;
  }
  EXPECT_TRUE(sawBitmap);
  // Nothing of the source's code: the template's sections only.
  auto templp = Read(std::string(TVL_SOURCE_DIR) + "/data/Satellite.dll");
  CPeImage& templ = *templp;
  EXPECT_EQ(dll.GetSections().size(), templ.GetSections().size());
}

TEST(Build, MissingFoldersAreCreatedAndFailuresReported) {
  BuildFixture f;
  std::u16string deep = U8(f.dir.file("out/a/b/App.exe"));
  ASSERT_TRUE(f.module->Build(0x0407, deep, f.module->GetSourcePath()));
  EXPECT_TRUE(fs::exists(f.dir.file("out/a/b/App.exe")));

  // A folder that cannot be created: an existing file stands in its way.
  std::ofstream(f.dir.file("blocker")) << "x";
  CRecordingSink sink;
  EXPECT_FALSE(f.module->Build(0x0407, U8(f.dir.file("blocker/x/App.exe")), f.module->GetSourcePath()));
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0].text.rfind(u"Failed to build the target file:\nFailed to create directory ", 0), 0u);

  // An empty target name.
  sink.messages.clear();
  f.module->m_outputNames.SetAt(0x0407, u"  ");
  EXPECT_FALSE(f.module->BuildLanguages({0x0407}));
  EXPECT_EQ(sink.messages.at(0).text, u"Please specify the target filename.");
}

TEST(Build, ChangedSourceIsReadAgainWithTheProjectsTranslations) {
  BuildFixture f;
  // Replace the source by another file: the target reflects it, the project stays.
  fs::copy_file(FixturePath("all64.exe"), f.dir.file("App.exe"), fs::copy_options::overwrite_existing);
  std::uint64_t before = f.module->m_sourceTime;
  ASSERT_NE(tvl::GetFileTime(U8(f.dir.file("App.exe"))), before);
  ASSERT_TRUE(f.module->BuildLanguages({0x0407}));
  auto germanp = Read(f.dir.file("AppDEU.exe"));
  CPeImage& german = *germanp;
  EXPECT_TRUE(german.IsPe32Plus());
  const CPeResource* bmp = german.FindResourceEx(CResName(WORD{2}), f.bitmap->m_identifier.ToResName(), 0x0407);
  ASSERT_NE(bmp, nullptr);
  auto data = german.GetData(*bmp);
  EXPECT_EQ(std::vector<BYTE>(data.begin(), data.end()), f.bitmap->GetBytes(0x0407));
  EXPECT_EQ(f.module->m_sourceTime, before);

  // A source that is gone while the project remembers its time: the build fails.
  fs::remove(f.dir.file("App.exe"));
  CRecordingSink sink;
  EXPECT_FALSE(f.module->BuildLanguages({0x040C}));
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0].text.rfind(u"Failed to build the target file:\nFailed to load the source file.", 0), 0u);
  EXPECT_FALSE(fs::exists(f.dir.file("AppFRA.exe")));
}

TEST(Build, ZeroLengthResourcesSurviveTheProjectFileAndReachTheTarget) {
  // One of a type without a handler, one of a type whose handler would parse it.
  const std::pair<CResName, CResName> empties[] = {{CResName(WORD{10}), CResName(u"EMPTY")},
                                                   {CResName(WORD{5}), CResName(WORD{4242})}};
  CRecordingSink sink;
  BuildFixture f([](const std::string& path) {
    tvl::CResourceUpdate update;
    const BYTE none = 0;
    ASSERT_TRUE(update.Begin(path, false));
    ASSERT_TRUE(update.Add(tvl::ResId::Id(10), tvl::ResId::Name(u"EMPTY"), 0x0409, &none, 0));
    ASSERT_TRUE(update.Add(tvl::ResId::Id(5), tvl::ResId::Id(4242), 0x0409, &none, 0));
    ASSERT_TRUE(update.Commit());
  });
  EXPECT_TRUE(sink.messages.empty());  // never handed to a parser, so never reported

  CTvlDoc reopened;
  ASSERT_TRUE(reopened.OnOpenDocument(f.doc.GetPathName()));
  ASSERT_EQ(reopened.m_modules.size(), 1u);
  CModule& module = *reopened.m_modules[0];
  for (const auto& [type, name] : empties) {
    const CResource* kept = nullptr;
    for (const CResourceType* t : module.m_resTable.GetTypes())
      if (t->m_identifier == CResourceIdentifier(type) && t->FindResource(CResourceIdentifier(name)))
        kept = t->FindResource(CResourceIdentifier(name));
    ASSERT_NE(kept, nullptr) << tvl::ToUtf8(CResourceIdentifier(name).GetText(true));
    EXPECT_TRUE(kept->m_doNotTranslate);
    std::vector<BYTE> bytes{1};
    EXPECT_TRUE(kept->GetData(bytes, 0x0407));
    EXPECT_TRUE(bytes.empty());
  }

  ASSERT_TRUE(module.BuildLanguages({0x0407}));
  auto german = Read(f.dir.file("AppDEU.exe"));
  for (const auto& [type, name] : empties) {
    const CPeResource* r = german->FindResourceEx(type, name, 0x0407);
    ASSERT_NE(r, nullptr) << tvl::ToUtf8(CResourceIdentifier(name).GetText(true));
    EXPECT_EQ(r->size, 0u);
  }
  // The dialogs the source has are still dialogs.
  EXPECT_GT(module.m_resTable.m_dialogs.GetCount(), 0);
  EXPECT_NE(german->FindResourceEx(CResName(WORD{5}), module.m_resTable.m_dialogs.GetResource(0)->m_identifier.ToResName(),
                                   0x0407),
            nullptr);
}

TEST(Build, SatelliteWithoutSourceBuildsFromProjectWhenTimeIsZero) {
  BuildFixture f;
  f.module->m_satelliteDll = true;
  f.module->m_sourceTime = 0;
  fs::remove(f.dir.file("App.exe"));
  ASSERT_TRUE(f.module->BuildLanguages({0x0407}));
  EXPECT_TRUE(fs::exists(f.dir.file("AppDEU.dll")));
}

TEST(BatchBuild, BuildArgumentsSelectPairsAndReportInTheLog) {
  BuildFixture f;
  std::u16string project = f.doc.GetPathName();
  auto run = [&](const std::u16string& spec, const std::u16string& output = {}) {
    CRecordingSink sink;
    CTvlDoc doc;
    bool ok = doc.RunBatchBuild(project, spec, output, {});
    std::vector<std::u16string> texts;
    for (const auto& m : sink.messages) texts.push_back(m.text);
    return std::make_pair(ok, texts);
  };

  auto all = run(u"*");
  EXPECT_TRUE(all.first);
  ASSERT_EQ(all.second.size(), 1u);
  EXPECT_EQ(all.second[0], u"Target file(s) created successfully:\n\n" + U8(f.dir.file("AppDEU.exe")) + u"\n" +
                               U8(f.dir.file("AppFRA.exe")) + u"\n");

  fs::remove(f.dir.file("AppDEU.exe"));
  auto french = run(u"app.EXE:FRA");  // abbreviation match, names without regard to case
  EXPECT_TRUE(french.first);
  EXPECT_FALSE(fs::exists(f.dir.file("AppDEU.exe")));

  auto byName = run(u"\"App*:German*\"", u"out\\de.exe");
  EXPECT_TRUE(byName.first);
  EXPECT_TRUE(fs::exists(f.dir.file("out/de.exe")));

  EXPECT_EQ(run(u":FRA").second.back(), u"Invalid module name specification in /build argument.");
  EXPECT_EQ(run(u"App.exe:FRA:x").second.back(), u"Invalid language specification in /build argument.");
  EXPECT_EQ(run(u"Other.exe").second.back(), u"Incorrect module name in /build argument.");
  EXPECT_EQ(run(u"App.exe:JPN").second.back(), u"Incorrect language spec in /build argument.");
  EXPECT_EQ(run(u"App.exe", u"x.exe").second.back(),
            u"There is more than one module/language pair matching the /build spec. /output cannot be used in such a "
            u"case.");
  auto unquoted = run(u"\"App.exe:FRA");
  EXPECT_EQ(unquoted.second.front(), u"Closing quote not found in /build argument.");
  EXPECT_TRUE(unquoted.first);

  CRecordingSink sink;
  CTvlDoc doc;
  EXPECT_FALSE(doc.RunBatchBuild(U8(f.dir.file("missing.tvl")), u"*", {}, {}));
  EXPECT_EQ(sink.messages.back().text, u"Failed to load file " + U8(f.dir.file("missing.tvl")) + u".");
}

// A project may come from someone else: its target names must not replace unrelated files.
TEST(Build, OnlyAnExecutableIsReplacedAndNoWorkingFileStays) {
  BuildFixture f;
  CRecordingSink sink;
  ASSERT_TRUE(f.module->Build(0x0407, U8(f.dir.file("AppDEU.exe")), f.module->GetSourcePath()));
  ASSERT_TRUE(f.module->Build(0x0407, U8(f.dir.file("AppDEU.exe")), f.module->GetSourcePath()));  // a target is

  std::ofstream(f.dir.file("notes.txt")) << "keep me";
  fs::create_directory(f.dir.file("folder.exe"));
  for (const char* name : {"notes.txt", "folder.exe"}) {
    sink.messages.clear();
    EXPECT_FALSE(f.module->Build(0x0407, U8(f.dir.file(name)), f.module->GetSourcePath())) << name;
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_NE(sink.messages[0].text.find(U8(f.dir.file(name)) + u" exists and is not an executable file"),
              std::u16string::npos);
  }
  EXPECT_EQ(ReadFileText(f.dir.file("notes.txt")), "keep me");
  EXPECT_TRUE(fs::is_directory(f.dir.file("folder.exe")));
  EXPECT_EQ(TempFilesWithPrefix(f.dir.path(), ".tvl"), 0u);
}

TEST(Build, ReadOnlySourceGivesATargetItsOwnerCanWrite) {
  BuildFixture f([](const std::string& source) { fs::permissions(source, fs::perms(0444)); });
  ASSERT_TRUE(f.module->BuildLanguages({0x0407}));
  struct stat st{};
  ASSERT_EQ(::stat(f.dir.file("AppDEU.exe").c_str(), &st), 0);
  EXPECT_NE(st.st_mode & S_IWUSR, 0u);  // root would not notice a 0444 working copy; the bits show it
  EXPECT_EQ(TempFilesWithPrefix(f.dir.path(), ".tvl"), 0u);
}

TEST(BatchBuild, DryRunListsEveryTargetAndWritesNothing) {
  BuildFixture f;
  f.module->m_outputNames.SetAt(0x040C, u"..\\elsewhere\\App.exe");
  ASSERT_TRUE(f.doc.OnSaveDocument(f.doc.GetPathName()));
  CTvlDoc doc;
  std::vector<std::u16string> plan;
  CRecordingSink sink;
  ASSERT_TRUE(doc.RunBatchBuild(f.doc.GetPathName(), u"*", {}, {}, &plan));
  std::string parent = fs::path(f.dir.path()).parent_path().string();
  EXPECT_EQ(plan, (std::vector<std::u16string>{U8(f.dir.file("AppDEU.exe")), U8(parent + "/elsewhere/App.exe")}));
  EXPECT_FALSE(fs::exists(f.dir.file("AppDEU.exe")));
  EXPECT_FALSE(fs::exists(parent + "/elsewhere"));

  plan.clear();
  ASSERT_TRUE(doc.RunBatchBuild(f.doc.GetPathName(), u"App.exe:DEU", U8(f.dir.file("out.exe")), {}, &plan));
  EXPECT_EQ(plan, (std::vector<std::u16string>{U8(f.dir.file("out.exe"))}));
  EXPECT_FALSE(fs::exists(f.dir.file("out.exe")));
}
